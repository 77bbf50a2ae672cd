#include "db/extension_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>
#include <optional>
#include <set>
#include <span>
#include <type_traits>

#include "db/civil_day.h"
#include "db/crc32.h"
#include "db/file_format.h"

namespace murlo {
namespace {

constexpr int32_t kMinutesPerDay = 1440;
constexpr int32_t kNoTrain = -1;  // a transfer's train field for every train

// Little-endian fields.
void put(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

// Reads fields from a span of bytes; any read past its end fails the reader
// for good, so a caller checks ok() once after a run of reads.
class FieldReader {
 public:
  explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

  uint32_t take(int width) {
    if (!ok_ || bytes_.size() < static_cast<std::size_t>(width)) {
      ok_ = false;
      return 0;
    }
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
      value = (value << 8) | static_cast<uint8_t>(bytes_[static_cast<std::size_t>(i)]);
    bytes_.remove_prefix(static_cast<std::size_t>(width));
    return value;
  }
  std::string_view bytes(std::size_t count) {
    if (!ok_ || bytes_.size() < count) {
      ok_ = false;
      return {};
    }
    const std::string_view taken = bytes_.substr(0, count);
    bytes_.remove_prefix(count);
    return taken;
  }
  // A count of entries of at least `leastBytes` each: never more than the
  // bytes left could hold, so nothing is reserved for entries that are not there.
  std::size_t count(std::size_t leastBytes) {
    const uint32_t n = take(4);
    if (ok_ && n > bytes_.size() / leastBytes) ok_ = false;
    return ok_ ? n : 0;
  }
  bool ok() const { return ok_; }
  bool done() const { return ok_ && bytes_.empty(); }

 private:
  std::string_view bytes_;
  bool ok_ = true;
};

bool isMinutes(int32_t minutes) { return minutes >= 0 && minutes < kMinutesPerDay; }

// The largest of the `count` bytes at `bytes` minus '0' (unsigned): a plain
// loop the compiler vectorises.
uint8_t largestDigit(const char* bytes, std::size_t count) {
  uint8_t largest = 0;
  for (std::size_t i = 0; i < count; ++i)
    largest =
        std::max(largest, static_cast<uint8_t>(static_cast<uint8_t>(bytes[i]) - uint8_t{'0'}));
  return largest;
}

// Whether every byte of `text` is a digit (its largest byte minus '0' is at
// most 9): sixteen bytes a step, the bytes left over by the last sixteen
// bytes again rather than one by one.
bool isDigits(std::string_view text) {
  constexpr std::size_t kStep = 16;
  if (text.size() < kStep) return largestDigit(text.data(), text.size()) <= 9;
  const uint8_t whole = largestDigit(text.data(), text.size() / kStep * kStep);
  const uint8_t last = largestDigit(text.data() + text.size() - kStep, kStep);
  return std::max(whole, last) <= 9;
}

// The eight bytes at `at` as a little-endian number: the first byte lowest.
inline uint64_t littleEndian64(const char* at) {
  uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, at, sizeof word);
  } else {
    for (int i = 7; i >= 0; --i) word = (word << 8) | static_cast<uint8_t>(at[i]);
  }
  return word;
}

// The eight bytes at `at` as a big-endian number: the first byte highest,
// so that numbers compare as the texts do.
inline uint64_t bigEndian64(const char* at) {
  uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  if constexpr (std::endian::native == std::endian::little) {
#if defined(__GNUC__) || defined(__clang__)
    word = __builtin_bswap64(word);
#else
    word = (word >> 56) | ((word >> 40) & 0xFF00u) | ((word >> 24) & 0xFF0000u) |
           ((word >> 8) & 0xFF000000u) | ((word << 8) & 0xFF00000000u) |
           ((word << 24) & 0xFF0000000000u) | ((word << 40) & 0xFF000000000000u) | (word << 56);
#endif
  }
  return word;
}

// Tells whether a field of `width` (at most 8) digits names a number below
// `count`: fields of digits alone, of one width, compare as their numbers
// do, so a field is compared whole with `count` written in that width.
class BelowCount {
 public:
  BelowCount(int width, int32_t count) : shift_(8 * (8 - width)) {
    int64_t most = 1;
    for (int i = 0; i < width; ++i) most *= 10;
    if (count >= most) {
      limit_ = UINT64_MAX;  // every field of the width is below it
      return;
    }
    char text[8] = {};
    auto left = static_cast<uint32_t>(std::max(count, 0));
    for (int i = width - 1; i >= 0; --i, left /= 10) text[i] = static_cast<char>('0' + left % 10);
    limit_ = bigEndian64(text) >> shift_;
  }
  // REQUIRES: the eight bytes at `at` can be read; the field's are digits.
  bool operator()(const char* at) const { return (bigEndian64(at) >> shift_) < limit_; }

