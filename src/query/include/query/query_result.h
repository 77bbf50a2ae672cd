// What a query hands back to the C boundary: a result code and GBK text, or
// for the answers made of kept UTF-16 pieces, the pieces themselves.
#ifndef MURLO_QUERY_QUERY_RESULT_H_
#define MURLO_QUERY_QUERY_RESULT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "present/utf16_piece.h"

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

// An answer written from UTF-16 pieces that the loaded database keeps
// (whole-run lines, station names), or that the answer writes for itself
// and holds in `written`: each piece, then `terminator` where there is one.
struct Utf16Answer {
  // A count, or a negative code (with no pieces).
  int32_t code = 0;
  std::vector<Utf16Piece> pieces;
  char16_t terminator = 0;  // "*" after each line; none after a name and "|"
  // The units of the pieces no database keeps (a line between two stops),
  // where there are any. Held apart so that moving the answer keeps them in
  // place; an answer is moved, never copied.
  std::unique_ptr<const std::u16string> written = nullptr;

  // Answers are equal when their codes and texts are.
  friend bool operator==(const Utf16Answer& a, const Utf16Answer& b) {
    return a.code == b.code && a.pieces == b.pieces && a.terminator == b.terminator;
  }
};

}  // namespace murlo

#endif  // MURLO_QUERY_QUERY_RESULT_H_
