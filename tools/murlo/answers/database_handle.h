// murlo's hold on a database through the library's structured interface: a
// shared handle, the library's answers owned until freed, and their facts as
// murlo's train lines, stop lines and days. Minutes come counted from the
// day an answer counts from; a day is a whole 1440 minutes of them.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_DATABASE_HANDLE_H_
#define MURLO_TOOLS_MURLO_ANSWERS_DATABASE_HANDLE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "answers/train_lines.h"
#include "answers/train_listing.h"
#include "murloppc.h"

namespace murlo::tool {

// A database handle, closed when its last holder lets go.
using DatabaseHandle = std::shared_ptr<murlo_db>;

// A handle on the process's database (what murlo loaded for its text
// answers); nothing when memory runs out.
DatabaseHandle processDatabase();
// The file at `path` opened as a handle of its own, or one line saying why
// it cannot be, naming the path.
std::variant<DatabaseHandle, std::string> openDatabase(const std::string& path);

// The library's answers, freed with their own functions.
struct FreeAnswer {
  void operator()(murlo_stations* answer) const { murlo_stations_free(answer); }
  void operator()(murlo_rides* answer) const { murlo_rides_free(answer); }
  void operator()(murlo_stops* answer) const { murlo_stops_free(answer); }
  void operator()(murlo_journeys* answer) const { murlo_journeys_free(answer); }
};
template <typename Answer>
using Owned = std::unique_ptr<Answer, FreeAnswer>;

// The day of minute `minutes` (rounded down: -1 for the day before).
int dayOf(int64_t minutes);
// "HH:MM" of the time of day of `minutes`.
std::string clockOf(int64_t minutes);
// "HH:MM" of a span of minutes, hours not reduced ("26:05").
std::string spanOf(int64_t minutes);

// A ride as a train line: the fields of the library's result line (marked
// "H" when `markAll`, as the direct trains' mode 1 marks them).
TrainLine trainLineOf(const murlo_ride& ride, bool markAll = false);
// A ride as a listed train of `kind`: its days counted from the day the
// train set out, the call at the station asked about, and on a board the
// day (after the day asked about) of its time there.
ListedTrain listedTrainOf(const murlo_ride& ride, ListKind kind, bool markAll = false);
// A stop of a stop list, its days from the day the train set out.
StopLine stopLineOf(const murlo_stop& stop);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_DATABASE_HANDLE_H_