 private:
  int shift_;
  uint64_t limit_;
};

// Whether the digits "hhmmhhmm" at `at` are two times of day, all four
// pairs compared at once: each pair's value in a 16-bit lane, taken from
// its limit with the lane's top bit set, leaves that bit set when within it.
bool areTimesOfDay(const char* at) {
  const uint64_t digits = littleEndian64(at) & 0x0F0F0F0F0F0F0F0Fu;
  const uint64_t pairs = (digits * 10 + (digits >> 8)) & 0x00FF00FF00FF00FFu;
  constexpr uint64_t kTop = 0x8000800080008000u;
  constexpr uint64_t kLimits = 59ull << 48 | 23ull << 32 | 59ull << 16 | 23ull;  // mm hh mm hh
  return (((kLimits | kTop) - pairs) & kTop) == kTop;
}

// What is wrong with a train's `stops` stop records (`records`), each
// `size` bytes, a station of `stationDigits` digits then hh mm hh mm and
// the distance; "" when nothing is. Every byte is checked to be a digit
// before any record is read.
const char* stopRecordsProblem(std::string_view records, std::size_t stops, std::size_t size,
                               int stationDigits, const BelowCount& isStation) {
  if (records.size() != stops * size) return "a train's stop records are cut";
  if (!isDigits(records)) return "a stop record holds a byte that is not a digit";
  for (std::size_t k = 0; k < stops; ++k) {
    const char* const record = records.data() + k * size;
    if (!isStation(record)) return "a stop names no station";
    if (!areTimesOfDay(record + stationDigits)) return "a stop's time is not a time of day";
  }
  return "";
}

// (`isStation`: below the sections' station count, in four digits.)
std::string trainCallsProblem(const TrainCalls& calls, const BelowCount& isStation) {
  const std::size_t stops = calls.rules.size();
  if (stops < static_cast<std::size_t>(kMinStops) || stops > static_cast<std::size_t>(kMaxStops))
    return "a train's calls number " + std::to_string(stops);
  return stopRecordsProblem(calls.stopRecords, stops, kStopRecordSize, kIndexDigits, isStation);
}

// (`inPlace`: each train's stop records where they were read in place, else
// none and its own.)
std::string moreTrainsProblem(const MoreTrains& more, int32_t trainCount, int32_t stationCount,
                              std::span<const std::string_view> inPlace) {
  if (more.empty()) return "";
  if (more.stations.size() > static_cast<std::size_t>(kMaxNetworkStations - stationCount) ||
      more.trains.size() > static_cast<std::size_t>(kMaxNetworkTrains - trainCount))
    return "more trains or stations than " + std::to_string(kMaxNetworkTrains) + " in all";
  const auto plain = [](std::string_view text, std::size_t most) {
    return text.size() <= most && text.find_first_of(std::string_view(" \0", 2)) == text.npos;
  };
  for (const MoreStation& station : more.stations) {
    if (station.name.empty() || !plain(station.name, 0xFFFF))
      return "a station's name is empty, too long or holds a space or zero byte";
    if (!plain(station.abbreviation, 0xFF))
      return "a station's abbreviation is too long or holds a space or zero byte";
  }
  const int32_t stations = stationCount + static_cast<int32_t>(more.stations.size());
  const BelowCount isStation(kWideIndexDigits, stations);
  const auto size = static_cast<std::size_t>(stopRecordSize(kWideIndexDigits));
  for (std::size_t i = 0; i < more.trains.size(); ++i) {
    const MoreTrain& train = more.trains[i];
    const std::string_view records = i < inPlace.size() ? inPlace[i] : train.stopRecords;
    if (train.number.empty() || train.number.size() > 0xFFFF ||
        train.number.find('\0') != std::string::npos)
      return "a train's number is empty, too long or holds a zero byte";
    if (train.classCode == '\0' || train.fareColumnCode == '\0' || train.fareRateCode == '\0')
      return "a train's code is a zero byte";
    const std::size_t stops = train.rules.size();
    if (stops < static_cast<std::size_t>(kMinStops) || stops > static_cast<std::size_t>(kMaxStops))
      return "a train's calls number " + std::to_string(stops);
    if (const char* problem = stopRecordsProblem(records, stops, size, kWideIndexDigits, isStation);
        *problem != '\0')
      return problem;
  }
  return "";
}

// A train's rule bytes, one a stop (bit 0 boarding, bit 1 alighting, no
// other bit), into `rules`; false when a byte sets another bit. The bytes
// are checked and read in one loop the compiler vectorises: a rule is its
// two flags as bytes (bool's 0 and 1).
static_assert(sizeof(CallRule) == 2 && std::is_trivially_copyable_v<CallRule> &&
              offsetof(CallRule, board) == 0 && offsetof(CallRule, alight) == 1);
bool readRules(std::string_view bytes, std::vector<CallRule>& rules) {
  rules.resize(bytes.size());
  auto* const flags = reinterpret_cast<unsigned char*>(rules.data());
  unsigned bits = 0;
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    const auto rule = static_cast<unsigned char>(bytes[k]);
    bits |= rule;
    flags[2 * k] = static_cast<unsigned char>(rule & 1u);
    flags[2 * k + 1] = static_cast<unsigned char>((rule >> 1) & 1u);
  }
  return (bits & ~3u) == 0;
}

