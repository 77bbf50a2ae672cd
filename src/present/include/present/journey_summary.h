// The summary line of a journey with changes, written before its rides:
//
//   J|DEP|ARR|DAY|DAYS|DURATION|RIDES      J|22:40|07:15|0|1|08:35|2
//
// DEP and ARR the departure and arrival times of day (HH:MM), DAY 0 when the
// journey departs on the day of the question and 1 on the next, DAYS how many
// days after its departure day it arrives, DURATION arrival minus departure
// ("%.2d:%.2d", hours not reduced), RIDES the number of rides.
#ifndef MURLO_PRESENT_JOURNEY_SUMMARY_H_
#define MURLO_PRESENT_JOURNEY_SUMMARY_H_

#include <cstdint>
#include <string>

namespace murlo {

// Appends the summary of a journey departing at absolute minute `departure`
// (minutes from 00:00 of the question's day) and arriving at `arrival`.
// REQUIRES: 0 <= departure <= arrival.
void appendJourneySummary(std::string& out, int64_t departure, int64_t arrival, int32_t rides);

}  // namespace murlo

#endif  // MURLO_PRESENT_JOURNEY_SUMMARY_H_
