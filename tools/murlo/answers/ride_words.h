// A ride in the network's own words (murlo_db_train_info): its line with
// colours, headsign, the train's own number, wheelchair access, and the
// names as written and platforms where it is boarded and left. Nothing for
// a database without them, so that its answers stay as they were.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_RIDE_WORDS_H_
#define MURLO_TOOLS_MURLO_ANSWERS_RIDE_WORDS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "answers/json_writer.h"
#include "murloppc.h"

namespace murlo::tool {

struct RideWords {
  bool hasLine = false;
  std::string lineShortName;
  std::string lineLongName;
  int32_t routeType = -1;
  std::string colour;      // "#RRGGBB", "" where none
  std::string textColour;  // "#RRGGBB", "" where none
  std::string headsign;
  std::string number;      // the train's own number as riders know it
  std::string wheelchair;  // "yes", "no", "" where unknown
  // Labels (names as written) of the stations boarded at and left at, and
  // of the train's first and last; "" where unknown.
  std::string from, to, firstStation, lastStation;
  std::string fromPlatform, toPlatform;  // "" where unknown
};

// The words of `ride`, or nothing when the database has none for it.
std::optional<RideWords> rideWords(const murlo_db* db, const murlo_ride& ride);

// Its fields, added to the train object being written: "line" (short and
// long name, route type, colours), "headsign", "own_number",
// "wheelchair", "from_as_written", "to_as_written",
// "first_station_as_written", "last_station_as_written", "from_platform",
// "to_platform", each only where known.
void writeRideWordsJson(JsonWriter& json, const RideWords& words);

// A short text for tables: "4 Crown Hts-Utica Av", the line and headsign.
std::string lineAndHeadsign(const RideWords& words);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_RIDE_WORDS_H_