void putMoreTrains(std::string& out, const MoreTrains& more) {
  put(out, static_cast<uint32_t>(more.stations.size()), 4);
  for (const MoreStation& station : more.stations) {
    put(out, static_cast<uint32_t>(station.name.size()), 2);
    out += station.name;
    put(out, static_cast<uint32_t>(station.abbreviation.size()), 1);
    out += station.abbreviation;
  }
  put(out, static_cast<uint32_t>(more.trains.size()), 4);
  for (const MoreTrain& train : more.trains) {
    put(out, static_cast<uint32_t>(train.number.size()), 2);
    out += train.number;
    out += train.classCode;
    out += train.fareColumnCode;
    out += train.fareRateCode;
    put(out, static_cast<uint32_t>(train.rules.size()), 2);
    out += train.stopRecords;
    for (const CallRule rule : train.rules)
      out += static_cast<char>((rule.board ? 1 : 0) | (rule.alight ? 2 : 0));
  }
}

// (With `inPlace`, the stop records' places instead of copies.)
bool readMoreTrains(FieldReader& in, MoreTrains& more, std::vector<std::string_view>* inPlace) {
  // (Counts are bounded by the bytes left, so reserving them is safe.)
  const std::size_t stations = in.count(2 + 1 + 1);
  more.stations.reserve(stations);
  for (std::size_t i = 0; i < stations && in.ok(); ++i) {
    MoreStation station;
    station.name = std::string(in.bytes(in.take(2)));
    station.abbreviation = std::string(in.bytes(in.take(1)));
    more.stations.push_back(std::move(station));
  }
  const auto size = static_cast<std::size_t>(stopRecordSize(kWideIndexDigits));
  const std::size_t trains = in.count(2 + 1 + 3 + 2 + kMinStops * (size + 1));
  more.trains.reserve(trains);
  if (inPlace != nullptr) inPlace->reserve(trains);
  for (std::size_t i = 0; i < trains && in.ok(); ++i) {
    MoreTrain& train = more.trains.emplace_back();  // (all of it dropped if the read fails)
    train.number.assign(in.bytes(in.take(2)));
    const std::string_view codes = in.bytes(3);
    if (!in.ok()) return false;
    train.classCode = codes[0];
    train.fareColumnCode = codes[1];
    train.fareRateCode = codes[2];
    const uint32_t stops = in.take(2);
    const std::string_view records = in.bytes(std::size_t{stops} * size);
    if (inPlace != nullptr) {
      inPlace->push_back(records);
    } else {
      train.stopRecords = std::string(records);
    }
    if (!readRules(in.bytes(stops), train.rules)) return false;
  }
  return in.ok();
}

void putTrainCalls(std::string& out, const std::vector<TrainCalls>& trains) {
  put(out, static_cast<uint32_t>(trains.size()), 4);
  for (const TrainCalls& calls : trains) {
    put(out, static_cast<uint32_t>(calls.train.value()), 4);
    put(out, static_cast<uint32_t>(calls.rules.size()), 2);
    out += calls.stopRecords;
    for (const CallRule rule : calls.rules)
      out += static_cast<char>((rule.board ? 1 : 0) | (rule.alight ? 2 : 0));
  }
}

