// A fuzzed database driven through every C export with fuzzed arguments.
//
// Input: two bytes (little-endian) giving the length L of a query script,
// L bytes of script, then the database file. The file is loaded and made the
// process's database; the script then picks exports and their arguments:
// UTF-16 names taken from the tables, cut, changed or made up, train indexes
// inside and outside the tables, any mode, minutes, limits and numbers of
// changes inside and outside their ranges.
//
// Every call is checked against the contract of murloppc.h: a size query, an
// exact buffer, a buffer one unit short and the unsized export must agree;
// negative results and refused buffers leave the caller's units as they
// were; nothing is written past a capacity; a count equals the lines of its
// text. The queries are also run on the same tables with no whole-run line
// kept yet (and no board or trains' runs made), which must give the same
// answers as the lines kept; a limited plan gives the first journeys of the
// whole day's. The same bytes are also opened as a database handle and each
// question asked of it as a structured question: every answer is freed, and
// (where the arguments are valid UTF-16, so that their UTF-8 form is the same
// text) its count or status is the text export's result.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "api/boundary.h"
#include "api/current_db.h"
#include "db/loader.h"
#include "db/records.h"
#include "fuzz_support.h"
#include "murloppc.h"
#include "query/boards.h"
#include "query/direct_trains.h"
#include "query/journey_planner.h"
#include "query/loaded_database.h"
#include "query/station_lookup.h"
#include "query/train_stop_list.h"
#include "query/trains_at_station.h"
#include "query/trains_by_number.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo {
namespace {

using Text16 = std::basic_string<murlo_char16>;

constexpr murlo_char16 kUnwritten = 0x7E7E;
constexpr std::size_t kGuard = 8;  // units after a capacity that must stay unwritten
constexpr int kMaxCalls = 48;

// A caller's buffer of `capacity` units and a guard behind it, all marked.
class Buffer {
 public:
  explicit Buffer(std::size_t capacity) : units_(capacity + kGuard, kUnwritten) {}
  murlo_char16* data() { return units_.data(); }
  bool untouched() const {
    return std::all_of(units_.begin(), units_.end(),
                       [](murlo_char16 u) { return u == kUnwritten; });
  }
  bool guardIntact(std::size_t capacity) const {
    return std::all_of(units_.begin() + static_cast<std::ptrdiff_t>(capacity), units_.end(),
                       [](murlo_char16 u) { return u == kUnwritten; });
  }
  // The text written, which must end at unit `length`.
  Text16 text(std::size_t length) const {
    MURLO_FUZZ_CHECK(units_[length] == 0);
    const Text16 written(units_.data(), length);
    MURLO_FUZZ_CHECK(written.find(murlo_char16{0}) == Text16::npos);
    return written;
  }

 private:
  std::vector<murlo_char16> units_;
};

// What can be counted in a result from these tables: lines when no text of
// the tables holds a "*"; fields too when none holds a "|", names and numbers
// are whole GBK characters (a stray lead byte at the end of a name pairs with
// the "|" after it into one character when the result is converted to
// UTF-16) and stop records are ASCII. ("*" is below every GBK trail byte, so
// no conversion ever swallows it.)
struct Countable {
  bool lines = true;
  bool fields = true;
};

Countable countableIn(const TimetableDb& db) {
  Countable countable;
  const auto scan = [&countable](const TextList& list, bool asciiOnly) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::string_view text = list[i];
      if (text.find('*') != std::string_view::npos) countable.lines = false;
      if (text.find('|') != std::string_view::npos) countable.fields = false;
      if (asciiOnly) {
        if (std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })) {
          countable.fields = false;
        }
      } else if (countable.fields) {
        std::u16string units;
        gbkToUtf16(text, units);
        if (units.find(u'\uFFFD') != std::u16string::npos) countable.fields = false;
      }
    }
  };
  scan(db.lists().stationNames, false);
  scan(db.lists().trainNumbers, false);
  scan(db.lists().trainStopLists, true);
  countable.fields = countable.fields && countable.lines;
  return countable;
}

std::size_t countOf(const Text16& text, char16_t unit) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), unit));
}

