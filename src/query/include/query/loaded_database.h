// LoadedDatabase: what every query reads, made once when a database is
// loaded and never changed after: the tables and the cache of whole-run
// lines (which fills as queries write lines, safely from any number of
// threads). The lookup indexes, the boards, the trains' runs and their ride
// hops are made from the tables the first time one is asked for, so that
// they cost a load nothing. Nothing in it can go stale, so no query checks
// it.
#ifndef MURLO_QUERY_LOADED_DATABASE_H_
#define MURLO_QUERY_LOADED_DATABASE_H_

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "db/file_format.h"
#include "db/file_reader.h"
#include "db/loader.h"
#include "db/network_extension.h"
#include "db/timetable_db.h"
#include "present/utf16_station_names.h"
#include "present/utf8_names.h"
#include "present/whole_run_lines.h"
#include "present/whole_run_rides.h"
#include "query/built_on_first_use.h"
#include "query/lookup_indexes.h"
#include "query/network_changes.h"
#include "query/ride_hops.h"
#include "query/station_board.h"
#include "query/station_labels.h"
#include "query/train_runs.h"

namespace murlo {

class LoadedDatabase {
 public:
  // The empty database of a library that has loaded nothing. May throw
  // std::bad_alloc.
  LoadedDatabase() : LoadedDatabase(TimetableDb()) {}
  // Indexes `tables` and gives them an empty line cache. May throw
  // std::bad_alloc and std::length_error.
  explicit LoadedDatabase(TimetableDb tables);
  // The same, and when `extension` says anything, the network view made of
  // both (network()), its stop lists where `inFile` says the file holds
  // them when given (db/network_tables.h). REQUIRES: `extension` is valid
  // for the tables (as a load checks). May throw as above.
  LoadedDatabase(TimetableDb tables, NetworkExtension extension,
                 const RecordsInFile* inFile = nullptr);
  LoadedDatabase(const LoadedDatabase&) = delete;
  LoadedDatabase& operator=(const LoadedDatabase&) = delete;

  const TimetableDb& tables() const { return tables_; }

  // What the structured and size-checked questions read: the network view
  // of a file with an extension (every call, with its rules, and the
  // groups and transfers), else this database itself. The seven operations
  // read this database, the sections alone.
  const LoadedDatabase& network() const { return network_ ? *network_ : *this; }
  bool hasExtension() const { return network_ != nullptr; }
  const LookupIndexes& indexes() const { return indexes_.get(tables_); }
  const WholeRunLines& wholeRunLines() const { return wholeRunLines_; }

  // The first station named `name`, byte for byte.
  std::optional<StationIndex> findStation(std::string_view name) const {
    return indexes().findStation(tables_, name);
  }

  // Made on first use (see built_on_first_use.h); each may throw
  // std::bad_alloc, and is then made by the next call.
  const StationBoard& departureBoard() const {
    return departures_.get(tables_, BoardKind::kDepartures);
  }
  const StationBoard& arrivalBoard() const { return arrivals_.get(tables_, BoardKind::kArrivals); }
  const TrainRuns& trainRuns() const { return trainRuns_.get(tables_); }
  // The fewest minutes between consecutive calls, for the planner's bounds.
  // (Makes the trains' runs too.)
  const RideHops& rideHops() const {
    return rideHops_.get(trainRuns(), tables_.indexableStations());
  }
  // The network's changes indexed for the journey planner; nullptr for a
  // file without rules. (Makes the trains' runs too.)
  const NetworkChanges* networkChanges() const {
    const NetworkRules* rules = tables_.networkRules();
    if (rules == nullptr) return nullptr;
    return &networkChanges_.get(*rules, tables_.indexableStations(), trainRuns());
  }
  const Utf16StationNames& utf16StationNames() const { return utf16StationNames_.get(tables_); }
  const Utf8Names& utf8Names() const { return utf8Names_.get(tables_); }
  // The whole runs kept as data for the structured answers; their texts are
  // those of utf8Names().
  const WholeRunRides& wholeRunRides() const { return wholeRunRides_.get(tables_); }

  // The stations' names as written and the labels that tell equal ones
  // apart; meant for the network view (network()), whose rules hold the words.
  const StationLabels& stationLabels() const { return stationLabels_.get(tables_, utf8Names()); }

  // Whether the trains' runs are made; for tests and benchmarks.
  bool trainRunsMade() const { return trainRuns_.made(); }

 private:
  TimetableDb tables_;
  std::unique_ptr<const LoadedDatabase> network_;
  BuiltOnFirstUse<LookupIndexes> indexes_;
  WholeRunLines wholeRunLines_;
  BuiltOnFirstUse<StationBoard> departures_;
  BuiltOnFirstUse<StationBoard> arrivals_;
  BuiltOnFirstUse<TrainRuns> trainRuns_;
  BuiltOnFirstUse<RideHops> rideHops_;
  BuiltOnFirstUse<NetworkChanges> networkChanges_;
  BuiltOnFirstUse<Utf16StationNames> utf16StationNames_;
  BuiltOnFirstUse<Utf8Names> utf8Names_;
  BuiltOnFirstUse<WholeRunRides> wholeRunRides_;
  BuiltOnFirstUse<StationLabels> stationLabels_;
};

// Reads the database file at `path` and makes it a LoadedDatabase. `db`
// changes only when the result is kLoaded. Never throws.
LoadResult loadDatabase(const NativePath& path, std::shared_ptr<const LoadedDatabase>& db);

}  // namespace murlo

#endif  // MURLO_QUERY_LOADED_DATABASE_H_
