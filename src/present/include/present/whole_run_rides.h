// Rides as data with their texts in UTF-8, and each train's whole run made
// once and then kept.
//
// A structured answer of trains at a station or by number holds each train's
// whole run, first stop to last: facts that depend on the train alone, yet
// cost its fares, its journey time (every stop read) and its names each time
// they are made. As the whole-run lines are kept for the text answers
// (present/whole_run_lines.h), a loaded database keeps each train's whole
// run as data from the first structured answer that makes it on, and later
// answers copy it.
//
// One slot per train, each filled at most once by compare-and-swap: any
// number of threads may read and fill slots at the same time. A kept ride
// stays at its address until the cache is destroyed; its texts are those of
// the Utf8Names it was made with, which must live as long.
#ifndef MURLO_PRESENT_WHOLE_RUN_RIDES_H_
#define MURLO_PRESENT_WHOLE_RUN_RIDES_H_

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "db/timetable_db.h"
#include "present/ride_facts.h"
#include "present/utf8_names.h"

namespace murlo {

// A fare column the train does not offer, in Utf8Ride::fares.
inline constexpr int64_t kNoFare = INT64_MIN;

// The facts of a RideFacts with every text a zero-terminated UTF-8 text of
// a Utf8Names (the class name a static text), and kNoFare for a fare the
// line shows as "-".
struct Utf8Ride {
  TrainIndex train;
  StopPosition board;
  StopPosition alight;
  char marker = ' ';
  const char* number = "";
  const char* boardingStation = "";
  const char* alightingStation = "";
  const char* firstStation = "";
  const char* lastStation = "";
  const char* className = "";
  int64_t setOut = 0;
  int64_t departure = 0;
  int64_t arrival = 0;
  int64_t journeyMinutes = 0;
  int32_t distanceKm = 0;
  std::array<int64_t, 4> fares{kNoFare, kNoFare, kNoFare, kNoFare};
  std::optional<uint32_t> networkFare;  // as RideFacts
  // A kept whole run: the times of every stop (allCallTimes), for the calls
  // an answer names; empty otherwise.
  std::vector<CallTimes> calls;
};

// `facts` with the texts of `names`. REQUIRES: `facts` are of `db`, the
// tables `names` were made from.
Utf8Ride utf8Ride(const TimetableDb& db, const Utf8Names& names, const RideFacts& facts);

class WholeRunRides {
 public:
  // Empty slots for every train of `db`. May throw std::bad_alloc.
  explicit WholeRunRides(const TimetableDb& db);
  ~WholeRunRides();
  WholeRunRides(const WholeRunRides&) = delete;
  WholeRunRides& operator=(const WholeRunRides&) = delete;

  // The whole run of `train` (stop 0 to its last stop), made and kept if it
  // was not yet; nullptr where the tables give it no line. REQUIRES: `db` is
  // the database the cache was made for and `names` were made from it, and
  // live as long as the cache. May throw std::bad_alloc.
  const Utf8Ride* ride(const TimetableDb& db, const Utf8Names& names, TrainIndex train) const;

  // The whole run of `train` if it is kept, else nullptr (nothing is made).
  const Utf8Ride* find(TrainIndex train) const {
    if (train.value() < 0 || train.slot() >= trains_) return nullptr;
    return slots_[train.slot()].load(std::memory_order_acquire);
  }

 private:
  std::size_t trains_;
  std::unique_ptr<std::atomic<const Utf8Ride*>[]> slots_;
};

}  // namespace murlo

#endif  // MURLO_PRESENT_WHOLE_RUN_RIDES_H_
