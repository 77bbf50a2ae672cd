// Lookup indexes over the tables, derived after loading and never stored in
// the file. They answer "which station is called X" and "which stations have
// an abbreviation beginning with P" in logarithmic time, and "which trains run
// under number N" in constant time; every answer equals that of the plain
// scan it replaces.
#ifndef MURLO_DB_LOOKUP_INDEXES_H_
#define MURLO_DB_LOOKUP_INDEXES_H_

#include <cstdint>
#include <string_view>
#include <vector>

namespace murlo {

struct TimetableDb;

struct NumberToken {
  int32_t train;
  uint32_t begin;   // byte offset within the train's number entry
  uint32_t length;  // bytes
  friend bool operator==(const NumberToken&, const NumberToken&) = default;
};

struct LookupIndexes {
  // Station indexes ordered by (name, index): equal names in table order;
  // beside them the first eight bytes of each name as a big-endian number,
  // zero-padded, which orders names as their bytes do up to a tie.
  std::vector<int32_t> stationsByName;
  std::vector<uint64_t> nameKeys;
  // Station indexes ordered by (abbreviation, index), and their keys.
  std::vector<int32_t> stationsByAbbreviation;
  std::vector<uint64_t> abbreviationKeys;
  // Every "/"-separated number of every train, and a hash table over them
  // (open addressing, linear probing): each slot holds a position in
  // `numbers` plus one, or 0 when free. Its size is a power of two.
  std::vector<NumberToken> numbers;
  std::vector<uint32_t> numberSlots;
  std::size_t trainsIndexed = 0;  // trainNumbers entries that `numbers` covers

  friend bool operator==(const LookupIndexes&, const LookupIndexes&) = default;
};

// Builds `db.indexes` from its tables. May throw std::bad_alloc.
void buildLookupIndexes(TimetableDb& db);

// Whether `db.indexes` were built for the tables as they stand (tables built
// by hand in memory may have none; the queries then scan).
bool lookupIndexesCurrent(const TimetableDb& db);

// The first station index whose name equals `name` byte for byte, or -1.
int32_t findStation(const TimetableDb& db, std::string_view name);

// The indexes of the stations whose abbreviation begins with `prefix`, in
// ascending order.
std::vector<int32_t> stationsWithAbbreviationPrefix(const TimetableDb& db, std::string_view prefix);

// Appends to `trains` every train that has `number` among its "/"-separated
// numbers (unordered, possibly repeated).
// REQUIRES: lookupIndexesCurrent(db); `number` holds no "/".
void appendTrainsWithNumber(const TimetableDb& db, std::string_view number,
                            std::vector<int32_t>& trains);

}  // namespace murlo

#endif  // MURLO_DB_LOOKUP_INDEXES_H_
