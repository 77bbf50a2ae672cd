#include "answers/train_listing.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <map>

#include "answers/display_width.h"
#include "answers/host.h"
#include "answers/library_calls.h"
#include "answers/names_as_written.h"
#include "answers/text_table.h"
#include "answers/time_of_day.h"
#include "answers/visible_text.h"

namespace murlo::tool {
namespace {

constexpr std::array<const char*, 4> kFareKeys = {"hard_seat", "soft_seat", "hard_sleeper",
                                                  "soft_sleeper"};

// A fare in JSON: whole yuan as a number, null where it is not offered.
void writeFare(JsonWriter& json, const std::string& fare) {
  int64_t yuan = 0;
  const char* end = fare.data() + fare.size();
  const auto [stop, error] = std::from_chars(fare.data(), end, yuan);
  if (fare == "-") {
    json.null();
  } else if (!fare.empty() && error == std::errc() && stop == end) {
    json.value(yuan);
  } else {
    json.value(fare);
  }
}

}  // namespace

void writeNetworkFare(JsonWriter& json, const std::optional<NetworkFare>& fare) {
  if (!fare) {
    json.null();
    return;
  }
  json.beginObject()
      .field("amount", fare->amount)
      .field("currency", fare->currency)
      .field("digits", int64_t{fare->digits})
      .field("text", fare->text)
      .endObject();
}

std::string fromName(const ListedTrain& t) {
  return writtenOr(t.words ? t.words->from : "", t.line.from);
}
std::string toName(const ListedTrain& t) {
  return writtenOr(t.words ? t.words->to : "", t.line.to);
}
std::string firstName(const ListedTrain& t) {
  return writtenOr(t.words ? t.words->firstStation : "", t.line.firstStation);
}
std::string lastName(const ListedTrain& t) {
  return writtenOr(t.words ? t.words->lastStation : "", t.line.lastStation);
}

namespace {

struct Column {
  const char* name;    // for --columns
  const char* header;  // in the table
  Align align;
  int keep;  // the lower, the sooner it is left out of a narrow table; 0 never
  std::function<std::string(const ListedTrain&)> cell;
};

std::string fare(const ListedTrain& t, std::size_t c) { return t.line.fares[c]; }

std::vector<Column> columnsOf(ListKind kind) {
  const auto departs = [](const ListedTrain& t) {
    return timeWithDay(t.line.departure, t.departureDay);
  };
  const auto arrives = [](const ListedTrain& t) {
    return timeWithDay(t.line.arrival, t.arrivalDay);
  };
  std::vector<Column> columns = {
      {"index", "Index", Align::kRight, 9,
       [](const ListedTrain& t) { return std::to_string(t.line.index); }},
      {"train", "Train", Align::kLeft, 0, [](const ListedTrain& t) { return t.line.number; }},
  };
  if (kind == ListKind::kAt) {
    columns.push_back({"arrives", "Arrives", Align::kLeft, 0, [](const ListedTrain& t) {
                         return timeWithDay(t.atArrival, t.atArrivalDay);
                       }});
    columns.push_back({"departs", "Departs", Align::kLeft, 0, [](const ListedTrain& t) {
                         return timeWithDay(t.atDeparture, t.atDepartureDay);
                       }});
    columns.push_back({"runs-from", "Runs from", Align::kLeft, 10,
                       [=](const ListedTrain& t) { return firstName(t) + " " + departs(t); }});
    columns.push_back({"runs-to", "Runs to", Align::kLeft, 11,
                       [=](const ListedTrain& t) { return lastName(t) + " " + arrives(t); }});
  } else if (kind == ListKind::kDepartures) {
    columns.push_back({"departs", "Departs", Align::kLeft, 0, departs});
    columns.push_back(
        {"to", "To", Align::kLeft, 0, [](const ListedTrain& t) { return toName(t); }});
    columns.push_back({"arrives", "Arrives", Align::kLeft, 0, arrives});
    columns.push_back({"runs-from", "Runs from", Align::kLeft, 5,
                       [](const ListedTrain& t) { return firstName(t); }});
  } else if (kind == ListKind::kArrivals) {
    columns.push_back({"arrives", "Arrives", Align::kLeft, 0, arrives});
    columns.push_back(
        {"from", "From", Align::kLeft, 0, [](const ListedTrain& t) { return fromName(t); }});
    columns.push_back({"departs", "Departs", Align::kLeft, 0, departs});
    columns.push_back(
        {"runs-to", "Runs to", Align::kLeft, 5, [](const ListedTrain& t) { return lastName(t); }});
  } else {
    columns.push_back(
        {"from", "From", Align::kLeft, 12, [](const ListedTrain& t) { return fromName(t); }});
    columns.push_back({"departs", "Departs", Align::kLeft, 0, departs});
    columns.push_back(
        {"to", "To", Align::kLeft, 13, [](const ListedTrain& t) { return toName(t); }});
    columns.push_back({"arrives", "Arrives", Align::kLeft, 0, arrives});
    columns.push_back({"runs-from", "Runs from", Align::kLeft, 4,
                       [](const ListedTrain& t) { return firstName(t); }});
    columns.push_back(
        {"runs-to", "Runs to", Align::kLeft, 5, [](const ListedTrain& t) { return lastName(t); }});
  }
  columns.push_back(
      {"class", "Class", Align::kLeft, 6, [](const ListedTrain& t) { return t.line.className; }});
  columns.push_back({"duration", "Duration", Align::kLeft, 8,
                     [](const ListedTrain& t) { return t.line.journeyTime; }});
  columns.push_back({"hard-seat", "Hard seat", Align::kRight, 7,
                     [](const ListedTrain& t) { return fare(t, 0); }});
  columns.push_back({"soft-seat", "Soft seat", Align::kRight, 3,
                     [](const ListedTrain& t) { return fare(t, 1); }});
  columns.push_back({"hard-sleeper", "Hard sleeper", Align::kRight, 2,
                     [](const ListedTrain& t) { return fare(t, 2); }});
  columns.push_back({"soft-sleeper", "Soft sleeper", Align::kRight, 1,
                     [](const ListedTrain& t) { return fare(t, 3); }});
  // The network's own fare, in its currency (a database that does not use
  // the built-in tariff).
  columns.push_back({"fare", "Fare", Align::kRight, 7, [](const ListedTrain& t) {
                       return t.line.fare ? t.line.fare->text : std::string("-");
                     }});
  return columns;
}

bool isFare(const Column& column) {
  const std::string_view name = column.name;
  return name.ends_with("-seat") || name.ends_with("-sleeper") || name == "fare";
}

// Whether the table shows fare column `column` at all: the built-in
// tariff's four for a database that uses it, the network's own fare for one
// that does not where some line has a fare; never a column of no fares.
bool hasFares(const Column& column, const std::vector<ListedTrain>& trains) {
  const bool builtIn = trains.empty() || trains.front().line.builtInFares;
  if (std::string_view(column.name) != "fare") return builtIn;
  return !builtIn && std::any_of(trains.begin(), trains.end(),
                                 [](const ListedTrain& t) { return t.line.fare.has_value(); });
}

// Minutes from `fromMinute` on to `time` round the clock. A time past 23:59
// (a database may hold one) comes after every time of day, by its value; a
// text that is no time comes at 24:00.
int minutesAfter(const std::string& time, int fromMinute) {
  const int minutes = minutesOf(time).value_or(kMinutesPerDay);
  if (minutes >= kMinutesPerDay) return minutes;
  return (minutes - fromMinute + kMinutesPerDay) % kMinutesPerDay;
}

}  // namespace

std::vector<ListedTrain> daysFromBoardDay(std::vector<ListedTrain> trains, ListKind kind) {
  for (ListedTrain& train : trains) {
    if (!train.boardDay) continue;
    const int dayThere = kind == ListKind::kDepartures ? train.departureDay : train.arrivalDay;
    const int shift = *train.boardDay - dayThere;
    train.departureDay += shift;
    train.arrivalDay += shift;
  }
  return trains;
}

void printDayAskedNote(std::ostream& out, bool dayBefore) {
  out << "\n+1 marks a time on the day after the one asked about, +2 two days after"
      << (dayBefore ? ", -1 the day before" : "") << ".\n";
}

bool hasDayMarks(const std::vector<ListedTrain>& trains) {
  return std::any_of(trains.begin(), trains.end(),
                     [](const ListedTrain& t) { return t.departureDay != 0 || t.arrivalDay != 0; });
}

void sortByDeparture(std::vector<ListedTrain>& trains, ListKind kind, int fromMinute) {
  const auto key = [kind, fromMinute](const ListedTrain& t) {
    if (kind == ListKind::kArrivals) return minutesAfter(t.line.arrival, fromMinute);
    if (kind != ListKind::kAt) return minutesAfter(t.line.departure, fromMinute);
    return minutesAfter(t.atDeparture != "-" ? t.atDeparture : t.atArrival, fromMinute);
  };
  std::stable_sort(trains.begin(), trains.end(),
                   [&](const ListedTrain& a, const ListedTrain& b) { return key(a) < key(b); });
}

std::vector<std::string> columnNames(ListKind kind) {
  std::vector<std::string> names;
  for (const Column& column : columnsOf(kind)) names.emplace_back(column.name);
  return names;
}

Result<std::vector<std::string>> parseColumns(ListKind kind, std::string_view list) {
  const std::vector<std::string> known = columnNames(kind);
  std::vector<std::string> chosen;
  std::size_t begin = 0;
  while (begin <= list.size()) {
    std::size_t end = list.find(',', begin);
    if (end == std::string_view::npos) end = list.size();
    const std::string name(list.substr(begin, end - begin));
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      std::string message = "unknown column '" + name + "'; the columns are";
      for (const std::string& k : known) message += " " + k;
      return Status::badParameter("--columns", std::move(message));
    }
    chosen.push_back(name);
    begin = end + 1;
  }
  return chosen;
}

