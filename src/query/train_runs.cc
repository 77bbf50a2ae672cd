#include "query/train_runs.h"

#include <algorithm>
#include <optional>

#include "db/day_rollover.h"
#include "db/file_format.h"
#include "db/service_calendar.h"
#include "query/usable_call.h"

namespace murlo {
namespace {

constexpr uint32_t kLeave = TrainRuns::Stop::kLeave;
constexpr uint32_t kBoard = TrainRuns::Stop::kBoard;

}  // namespace

TrainRuns::TrainRuns(const TimetableDb& db) {
  const int32_t trains = db.indexableTrains();
  trains_.resize(static_cast<std::size_t>(trains));

  // Where each train can be boarded and left: its usable calls.
  std::vector<uint32_t> flags(static_cast<std::size_t>(trains) * kMaxStops, 0);
  const int32_t stations = db.indexableStations();
  UsableCalls usable(db);
  for (StationIndex s(0); s.value() < stations; ++s) {
    const CallList calls = db.callsAt(s);
    for (int32_t j = 0; j < calls.size(); ++j) {
      const std::optional<UsableCall> call = usable.of(s, calls[j]);
      if (!call) continue;
      // A usable call names an indexable train and a stop below 100.
      uint32_t& flag = flags[call->train.slot() * kMaxStops + call->stop.slot()];
      if (call->canBoard()) flag |= kBoard;
      if (call->canLeave()) flag |= kLeave;
    }
  }

  std::vector<Stop> stops;  // grown train by train, then kept at its size
  const NetworkRules* rules = db.networkRules();
  const bool dated = rules != nullptr && !rules->extension().calendar.empty();
  std::vector<DepartureSpan> spans;
  if (dated) spanStart_.assign(static_cast<std::size_t>(trains) + 1, 0);
  const ServiceCalendar* calendar = dated ? &rules->extension().calendar : nullptr;
  const bool patternsKept =
      calendar != nullptr && calendar->patterns.size() < Train::kPatternUnkept;
  for (TrainIndex t(0); t.value() < trains; ++t) {
    if (dated) spanStart_[t.slot()] = static_cast<uint32_t>(spans.size());
    if (patternsKept && t.slot() < calendar->trainPatterns.size()) {
      trains_[t.slot()].pattern = static_cast<uint16_t>(calendar->trainPatterns[t.slot()]);
    }
    const uint32_t* trainFlags = &flags[t.slot() * kMaxStops];
    const std::optional<StopList> list = db.stopsOf(t);
    if (!list || std::none_of(trainFlags, trainFlags + kMaxStops,
                              [](uint32_t f) { return (f & kBoard) != 0; })) {
      continue;  // never boarded: no stops kept
    }
    // A train with a usable call has two stops at least.
    const int32_t kept = std::min(list->size(), kMaxStops);
    Train& run = trains_[t.slot()];
    run.first = static_cast<uint32_t>(stops.size());
    run.stops = static_cast<uint8_t>(kept);
    for (StopPosition k(0); k.value() < kept; ++k) {
      const StopRecord record = (*list)[k];
      // The last kept stop is never boarded: the ride would have nowhere to
      // go. A flagged stop's station is an indexable one.
      uint32_t flag = trainFlags[k.slot()];
      if (k.value() + 1 == kept) flag &= ~kBoard;
      const auto station = flag != 0 ? static_cast<uint32_t>(record.stationIndex().value()) : 0;
      stops.push_back(Stop{station | flag, static_cast<int16_t>(record.arrivalMinutes()),
                           static_cast<int16_t>(record.departureMinutes())});
    }
    if (std::any_of(stops.end() - kept, stops.end() - 1,
                    [](const Stop& stop) { return stop.canLeave() && !stop.canBoard(); })) {
      leftWhereNotBoarded_.push_back(t);
    }
    // Each boardable stop keeps the day its runs depart there (within the
    // ten bits of Stop, see there), and each day's departures are spanned.
    if (dated) {
      int64_t arrival = runMinuteOfDeparture(*list, StopPosition(0));
      for (StopPosition k(0); k.value() < kept; ++k) {
        if (k.value() == 1) {
          arrival +=
              stepMinutes((*list)[StopPosition(0)].departureMinutes(), (*list)[k].arrivalMinutes());
        } else if (k.value() > 1) {
          arrival += stepMinutes((*list)[StopPosition(k.value() - 1)].arrivalMinutes(),
                                 (*list)[k].arrivalMinutes());
        }
        const int64_t departure =
            k.value() == 0
                ? arrival
                : arrival + stepMinutes((*list)[k].arrivalMinutes(), (*list)[k].departureMinutes());
        const int32_t day = runDayOf(departure);
        Stop& stop = stops[run.first + k.slot()];
        if (!stop.canBoard()) continue;
        stop.place |= Stop::dayBits(day);
        // Days never fall along a run: a new day's span begins after the
        // last one.
        const auto minute = static_cast<int16_t>(departure - int64_t{day} * kMinutesPerDay);
        if (spans.size() == spanStart_[t.slot()] || spans.back().day != day) {
          spans.push_back(DepartureSpan{static_cast<int16_t>(day), minute, minute});
        } else {
          spans.back().earliest = std::min(spans.back().earliest, minute);
          spans.back().latest = std::max(spans.back().latest, minute);
        }
      }
    }
  }
  if (dated) spanStart_.back() = static_cast<uint32_t>(spans.size());
  // The trains by the station of their last kept stop, where it can be left.
  endingStart_.assign(static_cast<std::size_t>(std::max(stations, 0)) + 1, 0);
  const auto lastLeft = [&](TrainIndex t) -> const Stop* {
    const Train& run = trains_[t.slot()];
    if (run.stops < 2) return nullptr;  // never boarded: no stops kept
    const Stop& last = stops[run.first + run.stops - 1u];
    return last.canLeave() && last.station().value() < stations ? &last : nullptr;
  };
  for (TrainIndex t(0); t.value() < trains; ++t) {
    if (const Stop* last = lastLeft(t)) ++endingStart_[last->station().slot() + 1];
  }
  for (std::size_t s = 1; s < endingStart_.size(); ++s) endingStart_[s] += endingStart_[s - 1];
  ending_.resize(endingStart_.back());
  std::vector<uint32_t> next(endingStart_.begin(), endingStart_.end() - 1);
  for (TrainIndex t(0); t.value() < trains; ++t) {
    if (const Stop* last = lastLeft(t)) ending_[next[last->station().slot()]++] = t;
  }
  spans_.assign(spans.begin(), spans.end());
  // A copy rather than shrink_to_fit, which may ignore a failed allocation.
  stops_.assign(stops.begin(), stops.end());
}

std::size_t TrainRuns::bytes() const {
  return trains_.capacity() * sizeof(Train) + stops_.capacity() * sizeof(Stop) +
         leftWhereNotBoarded_.capacity() * sizeof(TrainIndex) +
         ending_.capacity() * sizeof(TrainIndex) + endingStart_.capacity() * sizeof(uint32_t) +
         spans_.capacity() * sizeof(DepartureSpan) + spanStart_.capacity() * sizeof(uint32_t);
}

}  // namespace murlo