void putGroups(std::string& out, const std::vector<StationGroup>& groups) {
  put(out, static_cast<uint32_t>(groups.size()), 4);
  for (const StationGroup& group : groups) {
    put(out, static_cast<uint32_t>(group.kind), 1);
    put(out, static_cast<uint32_t>(group.minutes), 2);
    put(out, static_cast<uint32_t>(group.name.size()), 2);
    out += group.name;
    put(out, static_cast<uint32_t>(group.members.size()), 2);
    for (const StationIndex member : group.members)
      put(out, static_cast<uint32_t>(member.value()), 4);
  }
}

void putTransfers(std::string& out, const std::vector<Transfer>& transfers) {
  put(out, static_cast<uint32_t>(transfers.size()), 4);
  for (const Transfer& transfer : transfers) {
    put(out, static_cast<uint32_t>(transfer.from.value()), 4);
    put(out, static_cast<uint32_t>(transfer.to.value()), 4);
    put(out, static_cast<uint32_t>(transfer.kind), 1);
    put(out, static_cast<uint32_t>(transfer.minutes), 2);
    put(out, static_cast<uint32_t>(transfer.fromTrain.value()), 4);
    put(out, static_cast<uint32_t>(transfer.toTrain.value()), 4);
  }
}

void putChangeTimes(std::string& out, const std::vector<ChangeTime>& times) {
  put(out, static_cast<uint32_t>(times.size()), 4);
  for (const ChangeTime& time : times) {
    put(out, static_cast<uint32_t>(time.station.value()), 4);
    put(out, static_cast<uint32_t>(time.minutes), 2);
  }
}

// A calendar's days take one bit a day; a train's pattern index the fewest
// bytes that every index fits.
std::size_t patternBytes(int32_t dayCount) { return static_cast<std::size_t>(dayCount + 7) / 8; }
int patternIndexWidth(std::size_t patterns) {
  return patterns <= 0x100 ? 1 : patterns <= 0x10000 ? 2 : 4;
}
constexpr uint32_t kNoSectionsDay = 0xFFFF;

void putCalendar(std::string& out, const ServiceCalendar& calendar) {
  put(out, static_cast<uint32_t>(calendar.firstDay), 4);
  put(out, static_cast<uint32_t>(calendar.dayCount), 2);
  put(out, calendar.sectionsDay < 0 ? kNoSectionsDay : static_cast<uint32_t>(calendar.sectionsDay),
      2);
  put(out, static_cast<uint32_t>(calendar.timeZone.size()), 1);
  out += calendar.timeZone;
  put(out, static_cast<uint32_t>(calendar.patterns.size()), 4);
  for (const DayPattern& pattern : calendar.patterns)
    out.append(pattern.bits.begin(), pattern.bits.end());
  put(out, static_cast<uint32_t>(calendar.trainPatterns.size()), 4);
  const int width = patternIndexWidth(calendar.patterns.size());
  for (const uint32_t pattern : calendar.trainPatterns) put(out, pattern, width);
}

// Block 8: the tariff, then the network's fares (db/network_fares.h).
void putId(std::string& out, const std::string& id) {
  put(out, static_cast<uint32_t>(id.size()), 1);
  out += id;
}

void putFares(std::string& out, const NetworkFares& fares) {
  put(out, static_cast<uint32_t>(fares.tariff), 1);
  put(out, static_cast<uint32_t>(fares.products.size()), 4);
  for (const FareProduct& product : fares.products) {
    putId(out, product.id);
    put(out, product.amount, 4);
    out += product.currency;
    put(out, product.digits, 1);
  }
  put(out, static_cast<uint32_t>(fares.routes.size()), 4);
  for (const FareRoute& route : fares.routes) {
    putId(out, route.id);
    put(out, route.type, 2);
  }
  put(out, static_cast<uint32_t>(fares.zones.size()), 4);
  for (const std::string& zone : fares.zones) putId(out, zone);
  put(out, static_cast<uint32_t>(fares.rules.size()), 4);
  for (const FareRule& rule : fares.rules)
    for (const uint32_t field :
         {rule.fare, rule.route, rule.origin, rule.destination, rule.contains})
      put(out, field, 4);
  put(out, static_cast<uint32_t>(fares.stationZones.size()), 4);
  for (const uint32_t zone : fares.stationZones) put(out, zone, 4);
  put(out, static_cast<uint32_t>(fares.trainRoutes.size()), 4);
  for (const uint32_t route : fares.trainRoutes) put(out, route, 4);
}

