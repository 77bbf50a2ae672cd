// The text boundary: UTF-16 <-> GBK, where GBK is code page 936 (GBK with
// byte 0x80 as the euro sign).
//
// Conversion is a table lookup per character with no set-up per call. The
// tables were generated once from iconv's "CP936" converter by
// scripts/gen_gbk_tables.py.
#ifndef MURLO_TEXT_GBK_CODEC_H_
#define MURLO_TEXT_GBK_CODEC_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace murlo {

// Appends the GBK form of `utf16` to `gbk`. Returns false, leaving `gbk` with
// an unspecified partial result, when `utf16` holds an unpaired surrogate or a
// character that code page 936 cannot represent.
bool utf16ToGbk(std::u16string_view utf16, std::string& gbk);

// Appends the UTF-16 form of `gbk` to `utf16`. Bytes that form no code page
// 936 character each become U+FFFD (see gbk_codec.cc for how many bytes one
// replacement consumes).
void gbkToUtf16(std::string_view gbk, std::u16string& utf16);

// The number of UTF-16 code units gbkToUtf16 would append.
std::size_t gbkToUtf16Length(std::string_view gbk);

// Writes the UTF-16 form of `gbk` at `out`, gbkToUtf16Length(gbk) units and
// no terminator, and returns the end of what it wrote. REQUIRES: `out` has
// room for gbkToUtf16Length(gbk) units.
char16_t* gbkToUtf16Into(std::string_view gbk, char16_t* out);

// Appends the UTF-8 form of `gbk` to `utf8`, with U+FFFD where gbkToUtf16
// gives it.
void gbkToUtf8(std::string_view gbk, std::string& utf8);

}  // namespace murlo

#endif  // MURLO_TEXT_GBK_CODEC_H_
