// What the profile search (profile_search.h) keeps while it searches: the
// labels, which stations a round improved, and the trains a round scans.
//
// Labels: for each round r (1 to the most rides) and node n, the earliest
// arrival at n found with at most r rides from the departures taken so far
// (the later ones), how it was reached (ride_code.h) and the node whose
// label the ride was boarded from. A node is a station, or a train's
// arrivals at a station where rules name that train (change_rules.h), whose
// changes are its own. Labels never grow, and a label of round r is never
// later than round r - 1's at the same node.
//
// Ready times: for each round r and station s, the earliest minute a train
// can be boarded at s after at most r rides by the changes that hold for
// every train (at s itself or on foot from another station), and the node
// it comes from. A round reads the ready times of the round before and
// writes its own labels.
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

// A place the search labels: stations 0 to n - 1, then the arrivals of the
// trains that rules name (ChangeRules::arrivingLabel).
using NodeIndex = StrongIndex<struct NodeIndexTag>;

class ProfileState {
 public:
  // Labels for rounds 0 to `rounds` of `nodes` nodes, the first `stations`
  // of them stations; no train queued of `trains`. `plainChange` is the
  // minutes of every change where each is at one station and there is no
  // other node (a file without rules; then the ready times and where a ride
  // was boarded from follow from the labels and are not kept), else -1. May
  // throw std::bad_alloc.
  void size(int32_t rounds, int32_t nodes, int32_t stations, int32_t trains, int32_t plainChange) {
    nodes_ = static_cast<std::size_t>(nodes);
    stations_ = static_cast<std::size_t>(stations);
    plainChange_ = plainChange;
    const std::size_t labels = static_cast<std::size_t>(rounds + 1) * nodes_;
    arrivals_.resize(labels);
    how_.resize(labels);
    const std::size_t readies = static_cast<std::size_t>(rounds + 1) * stations_;
    if (plainChange_ < 0) {
      from_.resize(labels);
      ready_.resize(readies);
      readyFrom_.resize(readies);
    }
    marked_.assign(nodes_, 0);
    previousLabel_.resize(nodes_);
    readyMarked_.assign(stations_, 0);
    previous_.resize(stations_);
    queuedStops_.assign(static_cast<std::size_t>(trains), QueuedStops{kNotQueued, 0});
  }

  // Every label and ready time to kNever, before a search of departures.
  void clearLabels() {
    std::fill(arrivals_.begin(), arrivals_.end(), kNever);
    std::fill(ready_.begin(), ready_.end(), kNever);
  }
  // Whether where each ride was boarded from is kept (else it is the
  // station the ride was boarded at).
  bool keepsSources() const { return plainChange_ < 0; }

  // The label of `round` at `node`: its arrival, how it was reached and the
  // node the ride was boarded from.
  int32_t& arrival(int32_t round, NodeIndex node) { return arrivals_[at(round, node)]; }
  // The labels' arrivals of `round`, by node, followed by those of the
  // rounds above (nodeCount() apart): for the scans, which read them
  // without indexing by round each time.
  int32_t* arrivalsOf(int32_t round) { return arrivals_.data() + at(round, NodeIndex(0)); }
  std::size_t nodeCount() const { return nodes_; }
  int32_t arrival(int32_t round, NodeIndex node) const { return arrivals_[at(round, node)]; }
  RideCode& how(int32_t round, NodeIndex node) { return how_[at(round, node)]; }
  RideCode how(int32_t round, NodeIndex node) const { return how_[at(round, node)]; }
  void setFrom(int32_t round, NodeIndex node, NodeIndex from) {
    if (plainChange_ < 0) from_[at(round, node)] = from;
  }
  // REQUIRES: keepsSources().
  NodeIndex from(int32_t round, NodeIndex node) const { return from_[at(round, node)]; }

  // The ready time of `round` at `station`, and the node it comes from.
  int32_t ready(int32_t round, StationIndex station) const {
    return plainChange_ >= 0 ? arrivals_[at(round, NodeIndex(station.value()))] + plainChange_
                             : ready_[readyAt(round, station)];
  }
  NodeIndex readyFrom(int32_t round, StationIndex station) const {
    return plainChange_ >= 0 ? NodeIndex(station.value()) : readyFrom_[readyAt(round, station)];
  }
  // The same where they are kept. REQUIRES: keepsSources().
  int32_t keptReady(int32_t round, StationIndex station) const {
    return ready_[readyAt(round, station)];
  }
  // The kept ready times of `round`, by station.
  const int32_t* keptReadiesOf(int32_t round) const {
    return ready_.data() + readyAt(round, StationIndex(0));
  }
  NodeIndex keptReadyFrom(int32_t round, StationIndex station) const {
    return readyFrom_[readyAt(round, station)];
  }
  // Without rules: the ready time at `station` improved in this round from
  // its label, which was `before`.
  void markReadied(StationIndex station, int32_t before) {
    readyMarked_[station.slot()] = 1;
    previous_[station.slot()] = before >= kNever ? kNever : before + plainChange_;
    readied_.push_back(station);
  }
  // Sets the ready time of `round` at `station` to `minute` from `node`,
  // and of the rounds above up to `rounds` that it beats; whether it beat
  // this round's.
  bool improveReady(int32_t round, int32_t rounds, StationIndex station, int32_t minute,
                    NodeIndex node) {
    if (minute >= ready_[readyAt(round, station)]) return false;
    if (readyMarked_[station.slot()] == 0) {
      readyMarked_[station.slot()] = 1;
      previous_[station.slot()] = ready_[readyAt(round, station)];
      readied_.push_back(station);
    }
    for (int32_t r = round; r <= rounds; ++r) {
      const std::size_t i = readyAt(r, station);
      if (minute >= ready_[i]) break;
      ready_[i] = minute;
      readyFrom_[i] = node;
    }
    return true;
  }