void putBlock(std::string& out, ExtensionBlock tag, const std::string& payload,
              uint32_t flags = 0) {
  put(out, static_cast<uint32_t>(tag), 2);
  put(out, flags, 2);
  put(out, static_cast<uint32_t>(payload.size()), 4);
  out += payload;
}

bool readTrainCalls(FieldReader& in, std::vector<TrainCalls>& trains,
                    std::vector<std::string_view>* inPlace) {
  const std::size_t n = in.count(6 + kMinStops * (kStopRecordSize + 1));
  trains.reserve(n);
  if (inPlace != nullptr) inPlace->reserve(n);
  for (std::size_t i = 0; i < n && in.ok(); ++i) {
    TrainCalls calls;
    calls.train = TrainIndex(static_cast<int32_t>(in.take(4)));
    const uint32_t stops = in.take(2);
    const std::string_view records = in.bytes(std::size_t{stops} * kStopRecordSize);
    if (inPlace != nullptr) inPlace->push_back(records);
    calls.stopRecords = std::string(records);
    if (!readRules(in.bytes(stops), calls.rules)) return false;
    trains.push_back(std::move(calls));
  }
  return in.ok();
}

bool readGroups(FieldReader& in, std::vector<StationGroup>& groups) {
  const std::size_t n = in.count(1 + 2 + 2 + 1 + 2);
  for (std::size_t i = 0; i < n && in.ok(); ++i) {
    StationGroup group;
    const uint32_t kind = in.take(1);
    if (kind != 1 && kind != 2) return false;
    group.kind = static_cast<GroupKind>(kind);
    group.minutes = static_cast<int32_t>(in.take(2));
    group.name = std::string(in.bytes(in.take(2)));
    const uint32_t members = in.take(2);
    for (uint32_t m = 0; m < members && in.ok(); ++m)
      group.members.emplace_back(static_cast<int32_t>(in.take(4)));
    groups.push_back(std::move(group));
  }
  return in.ok();
}

bool readTransfers(FieldReader& in, std::vector<Transfer>& transfers) {
  const std::size_t n = in.count(19);
  for (std::size_t i = 0; i < n && in.ok(); ++i) {
    Transfer transfer;
    transfer.from = StationIndex(static_cast<int32_t>(in.take(4)));
    transfer.to = StationIndex(static_cast<int32_t>(in.take(4)));
    const uint32_t kind = in.take(1);
    if (kind > 2) return false;
    transfer.kind = static_cast<TransferKind>(kind);
    transfer.minutes = static_cast<int32_t>(in.take(2));
    transfer.fromTrain = TrainIndex(static_cast<int32_t>(in.take(4)));
    transfer.toTrain = TrainIndex(static_cast<int32_t>(in.take(4)));
    transfers.push_back(transfer);
  }
  return in.ok();
}

bool readChangeTimes(FieldReader& in, std::vector<ChangeTime>& times) {
  const std::size_t n = in.count(6);
  for (std::size_t i = 0; i < n && in.ok(); ++i) {
    ChangeTime time;
    time.station = StationIndex(static_cast<int32_t>(in.take(4)));
    time.minutes = static_cast<int32_t>(in.take(2));
    times.push_back(time);
  }
  return in.ok();
}

bool readCalendar(FieldReader& in, ServiceCalendar& calendar) {
  calendar.firstDay = static_cast<CivilDay>(in.take(4));
  calendar.dayCount = static_cast<int32_t>(in.take(2));
  const uint32_t sectionsDay = in.take(2);
  calendar.sectionsDay = sectionsDay == kNoSectionsDay ? -1 : static_cast<int32_t>(sectionsDay);
  calendar.timeZone = std::string(in.bytes(in.take(1)));
  if (!in.ok() || calendar.dayCount < 1 || calendar.dayCount > kMaxCalendarDays) return false;
  const std::size_t bytes = patternBytes(calendar.dayCount);
  const std::size_t patterns = in.count(bytes);
  for (std::size_t p = 0; p < patterns && in.ok(); ++p) {
    const std::string_view bits = in.bytes(bytes);
    calendar.patterns.push_back(DayPattern{std::vector<uint8_t>(bits.begin(), bits.end())});
  }
  const int width = patternIndexWidth(patterns);
  const std::size_t trains = in.count(static_cast<std::size_t>(width));
  calendar.trainPatterns.reserve(trains);
  for (std::size_t t = 0; t < trains && in.ok(); ++t)
    calendar.trainPatterns.push_back(in.take(width));
  return in.ok();
}

