// The text boundary: UTF-16 <-> GBK (code page 936) and UTF-8 <-> UTF-16.
//
// The input is read both as GBK bytes and as UTF-16 code units (byte pairs,
// little-endian). Decoding GBK appends exactly gbkToUtf16Length units and
// never a surrogate; what encodes into GBK decodes back to the same units;
// decoded GBK encodes again wherever it has no replacement character, and
// reads back the same. UTF-8 and UTF-16 convert into each other and back
// unchanged when valid. The boundary's argument and result conversions agree
// with the codec.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "api/boundary.h"
#include "fuzz_support.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo {
namespace {

bool isSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

void checkGbkBytes(std::string_view gbk) {
  std::u16string units = u"prefix";
  gbkToUtf16(gbk, units);
  MURLO_FUZZ_CHECK(units.compare(0, 6, u"prefix") == 0);
  units.erase(0, 6);
  MURLO_FUZZ_CHECK(units.size() == gbkToUtf16Length(gbk));
  MURLO_FUZZ_CHECK(units.size() <= gbk.size());
  for (const char16_t unit : units) MURLO_FUZZ_CHECK(!isSurrogate(unit));

  if (units.find(u'\uFFFD') == std::u16string::npos) {
    std::string again;
    MURLO_FUZZ_CHECK(utf16ToGbk(units, again));
    std::u16string back;
    gbkToUtf16(again, back);
    MURLO_FUZZ_CHECK(back == units);
  }

  // Written straight into a buffer: the same units, its terminator, and not a
  // unit further.
  const Utf16Result result(gbk);
  MURLO_FUZZ_CHECK(result.needed() == units.size() + 1);
  std::vector<murlo_char16> buffer(result.needed() + 1, murlo_char16{0xAAAA});
  result.writeTo(buffer.data());
  MURLO_FUZZ_CHECK(std::equal(units.begin(), units.end(), buffer.begin()));
  MURLO_FUZZ_CHECK(buffer[units.size()] == 0 && buffer[units.size() + 1] == 0xAAAA);
}

void checkUtf16Units(std::u16string_view units) {
  std::string gbk = "prefix";
  const bool encoded = utf16ToGbk(units, gbk);
  MURLO_FUZZ_CHECK(gbk.compare(0, 6, "prefix") == 0);
  gbk.erase(0, 6);
  if (encoded) {
    MURLO_FUZZ_CHECK(gbk.size() <= 2 * units.size());
    std::u16string back;
    gbkToUtf16(gbk, back);
    MURLO_FUZZ_CHECK(back == units);
  }

  // The argument conversion reads up to the first zero unit.
  const std::u16string terminated(units.substr(0, units.find(u'\0')));
  const std::basic_string<murlo_char16> argument(terminated.begin(), terminated.end());
  MURLO_FUZZ_CHECK(argumentUnits(argument.c_str()) == terminated);
  std::string viaArgument;
  std::string viaCodec;
  const bool argumentConverted = argumentToGbk(argument.c_str(), viaArgument);
  const bool codecConverted = utf16ToGbk(terminated, viaCodec);
  MURLO_FUZZ_CHECK(argumentConverted == codecConverted);
  if (codecConverted) MURLO_FUZZ_CHECK(viaArgument == viaCodec);

  std::string utf8;
  if (utf16ToUtf8(units, utf8)) {
    std::u16string back;
    MURLO_FUZZ_CHECK(utf8ToUtf16(utf8, back));
    MURLO_FUZZ_CHECK(back == units);
  }
}

void checkUtf8Bytes(std::string_view utf8) {
  std::u16string units;
  if (!utf8ToUtf16(utf8, units)) return;
  std::string back;
  MURLO_FUZZ_CHECK(utf16ToUtf8(units, back));
  MURLO_FUZZ_CHECK(back == utf8);
}

}  // namespace
}  // namespace murlo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace murlo;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  checkGbkBytes(bytes);
  checkUtf8Bytes(bytes);
  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  checkUtf16Units(units);
  return 0;
}
