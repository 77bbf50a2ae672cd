#include "api/boundary.h"

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

Utf16Result::Utf16Result(std::string_view gbk) {
  gbkToUtf16(gbk, units_);  // sizes the result itself, in one pass
}

void Utf16Result::writeTo(murlo_char16* out) const {
  if (out == nullptr) return;
  for (std::size_t i = 0; i < units_.size(); ++i) out[i] = static_cast<murlo_char16>(units_[i]);
  out[units_.size()] = 0;
}

}  // namespace murlo
