// The values murlo takes from people, on its command line and in the
// queries of its API, in one table: each parameter's name, what it takes
// (a whole number in a range, a time of day, one of some words) and so the
// message that refuses anything else. The command line's options and the
// API's parameters are checked against the same entries, so that both take
// the same values and say alike what they take.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_PARAMETERS_H_
#define MURLO_TOOLS_MURLO_ANSWERS_PARAMETERS_H_

#include <string>
#include <string_view>

#include "answers/status.h"
#include "murloppc.h"

namespace murlo::tool {

// The ranges of the numbers of a journey question, as the library takes
// them.
inline constexpr int kMostChanges = MURLO_MOST_CHANGES;
inline constexpr int kMostChangeMinutes = MURLO_MOST_CHANGE_MINUTES;
// The most lines or journeys asked for at once (0 asks for all).
inline constexpr int kMostListed = 100000;

struct Parameter {
  enum class Kind {
    kWholeNumber,  // decimal digits alone, from `least` to `most`
    kTimeOfDay,    // HH:MM, H:MM, HHMM or HMM (parseMinuteOfDay)
    kChoice,       // one of the words of `choices`
    kDate,         // YYYY-MM-DD or YYYYMMDD (parseIsoDate), today or tomorrow
  };
  std::string_view name;  // as the API names it; the option is "--" and the name, "_" as "-"
  Kind kind = Kind::kWholeNumber;
  int least = 0;  // kWholeNumber
  int most = 0;
  std::string_view noun = "a whole number";  // kWholeNumber: what it is, for messages
  std::string_view choices = "";             // kChoice: the words, "|" between them
};

// The table.
inline constexpr Parameter kTimeOfDayParameter = {.name = "at",
                                                  .kind = Parameter::Kind::kTimeOfDay};
// The other times of a journey question: the latest journeys leaving
// before a time (the page before), or arriving by one.
inline constexpr Parameter kBeforeParameter = {.name = "before",
                                               .kind = Parameter::Kind::kTimeOfDay};
inline constexpr Parameter kArriveByParameter = {.name = "arrive_by",
                                                 .kind = Parameter::Kind::kTimeOfDay};
// The date of a question (resolveDate in service_date.h makes today and
// tomorrow dates, in the timetable's time zone, and holds it to the period).
inline constexpr Parameter kDateParameter = {.name = "date", .kind = Parameter::Kind::kDate};
// What readParameter gives for a kDate of "today" and "tomorrow" (a date is
// the number YYYYMMDD).
inline constexpr int kToday = 0;
inline constexpr int kTomorrow = 1;
inline constexpr Parameter kOrderParameter = {
    .name = "order", .kind = Parameter::Kind::kChoice, .choices = "time|index"};
inline constexpr Parameter kModeParameter = {
    .name = "mode", .kind = Parameter::Kind::kChoice, .choices = "0|1"};
inline constexpr Parameter kBoardLimitParameter = {.name = "limit", .most = kMostListed};
inline constexpr Parameter kJourneyLimitParameter = {.name = "limit", .most = kMostListed};
inline constexpr Parameter kChangesParameter = {.name = "changes", .most = kMostChanges};
inline constexpr Parameter kChangeTimeParameter = {.name = "change_time",
                                                   .most = kMostChangeMinutes};
// The stations offered as a person types (the API alone).
inline constexpr Parameter kMatchLimitParameter = {.name = "limit", .least = 1, .most = 50};
// murlo serve's own options (the command line alone).
inline constexpr Parameter kPortParameter = {.name = "port", .most = 65535, .noun = "a port"};
inline constexpr Parameter kThreadsParameter = {
    .name = "threads", .least = 1, .most = 256, .noun = "a number"};
inline constexpr Parameter kCacheParameter = {
    .name = "cache", .most = 4096, .noun = "a number of MiB"};

// Whether a refused value is quoted in the message: the API quotes it (it
// may be empty or hold spaces), the command line shows it as typed.
enum class Quoting { kAsTyped, kQuoted };

// What `parameter` takes, in words: "a whole number from 0 to 7", "time or
// index", "a time of day, HH:MM or HHMM from 00:00 to 23:59".
std::string whatItTakes(const Parameter& parameter);

// The value of `given` for `parameter`: the number, the minute of the day,
// the date (YYYYMMDD, or kToday or kTomorrow), or the place of the word among the choices (0 for
// the first). Else a kBadParameter status naming the parameter `name` ("--at" on the command line,
// "at" in the API): "NAME takes WHAT, not GIVEN".
Result<int> readParameter(const Parameter& parameter, std::string_view name, std::string_view given,
                          Quoting quoting);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_PARAMETERS_H_
