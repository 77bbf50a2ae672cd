#include "sqlite_baseline.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "db/day_rollover.h"
#include "line_text.h"

namespace murlo::bench {
namespace {

constexpr const char* kSchema = R"(
CREATE TABLE stations(
  id INTEGER PRIMARY KEY,
  name BLOB NOT NULL,
  abbreviation TEXT NOT NULL);
CREATE TABLE trains(
  id INTEGER PRIMARY KEY,
  number TEXT NOT NULL,
  class_code TEXT NOT NULL,
  column_code TEXT NOT NULL,
  rate_code TEXT NOT NULL,
  stop_count INTEGER NOT NULL);
CREATE TABLE stops(
  train INTEGER NOT NULL REFERENCES trains,
  seq INTEGER NOT NULL,
  station INTEGER NOT NULL REFERENCES stations,
  arrival INTEGER NOT NULL,
  departure INTEGER NOT NULL,
  km INTEGER NOT NULL,
  PRIMARY KEY (train, seq)) WITHOUT ROWID;
CREATE TABLE train_numbers(
  number TEXT NOT NULL,
  train INTEGER NOT NULL REFERENCES trains,
  PRIMARY KEY (number, train)) WITHOUT ROWID;
CREATE TABLE departures(
  station INTEGER NOT NULL REFERENCES stations,
  minute INTEGER NOT NULL,
  train INTEGER NOT NULL,
  seq INTEGER NOT NULL,
  PRIMARY KEY (station, minute, train, seq)) WITHOUT ROWID;
)";

constexpr const char* kIndexes = R"(
CREATE INDEX stations_by_name ON stations(name);
CREATE INDEX stations_by_abbreviation ON stations(abbreviation);
CREATE INDEX stops_by_station ON stops(station, train, seq);
ANALYZE;
)";

// The columns of a train's whole run: 0 id, 1 number, 2-4 codes, 5 first
// departure, 6 first name, 7 last arrival, 8 last name, 9 km, 10 minutes.
#define MURLO_WHOLE_RUN_COLUMNS                                                      \
  "t.id, t.number, t.class_code, t.column_code, t.rate_code, f.departure, fs.name, " \
  "l.arrival, ls.name, l.km - f.km, l.arrival - f.departure "
#define MURLO_WHOLE_RUN_JOINS                                    \
  "JOIN stops f ON f.train = t.id AND f.seq = 0 "                \
  "JOIN stops l ON l.train = t.id AND l.seq = t.stop_count - 1 " \
  "JOIN stations fs ON fs.id = f.station "                       \
  "JOIN stations ls ON ls.id = l.station "

constexpr const char* kFindStation = "SELECT id FROM stations WHERE name = ?1 ORDER BY id LIMIT 1";
constexpr const char* kStationsByPrefix =
    "SELECT name FROM stations WHERE abbreviation >= ?1 AND abbreviation < ?2 ORDER BY id";
constexpr const char* kAllStations = "SELECT name FROM stations ORDER BY id";
constexpr const char* kTrainsAt =
    "SELECT " MURLO_WHOLE_RUN_COLUMNS
    "FROM stops c JOIN trains t ON t.id = c.train " MURLO_WHOLE_RUN_JOINS
    "WHERE c.station = ?1 ORDER BY c.train, c.seq";
constexpr const char* kDirect =
    "SELECT o.train, t.number, t.class_code, t.column_code, t.rate_code, o.departure, "
    "d.arrival, d.km - o.km, fs.name, ls.name "
    "FROM stops o JOIN stops d ON d.train = o.train AND d.seq > o.seq "
    "JOIN trains t ON t.id = o.train " MURLO_WHOLE_RUN_JOINS
    "WHERE o.station = ?1 AND d.station = ?2 ORDER BY o.train, o.seq, d.seq";
constexpr const char* kOnward =
    "SELECT st.name, s.station, s.km - o.km "
    "FROM stops o JOIN stops s ON s.train = o.train AND s.seq > o.seq "
    "JOIN stations st ON st.id = s.station "
    "WHERE o.station = ?1 ORDER BY o.train, o.seq, s.seq";