void printTrainTable(const std::vector<ListedTrain>& trains, ListKind kind,
                     const TableLayout& layout, std::ostream& out) {
  std::vector<Column> all = columnsOf(kind);
  std::vector<Column> shown;
  if (!layout.columns.empty()) {
    for (const std::string& name : layout.columns) {
      for (const Column& column : all) {
        if (column.name == name) shown.push_back(column);
      }
    }
  } else {
    for (const Column& column : all) {
      if (!isFare(column) || (layout.fares && hasFares(column, trains))) shown.push_back(column);
    }
    // The network's own words: the line and headsign after the train, the
    // platform boarded at after the times, where any train has them.
    const bool lines = std::any_of(trains.begin(), trains.end(), [](const ListedTrain& t) {
      return t.words && !lineAndHeadsign(*t.words).empty();
    });
    const bool platforms = std::any_of(trains.begin(), trains.end(), [](const ListedTrain& t) {
      return t.words && !t.words->fromPlatform.empty();
    });
    if (lines) {
      shown.insert(shown.begin() + 2,
                   Column{"line", "Line", Align::kLeft, 8, [](const ListedTrain& t) {
                            return t.words ? lineAndHeadsign(*t.words) : "";
                          }});
    }
    if (platforms) {
      shown.insert(shown.begin() + 3 + (lines ? 1 : 0),
                   Column{"platform", "Platform", Align::kLeft, 7, [](const ListedTrain& t) {
                            return t.words ? t.words->fromPlatform : "";
                          }});
    }
  }
  std::vector<std::vector<std::string>> rows;
  for (const ListedTrain& train : trains) {
    std::vector<std::string> row;
    for (const Column& column : shown) row.push_back(column.cell(train));
    rows.push_back(std::move(row));
  }
  if (layout.columns.empty() && layout.width > 0) {
    // Leave out the least needed column until the table fits.
    for (;;) {
      std::size_t width = 0;
      std::size_t drop = shown.size();
      for (std::size_t c = 0; c < shown.size(); ++c) {
        std::size_t columnWidth = displayWidth(shown[c].header);
        for (const auto& row : rows) {
          // As the table will show the cell: control characters escaped.
          columnWidth = std::max(columnWidth, displayWidth(visibleText(row[c])));
        }
        width += columnWidth + (c > 0 ? 2 : 0);
        if (shown[c].keep > 0 && (drop == shown.size() || shown[c].keep < shown[drop].keep)) {
          drop = c;
        }
      }
      if (width <= layout.width || drop == shown.size()) break;
      shown.erase(shown.begin() + static_cast<long>(drop));
      for (auto& row : rows) row.erase(row.begin() + static_cast<long>(drop));
    }
  }
  std::vector<TableColumn> headers;
  for (const Column& column : shown) headers.push_back({column.header, column.align});
  TextTable table(std::move(headers));
  for (auto& row : rows) table.addRow(std::move(row));
  table.print(out);
}

