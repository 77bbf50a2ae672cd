// Finding and de-scrambling the sections of a database file.
#ifndef MURLO_DB_SECTIONS_H_
#define MURLO_DB_SECTIONS_H_

#include <array>
#include <span>
#include <string_view>

#include "db/file_format.h"
#include "db/timetable_db.h"

namespace murlo {

// The plain texts of one file. The views point into the de-scrambled file.
struct SectionTexts {
  // The first ten bytes, ending earlier at a zero byte (fewer for a shorter
  // file). Never transformed: a '%' here is header text.
  std::string_view header;
  // Section i + 1, exactly as stored between its terminators once
  // de-scrambled (a zero byte inside is kept). Only the first `terminated`
  // entries are meaningful: a section without its '%' is not processed.
  std::array<std::string_view, kSectionCount> sections{};
  int terminated = 0;
  // The bytes after the seventh terminator, untransformed: where an
  // extension lies (extension_format.h). Empty unless all seven are there.
  std::string_view trailer;
};

// De-scrambles `file` in place, one pass, and finds its sections: each byte is
// transformed first and then tested for '%'. Bytes after the seventh '%' are
// ignored and left as they are.
SectionTexts descrambleSections(std::span<char> file);

// Which table each section fills: sections 1 to 3 a code text, 4, 6 and 7 a
// list; section 5 fills two lists (names and abbreviations alternate), so it
// has neither and its readers treat it on its own.
constexpr std::string TableLists::*codeTextOf(Section section) {
  switch (section) {
    case Section::kClassCodes: return &TableLists::trainClassCodes;
    case Section::kFareColumnCodes: return &TableLists::trainFareColumnCodes;
    case Section::kFareRateCodes: return &TableLists::trainFareRateCodes;
    default: return nullptr;
  }
}
constexpr TextList TableLists::*listOf(Section section) {
  switch (section) {
    case Section::kTrainNumbers: return &TableLists::trainNumbers;
    case Section::kCallLists: return &TableLists::stationCallLists;
    case Section::kStopLists: return &TableLists::trainStopLists;
    default: return nullptr;
  }
}

}  // namespace murlo

#endif  // MURLO_DB_SECTIONS_H_
