// What a query hands back to the C boundary: a status, a count and GBK text,
// or for the answers made of kept UTF-16 pieces, the pieces themselves. The
// boundary turns the status into each function's numeric code.
#ifndef MURLO_QUERY_QUERY_RESULT_H_
#define MURLO_QUERY_QUERY_RESULT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "present/utf16_piece.h"
#include "query/query_status.h"

namespace murlo {

struct QueryResult {
  // Unless kOk, the count is 0, the text is empty and the boundary writes
  // nothing.
  QueryStatus status = QueryStatus::kOk;
  int32_t count = 0;   // lines, stations or journeys
  std::string text{};  // GBK
};

// An answer written from UTF-16 pieces that the loaded database keeps
// (whole-run lines, station names), or that the answer writes for itself
// and holds in `written`: each piece, then `terminator` where there is one.
struct Utf16Answer {
  // Unless kOk, the count is 0 and there are no pieces.
  QueryStatus status = QueryStatus::kOk;
  int32_t count = 0;  // lines or stations
  std::vector<Utf16Piece> pieces{};
  char16_t terminator = 0;  // "*" after each line; none after a name and "|"
  // The units of the pieces no database keeps (a line between two stops),
  // where there are any. Held apart so that moving the answer keeps them in
  // place; an answer is moved, never copied.
  std::unique_ptr<const std::u16string> written = nullptr;

  // Answers are equal when their statuses, counts and texts are.
  friend bool operator==(const Utf16Answer& a, const Utf16Answer& b) {
    return a.status == b.status && a.count == b.count && a.pieces == b.pieces &&
           a.terminator == b.terminator;
  }
};

}  // namespace murlo

#endif  // MURLO_QUERY_QUERY_RESULT_H_
