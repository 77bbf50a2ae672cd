#include "text/gbk_codec.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#if __has_include(<iconv.h>)
#include <iconv.h>
#define MURLO_TEST_HAVE_ICONV 1
#else
#define MURLO_TEST_HAVE_ICONV 0
#endif

namespace murlo {
namespace {

using namespace std::string_view_literals;

std::u16string decode(std::string_view gbk) {
  std::u16string utf16;
  gbkToUtf16(gbk, utf16);
  EXPECT_EQ(gbkToUtf16Length(gbk), utf16.size()) << "length of " << ::testing::PrintToString(gbk);
  return utf16;
}

std::optional<std::string> encode(std::u16string_view utf16) {
  std::string gbk;
  if (!utf16ToGbk(utf16, gbk)) return std::nullopt;
  return gbk;
}

bool isTrail(unsigned b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

struct DecodeCase {
  const char* name;
  std::string_view gbk;
  std::u16string_view utf16;
};

TEST(GbkToUtf16, DecodesCases) {
  const DecodeCase cases[] = {
      {"empty", ""sv, u""sv},
      {"ascii with NUL and DEL", "Hi, 0~\0\x7F"sv, u"Hi, 0~\0\x7F"sv},
      {"Beijing", "\xB1\xB1\xBE\xA9"sv, u"\u5317\u4EAC"sv},
      {"euro sign", "\x80"sv, u"\u20AC"sv},
      {"ideographic space and middle dot", "\xA1\xA1\xA1\xA4"sv, u"\u3000\u00B7"sv},
      {"first code", "\x81\x40"sv, u"\u4E02"sv},
      {"trail before the gap", "\x81\x7E"sv, u"\u4E8A"sv},
      {"trail after the gap", "\x81\x80"sv, u"\u4E90"sv},
      {"last trail", "\x81\xFE"sv, u"\u4FA2"sv},
      {"last lead", "\xFE\x4F"sv, u"\uFA29"sv},
      {"codes between ascii",
       "a\xB1\xB1"
       "b\x80"
       "c"sv,
       u"a\u5317b\u20ACc"sv},
      {"lone 0xFF",
       "a\xFF"
       "b"sv,
       u"a\uFFFDb"sv},
      {"0xFF after a lead byte", "\xB1\xFF"sv, u"\uFFFD\uFFFD"sv},
      {"lead byte at the end", "A\xB1"sv, u"A\uFFFD"sv},
      {"lead byte then digit",
       "\xB1"
       "0"sv,
       u"\uFFFD"
       "0"sv},
      {"lead byte then DEL", "\xB1\x7F"sv, u"\uFFFD\x7F"sv},
      {"lead byte then space then code", "\xB1 \xB1\xB1"sv, u"\uFFFD \u5317"sv},
      {"user-defined code is one replacement",
       "\xAA\xA1"
       "x"sv,
       u"\uFFFDx"sv},
      {"unassigned code swallows its ascii trail",
       "\xA1\x40"
       "x"sv,
       u"\uFFFDx"sv},
      {"last two-byte code is unassigned", "\xFE\xFE"sv, u"\uFFFD"sv},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(decode(c.gbk), c.utf16) << c.name;
  }
}

TEST(GbkToUtf16, Appends) {
  std::u16string utf16 = u"x";
  gbkToUtf16(
      "\xB1\xB1"
      "y"sv,
      utf16);
  EXPECT_EQ(utf16, u"x\u5317y");
}

struct EncodeCase {
  const char* name;
  std::u16string_view utf16;
  std::optional<std::string_view> gbk;  // nothing: the conversion fails
};

TEST(Utf16ToGbk, EncodesCases) {
  const EncodeCase cases[] = {
      {"empty", u""sv, ""sv},
      {"ascii with NUL and DEL", u"Hi, 0~\0\x7F"sv, "Hi, 0~\0\x7F"sv},
      {"Beijing", u"\u5317\u4EAC"sv, "\xB1\xB1\xBE\xA9"sv},
      {"euro sign", u"\u20AC"sv, "\x80"sv},
      {"mixed",
       u"A\u5317"
       "1\u20AC\u00E9"sv,
       "A\xB1\xB1"
       "1\x80\xA8\xA6"sv},
      {"unpaired high surrogate",
       u"a\xD800"
       "b"sv,
       std::nullopt},
      {"unpaired high surrogate at the end", u"a\xDBFF"sv, std::nullopt},
      {"unpaired low surrogate", u"\xDC00"sv, std::nullopt},
      {"low then high surrogate", u"\xDC00\xD800"sv, std::nullopt},
      {"character outside the BMP", u"\U00020000"sv, std::nullopt},
      {"emoji after a mapped character", u"\u5317\U0001F600"sv, std::nullopt},
      {"absent: A with grave", u"\u00C0"sv, std::nullopt},
      {"absent: U+0080", u"\u0080"sv, std::nullopt},
      {"absent: katakana middle dot", u"\u30FB"sv, std::nullopt},
      {"absent: replacement character", u"\uFFFD"sv, std::nullopt},
      {"absent after mapped text", u"ok\u5317\u00C0"sv, std::nullopt},
  };
  for (const EncodeCase& c : cases) {
    const std::optional<std::string> got = encode(c.utf16);
    ASSERT_EQ(got.has_value(), c.gbk.has_value()) << c.name;
    if (got) {
      EXPECT_EQ(*got, *c.gbk) << c.name;
    }
  }
}

TEST(Utf16ToGbk, Appends) {
  std::string gbk = "x";
  EXPECT_TRUE(
      utf16ToGbk(u"\u4EAC"
                 "y"sv,
                 gbk));
  EXPECT_EQ(gbk,
            "x\xBE\xA9"
            "y");
}

TEST(GbkCodec, BeijingRoundTrips) {
  const std::optional<std::string> gbk = encode(u"\u5317\u4EAC");
  ASSERT_TRUE(gbk);
  EXPECT_EQ(decode(*gbk), u"\u5317\u4EAC");
}

// Every two-byte code that decodes to a character encodes back to itself, and
// so no two codes share a character.
TEST(GbkCodec, EveryDecodedCodeRoundTrips) {
  std::vector<std::string> mismatches;
  std::size_t characters = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (!isTrail(trail)) continue;
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string utf16 = decode(code);
      if (utf16.size() != 1) {
        mismatches.push_back(::testing::PrintToString(code) + " decodes to several units");
        continue;
      }
      if (utf16[0] == u'\uFFFD') continue;
      ++characters;
      if (encode(utf16) != code)
        mismatches.push_back(::testing::PrintToString(code) + " does not round-trip");
    }
  }
  EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " codes, first: " << mismatches.front();
  // GBK proper has 21791 characters; a table losing whole rows shows here.
  EXPECT_EQ(characters, 21791u);
}

#if MURLO_TEST_HAVE_ICONV

// iconv(3) converting whole short strings; the reference for every mapping.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }

