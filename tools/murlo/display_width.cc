#include "display_width.h"

#include <cstdint>

namespace murlo::tool {
namespace {

struct Range {
  char32_t first;
  char32_t last;
};

// Wide and full-width characters.
constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD},
};

// Combining marks and zero-width characters.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x200B, 0x200F}, {0x2060, 0x2064}, {0x20D0, 0x20FF},
    {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
};

template <std::size_t N>
bool within(const Range (&ranges)[N], char32_t c) {
  for (const Range& range : ranges) {
    if (c >= range.first && c <= range.last) return true;
  }
  return false;
}

// Decodes the character at `i` and advances past it; an invalid byte is
// returned as U+FFFD and skipped alone.
char32_t nextCharacter(std::string_view utf8, std::size_t& i) {
  const auto lead = static_cast<uint8_t>(utf8[i++]);
  if (lead < 0x80) return lead;
  std::size_t extra = 0;
  char32_t c = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1Fu;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0Fu;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07u;
  } else {
    return 0xFFFD;
  }
  if (i + extra > utf8.size()) return 0xFFFD;
  for (std::size_t k = 0; k < extra; ++k) {
    const auto next = static_cast<uint8_t>(utf8[i + k]);
    if ((next & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (next & 0x3Fu);
  }
  i += extra;
  return c;
}

}  // namespace

std::size_t displayWidth(std::string_view utf8) {
  std::size_t width = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t c = nextCharacter(utf8, i);
    if (within(kZeroWidth, c)) continue;
    width += within(kWide, c) ? 2u : 1u;
  }
  return width;
}

}  // namespace murlo::tool
