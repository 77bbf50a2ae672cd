// What the profile search (profile_search.h) keeps while it searches: the
// labels, which stations a round improved, and the trains a round scans.
//
// Labels: for each round r (1 to the most rides) and station s, the earliest
// arrival at s found with at most r rides from the departures taken so far
// (the later ones), and how it was reached (ride_code.h). Labels never grow,
// and a label of round r is never later than round r - 1's at the same
// station. A round reads the labels of the round before and writes its own,
// two arrays of four bytes a station.
#ifndef MURLO_QUERY_PROFILE_STATE_H_
#define MURLO_QUERY_PROFILE_STATE_H_

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "db/indexes.h"
#include "query/journey.h"
#include "query/ride_code.h"
#include "query/train_runs.h"

namespace murlo {

// The most rides of a journey.
inline constexpr int32_t kMostRides = kMostChanges + 1;

// No arrival (yet). Minutes fit 32 bits: a ride passes at most kMaxStops - 1
// steps of at most the span of the fields, waits at most a day for its run
// and the change time before it; the first departs within a day of the
// query's minute. The bounds added to a label stay below kNever too.
inline constexpr int32_t kNever = std::numeric_limits<int32_t>::max() / 4;
static_assert(int64_t{2} * kMinutesPerDay +
                      int64_t{kMostRides} *
                          ((kMaxStops - 1) *
                               int64_t{kMostFieldMinutes - kLeastFieldMinutes + kMinutesPerDay} +
                           2 * kMinutesPerDay) <
                  kNever,
              "the minutes of a journey must stay below kNever");

class ProfileState {
 public:
  // Labels for rounds 0 to `rounds` of `stations` stations; no train queued
  // of `trains`. May throw std::bad_alloc.
  void size(int32_t rounds, int32_t stations, int32_t trains) {
    stations_ = static_cast<std::size_t>(stations);
    const std::size_t labels = static_cast<std::size_t>(rounds + 1) * stations_;
    arrivals_.resize(labels);
    how_.resize(labels);
    marked_.assign(stations_, 0);
    previous_.resize(stations_);
    fromStop_.assign(static_cast<std::size_t>(trains), kNotQueued);
  }

  // Every label to kNever, before a search of departures.
  void clearLabels() { std::fill(arrivals_.begin(), arrivals_.end(), kNever); }

  // The label of `round` at `station`: its arrival and how it was reached.
  int32_t& arrival(int32_t round, StationIndex station) { return arrivals_[at(round, station)]; }
  int32_t arrival(int32_t round, StationIndex station) const {
    return arrivals_[at(round, station)];
  }
  RideCode& how(int32_t round, StationIndex station) { return how_[at(round, station)]; }
  RideCode how(int32_t round, StationIndex station) const { return how_[at(round, station)]; }

  // Improvements of the round under way: `station`, whose label was `before`,
  // improved (the first time in this round counts; the destination is never
  // marked but reached).
  void markImproved(StationIndex station, int32_t before) {
    uint8_t& marked = marked_[station.slot()];
    if (marked != 0) return;
    marked = 1;
    previous_[station.slot()] = before;
    improved_.push_back(station);
  }
  void markReached(int32_t round) { reached_[static_cast<std::size_t>(round)] = true; }

  // The round ended: its improved stations are the next round's to follow.
  void endRound() {
    for (const StationIndex s : improved_) marked_[s.slot()] = 0;
    improvedBefore_.swap(improved_);
    improved_.clear();
  }
  // An iteration of rounds begins, or ended.
  void beginIteration() { reached_.fill(false); }
  void endIteration() { improvedBefore_.clear(); }

  // The stations the round before improved, and each one's label before.
  const std::vector<StationIndex>& improvedBefore() const { return improvedBefore_; }
  int32_t labelBefore(StationIndex station) const { return previous_[station.slot()]; }
  // Whether the destination was reached in `round` of this iteration.
  bool reached(int32_t round) const { return reached_[static_cast<std::size_t>(round)]; }

  // The trains a round scans, each from its first stop to scan.
  void queue(TrainIndex train, StopPosition stop) {
    uint8_t& from = fromStop_[train.slot()];
    if (from == kNotQueued) queued_.push_back(train);
    from = static_cast<uint8_t>(std::min(StopPosition(from), stop).value());
  }
  const std::vector<TrainIndex>& queued() const { return queued_; }
  StopPosition queuedFrom(TrainIndex train) const { return StopPosition(fromStop_[train.slot()]); }
  // Takes `train` off the queue (the queue itself is cleared at once after).
  void unqueue(TrainIndex train) { fromStop_[train.slot()] = kNotQueued; }
  void clearQueue() { queued_.clear(); }

 private:
  static constexpr uint8_t kNotQueued = 0xFF;
  static_assert(kMaxStops <= kNotQueued, "a stop position must fit below kNotQueued");

  std::size_t at(int32_t round, StationIndex station) const {
    return static_cast<std::size_t>(round) * stations_ + station.slot();
  }

  std::size_t stations_ = 0;
  std::vector<int32_t> arrivals_;  // by round, then station
  std::vector<RideCode> how_;      // likewise
  std::array<bool, kMostRides + 1> reached_{};
  std::vector<uint8_t> marked_;    // by station: improved in this round
  std::vector<int32_t> previous_;  // by station: its label before that
  std::vector<StationIndex> improved_;
  std::vector<StationIndex> improvedBefore_;
  std::vector<uint8_t> fromStop_;  // by train: first stop to scan, or kNotQueued
  std::vector<TrainIndex> queued_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_PROFILE_STATE_H_
