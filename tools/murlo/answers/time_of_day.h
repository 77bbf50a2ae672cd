// Times of day as murlo takes them from people (--at, the API's time
// parameters) and writes them: a minute of the day, 0 to 1439; and the
// minutes of the library's answers, counted from the day an answer counts
// from, as days and "HH:MM".
#ifndef MURLO_TOOLS_MURLO_ANSWERS_TIME_OF_DAY_H_
#define MURLO_TOOLS_MURLO_ANSWERS_TIME_OF_DAY_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace murlo::tool {

inline constexpr int kMinutesPerDay = 24 * 60;

// The number written as 1 to `most` decimal digits and nothing else
// (`most` up to 9, so that it fits an int).
std::optional<int> parseDigits(std::string_view digits, std::size_t most);
// What parseMinuteOfDay takes, for the messages that refuse a time.
inline constexpr std::string_view kTimeOfDayForms =
    "a time of day, HH:MM or HHMM from 00:00 to 23:59";
// The minute of the day (0..1439) of "HH:MM", "H:MM", "HHMM" or "HMM";
// nothing for anything else, such as "25:99", "24:00", "8:5" or "15".
std::optional<int> parseMinuteOfDay(std::string_view text);
// "HH:MM" of a minute of the day.
std::string formatMinuteOfDay(int minute);
// The minute of the day of exactly "HH:MM" (hours 00 to 99), or nothing.
std::optional<int> minutesOf(std::string_view time);

// The day of minute `minutes` (rounded down: -1 for the day before).
int dayOf(int64_t minutes);
// "HH:MM" of the time of day of `minutes`.
std::string clockOf(int64_t minutes);
// "HH:MM" of a span of minutes, hours not reduced ("26:05").
std::string spanOf(int64_t minutes);
// The minute of the day now, by the local clock.
int currentMinuteOfDay();

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_TIME_OF_DAY_H_