constexpr const char* kFeeders =
    "SELECT st.name, s.station, d.km - s.km "
    "FROM stops d JOIN stops s ON s.train = d.train AND s.seq < d.seq "
    "JOIN stations st ON st.id = s.station "
    "WHERE d.station = ?1 ORDER BY d.train, d.seq, s.seq";
constexpr const char* kStopList =
    "SELECT st.name, s.arrival, s.departure, s.km "
    "FROM stops s JOIN stations st ON st.id = s.station WHERE s.train = ?1 ORDER BY s.seq";
constexpr const char* kByNumber =
    "SELECT " MURLO_WHOLE_RUN_COLUMNS "FROM trains t " MURLO_WHOLE_RUN_JOINS
    "WHERE t.id IN (SELECT train FROM train_numbers WHERE number IN "
    "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, "
    "?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27)) ORDER BY t.id";
// A departure board in two parts: from the minute on, then from midnight up
// to it; each in the index's order, limited. Columns: 0 id, 1 number, 2-4
// codes, 5 departure, 6 last arrival, 7 km, 8 first name, 9 last name.
#define MURLO_DEPARTURES(WHERE)                                                               \
  "SELECT t.id, t.number, t.class_code, t.column_code, t.rate_code, o.departure, l.arrival, " \
  "l.km - o.km, fs.name, ls.name "                                                            \
  "FROM departures d JOIN trains t ON t.id = d.train "                                        \
  "JOIN stops o ON o.train = d.train AND o.seq = d.seq " MURLO_WHOLE_RUN_JOINS                \
  "WHERE d.station = ?1 AND " WHERE " ORDER BY d.minute, d.train, d.seq LIMIT ?3"
constexpr const char* kDeparturesFrom = MURLO_DEPARTURES("d.minute >= ?2");
constexpr const char* kDeparturesBefore = MURLO_DEPARTURES("d.minute < ?2");

constexpr int32_t kShortestTotalStart = 30000;
constexpr double kKeepFactor = 1.36;
constexpr std::string_view kBeijing = "\xB1\xB1\xBE\xA9";  // 北京 in GBK

// The 27 forms a typed number is looked up under.
std::array<std::string, 27> numberForms(std::string_view q) {
  std::array<std::string, 27> forms;
  std::size_t n = 0;
  for (const std::string_view prefix : {"", "T", "L", "N", "A", "K", "Y", "Z"}) {
    for (const std::string_view suffix : {"", "A", "B"}) {
      forms[n++] = std::string(prefix).append(q).append(suffix);
    }
  }
  for (const std::string_view prefix : {"D", "C", "G"}) forms[n++] = std::string(prefix).append(q);
  return forms;
}

void check(sqlite3* db, int code, const char* what) {
  if (code != SQLITE_OK && code != SQLITE_DONE && code != SQLITE_ROW) {
    throw std::runtime_error(std::string("sqlite: ") + what + ": " + sqlite3_errmsg(db));
  }
}

void execute(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message != nullptr ? message : "?";
    sqlite3_free(message);
    throw std::runtime_error("sqlite: " + text);
  }
}

}  // namespace