void writeTrainsJson(JsonWriter& json, const std::vector<ListedTrain>& trains, ListKind kind) {
  json.beginArray();
  for (const ListedTrain& train : trains) writeTrainJson(json, train, kind);
  json.endArray();
}

void writeTrainJson(JsonWriter& json, const ListedTrain& train, ListKind kind) {
  const TrainLine& t = train.line;
  json.beginObject()
      .field("index", int64_t{t.index})
      .field("marker", t.marker)
      .field("number", t.number)
      .field("from", t.from)
      .field("departure", t.departure)
      .field("to", t.to)
      .field("arrival", t.arrival)
      .field("first_station", t.firstStation)
      .field("last_station", t.lastStation)
      .field("class", t.className)
      .field("journey_time", t.journeyTime)
      .key("fares")
      .beginObject();
  for (std::size_t c = 0; c < t.fares.size(); ++c) {
    json.key(kFareKeys[c]);
    writeFare(json, t.fares[c]);
  }
  json.endObject()
      .field("departure_day", int64_t{train.departureDay})
      .field("arrival_day", int64_t{train.arrivalDay});
  if (!t.builtInFares) {
    json.key("fare");
    writeNetworkFare(json, t.fare);
  }
  if (train.boardDay) json.field("board_day", int64_t{*train.boardDay});
  if (kind == ListKind::kAt) {
    json.key("at_arrival");
    train.atArrival == "-" ? json.null() : json.value(train.atArrival);
    json.key("at_departure");
    train.atDeparture == "-" ? json.null() : json.value(train.atDeparture);
    json.field("at_arrival_day", int64_t{train.atArrivalDay})
        .field("at_departure_day", int64_t{train.atDepartureDay});
  }
  if (train.words) writeRideWordsJson(json, *train.words);
  json.endObject();
}

}  // namespace murlo::tool