// Result lines: `count` of them, each ending in "*", each with `fields`
// fields.
void checkLines(const Text16& text, int32_t count, std::size_t fields, Countable countable) {
  if (!countable.lines) return;
  MURLO_FUZZ_CHECK(countOf(text, u'*') == static_cast<std::size_t>(count));
  MURLO_FUZZ_CHECK(text.empty() || text.back() == u'*');
  if (countable.fields) {
    MURLO_FUZZ_CHECK(countOf(text, u'|') == static_cast<std::size_t>(count) * (fields - 1));
  }
}

enum class Kind { kHeader, kStations, kTrainsAt, kDirect, kByNumber };

// One single-output export, asked every way a caller can ask it.
// Returns the export's result.
template <typename Sized, typename Unsized>
int32_t checkSingleOutput(Kind kind, Countable countable, Sized sized, Unsized unsized) {
  std::size_t needed = 0;
  const int32_t probe = sized(nullptr, 0, &needed);
  if (probe != MURLO_BUFFER_TOO_SMALL) {
    // The operation's own negative result: nothing is written anywhere.
    MURLO_FUZZ_CHECK(probe < 0 && probe != MURLO_OUT_OF_MEMORY);
    MURLO_FUZZ_CHECK(kind == Kind::kTrainsAt || kind == Kind::kDirect);
    Buffer sizedBuffer(64);
    MURLO_FUZZ_CHECK(sized(sizedBuffer.data(), 64, nullptr) == probe);
    MURLO_FUZZ_CHECK(sizedBuffer.untouched());
    Buffer unsizedBuffer(64);
    MURLO_FUZZ_CHECK(unsized(unsizedBuffer.data()) == probe);
    MURLO_FUZZ_CHECK(unsizedBuffer.untouched());
    return probe;
  }
  MURLO_FUZZ_CHECK(needed >= 1);

  Buffer exact(needed);
  std::size_t neededAgain = 0;
  const int32_t result = sized(exact.data(), needed, &neededAgain);
  MURLO_FUZZ_CHECK(result >= 0);
  MURLO_FUZZ_CHECK(neededAgain == needed);
  MURLO_FUZZ_CHECK(exact.guardIntact(needed));
  const Text16 text = exact.text(needed - 1);

  if (needed > 1) {
    Buffer shortBuffer(needed - 1);
    MURLO_FUZZ_CHECK(sized(shortBuffer.data(), needed - 1, nullptr) == MURLO_BUFFER_TOO_SMALL);
    MURLO_FUZZ_CHECK(shortBuffer.untouched());
  }
  Buffer roomy(needed + 16);
  MURLO_FUZZ_CHECK(unsized(roomy.data()) == result);
  MURLO_FUZZ_CHECK(roomy.text(needed - 1) == text);
  MURLO_FUZZ_CHECK(roomy.guardIntact(needed));

  switch (kind) {
    case Kind::kHeader: MURLO_FUZZ_CHECK(result == 1 && text.size() <= 10); break;
    case Kind::kStations:
      if (countable.fields) {
        MURLO_FUZZ_CHECK(countOf(text, u'|') == static_cast<std::size_t>(result));
      }
      break;
    case Kind::kTrainsAt:
    case Kind::kByNumber: checkLines(text, result, 16, countable); break;
    case Kind::kDirect:
      if (result > 0) checkLines(text, result, 16, countable);
      break;
  }
  return result;
}

// A sized-only export (boards, journeys), asked every way a caller can ask
// it. Returns the result and the text written, or nothing for a negative
// result.
template <typename Sized>
std::optional<std::pair<int32_t, Text16>> checkSizedOnly(Sized sized) {
  std::size_t needed = 0;
  const int32_t probe = sized(nullptr, 0, &needed);
  if (probe != MURLO_BUFFER_TOO_SMALL) {
    MURLO_FUZZ_CHECK(probe == -1 || probe == -2 || probe == -3 || probe == MURLO_INVALID_ARGUMENT);
    Buffer buffer(64);
    MURLO_FUZZ_CHECK(sized(buffer.data(), 64, nullptr) == probe);
    MURLO_FUZZ_CHECK(buffer.untouched());
    return std::nullopt;
  }
  MURLO_FUZZ_CHECK(needed >= 1);
  Buffer exact(needed);
  std::size_t neededAgain = 0;
  const int32_t result = sized(exact.data(), needed, &neededAgain);
  MURLO_FUZZ_CHECK(result >= 0 && neededAgain == needed && exact.guardIntact(needed));
  if (needed > 1) {
    Buffer shortBuffer(needed - 1);
    MURLO_FUZZ_CHECK(sized(shortBuffer.data(), needed - 1, nullptr) == MURLO_BUFFER_TOO_SMALL);
    MURLO_FUZZ_CHECK(shortBuffer.untouched());
  }
  return std::make_pair(result, exact.text(needed - 1));
}