class SqliteTimetable::Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db), sql_(sql) {
    check(db, sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr), sql);
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Ready for a new run; bound values are replaced by the next binds.
  Statement& reset() {
    sqlite3_reset(statement_);
    return *this;
  }
  // The bound bytes must outlive the run.
  Statement& blob(int i, std::string_view bytes) {
    check(db_,
          sqlite3_bind_blob(statement_, i, bytes.data(), static_cast<int>(bytes.size()),
                            SQLITE_STATIC),
          sql_);
    return *this;
  }
  Statement& text(int i, std::string_view chars) {
    check(db_,
          sqlite3_bind_text(statement_, i, chars.data(), static_cast<int>(chars.size()),
                            SQLITE_STATIC),
          sql_);
    return *this;
  }
  Statement& integer(int i, int64_t value) {
    check(db_, sqlite3_bind_int64(statement_, i, value), sql_);
    return *this;
  }

  // True while there is a row.
  bool step() {
    const int code = sqlite3_step(statement_);
    check(db_, code, sql_);
    return code == SQLITE_ROW;
  }
  // Runs a statement that returns no rows.
  void run() {
    step();
    reset();
  }

  int64_t integerAt(int column) const { return sqlite3_column_int64(statement_, column); }
  int32_t int32At(int column) const { return sqlite3_column_int(statement_, column); }
  // The bytes of a blob or text column, valid until the next step.
  std::string_view bytesAt(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement_, column));
    return data == nullptr ? std::string_view()
                           : std::string_view(static_cast<const char*>(data), size);
  }
  char codeAt(int column) const {
    const std::string_view code = bytesAt(column);
    return code.empty() ? '\0' : code[0];
  }

  const char* sql() const { return sql_; }

 private:
  sqlite3* db_;
  const char* sql_;
  sqlite3_stmt* statement_ = nullptr;
};

