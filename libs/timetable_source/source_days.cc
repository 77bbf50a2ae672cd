// The `days` line of a train:
//
//   days WEEKDAYS|daily|none [from DATE] [to DATE] [also DATES...] [not DATES...]
//
// the days of the period (from `from` to `to`, each the period's end when
// left out) whose weekday is listed, then the dates of `also` added and
// those of `not` taken away; DATES are dates (2026-10-01) and ranges of
// them (2026-10-01..2026-10-07). A dump writes each pattern one way: the
// weekdays on which the train runs on most days between its first and its
// last run (`from` and `to` those runs, where a day of those weekdays lies
// beyond them), and the rest as exceptions.
#include "timetable_source/source_days.h"

#include <array>
#include <cstdio>
#include <vector>

#include "db/civil_day.h"

namespace murlo::source {
namespace {

constexpr std::array<std::string_view, 7> kWeekdays = {"mon", "tue", "wed", "thu",
                                                       "fri", "sat", "sun"};

std::optional<int> weekdayNamed(std::string_view name) {
  for (std::size_t w = 0; w < kWeekdays.size(); ++w) {
    if (kWeekdays[w] == name) return static_cast<int>(w);
  }
  return std::nullopt;
}

// "mon-fri", "sat,sun", "mon,wed-fri": bit w for weekday w (0 Monday).
std::optional<unsigned> weekdaysOf(std::string_view text) {
  if (text == "daily") return 0x7Fu;
  if (text == "none") return 0u;
  unsigned bits = 0;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view part = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (comma != std::string_view::npos && text.empty()) return std::nullopt;
    const std::size_t dash = part.find('-');
    const auto from = weekdayNamed(part.substr(0, dash));
    const auto to = dash == std::string_view::npos ? from : weekdayNamed(part.substr(dash + 1));
    if (!from || !to || *to < *from) return std::nullopt;
    for (int w = *from; w <= *to; ++w) bits |= 1u << w;
  }
  return bits == 0 ? std::nullopt : std::optional<unsigned>(bits);
}

std::string weekdaysText(unsigned bits) {
  if (bits == 0x7Fu) return "daily";
  if (bits == 0) return "none";
  std::string text;
  for (int w = 0; w < 7;) {
    if ((bits >> w & 1u) == 0) {
      ++w;
      continue;
    }
    int end = w;
    while (end + 1 < 7 && (bits >> (end + 1) & 1u) != 0) ++end;
    if (!text.empty()) text += ',';
    text += kWeekdays[static_cast<std::size_t>(w)];
    if (end > w) text += "-" + std::string(kWeekdays[static_cast<std::size_t>(end)]);
    w = end + 1;
  }
  return text;
}

// A date or a range of dates as days of the period, clipped to it; nothing
// when the text is neither or the range runs backwards.
std::optional<std::pair<int64_t, int64_t>> datesOf(std::string_view text, CivilDay first) {
  const std::size_t dots = text.find("..");
  const auto from = isoDateOf(text.substr(0, dots));
  const auto to = dots == std::string_view::npos ? from : isoDateOf(text.substr(dots + 2));
  if (!from || !to || *to < *from) return std::nullopt;
  return std::pair<int64_t, int64_t>{int64_t{*from} - first, int64_t{*to} - first};
}

// The days of `days` as dates and ranges.
std::string datesText(const std::vector<int32_t>& days, CivilDay first) {
  std::string text;
  for (std::size_t i = 0; i < days.size();) {
    std::size_t end = i;
    while (end + 1 < days.size() && days[end + 1] == days[end] + 1) ++end;
    text += " " + isoDate(first + days[i]);
    if (end > i) text += ".." + isoDate(first + days[end]);
    i = end + 1;
  }
  return text;
}

}  // namespace

std::optional<CivilDay> isoDateOf(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  int32_t parts[3] = {0, 0, 0};
  const std::size_t begins[3] = {0, 5, 8};
  const std::size_t lengths[3] = {4, 2, 2};
  for (int p = 0; p < 3; ++p) {
    for (std::size_t i = begins[p]; i < begins[p] + lengths[p]; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      parts[p] = 10 * parts[p] + (text[i] - '0');
    }
  }
  return civilDayOf(CivilDate{parts[0], parts[1], parts[2]});
}

std::string isoDate(CivilDay day) {
  const CivilDate date = civilDateOf(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", static_cast<int>(date.year),
                static_cast<int>(date.month), static_cast<int>(date.day));
  return text;
}

