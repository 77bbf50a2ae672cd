// TimetableDb: the in-memory form of one database file.
//
// Four texts, two counts and five lists, exactly as the file's de-scrambled
// sections hold them. Nothing is parsed at load time: records stay fixed-width
// text (see records.h) and are decoded field by field when read, and the
// lists' entries are spans of the de-scrambled file itself. All text is GBK.
//
// The loader fills a TimetableDb; afterwards its tables are only read, and
// its whole-run line cache fills through atomic slots, so any number of
// threads may query one instance at the same time.
#ifndef MURLO_DB_TIMETABLE_DB_H_
#define MURLO_DB_TIMETABLE_DB_H_

#include <cstdint>
#include <memory>
#include <string>

#include "db/lookup_indexes.h"
#include "db/text_list.h"
#include "db/whole_run_lines.h"

namespace murlo {

struct TimetableDb {
  // One character per train: class code, fare-column code, fare-rate code.
  std::string trainClassCodes;
  std::string trainFareColumnCodes;
  std::string trainFareRateCodes;
  // The file's first ten bytes, ending earlier at a zero byte.
  std::string headerText;

  int32_t trainCount = 0;    // entries of trainNumbers
  int32_t stationCount = 0;  // entries of stationNames

  TextList stationNames;          // per station: name (at most 11 bytes)
  TextList stationAbbreviations;  // per station: ASCII abbreviation
  TextList trainNumbers;          // per train: numbers joined by "/"
  TextList stationCallLists;      // per station: 6-byte CallRecords
  TextList trainStopLists;        // per train: 16-byte StopRecords

  // Derived from the tables after loading (see lookup_indexes.h).
  LookupIndexes indexes;
  // Each train's whole-run line once a query has written it (see
  // present/whole_run_lines.h). Shared by copies; not part of equality, being
  // text the tables give.
  std::shared_ptr<const WholeRunLineCache> wholeRunLines;

  // The loaded file, de-scrambled, where the lists' entries lie (empty for
  // tables built in memory). Shared by copies; never changed once loaded.
  std::shared_ptr<const char[]> storage;

  // Tables are equal when their contents are, wherever the bytes lie.
  friend bool operator==(const TimetableDb& a, const TimetableDb& b) {
    return a.trainClassCodes == b.trainClassCodes &&
           a.trainFareColumnCodes == b.trainFareColumnCodes &&
           a.trainFareRateCodes == b.trainFareRateCodes && a.headerText == b.headerText &&
           a.trainCount == b.trainCount && a.stationCount == b.stationCount &&
           a.stationNames == b.stationNames && a.stationAbbreviations == b.stationAbbreviations &&
           a.trainNumbers == b.trainNumbers && a.stationCallLists == b.stationCallLists &&
           a.trainStopLists == b.trainStopLists && a.indexes == b.indexes;
  }
};

}  // namespace murlo

#endif  // MURLO_DB_TIMETABLE_DB_H_