SqliteTimetable::SqliteTimetable(const source::Timetable& timetable) {
  check(nullptr, sqlite3_open(":memory:", &db_), "open");
  execute(db_, kSchema);
  execute(db_, "BEGIN");
  {
    Statement station(db_, "INSERT INTO stations VALUES (?1, ?2, ?3)");
    for (std::size_t s = 0; s < timetable.stations.size(); ++s) {
      const StationSpec& entry = timetable.stations[s];
      station.reset()
          .integer(1, static_cast<int64_t>(s))
          .blob(2, entry.name)
          .text(3, entry.abbreviation)
          .run();
    }
    Statement train(db_, "INSERT INTO trains VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    Statement stop(db_, "INSERT INTO stops VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    Statement number(db_, "INSERT OR IGNORE INTO train_numbers VALUES (?1, ?2)");
    Statement boardable(db_, "INSERT OR IGNORE INTO departures VALUES (?1, ?2, ?3, ?4)");
    for (std::size_t t = 0; t < timetable.trains.size(); ++t) {
      const TrainSpec& entry = timetable.trains[t];
      const auto id = static_cast<int64_t>(t);
      const std::string codes = {entry.classCode, entry.fareColumnCode, entry.fareRateCode};
      train.reset()
          .integer(1, id)
          .text(2, entry.number)
          .text(3, std::string_view(codes).substr(0, 1))
          .text(4, std::string_view(codes).substr(1, 1))
          .text(5, std::string_view(codes).substr(2, 1))
          .integer(6, static_cast<int64_t>(entry.stops.size()))
          .run();
      // Minutes from the day the train leaves: each time that is smaller
      // than the one before it is on the next day.
      int32_t clock = 0;
      int32_t now = 0;
      const auto advance = [&](int32_t minuteOfDay) {
        clock += stepMinutes(now, minuteOfDay);
        now = minuteOfDay;
        return clock;
      };
      for (std::size_t k = 0; k < entry.stops.size(); ++k) {
        const StopSpec& s = entry.stops[k];
        const bool first = k == 0;
        const bool last = k + 1 == entry.stops.size();
        if (first) {
          clock = s.departure;
          now = s.departure;
        }
        const int32_t arrival = first ? clock : advance(s.arrival);
        const int32_t departure = last ? clock : advance(s.departure);
        stop.reset()
            .integer(1, id)
            .integer(2, static_cast<int64_t>(k))
            .integer(3, s.station)
            .integer(4, arrival)
            .integer(5, departure)
            .integer(6, s.distanceKm)
            .run();
        if (!last) {
          boardable.reset()
              .integer(1, s.station)
              .integer(2, s.departure)
              .integer(3, id)
              .integer(4, static_cast<int64_t>(k))
              .run();
        }
      }
      std::size_t begin = 0;
      while (begin <= entry.number.size()) {
        const std::size_t end = std::min(entry.number.find('/', begin), entry.number.size());
        number.reset()
            .text(1, std::string_view(entry.number).substr(begin, end - begin))
            .integer(2, id)
            .run();
        begin = end + 1;
      }
    }
  }
  execute(db_, "COMMIT");
  execute(db_, kIndexes);

  findStation_ = std::make_unique<Statement>(db_, kFindStation);
  stationsByPrefix_ = std::make_unique<Statement>(db_, kStationsByPrefix);
  allStations_ = std::make_unique<Statement>(db_, kAllStations);
  trainsAt_ = std::make_unique<Statement>(db_, kTrainsAt);
  direct_ = std::make_unique<Statement>(db_, kDirect);
  onward_ = std::make_unique<Statement>(db_, kOnward);
  feeders_ = std::make_unique<Statement>(db_, kFeeders);
  stopList_ = std::make_unique<Statement>(db_, kStopList);
  byNumber_ = std::make_unique<Statement>(db_, kByNumber);
  departuresFrom_ = std::make_unique<Statement>(db_, kDeparturesFrom);
  departuresBefore_ = std::make_unique<Statement>(db_, kDeparturesBefore);
}

SqliteTimetable::~SqliteTimetable() {
  findStation_.reset();
  stationsByPrefix_.reset();
  allStations_.reset();
  trainsAt_.reset();
  direct_.reset();
  onward_.reset();
  feeders_.reset();
  stopList_.reset();
  byNumber_.reset();
  departuresFrom_.reset();
  departuresBefore_.reset();
  sqlite3_close(db_);
}

int32_t SqliteTimetable::findStation(std::string_view name) {
  Statement& find = findStation_->reset().blob(1, name);
  return find.step() ? find.int32At(0) : -1;
}

QueryResult SqliteTimetable::stationsByAbbreviation(std::string_view prefix) {
  // The abbreviations that begin with `prefix` sort from it up to (not
  // including) the prefix with its last byte raised by one.
  std::string upper(prefix);
  while (!upper.empty() && static_cast<unsigned char>(upper.back()) == 0xFF) upper.pop_back();
  Statement* query = allStations_.get();
  if (!upper.empty()) {
    upper.back() = static_cast<char>(upper.back() + 1);
    query = &stationsByPrefix_->reset().text(1, prefix).text(2, upper);
  } else {
    query->reset();
  }
  QueryResult result;
  while (query->step()) {
    if (formatting_) {
      result.text += query->bytesAt(0);
      result.text += '|';
    } else {
      sink_ += query->bytesAt(0).size();
    }
    ++result.count;
  }
  return result;
}

namespace {

// The fields of a whole-run line from a row of MURLO_WHOLE_RUN_COLUMNS.
template <typename Row>
LineFields wholeRun(const Row& row) {
  LineFields fields;
  fields.train = row.integerAt(0);
  fields.number = row.bytesAt(1);
  fields.classCode = row.codeAt(2);
  fields.fareColumnCode = row.codeAt(3);
  fields.fareRateCode = row.codeAt(4);
  fields.boardingName = fields.firstName = row.bytesAt(6);
  fields.departure = row.int32At(5) % kMinutesPerDay;
  fields.alightingName = fields.lastName = row.bytesAt(8);
  fields.arrival = row.int32At(7) % kMinutesPerDay;
  fields.distanceKm = row.int32At(9);
  fields.journeyMinutes = row.integerAt(10);
  return fields;
}

}  // namespace

QueryResult SqliteTimetable::trainsAtStation(std::string_view name) {
  const int32_t station = findStation(name);
  if (station < 0) return QueryResult{.status = QueryStatus::kUnknownStation};
  Statement& query = trainsAt_->reset().integer(1, station);
  QueryResult result;
  while (query.step()) {
    const LineFields fields = wholeRun(query);
    if (formatting_) {
      appendLine(result.text, fields, 0);
    } else {
      absorb(fields);
    }
    ++result.count;
  }
  return result;
}

QueryResult SqliteTimetable::directTrains(std::string_view origin, std::string_view destination,
                                          int32_t mode) {
  if (origin == destination) return QueryResult{.status = QueryStatus::kSameStation};
  const int32_t from = findStation(origin);
  if (from < 0) return QueryResult{.status = QueryStatus::kUnknownOrigin};
  const int32_t to = findStation(destination);
  if (to < 0) return QueryResult{.status = QueryStatus::kUnknownDestination};

  Statement& query = direct_->reset().integer(1, from).integer(2, to);
  QueryResult result;
  while (query.step()) {
    LineFields fields;
    fields.train = query.integerAt(0);
    fields.number = query.bytesAt(1);
    fields.classCode = query.codeAt(2);
    fields.fareColumnCode = query.codeAt(3);
    fields.fareRateCode = query.codeAt(4);
    fields.boardingName = origin;
    fields.departure = query.int32At(5) % kMinutesPerDay;
    fields.alightingName = destination;
    fields.arrival = query.int32At(6) % kMinutesPerDay;
    fields.distanceKm = query.int32At(7);
    fields.journeyMinutes = query.integerAt(6) - query.integerAt(5);
    fields.firstName = query.bytesAt(8);
    fields.lastName = query.bytesAt(9);
    if (formatting_) {
      appendLine(result.text, fields, mode);
    } else {
      absorb(fields);
    }
    ++result.count;
  }
  if (result.count == 0) result.text = changeStations(from, to);
  return result;
}

// The stations after the origin and before the destination, each name once
// at its first row, joined by station, kept within 1.36 times the shortest
// total distance: the library's change-station rule.
std::string SqliteTimetable::changeStations(int32_t origin, int32_t destination) {
  struct Listed {
    int32_t station;
    int32_t km;
    std::string name;
  };
  const auto collect = [](Statement& query) {
    std::vector<Listed> listed;
    std::unordered_map<std::string, char> names;
    while (query.step()) {
      std::string name(query.bytesAt(0));
      if (names.emplace(name, 0).second) {
        listed.push_back({query.int32At(1), query.int32At(2), std::move(name)});
      }
    }
    return listed;
  };
  const std::vector<Listed> onward = collect(onward_->reset().integer(1, origin));
  const std::vector<Listed> feeders = collect(feeders_->reset().integer(1, destination));

  std::unordered_map<int32_t, int32_t> feederKm;
  for (const Listed& feeder : feeders) feederKm.emplace(feeder.station, feeder.km);
  std::vector<std::pair<const Listed*, int32_t>> candidates;
  int32_t shortest = kShortestTotalStart;
  for (const Listed& station : onward) {
    const auto it = feederKm.find(station.station);
    if (it == feederKm.end()) continue;
    const int32_t total = station.km + it->second;
    candidates.push_back({&station, total});
    shortest = std::min(shortest, total);
  }
  const auto threshold = static_cast<int32_t>(static_cast<double>(shortest) * kKeepFactor);
  std::string text;
  bool beijingWritten = false;
  for (const auto& [station, total] : candidates) {
    if (total >= threshold) continue;
    if (!beijingWritten && station->name.find(kBeijing) != std::string::npos) {
      text += kBeijing;
      beijingWritten = true;
    } else {
      text += station->name;
    }
    text += '|';
  }
  return text;
}

StopListResult SqliteTimetable::trainStopList(int64_t train, std::string_view boarding,
                                              std::string_view alighting) {
  struct Stop {
    std::string name;
    int32_t arrival;
    int32_t departure;
    int32_t km;
  };
  std::vector<Stop> stops;
  Statement& query = stopList_->reset().integer(1, train);
  while (query.step()) {
    stops.push_back(
        {std::string(query.bytesAt(0)), query.int32At(1), query.int32At(2), query.int32At(3)});
  }
  StopListResult result;
  if (stops.size() < 2) return result;
  // The library's marking walk: from the last stop back, the alighting
  // station turns marking on before its line, the boarding one off after it.
  std::vector<char> marked(stops.size(), 0);
  bool marking = false;
  for (std::size_t i = stops.size(); i-- > 0;) {
    if (!alighting.empty() && stops[i].name == alighting) marking = true;
    marked[i] = marking ? 1 : 0;
    if (!boarding.empty() && stops[i].name == boarding) marking = false;
  }
  for (std::size_t i = 0; i < stops.size(); ++i) {
    const Stop& stop = stops[i];
    if (formatting_) {
      appendStopLine(result.stopList, marked[i] != 0, stop.name, stop.arrival % kMinutesPerDay,
                     stop.departure % kMinutesPerDay, stop.km, i == 0, i + 1 == stops.size());
    } else {
      sink_ += stop.name.size() + static_cast<uint64_t>(stop.arrival + stop.departure + stop.km);
    }
    ++result.stops;
  }
  result.runTime = formatHoursMinutes(stops.back().arrival - stops.front().departure);
  return result;
}

QueryResult SqliteTimetable::trainsByNumber(std::string_view number) {
  QueryResult result;
  if (number.empty()) return result;
  const std::array<std::string, 27> forms = numberForms(number);
  Statement& query = byNumber_->reset();
  for (std::size_t i = 0; i < forms.size(); ++i) query.text(static_cast<int>(i) + 1, forms[i]);
  while (query.step()) {
    const LineFields fields = wholeRun(query);
    if (formatting_) {
      appendLine(result.text, fields, 0);
    } else {
      absorb(fields);
    }
    ++result.count;
  }
  return result;
}

QueryResult SqliteTimetable::departures(std::string_view station, int32_t afterMinute,
                                        int32_t limit) {
  const int32_t id = findStation(station);
  if (id < 0) return QueryResult{.status = QueryStatus::kUnknownStation};
  QueryResult result;
  // SQLite reads a negative LIMIT as none.
  const int64_t wanted = limit == 0 ? -1 : limit;
  for (Statement* part : {departuresFrom_.get(), departuresBefore_.get()}) {
    const int64_t left = wanted < 0 ? -1 : wanted - result.count;
    if (left == 0) break;
    Statement& query = part->reset().integer(1, id).integer(2, afterMinute).integer(3, left);
    while (query.step()) {
      LineFields fields;
      fields.train = query.integerAt(0);
      fields.number = query.bytesAt(1);
      fields.classCode = query.codeAt(2);
      fields.fareColumnCode = query.codeAt(3);
      fields.fareRateCode = query.codeAt(4);
      fields.boardingName = station;
      fields.departure = query.int32At(5) % kMinutesPerDay;
      fields.lastName = fields.alightingName = query.bytesAt(9);
      fields.arrival = query.int32At(6) % kMinutesPerDay;
      fields.distanceKm = query.int32At(7);
      fields.journeyMinutes = query.integerAt(6) - query.integerAt(5);
      fields.firstName = query.bytesAt(8);
      if (formatting_) {
        appendLine(result.text, fields, 0);
      } else {
        absorb(fields);
      }
      ++result.count;
    }
  }
  return result;
}

template <typename Fields>
void SqliteTimetable::absorb(const Fields& f) {
  sink_ += static_cast<uint64_t>(f.train) + f.number.size() + static_cast<uint64_t>(f.classCode) +
           static_cast<uint64_t>(f.fareColumnCode) + static_cast<uint64_t>(f.fareRateCode) +
           f.boardingName.size() + f.alightingName.size() + f.firstName.size() + f.lastName.size() +
           static_cast<uint64_t>(f.departure + f.arrival + f.distanceKm) +
           static_cast<uint64_t>(f.journeyMinutes);
}

std::string SqliteTimetable::queryPlans() {
  std::string plans;
  for (const Statement* statement :
       {findStation_.get(), stationsByPrefix_.get(), trainsAt_.get(), direct_.get(), onward_.get(),
        feeders_.get(), stopList_.get(), byNumber_.get(), departuresFrom_.get(),
        departuresBefore_.get()}) {
    plans += statement->sql();
    plans += '\n';
    const std::string sql = "EXPLAIN QUERY PLAN " + std::string(statement->sql());
    Statement explain(db_, sql.c_str());
    while (explain.step()) {
      plans += "  ";
      plans += explain.bytesAt(3);
      plans += '\n';
    }
  }
  return plans;
}

}  // namespace murlo::bench
