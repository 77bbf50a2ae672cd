// A train between two stops and a stop of a stop list as murlo shows them:
// the fields of the library's result lines, from its structured answers.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_TRAIN_LINES_H_
#define MURLO_TOOLS_MURLO_ANSWERS_TRAIN_LINES_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "answers/network_fare.h"

namespace murlo::tool {

// One train result line's fields.
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
  // False where the database does not use the built-in tariff: the four
  // fares are "-" and no table or JSON shows them as prices; `fare` is then
  // the network's own fare of the ride, where it has one.
  bool builtInFares = true;
  std::optional<NetworkFare> fare;
};

// One stop of a stop list.
struct StopLine {
  bool onJourney = false;  // marked ">": on the stretch from boarding to alighting
  std::string station;
  std::string arrival;    // "-" at the first stop
  std::string departure;  // "-" at the last stop
  int32_t km = 0;         // from the train's first station
  // Days after the train set out from its first stop.
  int arrivalDay = 0;
  int departureDay = 0;
};

// "HH:MM", with "+N" after it when `day` is N > 0 (a time N days after the
// day the answer counts from), "-N" when it is N days before.
std::string timeWithDay(const std::string& time, int day);
}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_TRAIN_LINES_H_
