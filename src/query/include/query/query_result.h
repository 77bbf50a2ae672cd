// What a query hands back to the C boundary: a result code and GBK text.
#ifndef MURLO_QUERY_QUERY_RESULT_H_
#define MURLO_QUERY_QUERY_RESULT_H_

#include <cstdint>
#include <string>

namespace murlo {

// The code of every query whose numeric arguments lie outside their range
// (MURLO_INVALID_ARGUMENT at the C boundary).
inline constexpr int32_t kInvalidArgument = -6;

struct QueryResult {
  // A count (0 and more) or a negative code; on a negative code the text is
  // empty and the boundary writes nothing.
  int32_t code = 0;
  std::string text;  // GBK
};

}  // namespace murlo

#endif  // MURLO_QUERY_QUERY_RESULT_H_
