#include "fare/fare_columns.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace murlo {
namespace {

struct ColumnsCase {
  char classCode;
  signed char columnCode;
  char rateCode;
  int32_t distance;
  const char* text;
};

void expectColumns(const ColumnsCase& c) {
  EXPECT_EQ(buildFareColumns(c.classCode, c.columnCode, c.rateCode, c.distance), c.text)
      << "class " << c.classCode << " column " << int{c.columnCode} << " rate " << c.rateCode << " "
      << c.distance << " km";
}

TEST(FareColumns, ConventionalTariff) {
  const ColumnsCase cases[] = {
      {'3', 'F', 'D', 100, "   8|  15|  45|  68"},
      {'1', 'F', 'D', 100, "   9|  16|  46|  69"},
      {'6', 'F', 'D', 500, "  49|  76|  92| 140"},
      {'6', 'F', 'H', 500, "  58|  90| 108| 165"},
      {'2', '8', 'D', 300, "  28|  - |  - |  - "},
      {'3', 'E', 'D', 100, "   8|  15|  45|  - "},
      {'3', '1', 'D', 100, "  - |  - |  - |  68"},
      {'3', -1, 'D', 100, "   8|  15|  45|  68"},
      // 1.5, 2.5, 38.5 and 55.5: halves print away from zero.
      {'4', 'F', 'D', 10, "   2|   3|  39|  56"},
      {'4', 'F', 'D', -5, "   2|   3|  39|  56"},
      {'1', 'F', 'D', 200, "  17|  29|  54|  82"},
      {'1', 'F', 'D', 201, "  19|  30|  56|  83"},
      // The berth base of exactly 400 km below 400 km, the charged band's
      // from 400 km on.
      {'3', 'F', 'D', 399, "  28|  49|  65| 102"},
      {'3', 'F', 'D', 400, "  30|  52|  67| 106"},
      {'1', 'F', 'D', 400, "  35|  57|  72| 111"},
      // The rounded 20 % supplement doubled (0), not 40 % rounded (1).
      {'1', 'F', 'D', 25, "   3|   4|  40|  57"},
      // 1.05 held as a float (just below 1.05), not as a double.
      {'1', 'F', 'E', 430, "  38|  63|  79| 123"},
      // Unknown rate codes price at 1.00, unknown classes like class '3'.
      {'6', 'F', 'C', 500, "  49|  76|  92| 140"},
      {'6', 'F', 'Y', 500, "  49|  76|  92| 140"},
      {'6', 'F', static_cast<char>(0x80), 500, "  49|  76|  92| 140"},
      {'5', 'F', 'D', 100, "   8|  15|  45|  68"},
      {'Z', 'F', 'D', 100, "   8|  15|  45|  68"},
      {static_cast<char>(0xFF), 'F', 'D', 100, "   8|  15|  45|  68"},
      {'3', 'F', 'D', std::numeric_limits<int32_t>::max(), " 209| 378| 423| 719"},
  };
  for (const ColumnsCase& c : cases) expectColumns(c);
}

TEST(FareColumns, PerKilometreClasses) {
  const ColumnsCase cases[] = {
      {'0', '8', 'D', 100, "  31|  37|  - |  - "},
      {'0', 'F', 'D', 1, "  - |  - |  - |  - "},
      {'A', 'F', 'D', 120, "  58|  69|  - |  - "},
      // 57.4999... in double is 57.5 in single, which goes to even 58.
      {'A', 'F', 'D', 100, "  48|  58|  - |  - "},
      // 34.5 goes to the even 34, not up.
      {'A', 'F', 'D', 60, "  29|  34|  - |  - "},
      // Rates are double constants: as floats these give 1457 and 511.
      {'0', 'F', 'D', 3924, "1215|1458|  - |  - "},
      {'B', 'F', 'E', 660, " 320| 512|  - |  - "},
      {'B', 'F', 'D', 37, "  17|  28|  - |  - "},
      {'B', 'F', 'D', 38, "  18|  22|  - |  - "},
      {'B', 'F', 'E', 37, "  18|  29|  - |  - "},
      {'B', 'F', 'E', 63, "  31|  49|  - |  - "},
      {'B', 'F', 'E', 64, "  31|  50|  - |  - "},
      {'B', 'F', 'Y', 257, " 125| 199|  - |  - "},
      {'A', 'F', 'D', -100, " -48| -58|  - |  - "},
      {'0', 'F', 'D', std::numeric_limits<int32_t>::max(), "665123328|797644544|  - |  - "},
      {'B', 'F', 'E', std::numeric_limits<int32_t>::min(), "-1041529600|-1664299776|  - |  - "},
  };
  for (const ColumnsCase& c : cases) expectColumns(c);
}

// 64-bit FNV-1a over a sequence of texts.
class Digest {
 public:
  void add(const std::string& text) {
    for (const char ch : text) {
      hash_ = (hash_ ^ static_cast<unsigned char>(ch)) * 0x100000001b3ULL;
    }
  }
  uint64_t value() const { return hash_; }

 private:
  uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// Every distance a timetable can hold gives 19 characters, and the same
// texts with every compiler and optimisation level: the digest is of the
// texts as this library produces them. Conventional fares stop changing at
// the 4650 km maximum charged distance, so their sweep ends above it.
TEST(FareColumns, SweepIsFixedWidthAndReproducible) {
  const struct {
    const char* classCodes;
    const char* rateCodes;
    int32_t lastDistance;
  } sweeps[] = {
      {"0AB", "D", 9999},
      {"B", "E", 9999},
      {"123456789Z", "CDEHNX", 4700},
  };
  Digest digest;
  for (const auto& sweep : sweeps) {
    for (const char classCode : std::string(sweep.classCodes)) {
      for (const char rateCode : std::string(sweep.rateCodes)) {
        for (int32_t distance = 0; distance <= sweep.lastDistance; ++distance) {
          const std::string text = buildFareColumns(classCode, 'F', rateCode, distance);
          ASSERT_EQ(text.size(), 19u) << classCode << rateCode << distance;
          digest.add(text);
        }
      }
    }
  }
  EXPECT_EQ(digest.value(), 0xc0fe8c27f8298d09ULL);
}

}  // namespace
}  // namespace murlo