// Journeys: `count` summaries of seven fields, each followed by as many ride
// lines (of 16 fields) as its last field says.
void checkJourneys(const Text16& text, int32_t count, Countable countable) {
  if (!countable.fields) return;
  std::size_t at = 0;
  int32_t journeys = 0;
  while (at < text.size()) {
    const std::size_t end = text.find(u'*', at);
    MURLO_FUZZ_CHECK(end != Text16::npos);
    const Text16 summary = text.substr(at, end - at);
    MURLO_FUZZ_CHECK(summary.rfind(u"J|", 0) == 0 && countOf(summary, u'|') == 6);
    int rides = 0;
    for (std::size_t i = summary.rfind(u'|') + 1; i < summary.size(); ++i) {
      rides = 10 * rides + (summary[i] - u'0');
    }
    MURLO_FUZZ_CHECK(rides >= 1 && rides <= 8);
    at = end + 1;
    for (int r = 0; r < rides; ++r) {
      const std::size_t lineEnd = text.find(u'*', at);
      MURLO_FUZZ_CHECK(lineEnd != Text16::npos);
      MURLO_FUZZ_CHECK(countOf(text.substr(at, lineEnd - at), u'|') == 15);
      at = lineEnd + 1;
    }
    ++journeys;
  }
  MURLO_FUZZ_CHECK(journeys == count);
}

// Whether train `train` has two whole stop records: only then is there a
// running time.
bool hasRunningTime(const TimetableDb& db, uint32_t train) {
  return train < static_cast<uint32_t>(db.trainCount()) &&
         train < db.lists().trainStopLists.size() &&
         StopList(db.lists().trainStopLists[train]).size() >= 2;
}

// Returns the export's result.
int32_t checkTrainStops(const TimetableDb& db, Countable countable, uint32_t train,
                        const murlo_char16* boarding, const murlo_char16* alighting) {
  std::size_t stopsNeeded = 0;
  std::size_t timeNeeded = 0;
  MURLO_FUZZ_CHECK(murlo_train_stops(train, boarding, alighting, nullptr, 0, &stopsNeeded, nullptr,
                                     0, &timeNeeded) == MURLO_BUFFER_TOO_SMALL);
  Buffer stops(stopsNeeded);
  Buffer time(timeNeeded);
  const int32_t result = murlo_train_stops(train, boarding, alighting, stops.data(), stopsNeeded,
                                           nullptr, time.data(), timeNeeded, nullptr);
  MURLO_FUZZ_CHECK(result >= 0);
  MURLO_FUZZ_CHECK(stops.guardIntact(stopsNeeded) && time.guardIntact(timeNeeded));
  const Text16 stopText = stops.text(stopsNeeded - 1);
  const Text16 timeText = time.text(timeNeeded - 1);
  // A stop at a station outside the table has no line, but the running time
  // covers every stop.
  if (result == 0) MURLO_FUZZ_CHECK(stopText.empty());
  MURLO_FUZZ_CHECK(timeText.empty() != hasRunningTime(db, train));
  MURLO_FUZZ_CHECK(timeText.empty() || timeText.find(u':') != Text16::npos);
  checkLines(stopText, result, 5, countable);

  // Either output one unit short refuses both.
  for (const bool shortStops : {true, false}) {
    const std::size_t stopsCapacity = stopsNeeded - (shortStops ? 1 : 0);
    const std::size_t timeCapacity = timeNeeded - (shortStops ? 0 : 1);
    Buffer a(stopsCapacity);
    Buffer b(timeCapacity);
    MURLO_FUZZ_CHECK(murlo_train_stops(train, boarding, alighting, a.data(), stopsCapacity, nullptr,
                                       b.data(), timeCapacity, nullptr) == MURLO_BUFFER_TOO_SMALL);
    MURLO_FUZZ_CHECK(a.untouched() && b.untouched());
  }
  Buffer roomyStops(stopsNeeded + 16);
  Buffer roomyTime(timeNeeded + 16);
  MURLO_FUZZ_CHECK(x01p2923jh8eh23083d3(train, boarding, alighting, roomyStops.data(),
                                        roomyTime.data()) == result);
  MURLO_FUZZ_CHECK(roomyStops.text(stopsNeeded - 1) == stopText);
  MURLO_FUZZ_CHECK(roomyTime.text(timeNeeded - 1) == timeText);
  return result;
}

