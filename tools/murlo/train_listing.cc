#include "train_listing.h"

#include <array>
#include <charconv>
#include <string>

#include "text_table.h"

namespace murlo::tool {
namespace {

constexpr std::array<const char*, 4> kFareHeaders = {"Hard seat", "Soft seat", "Hard sleeper",
                                                     "Soft sleeper"};
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

void printTrainTable(const std::vector<TrainLine>& trains, std::ostream& out) {
  std::vector<TableColumn> columns = {
      {"Index", Align::kRight},
      {"Train"},
      {"From"},
      {"Departs"},
      {"To"},
      {"Arrives"},
      {"Runs from"},
      {"Runs to"},
      {"Class"},
      {"Duration"},
  };
  for (const char* header : kFareHeaders) columns.push_back({header, Align::kRight});
  TextTable table(std::move(columns));
  for (const TrainLine& t : trains) {
    std::vector<std::string> row = {
        std::to_string(t.index), t.number,      t.from,      t.departure,  t.to, t.arrival,
        t.firstStation,          t.lastStation, t.className, t.journeyTime};
    row.insert(row.end(), t.fares.begin(), t.fares.end());
    table.addRow(std::move(row));
  }
  table.print(out);
}

void writeTrainsJson(JsonWriter& json, const std::vector<TrainLine>& trains) {
  json.beginArray();
  for (const TrainLine& t : trains) {
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
    json.endObject().endObject();
  }
  json.endArray();
}

}  // namespace murlo::tool
