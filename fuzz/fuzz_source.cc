// The source compiler of murlo build on arbitrary text.
//
// A source is either refused with diagnostics in line order, each naming a
// line of the text, or it compiles into a file that keeps every invariant of
// the tables. A compiled file, extension included, dumps back into source
// without warnings, and that source builds into the same file byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/loader.h"
#include "db/records.h"
#include "fuzz_support.h"
#include "timetable_source/timetable_source.h"

namespace murlo {
namespace {

// Invariants 1 to 7 of the tables, as a file from a valid source holds them.
void checkInvariants(const TimetableDb& db) {
  const auto trains = static_cast<std::size_t>(db.trainCount());
  const auto stations = static_cast<std::size_t>(db.stationCount());
  MURLO_FUZZ_CHECK(db.lists().trainClassCodes.size() == trains);
  MURLO_FUZZ_CHECK(db.lists().trainFareColumnCodes.size() == trains);
  MURLO_FUZZ_CHECK(db.lists().trainFareRateCodes.size() == trains);
  MURLO_FUZZ_CHECK(db.lists().trainStopLists.size() == trains);
  MURLO_FUZZ_CHECK(db.lists().stationAbbreviations.size() == stations);
  // The last stations lack a call list when only restricted calls, which
  // the sections leave out, serve them.
  MURLO_FUZZ_CHECK(db.lists().stationCallLists.size() <= stations);
  MURLO_FUZZ_CHECK(trains <= kMaxTrains && stations <= kMaxStations);

  std::vector<std::string> calls(stations);
  for (std::size_t t = 0; t < trains; ++t) {
    MURLO_FUZZ_CHECK(db.lists().trainStopLists[t].size() % kStopRecordSize == 0);
    const StopList stops(db.lists().trainStopLists[t]);
    MURLO_FUZZ_CHECK(stops.size() >= 2 && stops.size() <= 100);
    for (StopPosition k(0); stops.holds(k); ++k) {
      const int32_t station = stops[k].stationIndex().value();
      MURLO_FUZZ_CHECK(station >= 0 && static_cast<std::size_t>(station) < stations);
      MURLO_FUZZ_CHECK(k == StopPosition(0) ||
                       stops[k].distanceKm() >= stops[StopPosition(k.value() - 1)].distanceKm());
      calls[static_cast<std::size_t>(station)] += callRecord(static_cast<int32_t>(t), k.value());
    }
  }
  // Call lists are exactly the stops, in ascending train order.
  for (std::size_t s = 0; s < stations; ++s) {
    MURLO_FUZZ_CHECK(!db.lists().stationNames[s].empty() &&
                     !db.lists().stationAbbreviations[s].empty());
    MURLO_FUZZ_CHECK(db.lists().stationCallLists.at_or_empty(s) == calls[s]);
  }
}

}  // namespace
}  // namespace murlo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace murlo;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  source::Timetable timetable;
  const std::vector<source::Diagnostic> errors = source::parseSource(text, timetable);
  if (!errors.empty()) {
    const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    for (std::size_t i = 0; i < errors.size(); ++i) {
      MURLO_FUZZ_CHECK(errors[i].line >= 0 && errors[i].line <= lines);
      MURLO_FUZZ_CHECK(i == 0 || errors[i - 1].line <= errors[i].line);
      MURLO_FUZZ_CHECK(!errors[i].message.empty());
    }
    return 0;
  }

  std::string file;
  MURLO_FUZZ_CHECK(!source::compileTimetable(timetable, file));
  std::string bytes = file;
  const ParsedFile parsed = parseDatabaseFile(std::span<char>(bytes.data(), bytes.size()));
  MURLO_FUZZ_CHECK(parsed.extension.state != ExtensionState::kDamaged);
  const TimetableDb& db = parsed.tables;
  MURLO_FUZZ_CHECK(db.stationCount() == static_cast<int32_t>(timetable.stations.size()));
  MURLO_FUZZ_CHECK(db.trainCount() == static_cast<int32_t>(timetable.trains.size()));
  checkInvariants(db);

  std::vector<std::string> warnings;
  const std::string dumped = source::dumpSource(db.lists(), parsed.extension.extension, warnings);
  MURLO_FUZZ_CHECK(warnings.empty());
  source::Timetable again;
  MURLO_FUZZ_CHECK(source::parseSource(dumped, again).empty());
  std::string rebuilt;
  MURLO_FUZZ_CHECK(!source::compileTimetable(again, rebuilt));
  MURLO_FUZZ_CHECK(rebuilt == file);
  return 0;
}