Text16 toUtf16(std::string_view gbk) {
  std::u16string units;
  gbkToUtf16(gbk, units);
  return Text16(units.begin(), units.end());
}

// A text argument: names and numbers from the tables, whole, cut or changed,
// or units made up.
Text16 pickText(FuzzedDataProvider& script, const TimetableDb& db) {
  const auto pickEntry = [&script](const TextList& list) -> std::string_view {
    if (list.empty()) return {};
    return list[script.ConsumeIntegralInRange<std::size_t>(0, list.size() - 1)];
  };
  switch (script.ConsumeIntegralInRange(0, 6)) {
    case 0: return toUtf16(pickEntry(db.lists().stationNames));
    case 1: {
      const std::string_view abbreviation = pickEntry(db.lists().stationAbbreviations);
      return toUtf16(abbreviation.substr(0, script.ConsumeIntegralInRange<std::size_t>(0, 4)));
    }
    case 2: {
      const std::string_view entry = pickEntry(db.lists().trainNumbers);
      const std::size_t slash = entry.find('/');
      const bool whole = script.ConsumeBool();
      Text16 number = toUtf16(whole ? entry : entry.substr(0, slash));
      // Typed without its letter prefix, as travellers do.
      if (script.ConsumeBool() && !number.empty() && number[0] >= u'A' && number[0] <= u'Z') {
        number.erase(0, 1);
      }
      return number;
    }
    case 3: {
      Text16 name = toUtf16(pickEntry(db.lists().stationNames));
      const auto unit = script.ConsumeIntegral<uint16_t>();
      if (unit != 0) {
        if (!name.empty() && script.ConsumeBool()) {
          name[script.ConsumeIntegralInRange<std::size_t>(0, name.size() - 1)] = unit;
        } else {
          name.push_back(unit);
        }
      }
      return name;
    }
    case 4: {
      Text16 made;
      const std::size_t length = script.ConsumeIntegralInRange<std::size_t>(0, 12);
      for (std::size_t i = 0; i < length; ++i) {
        const auto unit = script.ConsumeIntegral<uint16_t>();
        if (unit == 0) break;
        made.push_back(unit);
      }
      return made;
    }
    case 5: return toUtf16(pickEntry(db.lists().stationNames).substr(0, 2));
    default: return Text16();
  }
}

