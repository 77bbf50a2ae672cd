// LoadedDatabase: what every query reads, made once when a database is
// loaded and never changed after: the tables, their lookup indexes and the
// cache of whole-run lines (which fills as queries write lines, safely from
// any number of threads). Nothing in it can go stale, so no query checks it.
#ifndef MURLO_QUERY_LOADED_DATABASE_H_
#define MURLO_QUERY_LOADED_DATABASE_H_

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "db/file_reader.h"
#include "db/loader.h"
#include "db/timetable_db.h"
#include "present/whole_run_lines.h"
#include "query/lookup_indexes.h"

namespace murlo {

class LoadedDatabase {
 public:
  // The empty database of a library that has loaded nothing. May throw
  // std::bad_alloc.
  LoadedDatabase() : LoadedDatabase(TimetableDb()) {}
  // Indexes `tables` and gives them an empty line cache. May throw
  // std::bad_alloc and std::length_error.
  explicit LoadedDatabase(TimetableDb tables);
  LoadedDatabase(const LoadedDatabase&) = delete;
  LoadedDatabase& operator=(const LoadedDatabase&) = delete;

  const TimetableDb& tables() const { return tables_; }
  const LookupIndexes& indexes() const { return indexes_; }
  const WholeRunLines& wholeRunLines() const { return wholeRunLines_; }

  // The first station named `name`, byte for byte.
  std::optional<StationIndex> findStation(std::string_view name) const {
    return indexes_.findStation(tables_, name);
  }

 private:
  TimetableDb tables_;
  LookupIndexes indexes_;
  WholeRunLines wholeRunLines_;
};

// Reads the database file at `path` and makes it a LoadedDatabase. `db`
// changes only when the result is kLoaded. Never throws.
LoadResult loadDatabase(const NativePath& path, std::shared_ptr<const LoadedDatabase>& db);

}  // namespace murlo

#endif  // MURLO_QUERY_LOADED_DATABASE_H_
