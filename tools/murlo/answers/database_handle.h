// murlo's hold on a database through the library's structured interface: a
// shared handle, the library's answers owned until freed, and their facts as
// murlo's train lines, stop lines and days. Minutes come counted from the
// day an answer counts from (dayOf and clockOf in time_of_day.h).
#ifndef MURLO_TOOLS_MURLO_ANSWERS_DATABASE_HANDLE_H_
#define MURLO_TOOLS_MURLO_ANSWERS_DATABASE_HANDLE_H_

#include <cstdint>
#include <memory>
#include <string>

#include "answers/status.h"
#include "answers/time_of_day.h"
#include "answers/train_lines.h"
#include "answers/train_listing.h"
#include "murloppc.h"

namespace murlo::tool {

// A database handle, closed when its last holder lets go.
using DatabaseHandle = std::shared_ptr<murlo_db>;

// A handle on the process's database (what murlo loaded for its text
// answers); nothing when memory runs out.
DatabaseHandle processDatabase();
// The file at `path` opened as a handle of its own, or why it cannot be
// (kCannotLoad or kOutOfMemory, the message naming the path).
Result<DatabaseHandle> openDatabase(const std::string& path);

// The library's answers, freed with their own functions.
struct FreeAnswer {
  void operator()(murlo_stations* answer) const { murlo_stations_free(answer); }
  void operator()(murlo_rides* answer) const { murlo_rides_free(answer); }
  void operator()(murlo_stops* answer) const { murlo_stops_free(answer); }
  void operator()(murlo_journeys* answer) const { murlo_journeys_free(answer); }
};
template <typename Answer>
using Owned = std::unique_ptr<Answer, FreeAnswer>;

// A ride as a train line: the fields of the library's result line (marked
// "H" when `markAll`, as the direct trains' mode 1 marks them).
TrainLine trainLineOf(const murlo_ride& ride, bool markAll = false);
// A ride as a listed train of `kind`: its days counted from the day the
// train set out, the call at the station asked about, and on a board the
// day (after the day asked about) of its time there.
// With `db`, the tariff and the network's fare of the ride (TrainLine).
ListedTrain listedTrainOf(const murlo_ride& ride, ListKind kind, bool markAll = false,
                          const murlo_db* db = nullptr);
// A stop of a stop list, its days from the day the train set out.
StopLine stopLineOf(const murlo_stop& stop);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_DATABASE_HANDLE_H_