// The same query on the process database, whose kept whole-run lines earlier
// calls filled, and on the same tables with none kept yet (every line written
// afresh).
void checkKeptLinesAgree(const LoadedDatabase& kept, int kind, const Text16& a, const Text16& b,
                         int32_t mode, uint32_t train, const JourneyRequest& request) {
  const LoadedDatabase fresh(kept.tables());
  std::string first;
  std::string second;
  const bool firstOk = argumentToGbk(a.c_str(), first);
  const bool secondOk = argumentToGbk(b.c_str(), second);
  switch (kind) {
    case 1:
      if (firstOk) {
        const Utf16Answer x = stationsByAbbreviation(kept, first);
        const Utf16Answer y = stationsByAbbreviation(fresh, first);
        MURLO_FUZZ_CHECK(x == y);
      }
      break;
    case 2:
      if (firstOk) {
        const Utf16Answer x = trainsAtStation(kept, first);
        const Utf16Answer y = trainsAtStation(fresh, first);
        MURLO_FUZZ_CHECK(x == y);
      }
      break;
    case 3:
      if (firstOk && secondOk) {
        const QueryResult x = directTrains(kept, first, second, mode);
        const QueryResult y = directTrains(fresh, first, second, mode);
        MURLO_FUZZ_CHECK(x.status == y.status && x.count == y.count && x.text == y.text);
      }
      break;
    case 4: {
      if (train > uint32_t{INT32_MAX}) break;
      const TrainIndex t(static_cast<int32_t>(train));
      const StopListResult x = trainStopList(kept, t, first, second);
      const StopListResult y = trainStopList(fresh, t, first, second);
      MURLO_FUZZ_CHECK(x.stops == y.stops && x.stopList == y.stopList && x.runTime == y.runTime);
      break;
    }
    case 5:
      if (firstOk) {
        const Utf16Answer x = trainsByNumber(kept, first);
        const Utf16Answer y = trainsByNumber(fresh, first);
        MURLO_FUZZ_CHECK(x == y);
      }
      break;
    case 6:
    case 7:
      if (firstOk) {
        const auto board = kind == 6 ? departureBoard : arrivalBoard;
        const Utf16Answer x = board(kept, first, request.afterMinute, request.limit);
        const Utf16Answer y = board(fresh, first, request.afterMinute, request.limit);
        MURLO_FUZZ_CHECK(x == y);
      }
      break;
    case 8:
      if (firstOk && secondOk) {
        const QueryResult x = planJourneys(kept, first, second, request);
        const QueryResult y = planJourneys(fresh, first, second, request);
        MURLO_FUZZ_CHECK(x.status == y.status && x.count == y.count && x.text == y.text);
        if (x.count > 0 && request.limit > 0) {
          // The first journeys of the whole day, summary for summary.
          JourneyRequest all = request;
          all.limit = 0;
          const QueryResult day = planJourneys(kept, first, second, all);
          MURLO_FUZZ_CHECK(day.count >= x.count);
          const auto summaries = [](const std::string& text) {
            std::vector<std::string> found;
            for (std::size_t at = 0; (at = text.find("J|", at)) != std::string::npos; ++at) {
              if (at == 0 || text[at - 1] == '*')
                found.push_back(text.substr(at, text.find('*', at) - at));
            }
            return found;
          };
          const std::vector<std::string> limited = summaries(x.text);
          const std::vector<std::string> whole = summaries(day.text);
          MURLO_FUZZ_CHECK(limited.size() <= whole.size() &&
                           std::equal(limited.begin(), limited.end(), whole.begin()));
        }
      }
      break;
    default: break;
  }
}

// The result of a board export that wrote nothing (its own negative code).
int32_t boardCode(const murlo_char16* station, const JourneyRequest& request) {
  return murlo_departures(station, request.afterMinute, request.limit, nullptr, 0, nullptr);
}

// Whether `file` ends in an extension that a load refuses.
bool damaged(std::span<const uint8_t> file) {
  std::string bytes(file.begin(), file.end());
  return parseDatabaseFile(std::span<char>(bytes.data(), bytes.size())).extension.state ==
         ExtensionState::kDamaged;
}

