// The text boundary on Windows: the system's own code page 936 conversion
// (MultiByteToWideChar and WideCharToMultiByte, code page 936 named, not the
// ANSI code page), giving exactly the results of the table codec in
// gbk_codec.cc:
//   - GBK text is cut into the same steps (see gbk_codec.cc), each giving one
//     UTF-16 code unit: ASCII, the euro byte 0x80, a lead byte with its
//     trail byte; a lead byte without a trail and the byte 0xFF give U+FFFD
//     and never reach the system;
//   - Windows maps the user-defined areas of code page 936 to the Private
//     Use Area (U+E000-U+F8FF); here they stay without characters, as
//     elsewhere: such codes decode to U+FFFD and Private Use characters do
//     not encode;
//   - an unassigned two-byte code, which the system rejects, is U+FFFD;
//   - encoding allows no best-fit mapping: a character without a code of its
//     own fails, as does an unpaired surrogate or a character outside the BMP.
#include <cstddef>
#include <string>
#include <string_view>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "gbk_tables.h"  // the byte structure of code page 936 (no tables used)
#include "text/gbk_codec.h"

namespace murlo {
namespace {

constexpr UINT kCodePage = 936;
constexpr char16_t kReplacement = u'\uFFFD';
// The most bytes or code units handed to the system at once (its counts are
// int).
constexpr std::size_t kMaxChunk = std::size_t{1} << 20;

using cp936::isLeadByte;
using cp936::isTrailByte;

constexpr bool isPrivateUse(unsigned unit) { return unit >= 0xE000 && unit <= 0xF8FF; }

constexpr bool isSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

unsigned byteAt(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}

// The length of the code starting at text[i]: 1 for ASCII and the euro
// byte, 2 for a lead byte with its trail, 0 for a byte that starts no code
// (a lead byte without a trail, 0xFF).
std::size_t codeLength(std::string_view text, std::size_t i) {
  const unsigned b = byteAt(text, i);
  if (b <= cp936::kEuroByte) return 1;
  if (isLeadByte(b) && i + 1 < text.size() && isTrailByte(byteAt(text, i + 1))) return 2;
  return 0;
}

// The code unit of one decoded character, U+FFFD for the Private Use Area.
char16_t fromSystem(wchar_t unit) {
  const auto u = static_cast<unsigned>(unit);
  return isPrivateUse(u) ? kReplacement : static_cast<char16_t>(u);
}

// One code (one or two bytes), converted alone.
char16_t decodeCode(std::string_view code) {
  if (code.size() == 1 && byteAt(code, 0) < 0x80) return static_cast<char16_t>(byteAt(code, 0));
  wchar_t unit = 0;
  const int got = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, code.data(),
                                        static_cast<int>(code.size()), &unit, 1);
  return got == 1 ? fromSystem(unit) : kReplacement;
}

// Appends the decoded `codes` (whole codes, `count` of them) at `out`: in one
// call when the system accepts every code, else code by code, so that an
// unassigned code costs only its own replacement.
char16_t* decodeCodes(std::string_view codes, std::size_t count, std::wstring& scratch,
                      char16_t* out) {
  scratch.resize(count);
  const int got = ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, codes.data(),
                                        static_cast<int>(codes.size()), scratch.data(),
                                        static_cast<int>(count));
  if (got > 0 && static_cast<std::size_t>(got) == count) {
    for (const wchar_t unit : scratch) *out++ = fromSystem(unit);
    return out;
  }
  for (std::size_t i = 0; i < codes.size();) {
    const std::size_t length = codeLength(codes, i);
    *out++ = decodeCode(codes.substr(i, length));
    i += length;
  }
  return out;
}

}  // namespace

bool utf16ToGbk(std::u16string_view utf16, std::string& gbk) {
  for (const char16_t unit : utf16) {
    if (isSurrogate(unit) || isPrivateUse(unit)) return false;
  }
  // No surrogates are left, so chunks never split a character.
  std::wstring wide;
  for (std::size_t at = 0; at < utf16.size(); at += kMaxChunk) {
    const std::u16string_view chunk = utf16.substr(at, kMaxChunk);
    wide.assign(chunk.begin(), chunk.end());
    // At most two bytes per code unit; trimmed to what was written.
    const std::size_t start = gbk.size();
    gbk.resize(start + 2 * chunk.size());
    BOOL usedDefault = FALSE;
    const int written = ::WideCharToMultiByte(
        kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
        gbk.data() + start, static_cast<int>(2 * chunk.size()), nullptr, &usedDefault);
    if (written <= 0 || usedDefault) {
      gbk.resize(start);
      return false;
    }
    gbk.resize(start + static_cast<std::size_t>(written));
  }
  return true;
}

char16_t* gbkToUtf16Into(std::string_view gbk, char16_t* out) {
  std::wstring scratch;
  std::size_t i = 0;
  while (i < gbk.size()) {
    // A run of whole codes, converted together.
    const std::size_t runStart = i;
    std::size_t count = 0;
    while (i < gbk.size() && i - runStart < kMaxChunk) {
      const std::size_t length = codeLength(gbk, i);
      if (length == 0) break;
      i += length;
      ++count;
    }
    if (count > 0) out = decodeCodes(gbk.substr(runStart, i - runStart), count, scratch, out);
    // Then the bytes that start no code, one replacement each.
    while (i < gbk.size() && codeLength(gbk, i) == 0) {
      *out++ = kReplacement;
      ++i;
    }
  }
  return out;
}

}  // namespace murlo
