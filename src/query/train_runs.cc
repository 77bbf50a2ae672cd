#include "query/train_runs.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "query/usable_call.h"

namespace murlo {
namespace {

constexpr uint8_t kBoard = 1;
constexpr uint8_t kLeave = 2;

}  // namespace

TrainRuns::TrainRuns(const TimetableDb& db) {
  const int32_t trains = std::min(db.trainCount(), kMaxTrains);
  trains_.resize(static_cast<std::size_t>(trains));

  // Where each train can be boarded and left: its usable calls.
  std::vector<uint8_t> flags(static_cast<std::size_t>(trains) * kMaxStops, 0);
  const int32_t stations = std::min(db.stationCount(), kMaxStations);
  for (StationIndex s(0); s.value() < stations; ++s) {
    const CallList calls = db.callsAt(s);
    for (int32_t j = 0; j < calls.size(); ++j) {
      const std::optional<UsableCall> call = usableCall(db, s, calls[j]);
      if (!call) continue;
      // A usable call names a train below 10,000 and a stop below 100.
      uint8_t& flag = flags[call->train.slot() * kMaxStops + call->stop.slot()];
      if (call->canBoard()) flag |= kBoard;
      if (call->canLeave()) flag |= kLeave;
    }
  }

  std::vector<int64_t> offsets;   // A(j) of one train
  std::vector<int32_t> arrivals;  // grown train by train, then kept at their size
  std::vector<int16_t> steps;
  for (TrainIndex t(0); t.value() < trains; ++t) {
    const uint8_t* trainFlags = &flags[t.slot() * kMaxStops];
    const std::optional<StopList> stops = db.stopsOf(t);
    if (!stops || std::none_of(trainFlags, trainFlags + kMaxStops,
                               [](uint8_t f) { return (f & kBoard) != 0; })) {
      continue;  // never boarded: no stops kept
    }
    // Any train with a usable call has two stops at least.
    const int32_t kept = std::min(stops->size(), kMaxStops);
    offsets.assign(static_cast<std::size_t>(kept), 0);
    bool withinRange = true;
    for (StopPosition j(1); j.value() < kept && withinRange; ++j) {
      const int64_t previous = j.value() == 1
                                   ? (*stops)[StopPosition(0)].departureMinutes()
                                   : (*stops)[StopPosition(j.value() - 1)].arrivalMinutes();
      offsets[j.slot()] = offsets[j.slot() - 1] +
                          stepMinutes(static_cast<int32_t>(previous), (*stops)[j].arrivalMinutes());
      withinRange = std::llabs(offsets[j.slot()]) <= kLongestRunMinutes;
    }
    if (!withinRange) continue;

    Train& run = trains_[t.slot()];
    run.first = static_cast<uint32_t>(arrivals.size());
    run.stops = static_cast<uint8_t>(kept);
    const int32_t firstDeparture = (*stops)[StopPosition(0)].departureMinutes();
    run.phase =
        static_cast<int16_t>(((firstDeparture % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay);
    for (StopPosition k(0); k.value() < kept; ++k) {
      const uint8_t flag = trainFlags[k.slot()];
      arrivals.push_back(static_cast<int32_t>(2 * offsets[k.slot()]) + ((flag & kLeave) ? 1 : 0));
      // The step fits 16 bits: a boarded stop's departure is a time of day
      // and an arrival field reads between -549 and 6039.
      const bool boarded = (flag & kBoard) != 0 && k.value() + 1 < kept;
      steps.push_back(boarded
                          ? static_cast<int16_t>(stepMinutes((*stops)[k].departureMinutes(),
                                                             (*stops)[k.next()].arrivalMinutes()))
                          : kCannotBoard);
    }
  }
  // Copies rather than shrink_to_fit, which may ignore a failed allocation.
  arrivals_.assign(arrivals.begin(), arrivals.end());
  steps_.assign(steps.begin(), steps.end());
}

std::size_t TrainRuns::bytes() const {
  return trains_.capacity() * sizeof(Train) + arrivals_.capacity() * sizeof(int32_t) +
         steps_.capacity() * sizeof(int16_t);
}

}  // namespace murlo
