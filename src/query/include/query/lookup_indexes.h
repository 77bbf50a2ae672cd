// Lookup indexes over the tables, made the first time a question needs them
// and never stored in the file: the stations' names at once, the
// abbreviations and the train numbers each the first time one is asked
// for (once, by whichever thread asks first). They answer "which station is called X" and "which
// stations have an abbreviation beginning with P" in logarithmic time, "which
// trains run under a form of number Q" (number_forms.h) with one probe, and
// "which station first
// bears this station's name"; every answer equals that of the plain scan it
// replaces (tests/support/reference_queries.h holds those scans).
#ifndef MURLO_QUERY_LOOKUP_INDEXES_H_
#define MURLO_QUERY_LOOKUP_INDEXES_H_

#include <cstdint>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "db/indexes.h"
#include "db/timetable_db.h"

namespace murlo {

class LookupIndexes {
 public:
  // May throw std::bad_alloc. Every call below must pass the same `db`.
  explicit LookupIndexes(const TimetableDb& db);
  LookupIndexes(const LookupIndexes&) = delete;
  LookupIndexes& operator=(const LookupIndexes&) = delete;

  // The first station whose name equals `name` byte for byte.
  std::optional<StationIndex> findStation(const TimetableDb& db, std::string_view name) const;

  // The stations with a name whose abbreviation begins with `prefix`, in
  // ascending order. May throw std::bad_alloc.
  std::vector<StationIndex> stationsWithAbbreviationPrefix(const TimetableDb& db,
                                                           std::string_view prefix) const;

  // Every train with a "/"-separated number that is one of the 27 forms of
  // `q`, in ascending order; none for an empty `q`.
  // REQUIRES: `q` holds no "/". May throw std::bad_alloc, and
  // std::length_error for a table of more than two billion train numbers.
  std::vector<TrainIndex> trainsWithNumberForms(const TimetableDb& db, std::string_view q) const;

  // The first station that bears the name of station `s`.
  // REQUIRES: db.stationName(s) exists.
  StationIndex firstWithSameName(StationIndex s) const {
    return StationIndex(firstWithName_[s.slot()]);
  }

 private:
  // A Q under which a train is filed: bytes [begin, begin + length) of its
  // number entry.
  struct NumberKey {
    int32_t train;
    uint32_t begin;
    uint32_t length;
  };
  static std::string_view keyText(const TableLists& lists, const NumberKey& key);
  void makeAbbreviations(const TimetableDb& db) const;
  void makeNumbers(const TimetableDb& db) const;

  // Station indexes ordered by (name, index): equal names in table order;
  // beside them the first eight bytes of each name as a big-endian number,
  // zero-padded, which orders names as their bytes do up to a tie.
  std::vector<int32_t> stationsByName_;
  std::vector<uint64_t> nameKeys_;
  // By station: the first station with the same name.
  std::vector<int32_t> firstWithName_;
  // Station indexes ordered by (abbreviation, index), and their keys;
  // made on first use.
  mutable std::once_flag abbreviationsMade_;
  mutable std::vector<int32_t> stationsByAbbreviation_;
  mutable std::vector<uint64_t> abbreviationKeys_;
  // Every Q of which a number of a train is a form, and a hash table over
  // them (open addressing, linear probing): each slot holds a position in
  // `numberKeys_` plus one, or 0 when free. Its size is a power of two.
  // Made on first use.
  mutable std::once_flag numbersMade_;
  mutable std::vector<NumberKey> numberKeys_;
  mutable std::vector<uint32_t> numberSlots_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_LOOKUP_INDEXES_H_
