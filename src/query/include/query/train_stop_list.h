// One train's whole stop list with the traveller's journey marked.
#ifndef MURLO_QUERY_TRAIN_STOP_LIST_H_
#define MURLO_QUERY_TRAIN_STOP_LIST_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "query/loaded_database.h"

namespace murlo {

struct StopListResult {
  int32_t stops = 0;     // number of stop lines in `stopList`
  std::string stopList;  // GBK, one "*"-terminated line per stop
  std::string runTime;   // "HH:MM", hours not reduced modulo 24
};

// The stop list of train `trainIndex`, stops from `boarding` to `alighting`
// (GBK names) marked ">|", others " |", and the train's running time from
// its first to its last stop. A train index outside the tables or a train
// with fewer than two whole stop records gives 0 stops and two empty texts; a
// stop at a station outside the station table gets no line and is not
// counted, while the running time still covers every stop. An empty name
// matches no stop.
// May throw std::bad_alloc.
StopListResult trainStopList(const LoadedDatabase& db, TrainIndex trainIndex,
                             std::string_view boarding, std::string_view alighting);

// The same as data: each stop the text has a line for, marked or not, and
// the running time in minutes; `found` false where the text is empty.
struct MarkedStop {
  StopPosition stop;
  bool marked = false;
};
struct TrainStops {
  bool found = false;
  std::vector<MarkedStop> stops;
  int64_t runMinutes = 0;
};
TrainStops trainStops(const LoadedDatabase& db, TrainIndex trainIndex, std::string_view boarding,
                      std::string_view alighting);

}  // namespace murlo

#endif  // MURLO_QUERY_TRAIN_STOP_LIST_H_
