// Moving text across the C boundary: UTF-16 arguments in, UTF-16 results out.
#ifndef MURLO_API_BOUNDARY_H_
#define MURLO_API_BOUNDARY_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "murloppc.h"

namespace murlo {

// The code units of a zero-terminated argument; a NULL argument is empty.
std::u16string argumentUnits(const murlo_char16* text);

// Converts an argument to GBK into `gbk`. Returns false when it holds an
// unpaired surrogate or a character that code page 936 cannot represent; such
// an argument matches no station and no number.
bool argumentToGbk(const murlo_char16* text, std::string& gbk);

// A result converted to UTF-16, ready to be written.
class Utf16Result {
 public:
  explicit Utf16Result(std::string_view gbk);

  // Code units needed, terminator included.
  std::size_t needed() const { return units_.size() + 1; }

  // Writes the text and its terminator. REQUIRES: `out` holds needed()
  // units. A NULL `out` is left alone.
  void writeTo(murlo_char16* out) const;

 private:
  std::u16string units_;
};

}  // namespace murlo

#endif  // MURLO_API_BOUNDARY_H_
