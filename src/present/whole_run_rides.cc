#include "present/whole_run_rides.h"

#include <optional>

#include "present/own_tariff.h"

namespace murlo {

Utf8Ride utf8Ride(const TimetableDb& db, const Utf8Names& names, const RideFacts& facts) {
  const StopList stops = *db.stopsOf(facts.train);
  const auto stationAt = [&](StopPosition k) { return names.stationName(stops[k].stationIndex()); };
  Utf8Ride ride;
  ride.train = facts.train;
  ride.board = facts.board;
  ride.alight = facts.alight;
  ride.marker = facts.marker;
  ride.number = names.trainNumber(facts.train);
  ride.boardingStation = stationAt(facts.board);
  ride.alightingStation = stationAt(facts.alight);
  ride.firstStation = stationAt(StopPosition(0));
  ride.lastStation = stationAt(stops.last());
  // A route type's name is ASCII, the same in UTF-8.
  ride.className = ownTariff(db) != nullptr ? facts.className.data()
                                            : utf8ClassName(db.train(facts.train)->classCode);
  ride.setOut = facts.setOut;
  ride.departure = facts.departure;
  ride.arrival = facts.arrival;
  ride.journeyMinutes = facts.journeyMinutes;
  ride.distanceKm = facts.distanceKm;
  for (std::size_t c = 0; c < ride.fares.size(); ++c) {
    ride.fares[c] = facts.fares[c].value_or(kNoFare);
  }
  ride.networkFare = facts.networkFare;
  return ride;
}

WholeRunRides::WholeRunRides(const TimetableDb& db)
    : trains_(static_cast<std::size_t>(db.trainCount())),
      slots_(new std::atomic<const Utf8Ride*>[trains_]) {
  for (std::size_t t = 0; t < trains_; ++t) slots_[t].store(nullptr, std::memory_order_relaxed);
}

WholeRunRides::~WholeRunRides() {
  for (std::size_t t = 0; t < trains_; ++t) delete slots_[t].load(std::memory_order_relaxed);
}

const Utf8Ride* WholeRunRides::ride(const TimetableDb& db, const Utf8Names& names,
                                    TrainIndex train) const {
  // Trains outside the number table have no line (the tables give none).
  if (train.value() < 0 || train.slot() >= trains_) return nullptr;
  if (const Utf8Ride* kept = find(train)) return kept;
  std::atomic<const Utf8Ride*>& slot = slots_[train.slot()];
  const std::optional<StopList> stops = db.stopsOf(train);
  if (!stops || stops->size() < 2) return nullptr;
  const std::optional<RideFacts> facts = rideFacts(db, train, StopPosition(0), stops->last());
  if (!facts) return nullptr;
  auto whole = std::make_unique<Utf8Ride>(utf8Ride(db, names, *facts));
  whole->calls = allCallTimes(*stops);
  std::unique_ptr<const Utf8Ride> made = std::move(whole);
  const Utf8Ride* expected = nullptr;
  // Another thread may have kept the same ride first; this one's is dropped.
  if (!slot.compare_exchange_strong(expected, made.get(), std::memory_order_acq_rel,
                                    std::memory_order_acquire)) {
    return expected;
  }
  return made.release();
}

}  // namespace murlo
