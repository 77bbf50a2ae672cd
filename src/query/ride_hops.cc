#include "query/ride_hops.h"

#include <algorithm>
#include <cstdint>

#include "db/day_rollover.h"
#include "db/file_format.h"

namespace murlo {

namespace {

// Calls one after the other at usable stops of every train: `hop(from, to,
// minutes)` for each, and `unsteady(t)` for each train t with a negative
// step (only in a corrupt file) before its hops. A ride from stop k lasts
// from its departure (boarded there) or its arrival (passed through) to
// the next arrival, then arrival to arrival: a hop takes the least of the
// two first steps and the steps after it, or 0 on a train with a negative
// step.
template <typename Hop, typename Unsteady>
void forEachHop(const TrainRuns& runs, int32_t stations, Hop hop, Unsteady unsteady) {
  struct Made {
    StationIndex from;
    StationIndex to;
    int32_t minutes;
  };
  std::vector<Made> made;  // one train's
  made.reserve(kMaxStops);
  for (TrainIndex t(0); t < TrainIndex(runs.trainCount()); ++t) {
    const TrainRuns::Train& run = runs.train(t);
    const TrainRuns::RunStops stops = runs.stopsOf(run);
    const auto usable = [&](const TrainRuns::Stop& stop) {
      return (stop.canBoard() || stop.canLeave()) && stop.station().value() < stations;
    };
    made.clear();
    bool steady = true;
    StationIndex from(-1);
    int32_t minutes = 0;
    for (StopPosition k(0); k.next() < run.end(); ++k) {
      const TrainRuns::Stop& stop = stops[k];
      const TrainRuns::Stop& next = stops[k.next()];
      const int32_t fromDeparture = stepMinutes(stop.departure, next.arrival);
      const int32_t fromArrival = stepMinutes(stop.arrival, next.arrival);
      steady = steady && fromDeparture >= 0 && fromArrival >= 0;
      if (usable(stop)) {
        from = stop.station();
        minutes = std::min(fromDeparture, fromArrival);
      } else {
        minutes += fromArrival;
      }
      if (from.value() >= 0 && usable(next) && next.station() != from) {
        made.push_back(Made{from, next.station(), minutes});
      }
    }
    if (!steady) unsteady(t);
    for (const Made& m : made) hop(m.from, m.to, steady ? m.minutes : 0);
  }
}

}  // namespace

namespace {

// The least minutes of each hop (from, to) seen, in a table of open
// addressing: a busy network's trains make hundreds of thousands of hops
// between some tens of thousands of pairs of stations.
class HopTable {
 public:
  explicit HopTable(std::size_t expected) {
    std::size_t size = 1024;
    while (size < 2 * expected) size *= 2;
    resize(size);
  }

  void add(StationIndex from, StationIndex to, int32_t minutes) {
    const uint64_t key = keyOf(from, to);
    for (std::size_t at = slotOf(key);; at = (at + 1) & mask_) {
      if (keys_[at] == key) {
        minutes_[at] = std::min(minutes_[at], minutes);
        return;
      }
      if (keys_[at] == kEmpty) {
        keys_[at] = key;
        minutes_[at] = minutes;
        if (++used_ * 2 > keys_.size()) grow();
        return;
      }
    }
  }

  // Calls `hop(from, to, minutes)` for each pair held.
  template <typename Hop>
  void forEach(Hop hop) const {
    for (std::size_t at = 0; at < keys_.size(); ++at) {
      if (keys_[at] == kEmpty) continue;
      hop(StationIndex(static_cast<int32_t>((keys_[at] >> 32) - 1)),
          StationIndex(static_cast<int32_t>(keys_[at] & 0xFFFFFFFF)), minutes_[at]);
    }
  }

 private:
  static constexpr uint64_t kEmpty = 0;  // (a key's from is one more than the station)

  static uint64_t keyOf(StationIndex from, StationIndex to) {
    return uint64_t{static_cast<uint32_t>(from.value()) + 1} << 32 |
           static_cast<uint32_t>(to.value());
  }
  std::size_t slotOf(uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> shift_);
  }
  void resize(std::size_t size) {
    keys_.assign(size, kEmpty);
    minutes_.assign(size, 0);
    mask_ = size - 1;
    shift_ = 64;
    for (std::size_t s = size; s > 1; s /= 2) --shift_;
  }
  void grow() {
    const std::vector<uint64_t> keys = std::move(keys_);
    const std::vector<int32_t> minutes = std::move(minutes_);
    resize(keys.size() * 2);
    used_ = 0;
    for (std::size_t at = 0; at < keys.size(); ++at) {
      if (keys[at] == kEmpty) continue;
      std::size_t to = slotOf(keys[at]);
      while (keys_[to] != kEmpty) to = (to + 1) & mask_;
      keys_[to] = keys[at];
      minutes_[to] = minutes[at];
      ++used_;
    }
  }

  std::vector<uint64_t> keys_;
  std::vector<int32_t> minutes_;
  std::size_t mask_ = 0;
  int shift_ = 64;
  std::size_t used_ = 0;
};

}  // namespace

RideHops::RideHops(const TrainRuns& runs, int32_t stations)
    : start_(static_cast<std::size_t>(stations) + 1, 0) {
  // Each pair of stations once, with its fewest minutes; then placed by
  // the station arrived at.
  HopTable table(static_cast<std::size_t>(stations) * 8);
  forEachHop(
      runs, stations,
      [&](StationIndex from, StationIndex to, int32_t minutes) { table.add(from, to, minutes); },
      [&](TrainIndex t) {
        if (unsteady_.empty()) unsteady_.assign(static_cast<std::size_t>(runs.trainCount()), 0);
        unsteady_[t.slot()] = 1;
      });
  table.forEach([&](StationIndex, StationIndex to, int32_t) { ++start_[to.slot()]; });
  uint32_t total = 0;
  for (uint32_t& start : start_) {
    const uint32_t count = start;
    start = total;
    total += count;
  }
  hops_.resize(total);
  std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
  table.forEach([&](StationIndex from, StationIndex to, int32_t minutes) {
    hops_[fill[to.slot()]++] = Hop{from, minutes};
  });
}

}  // namespace murlo
