// What a query hands back to the C boundary: a result code and GBK text, or
// for the answers made of whole-run lines, the kept lines themselves.
#ifndef MURLO_QUERY_QUERY_RESULT_H_
#define MURLO_QUERY_QUERY_RESULT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "present/whole_run_lines.h"

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

// An answer of whole-run lines, kept in UTF-16: its text is each line
// followed by "*".
struct KeptLinesResult {
  // The number of lines, or a negative code (with no lines).
  int32_t code = 0;
  std::vector<KeptLine> lines;  // none empty

  // Answers are equal when their codes and lines are.
  friend bool operator==(const KeptLinesResult& a, const KeptLinesResult& b) {
    if (a.code != b.code || a.lines.size() != b.lines.size()) return false;
    for (std::size_t i = 0; i < a.lines.size(); ++i) {
      if (a.lines[i].text != b.lines[i].text) return false;
    }
    return true;
  }
};

}  // namespace murlo

#endif  // MURLO_QUERY_QUERY_RESULT_H_
