#include "query/loaded_database.h"

#include <utility>

namespace murlo {

LoadedDatabase::LoadedDatabase(TimetableDb tables)
    : tables_(std::move(tables)), indexes_(tables_), wholeRunLines_(tables_) {}

LoadResult loadDatabase(const NativePath& path, std::shared_ptr<const LoadedDatabase>& db) {
  try {
    TimetableDb tables;
    const LoadResult result = loadDatabaseFile(path, tables);
    if (result != LoadResult::kLoaded) return result;
    db = std::make_shared<const LoadedDatabase>(std::move(tables));
    return LoadResult::kLoaded;
  } catch (...) {
    return LoadResult::kFailed;
  }
}

}  // namespace murlo
