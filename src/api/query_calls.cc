#include "api/query_calls.h"

#include <memory>
#include <string>

#include "api/boundary.h"
#include "api/current_db.h"
#include "api/native_path.h"
#include "query/boards.h"
#include "query/direct_trains.h"
#include "query/journey_planner.h"
#include "query/loaded_database.h"
#include "query/query_status.h"
#include "query/station_list.h"
#include "query/station_lookup.h"
#include "query/train_stop_list.h"
#include "query/trains_at_station.h"
#include "query/trains_by_number.h"

namespace murlo {
namespace {

// The negative code murloppc.h gives a query's status: -1 for the one
// station or the origin no station has the name of, -2 for the destination,
// -3 for two equal names, MURLO_INVALID_ARGUMENT for a number outside its
// range. The same in every function that can give the status.
constexpr int32_t codeOf(QueryStatus status) {
  switch (status) {
    case QueryStatus::kUnknownStation: return -1;
    case QueryStatus::kUnknownOrigin: return -1;
    case QueryStatus::kUnknownDestination: return -2;
    case QueryStatus::kSameStation: return -3;
    case QueryStatus::kArgumentOutOfRange: return MURLO_INVALID_ARGUMENT;
    case QueryStatus::kDateOutsidePeriod: return MURLO_INVALID_ARGUMENT;  // asked with no date
    case QueryStatus::kOk: break;
  }
  return 0;  // kOk has no code: the answer's count is returned
}
static_assert(codeOf(QueryStatus::kArgumentOutOfRange) == MURLO_INVALID_ARGUMENT);

// Whether `text` may be written to `out`: a buffer that surely holds it, or
// one whose capacity holds the counted size (reported to the caller), or no
// buffer where the caller states no capacity (the legacy exports).
template <typename Text>
bool fits(const Output& out, const Text& text) {
  if (out.buffer != nullptr && text.surelyFits(out.capacity)) return true;
  if (out.needed != nullptr) *out.needed = text.needed();
  return out.buffer == nullptr ? out.capacity == kUnlimited : out.capacity >= text.needed();
}

// Writes `text` where it fits and reports its size.
template <typename Text>
void write(const Output& out, const Text& text) {
  const std::size_t written = text.writeTo(out.buffer);
  if (out.needed != nullptr) *out.needed = written;
}

// Writes an answer's text and returns its count, or refuses the whole answer
// when it does not fit. An answer with a status other than kOk writes nothing
// and returns the status's code.
int32_t deliver(const QueryResult& result, Output out) {
  if (result.status != QueryStatus::kOk) return codeOf(result.status);
  const Utf16Result text(result.text);
  if (!fits(out, text)) return MURLO_BUFFER_TOO_SMALL;
  write(out, text);
  return result.count;
}

int32_t deliver(const Utf16Answer& result, Output out) {
  if (result.status != QueryStatus::kOk) return codeOf(result.status);
  const Utf16PiecesResult text(result);
  if (!fits(out, text)) return MURLO_BUFFER_TOO_SMALL;
  write(out, text);
  return result.count;
}

// The database an answer is read from: the sections alone for the seven
// operations, the network view for the others.
const LoadedDatabase& viewFor(const LoadedDatabase& db, const Output& out) {
  return out.sectionsOnly ? db : db.network();
}

// Runs `work`; any exception (in practice only exhausted memory) becomes
// MURLO_OUT_OF_MEMORY with nothing written.
template <typename Work>
int32_t guarded(Work&& work) noexcept {
  try {
    return work();
  } catch (...) {
    return MURLO_OUT_OF_MEMORY;
  }
}

// Converts the two station names of a direct-train or journey question and
// runs `answer(db, from, to)`. The names are tested first, as the direct-train
// export always has: equal texts (even ones that do not convert), then the
// origin, then the destination.
template <typename Answer>
int32_t withStationPair(const murlo_char16* origin, const murlo_char16* destination, Output out,
                        Answer&& answer) {
  if (argumentUnits(origin) == argumentUnits(destination)) {
    return codeOf(QueryStatus::kSameStation);
  }
  std::string from;
  std::string to;
  if (!argumentToGbk(origin, from)) return codeOf(QueryStatus::kUnknownOrigin);
  const std::shared_ptr<const LoadedDatabase> db = currentDb();
  if (!argumentToGbk(destination, to)) {
    return codeOf(db->findStation(from) ? QueryStatus::kUnknownDestination
                                        : QueryStatus::kUnknownOrigin);
  }
  return deliver(answer(viewFor(*db, out), from, to), out);
}

}  // namespace

int32_t callLoadDatabase(const murlo_char16* path) noexcept {
  try {
    NativePath nativePath;
    if (path == nullptr || !toNativePath(argumentUnits(path), nativePath)) {
      return static_cast<int32_t>(LoadResult::kCannotOpen);
    }
    std::shared_ptr<const LoadedDatabase> fresh;
    const LoadResult result = loadDatabase(nativePath, fresh);
    if (result == LoadResult::kLoaded) replaceCurrentDb(std::move(fresh));
    return static_cast<int32_t>(result);
  } catch (...) {
    return static_cast<int32_t>(LoadResult::kFailed);
  }
}

int32_t callHeaderText(Output out) noexcept {
  return guarded([&] {
    return deliver(QueryResult{.count = 1, .text = currentDb()->tables().headerText()}, out);
  });
}

int32_t callFindStations(const murlo_char16* abbreviation, Output out) noexcept {
  return guarded([&] {
    const std::u16string units = argumentUnits(abbreviation);
    std::string gbk;
    // Each abbreviation is compared on as many bytes as the input has UTF-16
    // units, so an input whose GBK form is longer (any non-ASCII character)
    // can match nothing.
    if (!argumentToGbk(abbreviation, gbk) || gbk.size() != units.size()) {
      return deliver(QueryResult{}, out);
    }
    const std::shared_ptr<const LoadedDatabase> db = currentDb();  // the names are its
    return deliver(stationsByAbbreviation(viewFor(*db, out), gbk), out);
  });
}

int32_t callStationList(Output out) noexcept {
  return guarded([&] {
    const std::shared_ptr<const LoadedDatabase> db = currentDb();
    return deliver(stationList(viewFor(*db, out)), out);
  });
}

int32_t callTrainsAtStation(const murlo_char16* station, Output out) noexcept {
  return guarded([&] {
    std::string gbk;
    if (!argumentToGbk(station, gbk)) return codeOf(QueryStatus::kUnknownStation);
    const std::shared_ptr<const LoadedDatabase> db = currentDb();  // the lines are its
    return deliver(trainsAtStation(viewFor(*db, out), gbk), out);
  });
}

int32_t callDirectTrains(const murlo_char16* origin, const murlo_char16* destination, int32_t mode,
                         Output out) noexcept {
  return guarded([&] {
    return withStationPair(origin, destination, out,
                           [&](const LoadedDatabase& db, const std::string& from,
                               const std::string& to) { return directTrains(db, from, to, mode); });
  });
}

int32_t callTrainStops(uint32_t trainIndex, const murlo_char16* boarding,
                       const murlo_char16* alighting, Output stopList, Output runTime) noexcept {
  return guarded([&] {
    // A name that does not convert matches no stop: an empty name never does.
    std::string from;
    std::string to;
    if (!argumentToGbk(boarding, from)) from.clear();
    if (!argumentToGbk(alighting, to)) to.clear();
    const std::shared_ptr<const LoadedDatabase> db = currentDb();
    // Indexes beyond the four digits of a record name no train.
    const StopListResult result =
        trainIndex <= uint32_t{INT32_MAX}
            ? trainStopList(viewFor(*db, stopList), TrainIndex(static_cast<int32_t>(trainIndex)),
                            from, to)
            : StopListResult{};
    const Utf16Result stops(result.stopList);
    const Utf16Result time(result.runTime);
    const bool stopsFit = fits(stopList, stops);
    const bool timeFits = fits(runTime, time);
    if (!stopsFit || !timeFits) {
      // Both sizes are reported, the one that surely fit too.
      if (stopList.needed != nullptr) *stopList.needed = stops.needed();
      if (runTime.needed != nullptr) *runTime.needed = time.needed();
      return MURLO_BUFFER_TOO_SMALL;
    }
    write(stopList, stops);
    write(runTime, time);
    return result.stops;
  });
}

int32_t callDepartures(const murlo_char16* station, int32_t afterMinute, int32_t limit,
                       Output out) noexcept {
  return guarded([&] {
    if (!validBoardArguments(afterMinute, limit)) return codeOf(QueryStatus::kArgumentOutOfRange);
    std::string gbk;
    if (!argumentToGbk(station, gbk)) return codeOf(QueryStatus::kUnknownStation);
    const std::shared_ptr<const LoadedDatabase> db = currentDb();
    return deliver(departureBoard(viewFor(*db, out), gbk, afterMinute, limit), out);
  });
}

int32_t callArrivals(const murlo_char16* station, int32_t afterMinute, int32_t limit,
                     Output out) noexcept {
  return guarded([&] {
    if (!validBoardArguments(afterMinute, limit)) return codeOf(QueryStatus::kArgumentOutOfRange);
    std::string gbk;
    if (!argumentToGbk(station, gbk)) return codeOf(QueryStatus::kUnknownStation);
    const std::shared_ptr<const LoadedDatabase> db = currentDb();
    return deliver(arrivalBoard(viewFor(*db, out), gbk, afterMinute, limit), out);
  });
}

int32_t callPlanJourneys(const murlo_char16* origin, const murlo_char16* destination,
                         int32_t afterMinute, int32_t maxChanges, int32_t minChangeMinutes,
                         int32_t limit, Output out) noexcept {
  return guarded([&] {
    const JourneyRequest request{afterMinute, maxChanges, minChangeMinutes, limit};
    if (!request.valid()) return codeOf(QueryStatus::kArgumentOutOfRange);
    // Then the names, as the direct-train query tests them.
    return withStationPair(
        origin, destination, out,
        [&](const LoadedDatabase& db, const std::string& from, const std::string& to) {
          return planJourneys(db, from, to, request);
        });
  });
}

int32_t callTrainsByNumber(const murlo_char16* number, Output out) noexcept {
  return guarded([&] {
    std::string gbk;
    if (!argumentToGbk(number, gbk)) return deliver(QueryResult{}, out);
    const std::shared_ptr<const LoadedDatabase> db = currentDb();  // the lines are its
    return deliver(trainsByNumber(viewFor(*db, out), gbk), out);
  });
}

}  // namespace murlo
