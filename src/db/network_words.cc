#include "db/network_words.h"

#include <algorithm>

#include "text/utf8.h"

namespace murlo {
namespace {

constexpr uint32_t kNone32 = 0xFFFFFFFFu;   // no line, no colour
constexpr uint32_t kNoPoint = 0x80000000u;  // latitude and longitude of no coordinates
constexpr uint32_t kNoDirection8 = 0xFF;
constexpr int32_t kMaxLatitude = 90'000'000;
constexpr int32_t kMaxLongitude = 180'000'000;
constexpr Rgb kMaxRgb = 0xFFFFFF;

void put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

void putText(std::string& out, std::string_view text, int lengthBytes) {
  put(out, static_cast<uint32_t>(text.size()), lengthBytes);
  out += text;
}

// Little-endian fields of a payload; a read past its end fails for good.
class Fields {
 public:
  explicit Fields(std::string_view bytes) : bytes_(bytes) {}
  uint32_t take(int width) {
    if (!ok_ || bytes_.size() < static_cast<std::size_t>(width)) return fail();
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
      value = (value << 8) | static_cast<uint8_t>(bytes_[static_cast<std::size_t>(i)]);
    bytes_.remove_prefix(static_cast<std::size_t>(width));
    return value;
  }
  std::string text(int lengthBytes) {
    const std::size_t n = take(lengthBytes);
    if (!ok_ || bytes_.size() < n) return fail(), std::string();
    std::string taken(bytes_.substr(0, n));
    bytes_.remove_prefix(n);
    return taken;
  }
  // A count of entries of at least `leastBytes` each, never more than the
  // bytes left could hold.
  std::size_t count(std::size_t leastBytes) {
    const uint32_t n = take(4);
    if (ok_ && n > bytes_.size() / leastBytes) fail();
    return ok_ ? n : 0;
  }
  bool ok() const { return ok_; }
  bool done() const { return ok_ && bytes_.empty(); }

 private:
  uint32_t fail() {
    ok_ = false;
    return 0;
  }
  std::string_view bytes_;
  bool ok_ = true;
};

uint32_t optional32(const std::optional<uint32_t>& value) { return value ? *value : kNone32; }

std::optional<uint32_t> optionalOf(uint32_t field) {
  return field == kNone32 ? std::nullopt : std::optional<uint32_t>(field);
}

bool isWheelchair(Wheelchair w) { return static_cast<uint8_t>(w) <= 2; }

}  // namespace

bool isWordsText(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<char32_t> c = decodeUtf8At(text, i);
    if (!c || *c < 0x20 || *c == 0x7F) return false;
  }
  return true;
}

bool indexWithin(int32_t index, int32_t count) { return index >= 0 && index < count; }

const StationWords* NetworkWords::station(StationIndex station) const {
  const auto found =
      std::lower_bound(stations.begin(), stations.end(), station,
                       [](const StationWords& w, StationIndex s) { return w.station < s; });
  return found != stations.end() && found->station == station ? &*found : nullptr;
}

const TrainWords* NetworkWords::train(TrainIndex train) const {
  const auto found =
      std::lower_bound(trains.begin(), trains.end(), train,
                       [](const TrainWords& w, TrainIndex t) { return w.train < t; });
  return found != trains.end() && found->train == train ? &*found : nullptr;
}

const LineWords* NetworkWords::lineOf(TrainIndex t) const {
  const TrainWords* words = train(t);
  if (words == nullptr || words->line == kNoLine) return nullptr;
  return &lines[static_cast<std::size_t>(words->line)];
}

std::string encodeStationWords(const NetworkWords& words) {
  std::string out;
  put(out, static_cast<uint32_t>(words.stations.size()), 4);
  for (const StationWords& station : words.stations) {
    put(out, static_cast<uint32_t>(station.station.value()), 4);
    putText(out, station.name, 2);
    put(out, static_cast<uint32_t>(station.wheelchair), 1);
    put(out, station.where ? static_cast<uint32_t>(station.where->latitude) : kNoPoint, 4);
    put(out, station.where ? static_cast<uint32_t>(station.where->longitude) : kNoPoint, 4);
  }
  return out;
}

std::string encodeTrainWords(const NetworkWords& words) {
  std::string out;
  put(out, static_cast<uint32_t>(words.lines.size()), 4);
  for (const LineWords& line : words.lines) {
    putText(out, line.shortName, 2);
    putText(out, line.longName, 2);
    put(out, static_cast<uint32_t>(line.routeType), 2);
    put(out, optional32(line.colour), 4);
    put(out, optional32(line.textColour), 4);
  }
  put(out, static_cast<uint32_t>(words.trains.size()), 4);
  for (const TrainWords& train : words.trains) {
    put(out, static_cast<uint32_t>(train.train.value()), 4);
    put(out, train.line == kNoLine ? kNone32 : static_cast<uint32_t>(train.line), 4);
    putText(out, train.headsign, 2);
    put(out,
        train.direction == kNoDirection ? kNoDirection8 : static_cast<uint32_t>(train.direction),
        1);
    putText(out, train.number, 2);
    put(out, static_cast<uint32_t>(train.wheelchair), 1);
    put(out, static_cast<uint32_t>(train.platforms.size()), 2);
    for (const std::string& platform : train.platforms) putText(out, platform, 1);
  }
  return out;
}