// The same bytes opened as a database handle, through a file in memory; a
// handle on the process's database (the same tables) where none can be made.
struct Handle {
  explicit Handle(std::span<const uint8_t> file) {
    const int fd = memfd_create("fuzz_queries", 0);
    if (fd >= 0) {
      const bool written =
          file.empty() || write(fd, file.data(), file.size()) == static_cast<ssize_t>(file.size());
      const std::string path = "/proc/self/fd/" + std::to_string(fd);
      // Any bytes open, unless they end in a damaged extension.
      if (written) {
        MURLO_FUZZ_CHECK(murlo_db_open(path.c_str(), &db) == MURLO_STATUS_OK || damaged(file));
      }
      close(fd);
    }
    if (db == nullptr) db = murlo_db_of_process();
    MURLO_FUZZ_CHECK(db != nullptr);
  }
  ~Handle() { murlo_db_close(db); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  murlo_db* db = nullptr;
};

// A structured answer's count, or the text export's code for its status
// (-1 an unknown station or origin, -2 destination, -3 the same station, 0 an
// unknown train); the answer is freed. A failed question stores no answer.
template <typename Answer>
int32_t textCodeOf(murlo_status status, Answer** taken, void (*free)(Answer*)) {
  Answer* const answer = *taken;  // read after the question, whatever the order of arguments
  if (status != MURLO_STATUS_OK) MURLO_FUZZ_CHECK(answer == nullptr);
  int32_t count = 0;
  switch (status) {
    case MURLO_STATUS_OK: count = static_cast<int32_t>(answer->count); break;
    case MURLO_STATUS_UNKNOWN_STATION:
    case MURLO_STATUS_UNKNOWN_ORIGIN: count = -1; break;
    case MURLO_STATUS_UNKNOWN_DESTINATION: count = -2; break;
    case MURLO_STATUS_SAME_STATION: count = -3; break;
    case MURLO_STATUS_UNKNOWN_TRAIN: count = 0; break;
    case MURLO_STATUS_INVALID_ARGUMENT: count = MURLO_INVALID_ARGUMENT; break;
    default: {
      const bool statusOfAQuestion = false;
      MURLO_FUZZ_CHECK(statusOfAQuestion);
    }
  }
  free(answer);
  return count;
}

// Question `kind` asked of the handle with the UTF-8 forms of the text
// arguments (a NULL text argument as the empty text); its count or status
// must be `code`, the text export's result, when both texts are valid UTF-16.
void checkStructured(const murlo_db* handle, const TimetableDb& db, int kind, const Text16& a,
                     const Text16& b, uint32_t train, const JourneyRequest& request,
                     std::optional<int32_t> code) {
  std::string first;
  std::string second;
  const bool exact = utf16ToUtf8(std::u16string(a.begin(), a.end()), first) &&
                     utf16ToUtf8(std::u16string(b.begin(), b.end()), second);
  murlo_stations* stations = nullptr;
  murlo_rides* rides = nullptr;
  murlo_stops* stops = nullptr;
  murlo_journeys* journeys = nullptr;
  std::optional<int32_t> count;
  switch (kind) {
    case 1: {
      const murlo_status status = murlo_db_stations(handle, first.c_str(), &stations);
      MURLO_FUZZ_CHECK(status == MURLO_STATUS_OK);
      // The empty prefix lists every station, abbreviated or not.
      if (first.empty()) {
        MURLO_FUZZ_CHECK(stations->count == static_cast<std::size_t>(db.stationCount()));
      }
      const int32_t found = textCodeOf(status, &stations, murlo_stations_free);
      // The text export compares an abbreviation on as many bytes as its
      // argument has UTF-16 units, so a prefix with a character beyond ASCII
      // finds nothing there; the structured question compares the whole GBK
      // form.
      const bool ascii =
          std::all_of(first.begin(), first.end(), [](char c) { return (c & 0x80) == 0; });
      if (!first.empty() && ascii) count = found;
      break;
    }
    case 2:
      count = textCodeOf(murlo_db_trains_at_station(handle, first.c_str(), &rides), &rides,
                         murlo_rides_free);
      break;
    case 3:
      count = textCodeOf(murlo_db_direct_trains(handle, first.c_str(), second.c_str(), &rides),
                         &rides, murlo_rides_free);
      break;
    case 4: {
      const murlo_status status =
          murlo_db_train_stops(handle, train, first.c_str(), second.c_str(), &stops);
      MURLO_FUZZ_CHECK((status == MURLO_STATUS_OK) == hasRunningTime(db, train));
      count = textCodeOf(status, &stops, murlo_stops_free);
      break;
    }
    case 5:
      count = textCodeOf(murlo_db_trains_by_number(handle, first.c_str(), &rides), &rides,
                         murlo_rides_free);
      break;
    case 6:
    case 7:
      count = textCodeOf(kind == 6 ? murlo_db_departures(handle, first.c_str(), request.afterMinute,
                                                         request.limit, &rides)
                                   : murlo_db_arrivals(handle, first.c_str(), request.afterMinute,
                                                       request.limit, &rides),
                         &rides, murlo_rides_free);
      {
        // The same board for the first date of the period (any date of a
        // file without one, which answers as without a date), and for the
        // day before it, which is refused.
        int32_t firstDate = 0;
        int32_t lastDate = 0;
        MURLO_FUZZ_CHECK(murlo_db_period(handle, &firstDate, &lastDate) == MURLO_STATUS_OK);
        const bool dated = firstDate != MURLO_NO_DATE;
        for (const int32_t date :
             {dated ? firstDate : 20260923, dated ? 19700101 : MURLO_NO_DATE}) {
          murlo_rides* onDate = nullptr;
          const murlo_status status =
              kind == 6 ? murlo_db_departures_on(handle, first.c_str(), date, request.afterMinute,
                                                 request.limit, &onDate)
                        : murlo_db_arrivals_on(handle, first.c_str(), date, request.afterMinute,
                                               request.limit, &onDate);
          if (status == MURLO_STATUS_DATE_OUTSIDE_PERIOD) {
            MURLO_FUZZ_CHECK(onDate == nullptr && dated && date != firstDate);
            continue;
          }
          const int32_t datedCount = textCodeOf(status, &onDate, murlo_rides_free);
          if (!dated) MURLO_FUZZ_CHECK(datedCount == *count);
        }
      }
      break;
    case 8:
      count = textCodeOf(murlo_db_plan_journeys(handle, first.c_str(), second.c_str(),
                                                request.afterMinute, request.maxChanges,
                                                request.minChangeMinutes, request.limit, &journeys),
                         &journeys, murlo_journeys_free);
      {
        // The latest journeys arriving by a minute of another day (any
        // int32, the fuzzed one's extremes included).
        const auto arriveBy =
            static_cast<int32_t>(std::max<int64_t>(INT32_MIN, int64_t{request.afterMinute} - 2000));
        const murlo_plan_options options{
            sizeof options,     MURLO_PLAN_ARRIVE_BY,     arriveBy,
            request.maxChanges, request.minChangeMinutes, request.minChangeMinutes / 2,
            request.limit};
        murlo_journeys* latest = nullptr;
        static_cast<void>(
            textCodeOf(murlo_db_plan(handle, first.c_str(), second.c_str(), &options, &latest),
                       &latest, murlo_journeys_free));
      }
      break;
    default: MURLO_FUZZ_CHECK(murlo_db_header(handle) != nullptr); break;
  }
  if (exact && code && count) MURLO_FUZZ_CHECK(*count == *code);
}

struct Parts {
  std::span<const uint8_t> script;
  std::span<const uint8_t> file;
};

Parts split(const uint8_t* data, std::size_t size) {
  if (size < 2) return Parts{{}, std::span<const uint8_t>(data, size)};
  const std::size_t length = std::min<std::size_t>(data[0] | (std::size_t{data[1]} << 8), size - 2);
  return Parts{std::span<const uint8_t>(data + 2, length),
               std::span<const uint8_t>(data + 2 + length, size - 2 - length)};
}

}  // namespace
}  // namespace murlo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace murlo;
  const Parts parts = split(data, size);
  std::string bytes(parts.file.begin(), parts.file.end());
  // As a load reads the file: with its extension where it has a whole one
  // (a damaged one would refuse the load: the sections alone stand in).
  ParsedFile parsed = parseDatabaseFile(std::span<char>(bytes.data(), bytes.size()));
  auto loaded = std::make_shared<const LoadedDatabase>(
      std::move(parsed.tables), parsed.extension.state == ExtensionState::kRead
                                    ? std::move(parsed.extension.extension)
                                    : NetworkExtension{});
  replaceCurrentDb(loaded);
  const TimetableDb* const db = &loaded->tables();
  const Countable countable = countableIn(*db);
  const Handle handle(parts.file);

  FuzzedDataProvider script(parts.script.data(), parts.script.size());
  for (int call = 0; call < kMaxCalls && script.remaining_bytes() > 0; ++call) {
    const int kind = script.ConsumeIntegralInRange(0, 8);
    const Text16 a = pickText(script, *db);
    const Text16 b = pickText(script, *db);
    const int32_t mode = script.ConsumeBool() ? script.ConsumeIntegralInRange(0, 2)
                                              : script.ConsumeIntegral<int32_t>();
    const uint32_t train = script.ConsumeBool()
                               ? script.ConsumeIntegralInRange<uint32_t>(
                                     0, static_cast<uint32_t>(db->trainCount()) + 1)
                               : script.ConsumeIntegral<uint32_t>();
    // Minutes, limits and numbers of changes, mostly in their ranges.
    const auto number = [&script](int32_t lo, int32_t hi) {
      return script.ConsumeBool() ? script.ConsumeIntegralInRange(lo, hi)
                                  : script.ConsumeIntegral<int32_t>();
    };
    const JourneyRequest request{number(0, 1439), number(0, 7), number(0, 90), number(0, 4)};
    // A NULL argument is the empty text.
    const murlo_char16* first = script.ConsumeBool() && a.empty() ? nullptr : a.c_str();
    const murlo_char16* second = b.c_str();
    // The text export's result, or nothing where it has none to compare.
    std::optional<int32_t> code;
    switch (kind) {
      case 0:
        checkSingleOutput(
            Kind::kHeader, countable,
            [](murlo_char16* o, std::size_t c, std::size_t* n) {
              return murlo_header_text(o, c, n);
            },
            [](murlo_char16* o) { return x01o23jow83032hwe31h(o); });
        break;
      case 1:
        code = checkSingleOutput(
            Kind::kStations, countable,
            [&](murlo_char16* o, std::size_t c, std::size_t* n) {
              return murlo_find_stations(first, o, c, n);
            },
            [&](murlo_char16* o) { return x0189e3js083h2c13(first, o); });
        break;
      case 2:
        code = checkSingleOutput(
            Kind::kTrainsAt, countable,
            [&](murlo_char16* o, std::size_t c, std::size_t* n) {
              return murlo_trains_at_station(first, o, c, n);
            },
            [&](murlo_char16* o) { return x01e983hw983402(first, o); });
        break;
      case 3:
        code = checkSingleOutput(
            Kind::kDirect, countable,
            [&](murlo_char16* o, std::size_t c, std::size_t* n) {
              return murlo_direct_trains(first, second, mode, o, c, n);
            },
            [&](murlo_char16* o) { return x01d897fsd20dj3(first, second, o, mode); });
        break;
      case 4: code = checkTrainStops(*db, countable, train, first, second); break;
      case 6:
      case 7: {
        const auto answer = checkSizedOnly([&](murlo_char16* o, std::size_t c, std::size_t* n) {
          return kind == 6 ? murlo_departures(first, request.afterMinute, request.limit, o, c, n)
                           : murlo_arrivals(first, request.afterMinute, request.limit, o, c, n);
        });
        if (answer) {
          checkLines(answer->second, answer->first, 16, countable);
          if (request.limit > 0) MURLO_FUZZ_CHECK(answer->first <= request.limit);
        }
        code = answer ? answer->first : boardCode(first, request);
        break;
      }
      case 8: {
        const auto answer = checkSizedOnly([&](murlo_char16* o, std::size_t c, std::size_t* n) {
          return murlo_plan_journeys(first, second, request.afterMinute, request.maxChanges,
                                     request.minChangeMinutes, request.limit, o, c, n);
        });
        if (answer) {
          checkJourneys(answer->second, answer->first, countable);
          if (request.limit > 0) MURLO_FUZZ_CHECK(answer->first <= request.limit);
        }
        code = answer ? answer->first
                      : murlo_plan_journeys(first, second, request.afterMinute, request.maxChanges,
                                            request.minChangeMinutes, request.limit, nullptr, 0,
                                            nullptr);
        break;
      }
      case 5:
        code = checkSingleOutput(
            Kind::kByNumber, countable,
            [&](murlo_char16* o, std::size_t c, std::size_t* n) {
              return murlo_trains_by_number(first, o, c, n);
            },
            [&](murlo_char16* o) { return x01jhhwe23h9823098(first, o); });
        break;
    }
    checkKeptLinesAgree(*loaded, kind, a, b, mode, train, request);
    checkStructured(handle.db, *db, kind, first == nullptr ? Text16() : a, b, train, request, code);
  }
  return 0;
}

