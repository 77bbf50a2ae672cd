#include "generate/service_patterns.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <stdexcept>
#include <string>

#include "generate/random_source.h"

namespace murlo::generate {
namespace {

// The kinds of days a train runs, and the share of trains of each.
enum Kind {
  kWeekdays,
  kDaily,
  kWeekends,
  kSaturdays,
  kSundays,
  kSeason,
  kSingleDate,
  kNotHolidays
};
using Shares = std::array<double, 8>;
constexpr Shares kShares = {0.45, 0.25, 0.12, 0.04, 0.04, 0.05, 0.03, 0.02};
// By the kind of train, the first letter of its number.
constexpr Shares kFastShares = {0.25, 0.55, 0.08, 0.03, 0.03, 0.03, 0.0, 0.03};   // G, D, C
constexpr Shares kSuburbanShares = {0.60, 0.30, 0.10, 0.0, 0.0, 0.0, 0.0, 0.0};   // S
constexpr Shares kTouristShares = {0.0, 0.0, 0.60, 0.0, 0.0, 0.40, 0.0, 0.0};     // Y
constexpr Shares kTemporaryShares = {0.0, 0.0, 0.0, 0.0, 0.0, 0.50, 0.50, 0.0};   // L
constexpr Shares kLongShares = {0.10, 0.70, 0.05, 0.02, 0.02, 0.04, 0.02, 0.05};  // the others

const Shares& sharesOf(std::string_view number) {
  switch (number.empty() ? ' ' : number.front()) {
    case 'G':
    case 'D':
    case 'C': return kFastShares;
    case 'S': return kSuburbanShares;
    case 'Y': return kTouristShares;
    case 'L': return kTemporaryShares;
    default: return kLongShares;
  }
}
constexpr int32_t kSeasons = 3;

// 0 is Sunday, 6 Saturday.
unsigned weekdayOf(CivilDay day) {
  return std::chrono::weekday(std::chrono::sys_days(std::chrono::days(day))).c_encoding();
}

class Patterns {
 public:
  explicit Patterns(int32_t days) : days_(days) {}

  // The pattern of the days `runs` says, or -1 when it names none.
  template <typename Runs>
  int32_t add(ServiceCalendar& calendar, Runs runs) {
    DayPattern pattern;
    pattern.bits.assign((static_cast<std::size_t>(days_) + 7) / 8, 0);
    bool any = false;
    for (int32_t d = 0; d < days_; ++d) {
      if (!runs(d)) continue;
      any = true;
      const auto day = static_cast<std::size_t>(d);
      pattern.bits[day / 8] = static_cast<uint8_t>(pattern.bits[day / 8] | (1U << (day % 8)));
    }
    if (!any) return -1;
    const auto [found, fresh] =
        index_.emplace(std::string(pattern.bits.begin(), pattern.bits.end()),
                       static_cast<int32_t>(calendar.patterns.size()));
    if (fresh) calendar.patterns.push_back(std::move(pattern));
    return found->second;
  }