bool readStationWords(std::string_view payload, NetworkWords& words) {
  Fields in(payload);
  const std::size_t n = in.count(4 + 2 + 1 + 1 + 8);
  for (std::size_t i = 0; i < n && in.ok(); ++i) {
    StationWords station;
    station.station = StationIndex(static_cast<int32_t>(in.take(4)));
    station.name = in.text(2);
    station.wheelchair = static_cast<Wheelchair>(in.take(1));
    const uint32_t latitude = in.take(4);
    const uint32_t longitude = in.take(4);
    if (latitude != kNoPoint || longitude != kNoPoint)
      station.where = GeoPoint{static_cast<int32_t>(latitude), static_cast<int32_t>(longitude)};
    words.stations.push_back(std::move(station));
  }
  return in.done();
}

bool readTrainWords(std::string_view payload, NetworkWords& words) {
  Fields in(payload);
  const std::size_t lines = in.count(2 + 2 + 2 + 4 + 4);
  for (std::size_t i = 0; i < lines && in.ok(); ++i) {
    LineWords line;
    line.shortName = in.text(2);
    line.longName = in.text(2);
    line.routeType = static_cast<int32_t>(in.take(2));
    line.colour = optionalOf(in.take(4));
    line.textColour = optionalOf(in.take(4));
    words.lines.push_back(std::move(line));
  }
  const std::size_t trains = in.count(4 + 4 + 2 + 1 + 2 + 1 + 2);
  for (std::size_t i = 0; i < trains && in.ok(); ++i) {
    TrainWords train;
    train.train = TrainIndex(static_cast<int32_t>(in.take(4)));
    const uint32_t line = in.take(4);
    train.line = line == kNone32 ? kNoLine : static_cast<int32_t>(line & 0x7FFFFFFFu);
    if (line != kNone32 && line > 0x7FFFFFFFu) return false;
    train.headsign = in.text(2);
    const uint32_t direction = in.take(1);
    train.direction = direction == kNoDirection8 ? kNoDirection : static_cast<int32_t>(direction);
    train.number = in.text(2);
    train.wheelchair = static_cast<Wheelchair>(in.take(1));
    const uint32_t platforms = in.take(2);
    for (uint32_t k = 0; k < platforms && in.ok(); ++k) train.platforms.push_back(in.text(1));
    words.trains.push_back(std::move(train));
  }
  return in.done();
}

std::string wordsProblem(const NetworkWords& words, int32_t trainCount, int32_t stationCount) {
  std::optional<StationIndex> previousStation;
  for (const StationWords& station : words.stations) {
    if (!indexWithin(station.station.value(), stationCount))
      return "a station's words name no station";
    if (previousStation && station.station <= *previousStation)
      return "stations' words out of order";
    previousStation = station.station;
    if (station.name.empty() || station.name.size() > 0xFFFF || !isWordsText(station.name))
      return "a station's name as written is empty, too long or not UTF-8 text";
    if (!isWheelchair(station.wheelchair)) return "a station's wheelchair access is not a value";
    if (station.where &&
        (station.where->latitude < -kMaxLatitude || station.where->latitude > kMaxLatitude ||
         station.where->longitude < -kMaxLongitude || station.where->longitude > kMaxLongitude))
      return "a station's coordinates are not on the earth";
  }
  if (words.lines.size() > 0x7FFFFFFF) return "too many lines";
  for (const LineWords& line : words.lines) {
    for (const std::string* text : {&line.shortName, &line.longName})
      if (text->size() > 0xFFFF || !isWordsText(*text))
        return "a line's name is too long or not UTF-8 text";
    if (line.routeType < 0 || line.routeType > 0xFFFF) return "a line's type is not 0 to 65535";
    for (const std::optional<Rgb>& colour : {line.colour, line.textColour})
      if (colour && *colour > kMaxRgb) return "a line's colour is not RGB";
  }
  std::optional<TrainIndex> previousTrain;
  for (const TrainWords& train : words.trains) {
    if (!indexWithin(train.train.value(), trainCount)) return "a train's words name no train";
    if (previousTrain && train.train <= *previousTrain) return "trains' words out of order";
    previousTrain = train.train;
    if (train.line != kNoLine && !indexWithin(train.line, static_cast<int32_t>(words.lines.size())))
      return "a train's line is not there";
    if (train.direction != kNoDirection && train.direction != 0 && train.direction != 1)
      return "a train's direction is not 0 or 1";
    for (const std::string* text : {&train.headsign, &train.number})
      if (text->size() > 0xFFFF || !isWordsText(*text))
        return "a train's headsign or number is too long or not UTF-8 text";
    if (!isWheelchair(train.wheelchair)) return "a train's wheelchair access is not a value";
    if (train.platforms.size() > 0xFFFF) return "a train has too many platforms";
    for (const std::string& platform : train.platforms)
      if (platform.size() > 0xFF || !isWordsText(platform))
        return "a platform is too long or not UTF-8 text";
  }
  return "";
}

}  // namespace murlo