bool readFares(FieldReader& in, NetworkFares& fares) {
  const uint32_t tariff = in.take(1);
  if (tariff > static_cast<uint32_t>(Tariff::kNetwork)) return false;
  fares.tariff = static_cast<Tariff>(tariff);
  const auto id = [&in] { return std::string(in.bytes(in.take(1))); };
  const std::size_t products = in.count(1 + 4 + 3 + 1);
  for (std::size_t i = 0; i < products && in.ok(); ++i) {
    FareProduct product;
    product.id = id();
    product.amount = in.take(4);
    product.currency = std::string(in.bytes(3));
    product.digits = static_cast<uint8_t>(in.take(1));
    fares.products.push_back(std::move(product));
  }
  const std::size_t routes = in.count(1 + 2);
  for (std::size_t i = 0; i < routes && in.ok(); ++i) {
    FareRoute route;
    route.id = id();
    route.type = static_cast<uint16_t>(in.take(2));
    fares.routes.push_back(std::move(route));
  }
  const std::size_t zones = in.count(1);
  for (std::size_t i = 0; i < zones && in.ok(); ++i) fares.zones.push_back(id());
  const std::size_t rules = in.count(5 * 4);
  for (std::size_t i = 0; i < rules && in.ok(); ++i) {
    FareRule rule;
    for (uint32_t* field :
         {&rule.fare, &rule.route, &rule.origin, &rule.destination, &rule.contains})
      *field = in.take(4);
    fares.rules.push_back(rule);
  }
  for (std::vector<uint32_t>* refs : {&fares.stationZones, &fares.trainRoutes}) {
    const std::size_t n = in.count(4);
    refs->reserve(n);
    for (std::size_t i = 0; i < n && in.ok(); ++i) refs->push_back(in.take(4));
  }
  return in.ok() && !fares.empty();  // a writer leaves out a block that says nothing
}

std::string calendarProblem(const ServiceCalendar& calendar, int32_t trainCount) {
  if (calendar.empty()) {
    return calendar == ServiceCalendar{} ? "" : "a calendar of no days says something";
  }
  if (calendar.dayCount < 1 || calendar.dayCount > kMaxCalendarDays)
    return "a calendar's days are not 1 to " + std::to_string(kMaxCalendarDays);
  if (calendar.firstDay < kFirstCivilDay ||
      calendar.firstDay > kLastCivilDay - calendar.dayCount + 1)
    return "a calendar's period is not within 1970 to 9999";
  if (calendar.sectionsDay < -1 || calendar.sectionsDay >= calendar.dayCount)
    return "the sections' day is not a day of the calendar";
  if (calendar.timeZone.size() > 0xFF ||
      !std::all_of(calendar.timeZone.begin(), calendar.timeZone.end(),
                   [](char c) { return c > ' ' && c < 0x7F; }))
    return "a calendar's time zone is not a name of printable ASCII";
  const std::size_t bytes = patternBytes(calendar.dayCount);
  const auto lastByteMask = static_cast<uint8_t>(0xFFu << ((calendar.dayCount - 1) % 8 + 1));
  for (const DayPattern& pattern : calendar.patterns) {
    if (pattern.bits.size() != bytes) return "a day pattern is not one bit a day";
    if ((pattern.bits.back() & lastByteMask) != 0) return "a day pattern runs past the period";
  }
  if (calendar.trainPatterns.size() != static_cast<std::size_t>(trainCount))
    return "a calendar's trains are not the file's";
  for (const uint32_t pattern : calendar.trainPatterns)
    if (pattern >= calendar.patterns.size()) return "a train's day pattern is not there";
  return "";
}

ExtensionRead damaged(std::string problem) {
  return ExtensionRead{ExtensionState::kDamaged, {}, "damaged extension: " + std::move(problem)};
}

}  // namespace

std::vector<bool> legacyCalls(const std::vector<CallRule>& rules) {
  const std::size_t n = rules.size();
  std::size_t first = 0;
  while (first < n && !rules[first].board) ++first;
  std::size_t last = n;
  while (last > 0 && !rules[last - 1].alight) --last;
  if (first == n || last == 0 || first + 1 >= last) return {};
  --last;
  std::vector<bool> kept(n, false);
  kept[first] = kept[last] = true;
  for (std::size_t i = first + 1; i < last; ++i) kept[i] = rules[i].board && rules[i].alight;
  return kept;
}

