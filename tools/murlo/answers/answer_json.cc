#include "answers/answer_json.h"

#include <algorithm>

#include "answers/service_date.h"
#include "answers/station_pinyin.h"
#include "answers/time_of_day.h"

namespace murlo::tool {
namespace {

void optionalText(JsonWriter& json, std::string_view key, const std::optional<std::string>& text) {
  json.key(key);
  text ? json.value(*text) : json.null();
}

// A time of a stop list: null where the library writes "-".
void stopTime(JsonWriter& json, std::string_view key, const std::string& time) {
  json.key(key);
  time == "-" ? json.null() : json.value(time);
}

// Each station's name in pinyin ("Beijingxi"), null where it has none (a
// name not all Chinese characters of the first level of GB 2312).
void pinyinArray(JsonWriter& json, const std::vector<StationEntry>& stations) {
  json.key("pinyin").beginArray();
  for (const StationEntry& station : stations) {
    const std::string pinyin = stationPinyin(station.name);
    pinyin.empty() ? json.null() : json.value(pinyin);
  }
  json.endArray();
}

// Where the database writes its own names: each station's label (its name
// as written, told apart from equal ones: "125 St (4 5 6)"), null where it
// has none. Nothing for a database without them.
void labelsArray(JsonWriter& json, const std::vector<StationEntry>& stations) {
  if (std::none_of(stations.begin(), stations.end(),
                   [](const StationEntry& s) { return !s.label.empty(); }))
    return;
  json.key("labels").beginArray();
  for (const StationEntry& station : stations)
    station.label.empty() ? json.null() : json.value(station.label);
  json.endArray();
}

// Where the database gives them: each station's [latitude, longitude] in
// degrees, null where it has none. Nothing for a database without them.
void coordinatesArray(JsonWriter& json, const std::vector<StationEntry>& stations) {
  if (std::none_of(stations.begin(), stations.end(),
                   [](const StationEntry& s) { return s.hasCoordinates; }))
    return;
  json.key("coordinates").beginArray();
  for (const StationEntry& station : stations) {
    if (!station.hasCoordinates) {
      json.null();
      continue;
    }
    json.beginArray().decimal(station.latitude, 6).decimal(station.longitude, 6).endArray();
  }
  json.endArray();
}

// Where the database says it of some station: each station's wheelchair
// access, "yes", "no" or null. Nothing for a database that says none.
void wheelchairArray(JsonWriter& json, const std::vector<StationEntry>& stations) {
  if (std::all_of(stations.begin(), stations.end(),
                  [](const StationEntry& s) { return s.wheelchair.empty(); }))
    return;
  json.key("wheelchair").beginArray();
  for (const StationEntry& station : stations)
    station.wheelchair.empty() ? json.null() : json.value(station.wheelchair);
  json.endArray();
}

// Where a line's name found some of the stations: for each, that line
// ("4 Lexington Avenue Express"), null for one found by its own name.
void byLineArray(JsonWriter& json, const std::vector<std::string>& byLine) {
  if (std::all_of(byLine.begin(), byLine.end(), [](const std::string& l) { return l.empty(); }))
    return;
  json.key("by_line").beginArray();
  for (const std::string& line : byLine) line.empty() ? json.null() : json.value(line);
  json.endArray();
}

}  // namespace

void writeAnswerJson(JsonWriter& json, const std::string& database, const HeaderAnswer& answer) {
  json.beginObject().field("database", database).field("header", answer.header);
  // The period and the time zone where the database has them (a file
  // without either answers as before).
  if (answer.firstDate != MURLO_NO_DATE) {
    json.field("first_date", formatIsoDate(answer.firstDate))
        .field("last_date", formatIsoDate(answer.lastDate));
  }
  if (!answer.timeZone.empty()) json.field("time_zone", answer.timeZone);
  if (answer.firstDate != MURLO_NO_DATE) {
    json.field("today", formatIsoDate(answer.today))
        .field("now", formatMinuteOfDay(answer.nowMinute));
  }
  json.endObject();
}

void writeAnswerJson(JsonWriter& json, const std::string& database, const StationsAnswer& answer) {
  json.beginObject().field("database", database).field("abbreviation", answer.abbreviation);
  if (answer.namePart) json.field("name", *answer.namePart);
  if (answer.alsoAbbreviation) json.field("also_abbreviation", *answer.alsoAbbreviation);
  json.field("count", static_cast<int64_t>(answer.stations.size())).key("stations").beginArray();
  for (const StationEntry& station : answer.stations) json.value(station.name);
  json.endArray().key("abbreviations").beginArray();
  for (const StationEntry& station : answer.stations) json.value(station.abbreviation);
  json.endArray();
  pinyinArray(json, answer.stations);
  labelsArray(json, answer.stations);
  coordinatesArray(json, answer.stations);
  wheelchairArray(json, answer.stations);
  byLineArray(json, answer.byLine);
  json.endObject();
}

void writeAnswerJson(JsonWriter& json, const std::string& database,
                     const TypedStationsAnswer& answer) {
  json.beginObject()
      .field("database", database)
      .field("text", answer.typed)
      .field("count", static_cast<int64_t>(answer.stations.size()))
      .key("more")
      .boolean(answer.more)
      .key("stations")
      .beginArray();
  for (const StationEntry& station : answer.stations) json.value(station.name);
  json.endArray().key("abbreviations").beginArray();
  for (const StationEntry& station : answer.stations) json.value(station.abbreviation);
  // A station group's members, an empty list for a station.
  json.endArray().key("members").beginArray();
  for (const StationEntry& station : answer.stations) {
    json.beginArray();
    for (const std::string& member : station.members) json.value(member);
    json.endArray();
  }
  json.endArray();
  pinyinArray(json, answer.stations);
  labelsArray(json, answer.stations);
  coordinatesArray(json, answer.stations);
  wheelchairArray(json, answer.stations);
  byLineArray(json, answer.byLine);
  json.endObject();
}

void writeAnswerJson(JsonWriter& json, const std::string& database, const TrainsAnswer& answer) {
  json.beginObject().field("database", database);
  for (const auto& [key, value] : answer.subject) {
    json.field(key, value);
    if (key == "station" || key == "from" || key == "to")
      writeAsWritten(json, key, answer.written, value);
  }
  json.field("count", int64_t{answer.count}).key("trains");
  writeTrainsJson(json, answer.trains, answer.kind);
  if (answer.kind == ListKind::kDirect) {
    json.key("change_stations").beginArray();
    for (const std::string& station : answer.changeStations) json.value(station);
    json.endArray();
    // Their labels, null where a station has none; only where one has.
    if (std::any_of(answer.changeStations.begin(), answer.changeStations.end(),
                    [&](const std::string& s) { return answer.written.contains(s); })) {
      json.key("change_stations_as_written").beginArray();
      for (const std::string& station : answer.changeStations) {
        const auto found = answer.written.find(station);
        found == answer.written.end() ? json.null() : json.value(found->second);
      }
      json.endArray();
    }
  }
  json.endObject();
}

void writeAnswerJson(JsonWriter& json, const std::string& database, const StopsAnswer& answer) {
  json.beginObject().field("database", database).field("train", int64_t{answer.train});
  optionalText(json, "from", answer.from);
  if (answer.from) writeAsWritten(json, "from", answer.written, *answer.from);
  optionalText(json, "to", answer.to);
  if (answer.to) writeAsWritten(json, "to", answer.written, *answer.to);
  json.field("count", int64_t{answer.count})
      .field("run_time", answer.runTime)
      .key("stops")
      .beginArray();
  for (const StopLine& stop : answer.stops) {
    json.beginObject().key("on_journey").boolean(stop.onJourney).field("station", stop.station);
    writeAsWritten(json, "station", answer.written, stop.station);
    stopTime(json, "arrival", stop.arrival);
    stopTime(json, "departure", stop.departure);
    json.field("km", int64_t{stop.km})
        .field("arrival_day", int64_t{stop.arrivalDay})
        .field("departure_day", int64_t{stop.departureDay})
        .endObject();
  }
  json.endArray();
  if (answer.runsFromTo) json.key("runs_from_to").boolean(*answer.runsFromTo);
  json.endObject();
}

void writeAnswerJson(JsonWriter& json, const std::string& database, const BoardAnswer& answer) {
  json.beginObject().field("database", database).field("station", answer.station);
  writeAsWritten(json, "station", answer.written, answer.station);
  json.field("at", formatMinuteOfDay(answer.atMinute));
  if (answer.date != MURLO_NO_DATE) json.field("date", formatIsoDate(answer.date));
  json.field("limit", int64_t{answer.limit}).field("count", int64_t{answer.count}).key("trains");
  writeTrainsJson(json, answer.trains, answer.kind);
  json.endObject();
}

void writeAnswerJson(JsonWriter& json, const std::string& database, const PlanAnswer& answer) {
  const PlanQuestion& question = answer.question;
  json.beginObject().field("database", database).field("from", answer.from);
  writeAsWritten(json, "from", answer.written, answer.from);
  json.field("to", answer.to);
  writeAsWritten(json, "to", answer.written, answer.to);
  json.key("at");
  // The time as the question gave it: `at`, else `before` or `arrive_by`.
  const std::string time = formatMinuteOfDay(question.atMinute);
  switch (question.time) {
    case JourneyTime::kLeaveFrom: json.value(time); break;
    case JourneyTime::kLeaveBefore: json.null().field("before", time); break;
    case JourneyTime::kArriveBy: json.null().field("arrive_by", time); break;
  }
  if (question.date != MURLO_NO_DATE) json.field("date", formatIsoDate(question.date));
  json.field("max_changes", int64_t{question.maxChanges})
      .field("change_time", int64_t{question.changeMinutes})
      .field("least_change_time", int64_t{question.leastChangeMinutes})
      .field("own_change_times", int64_t{answer.ownChangeTimes})
      .field("limit", int64_t{question.limit})
      .field("count", int64_t{answer.count})
      .key("journeys")
      .beginArray();
  for (const Journey& journey : answer.journeys) {
    json.beginObject()
        .field("departure", journey.departure)
        .field("arrival", journey.arrival)
        .field("departure_day", int64_t{journey.departureDay})
        .field("arrival_day", int64_t{journey.arrivalDay})
        .field("duration", journey.duration)
        .field("changes", static_cast<int64_t>(journey.rides.size()) - 1)
        .key("rides")
        .beginArray();
    for (const Ride& ride : journey.rides) {
      json.beginObject().key("wait_minutes");
      ride.waitMinutes ? json.value(int64_t{*ride.waitMinutes}) : json.null();
      json.key("walk");
      if (ride.walk) {
        json.beginObject().field("from", ride.walk->from).field("to", ride.walk->to);
        json.field("minutes", int64_t{ride.walk->minutes});
        writeAsWritten(json, "from", answer.written, ride.walk->from);
        writeAsWritten(json, "to", answer.written, ride.walk->to);
        json.endObject();
      } else {
        json.null();
      }
      json.field("departure_day", int64_t{ride.departureDay})
          .field("arrival_day", int64_t{ride.arrivalDay})
          .key("train");
      writeTrainJson(json, ride.train, ListKind::kDirect);
      json.endObject();
    }
    json.endArray();
    // A network's own fares: the journey's, where every ride has one.
    if (!journey.builtInFares) {
      json.key("fare");
      writeNetworkFare(json, journey.fare);
    }
    json.endObject();
  }
  json.endArray().endObject();
}

}  // namespace murlo::tool