// A third of the mutations change the script, the rest the database file.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  using namespace murlo;
  if (maxSize < 3) return LLVMFuzzerMutate(data, size, maxSize);
  const Parts parts = split(data, size);
  std::vector<uint8_t> script(parts.script.begin(), parts.script.end());
  std::vector<uint8_t> file(parts.file.begin(), parts.file.end());
  const std::size_t budget = maxSize - 2;
  if (seed % 3 == 0 && file.size() < budget) {
    const std::size_t limit = std::min<std::size_t>(budget - file.size(), 0xFFFF);
    const std::size_t before = std::min(script.size(), limit);
    script.resize(limit);
    script.resize(LLVMFuzzerMutate(script.data(), before, limit));
  } else {
    const std::size_t limit = budget - std::min(budget - 1, script.size());
    script.resize(budget - limit);
    const std::size_t before = std::min(file.size(), limit);
    file.resize(limit);
    file.resize(fuzz::mutateDatabaseFile(file.data(), before, limit, seed / 3));
  }
  data[0] = static_cast<uint8_t>(script.size() & 0xFF);
  data[1] = static_cast<uint8_t>(script.size() >> 8);
  std::copy(script.begin(), script.end(), data + 2);
  std::copy(file.begin(), file.end(), data + 2 + script.size());
  return 2 + script.size() + file.size();
}