std::string encodeExtension(const NetworkExtension& extension) {
  if (extension.empty()) return {};
  std::string body;
  std::string payload;
  const auto block = [&](ExtensionBlock tag, bool present, auto write) {
    if (!present) return;
    payload.clear();
    write(payload);
    putBlock(body, tag, payload);
  };
  block(ExtensionBlock::kTrainCalls, !extension.trains.empty(),
        [&](std::string& out) { putTrainCalls(out, extension.trains); });
  block(ExtensionBlock::kStationGroups, !extension.groups.empty(),
        [&](std::string& out) { putGroups(out, extension.groups); });
  block(ExtensionBlock::kTransfers, !extension.transfers.empty(),
        [&](std::string& out) { putTransfers(out, extension.transfers); });
  block(ExtensionBlock::kChangeTimes, !extension.changeTimes.empty(),
        [&](std::string& out) { putChangeTimes(out, extension.changeTimes); });
  block(ExtensionBlock::kServiceCalendar, !extension.calendar.empty(),
        [&](std::string& out) { putCalendar(out, extension.calendar); });
  // A network's own words add to what the sections answer and change no
  // answer of theirs: a reader that does not know them may skip them.
  if (!extension.words.stations.empty())
    putBlock(body, ExtensionBlock::kStationWords, encodeStationWords(extension.words),
             kBlockMayBeSkipped);
  if (!extension.words.lines.empty() || !extension.words.trains.empty())
    putBlock(body, ExtensionBlock::kTrainWords, encodeTrainWords(extension.words),
             kBlockMayBeSkipped);
  block(ExtensionBlock::kFares, !extension.fares.empty(),
        [&](std::string& out) { putFares(out, extension.fares); });
  block(ExtensionBlock::kMoreTrains, !extension.more.empty(),
        [&](std::string& out) { putMoreTrains(out, extension.more); });
  std::string out(kExtensionMagic);
  put(out, kExtensionVersion, 2);
  put(out, 0, 2);
  put(out, static_cast<uint32_t>(body.size()), 4);
  out += body;
  put(out, crc32(out), 4);
  return out;
}

namespace {

// extensionProblem, block 9's stop records read from `moreInPlace` where
// they were read in place.
std::string extensionProblemOf(const NetworkExtension& extension, int32_t sectionsTrains,
                               int32_t sectionsStations,
                               std::span<const std::string_view> moreInPlace) {
  if (std::string problem =
          moreTrainsProblem(extension.more, sectionsTrains, sectionsStations, moreInPlace);
      !problem.empty())
    return problem;
  // Groups, transfers, change times and the calendar name every train and
  // station of the network view; block 1 only the sections' own.
  const int32_t trainCount = sectionsTrains + static_cast<int32_t>(extension.more.trains.size());
  const int32_t stationCount =
      sectionsStations + static_cast<int32_t>(extension.more.stations.size());
  const auto isStation = [&](StationIndex s) { return s.value() >= 0 && s.value() < stationCount; };
  const auto isTrain = [&](TrainIndex t) { return t.value() >= 0 && t.value() < trainCount; };
  std::optional<TrainIndex> previousTrain;
  const BelowCount isSectionsStation(kIndexDigits, sectionsStations);
  for (const TrainCalls& calls : extension.trains) {
    if (calls.train.value() < 0 || calls.train.value() >= sectionsTrains)
      return "a train's calls name no train";
    if (previousTrain && calls.train <= *previousTrain) return "trains' calls out of order";
    previousTrain = calls.train;
    if (std::string problem = trainCallsProblem(calls, isSectionsStation); !problem.empty())
      return problem;
  }
  for (const StationGroup& group : extension.groups) {
    if (group.name.empty() || group.name.size() > 0xFFFF ||
        group.name.find('\0') != std::string::npos)
      return "a group's name is empty, too long or holds a zero byte";
    if (!isMinutes(group.minutes)) return "a group's minutes are not 0 to 1439";
    if (group.members.size() < 2 || group.members.size() > 0xFFFF)
      return "a group has fewer than two members";
    std::set<StationIndex> seen;
    for (const StationIndex member : group.members) {
      if (!isStation(member)) return "a group names no station";
      if (!seen.insert(member).second) return "a group names a station twice";
    }
  }
  for (const Transfer& transfer : extension.transfers) {
    if (!isStation(transfer.from) || !isStation(transfer.to)) return "a transfer names no station";
    if (!isMinutes(transfer.minutes)) return "a transfer's minutes are not 0 to 1439";
    for (const TrainIndex t : {transfer.fromTrain, transfer.toTrain}) {
      if (t.value() != kNoTrain && !isTrain(t)) return "a transfer names no train";
    }
  }
  std::optional<StationIndex> previousStation;
  for (const ChangeTime& time : extension.changeTimes) {
    if (!isStation(time.station)) return "a change time names no station";
    if (previousStation && time.station <= *previousStation) return "change times out of order";
    previousStation = time.station;
    if (!isMinutes(time.minutes)) return "a change time is not 0 to 1439 minutes";
  }
  if (std::string problem = calendarProblem(extension.calendar, trainCount); !problem.empty())
    return problem;
  if (std::string problem = networkFaresProblem(extension.fares, trainCount, stationCount);
      !problem.empty())
    return problem;
  return wordsProblem(extension.words, trainCount, stationCount);
}

}  // namespace

