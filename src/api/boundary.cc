#include "api/boundary.h"

#include <cstring>
#include <type_traits>

#include "text/gbk_codec.h"

namespace murlo {

std::u16string argumentUnits(const murlo_char16* text) {
  std::u16string units;
  if (text == nullptr) return units;
  for (const murlo_char16* p = text; *p != 0; ++p) units.push_back(static_cast<char16_t>(*p));
  return units;
}

bool argumentToGbk(const murlo_char16* text, std::string& gbk) {
  const std::u16string units = argumentUnits(text);
  gbk.clear();
  gbk.reserve(2 * units.size() + 1);  // each code unit gives at most two bytes
  return utf16ToGbk(units, gbk);
}

namespace {

// Writes the UTF-16 form of `gbk` at `out` and returns its end. (A template,
// so that only the branch of the platform's unit type is compiled.)
template <typename Unit>
Unit* writeUtf16(std::string_view gbk, Unit* out) {
  if constexpr (std::is_same_v<Unit, char16_t>) {
    return gbkToUtf16Into(gbk, out);
  } else {
    // Windows: murlo_char16 is wchar_t, another type of the same size.
    std::u16string units;
    gbkToUtf16(gbk, units);
    for (const char16_t unit : units) *out++ = static_cast<Unit>(unit);
    return out;
  }
}

}  // namespace

std::size_t Utf16Result::needed() const {
  if (needed_ == 0) needed_ = gbkToUtf16Length(gbk_) + 1;
  return needed_;
}

std::size_t Utf16Result::writeTo(murlo_char16* out) const {
  if (out == nullptr) return needed();
  murlo_char16* const end = writeUtf16(gbk_, out);
  *end = 0;
  needed_ = static_cast<std::size_t>(end - out) + 1;
  return needed_;
}

Utf16PiecesResult::Utf16PiecesResult(const Utf16Answer& answer) : answer_(answer), length_(0) {
  for (const Utf16Piece& piece : answer_.pieces) {
    length_ += piece.size() + (answer_.terminator != 0 ? 1 : 0);
  }
}

std::size_t Utf16PiecesResult::writeTo(murlo_char16* out) const {
  if (out == nullptr) return needed();
  for (const Utf16Piece& piece : answer_.pieces) {
    out = piece.writeTo(out);
    if (answer_.terminator != 0) *out++ = static_cast<murlo_char16>(answer_.terminator);
  }
  *out = 0;
  return needed();
}

}  // namespace murlo