 private:
  int32_t days_;
  std::map<std::string, int32_t> index_;  // by the pattern's bytes
};

// The calendar of trains whose kinds of days are drawn by `sharesOf(t)`.
template <typename SharesOf>
GeneratedCalendar drawCalendar(std::size_t trains, SharesOf sharesOf, const CalendarShape& shape,
                               uint64_t seed) {
  if (shape.days < 1 || shape.days > kMaxCalendarDays) {
    throw std::invalid_argument("a calendar covers 1 to " + std::to_string(kMaxCalendarDays) +
                                " days");
  }
  RandomSource random(seed);
  GeneratedCalendar result;
  ServiceCalendar& calendar = result.calendar;
  calendar.firstDay = shape.firstDay;
  calendar.dayCount = shape.days;
  calendar.timeZone = shape.timeZone;
  calendar.sectionsDay = -1;

  std::vector<int32_t> weekdays;
  for (int32_t d = 0; d < shape.days; ++d) {
    const unsigned w = weekdayOf(shape.firstDay + d);
    if (w != 0 && w != 6) weekdays.push_back(d);
  }
  random.shuffle(weekdays);
  const auto holidayCount =
      std::min(weekdays.size(), static_cast<std::size_t>(std::max(shape.holidays, 0)));
  result.holidays.assign(weekdays.begin(),
                         weekdays.begin() + static_cast<std::ptrdiff_t>(holidayCount));
  std::sort(result.holidays.begin(), result.holidays.end());
  std::vector<bool> holiday(static_cast<std::size_t>(shape.days), false);
  for (const int32_t d : result.holidays) holiday[static_cast<std::size_t>(d)] = true;
  const auto isHoliday = [&](int32_t d) { return holiday[static_cast<std::size_t>(d)]; };
  const auto weekday = [&](int32_t d) { return weekdayOf(shape.firstDay + d); };

  Patterns patterns(shape.days);
  const auto working = [&](int32_t d) {
    return weekday(d) != 0 && weekday(d) != 6 && !isHoliday(d);
  };
  const int32_t daily = patterns.add(calendar, [](int32_t) { return true; });
  std::array<int32_t, 8> byKind{};
  byKind[kDaily] = daily;
  byKind[kWeekdays] = patterns.add(calendar, working);
  byKind[kWeekends] = patterns.add(calendar, [&](int32_t d) { return !working(d); });
  byKind[kSaturdays] = patterns.add(calendar, [&](int32_t d) { return weekday(d) == 6; });
  byKind[kSundays] =
      patterns.add(calendar, [&](int32_t d) { return weekday(d) == 0 || isHoliday(d); });
  byKind[kNotHolidays] = patterns.add(calendar, [&](int32_t d) { return !isHoliday(d); });
  std::array<int32_t, kSeasons> seasons{};
  for (int32_t& season : seasons) {
    const int32_t length = std::max(1, shape.days / random.between(2, 6));
    const int32_t first = random.between(0, shape.days - length);
    season = patterns.add(
        calendar, [&](int32_t d) { return d >= first && d < first + length && working(d); });
  }

  calendar.trainPatterns.reserve(trains);
  for (std::size_t t = 0; t < trains; ++t) {
    const auto kind = static_cast<Kind>(random.weighted(sharesOf(t)));
    int32_t pattern = -1;
    if (kind == kSeason) {
      pattern = seasons[random.below(kSeasons)];
    } else if (kind == kSingleDate) {
      const int32_t day = random.between(0, shape.days - 1);
      pattern = patterns.add(calendar, [&](int32_t d) { return d == day; });
    } else {
      pattern = byKind[kind];
    }
    // A short period may have no day of the kind: the train runs daily.
    calendar.trainPatterns.push_back(static_cast<uint32_t>(pattern < 0 ? daily : pattern));
  }
  // Only the patterns some train runs by, in the order first used.
  std::vector<int64_t> renumbered(calendar.patterns.size(), -1);
  std::vector<DayPattern> used;
  for (uint32_t& pattern : calendar.trainPatterns) {
    int64_t& to = renumbered[pattern];
    if (to < 0) {
      to = static_cast<int64_t>(used.size());
      used.push_back(calendar.patterns[pattern]);
    }
    pattern = static_cast<uint32_t>(to);
  }
  calendar.patterns = std::move(used);
  return result;
}

}  // namespace

void sectionsDayFirst(source::Timetable& network, int32_t day) {
  ServiceCalendar& calendar = network.network.calendar;
  calendar.sectionsDay = day;
  std::vector<TrainSpec> trains;
  std::vector<uint32_t> patterns;
  for (const bool runs : {true, false}) {
    for (std::size_t t = 0; t < network.trains.size(); ++t) {
      if (calendar.runsOn(TrainIndex(static_cast<int32_t>(t)), day) != runs) continue;
      trains.push_back(std::move(network.trains[t]));
      patterns.push_back(calendar.trainPatterns[t]);
    }
  }
  network.trains = std::move(trains);
  calendar.trainPatterns = std::move(patterns);
  const std::size_t sectionsTrains =
      std::min(network.trains.size(), static_cast<std::size_t>(kMaxTrains));
  std::vector<bool> called(network.stations.size(), false);
  for (std::size_t t = 0; t < sectionsTrains; ++t) {
    if (!calendar.runsOn(TrainIndex(static_cast<int32_t>(t)), day)) break;
    for (const StopSpec& stop : network.trains[t].stops)
      called[static_cast<std::size_t>(stop.station)] = true;
  }
  std::vector<int32_t> renumbered(network.stations.size());
  std::vector<StationSpec> stations;
  for (const bool first : {true, false}) {
    for (std::size_t s = 0; s < network.stations.size(); ++s) {
      if (called[s] != first) continue;
      renumbered[s] = static_cast<int32_t>(stations.size());
      stations.push_back(std::move(network.stations[s]));
    }
  }
  network.stations = std::move(stations);
  for (TrainSpec& train : network.trains)
    for (StopSpec& stop : train.stops)
      stop.station = renumbered[static_cast<std::size_t>(stop.station)];
}

GeneratedCalendar generateCalendar(std::size_t trains, const CalendarShape& shape, uint64_t seed) {
  return drawCalendar(
      trains, [](std::size_t) -> const Shares& { return kShares; }, shape, seed);
}

GeneratedCalendar generateCalendar(const source::Timetable& network, const CalendarShape& shape,
                                   uint64_t seed) {
  return drawCalendar(
      network.trains.size(),
      [&](std::size_t t) -> const Shares& { return sharesOf(network.trains[t].number); }, shape,
      seed);
}

}  // namespace murlo::generate