std::string extensionProblem(const NetworkExtension& extension, int32_t sectionsTrains,
                             int32_t sectionsStations) {
  return extensionProblemOf(extension, sectionsTrains, sectionsStations, {});
}

ExtensionRead readExtension(std::string_view trailer, int32_t trainCount, int32_t stationCount,
                            RecordsInFile* inFile) {
  if (!trailer.starts_with(kExtensionMagic)) return {};
  constexpr std::size_t kFixed = kExtensionMagic.size() + 2 + 2 + 4;
  if (trailer.size() < kFixed + 4) return damaged("cut short");
  FieldReader head(trailer.substr(kExtensionMagic.size()));
  const uint32_t version = head.take(2);
  head.take(2);  // flags: none in version 1
  const uint32_t bodySize = head.take(4);
  if (version == 0 || version > kExtensionVersion)
    return damaged("version " + std::to_string(version) + " is newer than this reader's");
  if (bodySize != trailer.size() - kFixed - 4) return damaged("its length is not the file's");
  const uint32_t stored = FieldReader(trailer.substr(trailer.size() - 4)).take(4);
  if (stored != crc32(trailer.substr(0, trailer.size() - 4))) return damaged("checksum mismatch");

  ExtensionRead read;
  read.state = ExtensionState::kRead;
  NetworkExtension& extension = read.extension;
  FieldReader blocks(trailer.substr(kFixed, bodySize));
  uint32_t previousTag = 0;
  while (!blocks.done()) {
    const uint32_t tag = blocks.take(2);
    const uint32_t flags = blocks.take(2);
    const std::string_view payloadBytes = blocks.bytes(blocks.take(4));
    FieldReader payload(payloadBytes);
    if (!blocks.ok()) return damaged("a block is cut");
    if (tag <= previousTag) return damaged("blocks out of order");
    previousTag = tag;
    bool whole = true;
    switch (static_cast<ExtensionBlock>(tag)) {
      case ExtensionBlock::kTrainCalls:
        whole = readTrainCalls(payload, extension.trains,
                               inFile != nullptr ? &inFile->trainCalls : nullptr);
        break;
      case ExtensionBlock::kStationGroups: whole = readGroups(payload, extension.groups); break;
      case ExtensionBlock::kTransfers: whole = readTransfers(payload, extension.transfers); break;
      case ExtensionBlock::kChangeTimes:
        whole = readChangeTimes(payload, extension.changeTimes);
        break;
      case ExtensionBlock::kServiceCalendar:
        whole = readCalendar(payload, extension.calendar);
        break;
      case ExtensionBlock::kFares: whole = readFares(payload, extension.fares); break;
      case ExtensionBlock::kStationWords:
        if (!readStationWords(payloadBytes, extension.words)) {
          return damaged("block " + std::to_string(tag) + " is malformed");
        }
        continue;
      case ExtensionBlock::kTrainWords:
        if (!readTrainWords(payloadBytes, extension.words)) {
          return damaged("block " + std::to_string(tag) + " is malformed");
        }
        continue;
      case ExtensionBlock::kMoreTrains:
        whole = readMoreTrains(payload, extension.more,
                               inFile != nullptr ? &inFile->moreTrains : nullptr);
        break;
      default:
        if ((flags & kBlockMayBeSkipped) != 0) continue;
        return damaged("block " + std::to_string(tag) + " is unknown to this reader");
    }
    if (!whole || !payload.done()) return damaged("block " + std::to_string(tag) + " is malformed");
  }
  if (std::string problem = extensionProblemOf(
          extension, trainCount, stationCount,
          inFile != nullptr ? std::span<const std::string_view>(inFile->moreTrains)
                            : std::span<const std::string_view>());
      !problem.empty())
    return damaged(std::move(problem));
  return read;
}

}  // namespace murlo
