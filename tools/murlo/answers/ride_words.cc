#include "answers/ride_words.h"

#include <cstdio>

namespace murlo::tool {
namespace {

std::string colourText(int32_t colour) {
  if (colour == MURLO_NO_COLOUR) return "";
  char text[16];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(colour) & 0xFFFFFFu);
  return text;
}

std::string at(const char* const* texts, std::size_t count, std::size_t i) {
  return i < count && texts[i] != nullptr ? std::string(texts[i]) : std::string();
}

}  // namespace

std::optional<RideWords> rideWords(const murlo_db* db, const murlo_ride& ride) {
  murlo_train_info* info = nullptr;
  if (murlo_db_train_info(db, ride.train, &info) != MURLO_STATUS_OK) return std::nullopt;
  RideWords words;
  words.hasLine = info->has_line != 0;
  words.lineShortName = info->line_short_name;
  words.lineLongName = info->line_long_name;
  words.routeType = info->route_type;
  words.colour = colourText(info->colour);
  words.textColour = colourText(info->text_colour);
  words.headsign = info->headsign;
  words.number = info->number_as_written;
  words.wheelchair = info->wheelchair == MURLO_WHEELCHAIR_YES  ? "yes"
                     : info->wheelchair == MURLO_WHEELCHAIR_NO ? "no"
                                                               : "";
  const std::size_t stops = info->stop_count;
  words.from = at(info->stop_labels, stops, ride.board_stop);
  words.to = at(info->stop_labels, stops, ride.alight_stop);
  words.firstStation = at(info->stop_labels, stops, 0);
  words.lastStation = stops == 0 ? "" : at(info->stop_labels, stops, stops - 1);
  words.fromPlatform = at(info->platforms, info->platform_count, ride.board_stop);
  words.toPlatform = at(info->platforms, info->platform_count, ride.alight_stop);
  murlo_train_info_free(info);
  const bool any = words.hasLine || !words.headsign.empty() || !words.number.empty() ||
                   !words.wheelchair.empty() || !words.from.empty() || !words.to.empty() ||
                   !words.firstStation.empty() || !words.lastStation.empty() ||
                   !words.fromPlatform.empty() || !words.toPlatform.empty();
  if (!any) return std::nullopt;
  return words;
}

void writeRideWordsJson(JsonWriter& json, const RideWords& words) {
  if (words.hasLine) {
    json.key("line").beginObject().field("short_name", words.lineShortName);
    json.field("long_name", words.lineLongName).field("route_type", int64_t{words.routeType});
    json.key("colour");
    words.colour.empty() ? json.null() : json.value(words.colour);
    json.key("text_colour");
    words.textColour.empty() ? json.null() : json.value(words.textColour);
    json.endObject();
  }
  const auto text = [&](const char* name, const std::string& value) {
    if (!value.empty()) json.field(name, value);
  };
  text("headsign", words.headsign);
  text("own_number", words.number);
  text("wheelchair", words.wheelchair);
  text("from_as_written", words.from);
  text("to_as_written", words.to);
  text("first_station_as_written", words.firstStation);
  text("last_station_as_written", words.lastStation);
  text("from_platform", words.fromPlatform);
  text("to_platform", words.toPlatform);
}

std::string lineAndHeadsign(const RideWords& words) {
  std::string text = words.lineShortName;
  if (!words.headsign.empty()) text += (text.empty() ? "" : " ") + words.headsign;
  return text;
}

}  // namespace murlo::tool