  // Improvements of the round under way: `node` improved (the first time in
  // this round counts; the destination is never marked but reached).
  void markImproved(NodeIndex node, int32_t before) {
    uint8_t& marked = marked_[node.slot()];
    if (marked != 0) return;
    marked = 1;
    previousLabel_[node.slot()] = before;
    improved_.push_back(node);
  }
  // The label of a node the round under way improved, before it did.
  int32_t labelBefore(NodeIndex node) const { return previousLabel_[node.slot()]; }
  void markReached(int32_t round) { reached_[static_cast<std::size_t>(round)] = true; }
  // The nodes the round under way improved.
  const std::vector<NodeIndex>& improved() const { return improved_; }

  // The round ended and its ready times were set: its improved stations'
  // ready times are the next round's to follow.
  void endRound() {
    for (const NodeIndex n : improved_) marked_[n.slot()] = 0;
    improved_.clear();
    for (const StationIndex s : readied_) readyMarked_[s.slot()] = 0;
    readiedBefore_.swap(readied_);
    readied_.clear();
  }
  // An iteration of rounds begins, or ended.
  void beginIteration() { reached_.fill(false); }
  void endIteration() { readiedBefore_.clear(); }

  // The stations whose ready time the round before improved, and each one's
  // ready time before.
  const std::vector<StationIndex>& readiedBefore() const { return readiedBefore_; }
  int32_t readyBefore(StationIndex station) const { return previous_[station.slot()]; }
  // Whether the destination was reached in `round` of this iteration.
  bool reached(int32_t round) const { return reached_[static_cast<std::size_t>(round)]; }

  // The trains a round scans, each from its first stop to scan (and the
  // last it was queued from).
  void queue(TrainIndex train, StopPosition stop) {
    QueuedStops& queued = queuedStops_[train.slot()];
    if (queued.from == kNotQueued) queued_.push_back(train);
    queued.from = static_cast<uint8_t>(std::min(StopPosition(queued.from), stop).value());
    queued.last = static_cast<uint8_t>(std::max(StopPosition(queued.last), stop).value());
  }
  // Keeps `train` its place in the queue, with no stop to scan from yet:
  // trains are scanned in the order they were first queued, and where two
  // trains' arrivals tie, the one scanned first keeps the label, so a stop
  // left out by a cut keeps its train's place.
  void keepPlace(TrainIndex train) {
    uint8_t& from = queuedStops_[train.slot()].from;
    if (from != kNotQueued) return;
    queued_.push_back(train);
    from = kNoStopYet;
  }
  const std::vector<TrainIndex>& queued() const { return queued_; }
  // Whether `train` was queued with a stop (not only kept its place).
  bool queuedWithStop(TrainIndex train) const {
    return queuedStops_[train.slot()].from < kNoStopYet;
  }
  StopPosition queuedFrom(TrainIndex train) const {
    return StopPosition(queuedStops_[train.slot()].from);
  }
  // The last stop `train` was queued from (0 where it only kept its place).
  StopPosition queuedLast(TrainIndex train) const {
    return StopPosition(queuedStops_[train.slot()].last);
  }
  // Takes `train` off the queue (the queue itself is cleared at once after).
  void unqueue(TrainIndex train) { queuedStops_[train.slot()] = QueuedStops{kNotQueued, 0}; }
  void clearQueue() { queued_.clear(); }

 private:
  static constexpr uint8_t kNotQueued = 0xFF;
  static constexpr uint8_t kNoStopYet = 0xFE;
  static_assert(kMaxStops <= kNoStopYet, "a stop position must fit below kNoStopYet");

  std::size_t at(int32_t round, NodeIndex node) const {
    return static_cast<std::size_t>(round) * nodes_ + node.slot();
  }
  std::size_t readyAt(int32_t round, StationIndex station) const {
    return static_cast<std::size_t>(round) * stations_ + station.slot();
  }

  std::size_t nodes_ = 0;
  std::size_t stations_ = 0;
  std::vector<int32_t> arrivals_;  // by round, then node
  std::vector<RideCode> how_;      // likewise
  std::vector<NodeIndex> from_;    // likewise
  std::vector<int32_t> ready_;     // by round, then station
  std::vector<NodeIndex> readyFrom_;
  std::array<bool, kMostRides + 1> reached_{};
  int32_t plainChange_ = -1;
  std::vector<uint8_t> marked_;         // by node: improved in this round
  std::vector<int32_t> previousLabel_;  // by node: its label before that
  std::vector<NodeIndex> improved_;
  std::vector<uint8_t> readyMarked_;  // by station: ready time improved in this round
  std::vector<int32_t> previous_;     // by station: its ready time before that
  std::vector<StationIndex> readied_;
  std::vector<StationIndex> readiedBefore_;
  struct QueuedStops {
    uint8_t from;  // the first stop to scan, kNoStopYet or kNotQueued
    uint8_t last;  // the last stop queued from
  };
  std::vector<QueuedStops> queuedStops_;  // by train
  std::vector<TrainIndex> queued_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_PROFILE_STATE_H_
