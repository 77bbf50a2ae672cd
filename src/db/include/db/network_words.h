// A network in its own words: each station's name exactly as the source
// writes it, where it lies and whether it takes wheelchairs; the lines; and
// each train's line, headsign, direction, its number as riders know it and
// its platforms. The seven sections keep the code-page-936 names legacy
// hosts need; these are what riders read. A file carries them in extension
// blocks 6 and 7 (docs/file-format.md), which an older reader may skip.
#ifndef MURLO_DB_NETWORK_WORDS_H_
#define MURLO_DB_NETWORK_WORDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/indexes.h"

namespace murlo {

enum class Wheelchair : uint8_t {
  kUnknown = 0,
  kYes = 1,  // wheelchairs can board
  kNo = 2,
};

// A point on the earth in microdegrees (latitude -90e6 to 90e6, longitude
// -180e6 to 180e6).
struct GeoPoint {
  int32_t latitude = 0;
  int32_t longitude = 0;

  friend bool operator==(const GeoPoint&, const GeoPoint&) = default;
};

struct StationWords {
  StationIndex station;
  std::string name;  // UTF-8 as the source writes it, spaces and any script; not empty
  std::optional<GeoPoint> where;
  Wheelchair wheelchair = Wheelchair::kUnknown;

  friend bool operator==(const StationWords&, const StationWords&) = default;
};

// A colour as 0xRRGGBB.
using Rgb = uint32_t;

struct LineWords {
  std::string shortName;  // UTF-8: "4", "A", "Hudson"; may be empty
  std::string longName;   // UTF-8: "Lexington Avenue Express"; may be empty
  int32_t routeType = 0;  // as GTFS numbers it (1 subway, 2 rail, 3 bus, 100s extended), 0..65535
  std::optional<Rgb> colour;
  std::optional<Rgb> textColour;

  friend bool operator==(const LineWords&, const LineWords&) = default;
};

// A train's line of no line.
inline constexpr int32_t kNoLine = -1;
// A train's direction when the source gives none.
inline constexpr int32_t kNoDirection = -1;

struct TrainWords {
  TrainIndex train;
  int32_t line = kNoLine;            // index of NetworkWords::lines
  std::string headsign;              // UTF-8: where the train says it goes; may be empty
  int32_t direction = kNoDirection;  // 0, 1 or none
  std::string number;  // UTF-8: the train's own number as riders know it; may be empty
  Wheelchair wheelchair = Wheelchair::kUnknown;
  // The platform or track of each call of the train's stop list (as the
  // network view reads it), "" where unknown; calls past the list's end
  // have none, so an empty list says no platform at all.
  std::vector<std::string> platforms;

  friend bool operator==(const TrainWords&, const TrainWords&) = default;
};

struct NetworkWords {
  std::vector<StationWords> stations;  // ascending by station, each once
  std::vector<LineWords> lines;
  std::vector<TrainWords> trains;  // ascending by train, each once

  bool empty() const { return stations.empty() && lines.empty() && trains.empty(); }
  friend bool operator==(const NetworkWords&, const NetworkWords&) = default;

  // The words of a station or train, or null when the network has none.
  const StationWords* station(StationIndex station) const;
  const TrainWords* train(TrainIndex train) const;
  // A train's line, or null.
  const LineWords* lineOf(TrainIndex train) const;
};

// Valid UTF-8 without control characters: every text of the words is one
// line of text.
bool isWordsText(std::string_view text);

// Whether `index` names one of `count` stations or trains: the one check of
// every index the words hold.
bool indexWithin(int32_t index, int32_t count);

// Block payloads: 6 the stations' words, 7 the lines and trains' words.
std::string encodeStationWords(const NetworkWords& words);
std::string encodeTrainWords(const NetworkWords& words);
// Each reads its payload whole into `words`, false when it is malformed.
bool readStationWords(std::string_view payload, NetworkWords& words);
bool readTrainWords(std::string_view payload, NetworkWords& words);

// What is wrong with `words` for a network of these counts, or "".
std::string wordsProblem(const NetworkWords& words, int32_t trainCount, int32_t stationCount);

}  // namespace murlo

#endif  // MURLO_DB_NETWORK_WORDS_H_
