// The loader on arbitrary bytes, and on valid files mutated section by section
// (see mutateDatabaseFile).
//
// Whatever the bytes, the tables that come out must be what the loader
// promises: counts that follow the lists, no empty token and none holding its
// separator, a header of at most ten bytes without a zero byte, lookup
// indexes that answer as the plain scans do, and tables that the writer packs
// back into a file that loads into the same tables. Every record is read
// field by field, as the queries read them, so that a field the readers
// cannot take shows under the sanitizers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "db/day_rollover.h"
#include "db/loader.h"
#include "db/records.h"
#include "db/writer.h"
#include "fuzz_support.h"
#include "query/lookup_indexes.h"
#include "support/reference_lookups.h"

namespace murlo {
namespace {

void checkTokens(const TextList& list, char separator) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    MURLO_FUZZ_CHECK(!list[i].empty());
    MURLO_FUZZ_CHECK(list[i].find(separator) == std::string_view::npos);
    MURLO_FUZZ_CHECK(list[i].find('\0') == std::string_view::npos);
  }
}

void readEveryRecord(const TimetableDb& db) {
  for (std::size_t t = 0; t < db.lists().trainStopLists.size(); ++t) {
    const StopList stops(db.lists().trainStopLists[t]);
    int64_t sum = 0;
    for (StopPosition k(0); stops.holds(k); ++k) {
      const StopRecord stop = stops[k];
      sum += stop.stationIndex().value() + stop.arrivalMinutes() + stop.departureMinutes() +
             stop.distanceKm();
    }
    if (stops.size() >= 2) sum += journeyMinutes(stops, StopPosition(0), stops.last());
    MURLO_FUZZ_CHECK(formatHoursMinutes(sum).find(':') != std::string::npos);
  }
  for (std::size_t s = 0; s < db.lists().stationCallLists.size(); ++s) {
    const CallList calls(db.lists().stationCallLists[s]);
    for (int32_t j = 0; j < calls.size(); ++j) {
      const int32_t train = calls[j].trainIndex().value();
      const int32_t stop = calls[j].stopPosition().value();
      MURLO_FUZZ_CHECK(train >= -999 && train <= 9999);
      MURLO_FUZZ_CHECK(stop >= -9 && stop <= 99);
    }
  }
}

// The indexed lookups against the plain scans of the same tables.
void checkIndexes(const TimetableDb& db) {
  const LookupIndexes indexes(db);
  const std::size_t probes = std::min<std::size_t>(db.lists().stationNames.size(), 64);
  for (std::size_t s = 0; s < probes; ++s) {
    const std::string_view name = db.lists().stationNames[s];
    const std::optional<StationIndex> found = indexes.findStation(db, name);
    MURLO_FUZZ_CHECK(found == test::findStationByScan(db, name));
    MURLO_FUZZ_CHECK(found && found->slot() <= s);
    MURLO_FUZZ_CHECK(indexes.firstWithSameName(StationIndex(static_cast<int32_t>(s))) == *found);
    const std::string_view abbreviation = db.lists().stationAbbreviations.at_or_empty(s);
    for (std::size_t n = 0; n <= std::min<std::size_t>(abbreviation.size(), 3); ++n) {
      const std::string_view prefix = abbreviation.substr(0, n);
      MURLO_FUZZ_CHECK(indexes.stationsWithAbbreviationPrefix(db, prefix) ==
                       test::stationsWithPrefixByScan(db, prefix));
    }
  }
  // Numbers as typed: whole, without their first letter, without their last.
  const std::size_t trains = std::min<std::size_t>(db.lists().trainNumbers.size(), 64);
  for (std::size_t t = 0; t < trains; ++t) {
    const std::string_view entry = db.lists().trainNumbers[t];
    const std::string_view first = entry.substr(0, entry.find('/'));
    for (const std::string_view typed :
         {first, first.substr(std::min<std::size_t>(first.size(), 1)),
          first.substr(0, first.empty() ? 0 : first.size() - 1)}) {
      if (typed.empty()) continue;
      MURLO_FUZZ_CHECK(indexes.trainsWithNumberForms(db, typed) ==
                       test::trainsWithNumberByScan(db, typed));
    }
  }
}

// Tables the writer accepts pack into a file that loads back into them.
void checkRoundTrip(const TimetableDb& db) {
  PlainSections plain;
  if (plainSectionsOf(db, plain)) {
    // Only an odd section 5 (a name without abbreviation) is refused.
    MURLO_FUZZ_CHECK(db.lists().stationNames.size() == db.lists().stationAbbreviations.size() + 1);
    return;
  }
  std::string file;
  MURLO_FUZZ_CHECK(!packDatabase(plain, file));
  const TimetableDb again = parseDatabase(std::span<char>(file.data(), file.size()));
  MURLO_FUZZ_CHECK(again == db);
}

}  // namespace
}  // namespace murlo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace murlo;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const TimetableDb db = parseDatabase(std::span<char>(bytes.data(), bytes.size()));

  MURLO_FUZZ_CHECK(db.lists().headerText.size() <= kHeaderSize);
  MURLO_FUZZ_CHECK(db.lists().headerText.find('\0') == std::string::npos);
  MURLO_FUZZ_CHECK(db.trainCount() == static_cast<int32_t>(db.lists().trainNumbers.size()));
  MURLO_FUZZ_CHECK(db.stationCount() == static_cast<int32_t>(db.lists().stationNames.size()));
  MURLO_FUZZ_CHECK(db.lists().stationAbbreviations.size() == db.lists().stationNames.size() ||
                   db.lists().stationAbbreviations.size() + 1 == db.lists().stationNames.size());
  for (const std::string* codes : {&db.lists().trainClassCodes, &db.lists().trainFareColumnCodes,
                                   &db.lists().trainFareRateCodes}) {
    MURLO_FUZZ_CHECK(codes->find('\0') == std::string::npos);
    MURLO_FUZZ_CHECK(codes->find('%') == std::string::npos);
  }
  checkTokens(db.lists().trainNumbers, 'O');
  checkTokens(db.lists().stationNames, ' ');
  checkTokens(db.lists().stationAbbreviations, ' ');
  checkTokens(db.lists().stationCallLists, 'O');
  checkTokens(db.lists().trainStopLists, 'O');
  readEveryRecord(db);
  checkIndexes(db);
  checkRoundTrip(db);
  return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  return murlo::fuzz::mutateDatabaseFile(data, size, maxSize, seed);
}
