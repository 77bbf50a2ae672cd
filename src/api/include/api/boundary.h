// Moving text across the C boundary: UTF-16 arguments in, UTF-16 results out.
#ifndef MURLO_API_BOUNDARY_H_
#define MURLO_API_BOUNDARY_H_

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "murloppc.h"
#include "query/query_result.h"

namespace murlo {

// The code units of a zero-terminated argument; a NULL argument is empty.
std::u16string argumentUnits(const murlo_char16* text);

// Converts an argument to GBK into `gbk`. Returns false when it holds an
// unpaired surrogate or a character that code page 936 cannot represent; such
// an argument matches no station and no number.
bool argumentToGbk(const murlo_char16* text, std::string& gbk);

// A GBK result as it will be written in UTF-16, converted straight into the
// caller's buffer. Its exact size is counted only when it is asked for: a
// buffer that holds a unit for every byte holds the text whatever it is.
class Utf16Result {
 public:
  // REQUIRES: `gbk` outlives the object.
  explicit Utf16Result(std::string_view gbk) : gbk_(gbk) {}

  // Whether a buffer of `capacity` units holds the text and its terminator
  // without counting: each byte gives at most one code unit.
  bool surelyFits(std::size_t capacity) const { return capacity > gbk_.size(); }

  // Code units needed, terminator included (counted on first use).
  std::size_t needed() const;

  // Writes the text and its terminator and returns needed(). REQUIRES: `out`
  // holds needed() units. A NULL `out` is left alone.
  std::size_t writeTo(murlo_char16* out) const;

 private:
  std::string_view gbk_;
  mutable std::size_t needed_ = 0;  // 0 while not counted
};

// An answer made of UTF-16 pieces the loaded database keeps, each followed
// by the answer's terminator, as it will be written: its size is known
// before anything is copied.
class Utf16PiecesResult {
 public:
  // REQUIRES: the answer and its pieces outlive the object.
  explicit Utf16PiecesResult(const Utf16Answer& answer);

  // Every buffer must be counted for.
  bool surelyFits(std::size_t) const { return false; }

  // Code units needed, terminator included.
  std::size_t needed() const { return length_ + 1; }

  // Writes the text and its terminator and returns needed(). REQUIRES: `out`
  // holds needed() units. A NULL `out` is left alone.
  std::size_t writeTo(murlo_char16* out) const;

 private:
  const Utf16Answer& answer_;
  std::size_t length_;  // code units, terminator excluded
};

}  // namespace murlo

#endif  // MURLO_API_BOUNDARY_H_