  // The converted bytes, or nothing when iconv rejects any of `in`.
  std::optional<std::string> convert(std::string_view in) {
    constexpr std::size_t kFailed = static_cast<std::size_t>(-1);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string input(in);
    char out[16];
    char* inPtr = input.data();
    std::size_t inLeft = input.size();
    char* outPtr = out;
    std::size_t outLeft = sizeof out;
    if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == kFailed || inLeft != 0)
      return std::nullopt;
    if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == kFailed) return std::nullopt;
    return std::string(out, static_cast<std::size_t>(outPtr - out));
  }

 private:
  iconv_t cd_;
};

std::u16string fromUtf16Le(std::string_view bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return units;
}

std::string hexBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 0xF];
  }
  return hex;
}

std::string hexUnits(std::u16string_view units) {
  std::string hex;
  for (const char16_t u : units) {
    hex +=
        "U+" + hexBytes(std::string{static_cast<char>(u >> 8), static_cast<char>(u & 0xFF)}) + " ";
  }
  return hex;
}

// What iconv makes of `gbk` as UTF-16, or one U+FFFD when it rejects it.
std::u16string referenceOrReplacement(Iconv& decoder, std::string_view gbk) {
  const std::optional<std::string> ref = decoder.convert(gbk);
  return ref ? fromUtf16Le(*ref) : std::u16string(u"\uFFFD");
}

class GbkCodecAgainstIconv : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(MURLO_TEST_ICONV_MAY_LACK_CP936)
    // An emulated target's C library may come without its code-page modules.
    if (!decoder_.ok() || !encoder_.ok()) GTEST_SKIP() << "this target's iconv has no CP936";
#endif
    ASSERT_TRUE(decoder_.ok() && encoder_.ok())
        << "iconv cannot convert between CP936 and UTF-16LE";
  }

  void expectDecodes(std::string_view gbk, const std::u16string& expected) {
    const std::u16string got = decode(gbk);
    if (got != expected) {
      mismatches_.push_back(hexBytes(gbk) + ": expected " + hexUnits(expected) + "got " +
                            hexUnits(got));
    }
  }

  void TearDown() override {
    EXPECT_TRUE(mismatches_.empty())
        << mismatches_.size() << " mismatches, first: " << mismatches_.front();
  }

  Iconv decoder_{"UTF-16LE", "CP936"};
  Iconv encoder_{"CP936", "UTF-16LE"};
  std::vector<std::string> mismatches_;
};

TEST_F(GbkCodecAgainstIconv, DecodesEverySingleByte) {
  for (unsigned b = 0; b <= 0xFF; ++b) {
    const std::string byte(1, static_cast<char>(b));
    expectDecodes(byte, referenceOrReplacement(decoder_, byte));
  }
}

// Every lead byte followed by every byte: a trail makes one code (iconv's
// character, or one U+FFFD where iconv has none); any other byte leaves the
// lead as one U+FFFD and is decoded on its own.
TEST_F(GbkCodecAgainstIconv, DecodesEveryLeadWithEveryByte) {
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned second = 0; second <= 0xFF; ++second) {
      const std::string pair{static_cast<char>(lead), static_cast<char>(second)};
      if (isTrail(second)) {
        expectDecodes(pair, referenceOrReplacement(decoder_, pair));
      } else {
        EXPECT_FALSE(decoder_.convert(pair)) << hexBytes(pair) << " is a character to iconv";
        expectDecodes(pair, u"\uFFFD" + referenceOrReplacement(decoder_, pair.substr(1)));
      }
    }
  }
}

// Every BMP code unit alone, surrogates included: iconv's bytes, or failure
// exactly where iconv fails.
TEST_F(GbkCodecAgainstIconv, EncodesEveryBmpUnit) {
  for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const auto u = static_cast<char16_t>(unit);
    const std::optional<std::string> ref =
        encoder_.convert(std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)});
    const std::optional<std::string> got = encode(std::u16string_view(&u, 1));
    if (got != ref) {
      mismatches_.push_back(hexUnits(std::u16string_view(&u, 1)) + ": expected " +
                            (ref ? hexBytes(*ref) : "failure") + ", got " +
                            (got ? hexBytes(*got) : "failure"));
    }
  }
}

#else

TEST(GbkCodecAgainstIconv, Unavailable) { GTEST_SKIP() << "no iconv on this platform"; }

#endif  // MURLO_TEST_HAVE_ICONV

}  // namespace
}  // namespace murlo
