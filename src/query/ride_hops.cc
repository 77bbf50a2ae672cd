#include "query/ride_hops.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "db/day_rollover.h"

namespace murlo {

namespace {

// Whether a step between the kept stops of `run` is negative (only in a
// corrupt file).
bool hasNegativeStep(const TrainRuns& runs, const TrainRuns::Train& run) {
  const TrainRuns::RunStops stops = runs.stopsOf(run);
  for (StopPosition k(0); k.next() < run.end(); ++k) {
    const TrainRuns::Stop& next = stops[k.next()];
    if (stepMinutes(stops[k].departure, next.arrival) < 0 ||
        stepMinutes(stops[k].arrival, next.arrival) < 0) {
      return true;
    }
  }
  return false;
}

// Calls one after the other at usable stops of every train: `hop(from, to,
// minutes)` for each. A ride from stop k lasts from its departure (boarded
// there) or its arrival (passed through) to the next arrival, then arrival
// to arrival: the least of the two first steps and the steps after it; 0
// on a train with a negative step (`unsteady`, by train).
template <typename Hop>
void forEachHop(const TrainRuns& runs, int32_t stations, const std::vector<uint8_t>& unsteady,
                Hop hop) {
  for (TrainIndex t(0); t < TrainIndex(runs.trainCount()); ++t) {
    const TrainRuns::Train& run = runs.train(t);
    const TrainRuns::RunStops stops = runs.stopsOf(run);
    const bool steady = unsteady.empty() || unsteady[t.slot()] == 0;
    const auto usable = [&](const TrainRuns::Stop& stop) {
      return (stop.canBoard() || stop.canLeave()) && stop.station().value() < stations;
    };
    StationIndex from(-1);
    int32_t minutes = 0;
    for (StopPosition k(0); k.next() < run.end(); ++k) {
      const TrainRuns::Stop& stop = stops[k];
      const TrainRuns::Stop& next = stops[k.next()];
      if (usable(stop)) {
        from = stop.station();
        minutes = std::min(stepMinutes(stop.departure, next.arrival),
                           stepMinutes(stop.arrival, next.arrival));
      } else {
        minutes += stepMinutes(stop.arrival, next.arrival);
      }
      if (from.value() >= 0 && usable(next) && next.station() != from) {
        hop(from, next.station(), steady ? minutes : 0);
      }
    }
  }
}

}  // namespace

RideHops::RideHops(const TrainRuns& runs, int32_t stations)
    : start_(static_cast<std::size_t>(stations) + 1, 0) {
  for (TrainIndex t(0); t < TrainIndex(runs.trainCount()); ++t) {
    if (!hasNegativeStep(runs, runs.train(t))) continue;
    if (unsteady_.empty()) unsteady_.assign(static_cast<std::size_t>(runs.trainCount()), 0);
    unsteady_[t.slot()] = 1;
  }
  // The hops as the trains make them, each made one with a hop kept from
  // its station to the same station among the last few (the trains of a
  // line, each way, come one after another), then counted, placed by the
  // station arrived at and each station's made one a station they come
  // from (the fewest minutes).
  struct Edge {
    StationIndex from;
    StationIndex to;
    int32_t minutes;
  };
  std::vector<Edge> edges;
  edges.reserve(runs.stopCount() / 8 + 16);
  constexpr std::size_t kRecent = 4;
  struct Recent {
    std::array<uint32_t, kRecent> edges;
    uint32_t next;
  };
  std::vector<Recent> recent(static_cast<std::size_t>(stations),
                             Recent{{UINT32_MAX, UINT32_MAX, UINT32_MAX, UINT32_MAX}, 0});
  forEachHop(runs, stations, unsteady_, [&](StationIndex from, StationIndex to, int32_t minutes) {
    Recent& kept = recent[from.slot()];
    for (const uint32_t at : kept.edges) {
      if (at != UINT32_MAX && edges[at].to == to) {
        edges[at].minutes = std::min(edges[at].minutes, minutes);
        return;
      }
    }
    kept.edges[kept.next] = static_cast<uint32_t>(edges.size());
    kept.next = (kept.next + 1) % kRecent;
    edges.push_back(Edge{from, to, minutes});
    ++start_[to.slot()];
  });
  uint32_t total = 0;
  for (uint32_t& start : start_) {
    const uint32_t count = start;
    start = total;
    total += count;
  }
  std::vector<Hop> all(total);
  std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
  for (const Edge& edge : edges) all[fill[edge.to.slot()]++] = Hop{edge.from, edge.minutes};
  std::vector<int32_t> seen(static_cast<std::size_t>(stations), -1);  // its place in hops_
  hops_.reserve(total);
  std::vector<uint32_t> start(start_.size(), 0);
  for (std::size_t s = 0; s + 1 < start_.size(); ++s) {
    start[s] = static_cast<uint32_t>(hops_.size());
    for (uint32_t i = start_[s]; i < start_[s + 1]; ++i) {
      const Hop& hop = all[i];
      int32_t& at = seen[hop.from.slot()];
      if (at >= static_cast<int32_t>(start[s])) {
        Hop& kept = hops_[static_cast<std::size_t>(at)];
        kept.minutes = std::min(kept.minutes, hop.minutes);
      } else {
        at = static_cast<int32_t>(hops_.size());
        hops_.push_back(hop);
      }
    }
  }
  start.back() = static_cast<uint32_t>(hops_.size());
  start_ = std::move(start);
}

}  // namespace murlo
