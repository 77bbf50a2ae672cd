#include "db/crc32.h"

#include <array>
#include <cstddef>

// On x86-64 the bulk of the bytes is folded with the processor's carry-less
// multiply when it has one (asked once, at run time); everywhere else, and
// for what is left, the tables below serve.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <emmintrin.h>
#include <wmmintrin.h>
#define MURLO_CRC32_FOLDS 1
#endif

namespace murlo {
namespace {

// Sixteen bytes a step ("slicing by 16"): table k gives the CRC of a byte
// followed by k zero bytes.
constexpr std::size_t kSlice = 16;
using Tables = std::array<std::array<uint32_t, 256>, kSlice>;
constexpr Tables kTables = [] {
  Tables tables{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (uint32_t n = 0; n < 256; ++n) {
    for (std::size_t k = 1; k < kSlice; ++k)
      tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFFu];
  }
  return tables;
}();

// The CRC register `c` (not inverted) after `bytes`.
uint32_t bySlices(uint32_t c, std::string_view bytes) {
  const auto& t = kTables;
  const auto byte = [&bytes](std::size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]));
  };
  std::size_t i = 0;
  for (; i + kSlice <= bytes.size(); i += kSlice) {
    const uint32_t low = c ^ (byte(i) | byte(i + 1) << 8 | byte(i + 2) << 16 | byte(i + 3) << 24);
    c = t[15][low & 0xFFu] ^ t[14][(low >> 8) & 0xFFu] ^ t[13][(low >> 16) & 0xFFu] ^
        t[12][low >> 24];
    for (std::size_t k = 4; k < kSlice; ++k) c ^= t[kSlice - 1 - k][byte(i + k)];
  }
  for (; i < bytes.size(); ++i) c = t[0][(c ^ byte(i)) & 0xFFu] ^ (c >> 8);
  return c;
}

#ifdef MURLO_CRC32_FOLDS
// Folding: sixteen bytes x, as a polynomial, times x^(d) modulo the CRC's
// polynomial keep their remainder d bits further on, so x is multiplied
// across d bits (its halves by the two constants, each x^(d + 32) and
// x^(d - 32) modulo the polynomial, bit-reversed) and added to the bytes
// there. Four lanes fold 64 bytes a step, then into one, then 16 bytes a
// step; the sixteen bytes left have the CRC of all that went before.
__attribute__((target("pclmul,sse2"))) __m128i fold(__m128i x, __m128i by, __m128i onto) {
  return _mm_xor_si128(
      _mm_xor_si128(_mm_clmulepi64_si128(x, by, 0x00), _mm_clmulepi64_si128(x, by, 0x11)), onto);
}

__attribute__((target("pclmul,sse2"))) uint32_t byFolding(uint32_t c, std::string_view bytes) {
  constexpr std::size_t kLanes = 4;
  constexpr std::size_t kLane = 16;
  if (bytes.size() < kLanes * kLane) return bySlices(c, bytes);
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  const auto load = [](const char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  const __m128i across64 = _mm_set_epi64x(0x1C6E41596, 0x154442BD4);  // x^480, x^544
  const __m128i across16 = _mm_set_epi64x(0x0CCAA009E, 0x1751997D0);  // x^96, x^160
  __m128i lane[kLanes];
  for (std::size_t k = 0; k < kLanes; ++k) lane[k] = load(p + k * kLane);
  lane[0] = _mm_xor_si128(lane[0], _mm_cvtsi32_si128(static_cast<int>(c)));
  p += kLanes * kLane;
  left -= kLanes * kLane;
  for (; left >= kLanes * kLane; p += kLanes * kLane, left -= kLanes * kLane) {
    for (std::size_t k = 0; k < kLanes; ++k) lane[k] = fold(lane[k], across64, load(p + k * kLane));
  }
  __m128i x = lane[0];
  for (std::size_t k = 1; k < kLanes; ++k) x = fold(x, across16, lane[k]);
  for (; left >= kLane; p += kLane, left -= kLane) x = fold(x, across16, load(p));
  char folded[kLane];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(folded), x);
  return bySlices(bySlices(0, std::string_view(folded, kLane)), std::string_view(p, left));
}

bool canFold() {
  static const bool can = [] {
    __builtin_cpu_init();  // (in case this runs before the run-time's own start-up)
    return __builtin_cpu_supports("pclmul") != 0;
  }();
  return can;
}
#endif

}  // namespace

uint32_t crc32(std::string_view bytes) {
#ifdef MURLO_CRC32_FOLDS
  if (canFold()) return byFolding(0xFFFFFFFFu, bytes) ^ 0xFFFFFFFFu;
#endif
  return bySlices(0xFFFFFFFFu, bytes) ^ 0xFFFFFFFFu;
}

}  // namespace murlo
