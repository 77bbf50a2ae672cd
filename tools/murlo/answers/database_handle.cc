#include "answers/database_handle.h"

namespace murlo::tool {
DatabaseHandle processDatabase() { return DatabaseHandle(murlo_db_of_process(), murlo_db_close); }

Result<DatabaseHandle> openDatabase(const std::string& path) {
  murlo_db* db = nullptr;
  const auto cannot = [](std::string message) {
    return Status(Status::Kind::kCannotLoad, std::move(message));
  };
  switch (murlo_db_open(path.c_str(), &db)) {
    case MURLO_STATUS_OK: return DatabaseHandle(db, murlo_db_close);
    case MURLO_STATUS_CANNOT_OPEN: return cannot("cannot open the database " + path);
    case MURLO_STATUS_CANNOT_SIZE:
      return cannot("cannot determine the size of the database " + path);
    case MURLO_STATUS_OUT_OF_MEMORY:
      return Status(Status::Kind::kOutOfMemory,
                    "cannot load the database " + path + ": out of memory");
    default:
      return cannot("cannot load the database " + path + ": reading it failed or memory ran out");
  }
}

TrainLine trainLineOf(const murlo_ride& ride, bool markAll) {
  TrainLine line;
  line.marker = markAll ? "H" : std::string(1, ride.marker);
  line.index = ride.train;
  line.number = ride.number;
  line.from = ride.from;
  line.departure = clockOf(ride.departure);
  line.to = ride.to;
  line.arrival = clockOf(ride.arrival);
  line.firstStation = ride.first_station;
  line.lastStation = ride.last_station;
  line.className = ride.class_name;
  line.journeyTime = spanOf(ride.journey_minutes);
  for (std::size_t c = 0; c < line.fares.size(); ++c) {
    line.fares[c] = ride.fares[c] == MURLO_NO_FARE ? "-" : std::to_string(ride.fares[c]);
  }
  return line;
}

ListedTrain listedTrainOf(const murlo_ride& ride, ListKind kind, bool markAll, const murlo_db* db) {
  ListedTrain train;
  train.line = trainLineOf(ride, markAll);
  if (db != nullptr && murlo_db_tariff(db) != MURLO_TARIFF_BUILT_IN) {
    train.line.builtInFares = false;
    train.line.fare = networkFareOf(db, ride);
  }
  const int setOut = dayOf(ride.set_out);
  train.departureDay = dayOf(ride.departure) - setOut;
  train.arrivalDay = dayOf(ride.arrival) - setOut;
  if (kind == ListKind::kAt) {
    if (ride.call_arrival != MURLO_NO_TIME) {
      train.atArrival = clockOf(ride.call_arrival);
      train.atArrivalDay = dayOf(ride.call_arrival) - setOut;
    }
    if (ride.call_departure != MURLO_NO_TIME) {
      train.atDeparture = clockOf(ride.call_departure);
      train.atDepartureDay = dayOf(ride.call_departure) - setOut;
    }
  }
  if (kind == ListKind::kDepartures) train.boardDay = dayOf(ride.departure);
  if (kind == ListKind::kArrivals) train.boardDay = dayOf(ride.arrival);
  return train;
}

StopLine stopLineOf(const murlo_stop& stop) {
  StopLine line;
  line.onJourney = stop.on_journey != 0;
  line.station = stop.station;
  if (stop.arrival != MURLO_NO_TIME) {
    line.arrival = clockOf(stop.arrival);
    line.arrivalDay = dayOf(stop.arrival);
  } else {
    line.arrival = "-";
  }
  if (stop.departure != MURLO_NO_TIME) {
    line.departure = clockOf(stop.departure);
    line.departureDay = dayOf(stop.departure);
  } else {
    line.departure = "-";
  }
  line.km = stop.km;
  return line;
}

}  // namespace murlo::tool
