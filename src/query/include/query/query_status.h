// What a question's answer says besides its data: the one error enum of the
// queries, which the C boundary maps to each function's numeric codes.
#ifndef MURLO_QUERY_QUERY_STATUS_H_
#define MURLO_QUERY_QUERY_STATUS_H_

namespace murlo {

enum class QueryStatus {
  kOk,
  kUnknownStation,      // the one station of a question has no such name
  kUnknownOrigin,       // the first of two stations has no such name
  kUnknownDestination,  // the second of two stations has no such name
  kSameStation,         // the two names of a question are equal
  kArgumentOutOfRange,  // a number outside its range
  kDateOutsidePeriod,   // a date the database's calendar does not cover
};

}  // namespace murlo

#endif  // MURLO_QUERY_QUERY_STATUS_H_