std::optional<DayPattern> parseDays(std::span<const std::string_view> tokens, CivilDay first,
                                    int32_t dayCount, std::string& problem) {
  problem.clear();
  const auto fail = [&](std::string message) {
    problem = std::move(message);
    return std::nullopt;
  };
  if (tokens.empty()) return fail("expected the weekdays, daily or none");
  const auto weekdays = weekdaysOf(tokens[0]);
  if (!weekdays) {
    return fail("'" + std::string(tokens[0]) +
                "' is not weekdays (mon-fri, sat,sun, daily or none)");
  }
  int64_t from = 0;
  int64_t to = dayCount - 1;
  std::size_t i = 1;
  for (const char* key : {"from", "to"}) {
    if (i < tokens.size() && tokens[i] == key) {
      if (i + 1 >= tokens.size()) return fail(std::string("'") + key + "' needs a date");
      const auto day = isoDateOf(tokens[i + 1]);
      if (!day) return fail("'" + std::string(tokens[i + 1]) + "' is not a date (YYYY-MM-DD)");
      (std::string_view(key) == "from" ? from : to) = int64_t{*day} - first;
      i += 2;
    }
  }
  DayPattern days = DayPattern::none(dayCount);
  for (int64_t d = std::max<int64_t>(from, 0); d <= std::min<int64_t>(to, dayCount - 1); ++d) {
    if ((*weekdays >> weekdayOf(first + static_cast<int32_t>(d)) & 1u) != 0)
      days.set(static_cast<int32_t>(d));
  }
  bool runs = true;  // `also` adds, `not` takes away
  bool seenNot = false;
  bool seenAlso = false;
  for (; i < tokens.size(); ++i) {
    if (tokens[i] == "also" && !seenAlso && !seenNot) {
      seenAlso = true;
      runs = true;
      continue;
    }
    if (tokens[i] == "not" && !seenNot) {
      seenNot = true;
      runs = false;
      continue;
    }
    if (!seenAlso && !seenNot) {
      return fail("'" + std::string(tokens[i]) + "' where from, to, also or not belongs");
    }
    const auto dates = datesOf(tokens[i], first);
    if (!dates) {
      return fail("'" + std::string(tokens[i]) +
                  "' is not a date or a range of dates (2026-10-01..2026-10-07)");
    }
    if (dates->first < 0 || dates->second >= dayCount) {
      return fail("'" + std::string(tokens[i]) + "' lies outside the period");
    }
    for (int64_t d = dates->first; d <= dates->second; ++d) days.set(static_cast<int32_t>(d), runs);
  }
  return days;
}

std::string daysLine(const DayPattern& days, CivilDay first, int32_t dayCount) {
  std::vector<int32_t> running;
  for (int32_t d = 0; d < dayCount; ++d) {
    if (days.runsOn(d)) running.push_back(d);
  }
  if (static_cast<int32_t>(running.size()) == dayCount) return "";
  if (running.empty()) return "days none";
  const int32_t firstRun = running.front();
  const int32_t lastRun = running.back();
  // The weekdays on which it runs more often than not between its first
  // and its last run.
  std::array<int, 7> total{};
  std::array<int, 7> run{};
  for (int32_t d = firstRun; d <= lastRun; ++d) {
    const auto w = static_cast<std::size_t>(weekdayOf(first + d));
    ++total[w];
    if (days.runsOn(d)) ++run[w];
  }
  unsigned weekdays = 0;
  for (std::size_t w = 0; w < 7; ++w) {
    if (2 * run[w] > total[w]) weekdays |= 1u << w;
  }
  std::string line = "days " + weekdaysText(weekdays);
  std::vector<int32_t> also;
  std::vector<int32_t> never;
  if (weekdays == 0) {
    also = running;
  } else {
    // `from` and `to` only where a day of those weekdays lies beyond them.
    const auto anyWeekday = [&](int32_t from, int32_t to) {
      for (int32_t d = from; d < to; ++d) {
        if ((weekdays >> weekdayOf(first + d) & 1u) != 0) return true;
      }
      return false;
    };
    if (anyWeekday(0, firstRun)) line += " from " + isoDate(first + firstRun);
    if (anyWeekday(lastRun + 1, dayCount)) line += " to " + isoDate(first + lastRun);
    for (int32_t d = firstRun; d <= lastRun; ++d) {
      const bool base = (weekdays >> weekdayOf(first + d) & 1u) != 0;
      if (days.runsOn(d) && !base) also.push_back(d);
      if (!days.runsOn(d) && base) never.push_back(d);
    }
  }
  if (!also.empty()) line += " also" + datesText(also, first);
  if (!never.empty()) line += " not" + datesText(never, first);
  return line;
}

}  // namespace murlo::source
