// The library's result texts taken apart into their fields.
#ifndef MURLO_TOOLS_MURLO_RESULT_TEXT_H_
#define MURLO_TOOLS_MURLO_RESULT_TEXT_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murlo::tool {

// The parts of `text` that each end in `terminator`, or nothing when text is
// left after the last terminator.
std::optional<std::vector<std::string>> splitTerminated(std::string_view text, char terminator);

// One train result line: sixteen fields separated by "|".
struct TrainLine {
  std::string marker;  // "H" (asked for), "S" (boarding at the first station) or " "
  uint32_t index = 0;  // what murlo stops takes
  std::string number;  // every number of the train, joined by "/"
  std::string from;
  std::string departure;  // HH:MM
  std::string to;
  std::string arrival;  // HH:MM
  std::string firstStation;
  std::string lastStation;
  std::string className;
  std::string journeyTime;  // HH:MM, hours not reduced
  // Hard seat, soft seat, hard sleeper, soft sleeper: whole yuan, or "-"
  // where the train does not offer the class.
  std::array<std::string, 4> fares;
};

// One stop of a stop list: ">|name|arrival|departure|km".
struct StopLine {
  bool onJourney = false;  // marked ">": on the stretch from boarding to alighting
  std::string station;
  std::string arrival;    // "-" at the first stop
  std::string departure;  // "-" at the last stop
  int32_t km = 0;         // from the train's first station
  // Days after the train set out from its first stop (see assignDays).
  int arrivalDay = 0;
  int departureDay = 0;
};

// One journey of murlo_plan_journeys: its summary line
// "J|DEP|ARR|DAY|DAYS|DURATION|RIDES", then that many train lines, its rides.
struct JourneyLine {
  std::string departure;  // HH:MM, the first ride's boarding
  std::string arrival;    // HH:MM, the last ride's arrival
  int day = 0;            // 0: it departs on the day asked about, 1: on the next
  int days = 0;           // days from its departure day to its arrival
  std::string duration;   // HH:MM, hours not reduced
  std::vector<TrainLine> rides;
};

// Minutes of the day of "HH:MM", or nothing.
std::optional<int> minutesOf(std::string_view time);
// "HH:MM", with "+N" after it when `day` is N > 0 (a time N days after the
// day the answer counts from), "-N" when it is N days before.
std::string timeWithDay(const std::string& time, int day);
// Minutes of a duration "HH:MM" whose hours are not reduced ("26:05", "123:00").
std::optional<int> minutesOfDuration(std::string_view duration);

// Sets each stop's days: a time earlier than the one before it means the
// train went past midnight (the rule of the journey times).
void assignDays(std::vector<StopLine>& stops);

std::optional<TrainLine> parseTrainLine(std::string_view line);
std::optional<StopLine> parseStopLine(std::string_view line);

// Whole result texts: "*"-terminated train lines, "*"-terminated stop lines,
// "|"-terminated names and journeys (each line "*"-terminated). Nothing when
// any part does not parse.
std::optional<std::vector<TrainLine>> parseTrainLines(std::string_view text);
std::optional<std::vector<StopLine>> parseStopLines(std::string_view text);
std::optional<std::vector<std::string>> parseNames(std::string_view text);
std::optional<std::vector<JourneyLine>> parseJourneys(std::string_view text);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_RESULT_TEXT_H_
