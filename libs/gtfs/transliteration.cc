#include "gtfs/transliteration.h"

namespace murlo::gtfs {
namespace {

// U+00C0 to U+00FF.
constexpr const char* kLatin1[64] = {
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I",  "I",
    "D", "N", "O", "O", "O", "O", "O",  "x", "O", "U", "U", "U", "U", "Y", "Th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "/", "o", "u", "u", "u", "u", "y", "th", "y"};

// U+0100 to U+017F.
constexpr const char* kLatinExtendedA[128] = {
    "A", "a", "A",  "a",  "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",
    "D", "d", "E",  "e",  "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",
    "G", "g", "G",  "g",  "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",
    "I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",
    "l", "L", "l",  "N",  "n", "N", "n", "N", "n", "n", "N", "n", "O", "o", "O", "o",
    "O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",
    "S", "s", "T",  "t",  "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",
    "U", "u", "U",  "u",  "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s"};

struct Other {
  char32_t point;
  const char* text;
};
constexpr Other kOthers[] = {
    {0x0218, "S"},   {0x0219, "s"},   {0x021A, "T"},  {0x021B, "t"},   {0x1E9E, "SS"},
    {0x2010, "-"},   {0x2011, "-"},   {0x2012, "-"},  {0x2013, "-"},   {0x2014, "-"},
    {0x2015, "-"},   {0x2018, "'"},   {0x2019, "'"},  {0x201A, "'"},   {0x201B, "'"},
    {0x201C, "'"},   {0x201D, "'"},   {0x201E, "'"},  {0x2026, "..."}, {0x2022, "-"},
    {0x00B4, "'"},   {0x00AB, "'"},   {0x00BB, "'"},  {0x2039, "'"},   {0x203A, "'"},
    {0x00A9, "(C)"}, {0x00AE, "(R)"}, {0x2122, "TM"}, {0x00BD, "1/2"}, {0x00BC, "1/4"},
    {0x00BE, "3/4"},
};

}  // namespace

std::string_view transliterate(char32_t point) {
  if (point >= 0xC0 && point <= 0xFF) return kLatin1[point - 0xC0];
  if (point >= 0x100 && point <= 0x17F) return kLatinExtendedA[point - 0x100];
  for (const Other& other : kOthers) {
    if (other.point == point) return other.text;
  }
  return "";
}

}  // namespace murlo::gtfs
