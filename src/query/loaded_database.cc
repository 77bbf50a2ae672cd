#include "query/loaded_database.h"

#include <utility>

#include "db/network_tables.h"

namespace murlo {

LoadedDatabase::LoadedDatabase(TimetableDb tables)
    : tables_(std::move(tables)), wholeRunLines_(tables_) {}

LoadedDatabase::LoadedDatabase(TimetableDb tables, NetworkExtension extension,
                               const RecordsInFile* inFile)
    : LoadedDatabase(std::move(tables)) {
  if (!extension.empty()) {
    network_ = std::make_unique<const LoadedDatabase>(
        networkTables(tables_, std::move(extension), inFile));
  }
}

LoadResult loadDatabase(const NativePath& path, std::shared_ptr<const LoadedDatabase>& db) {
  try {
    TimetableDb tables;
    NetworkExtension extension;
    // Block 9's stop records stay where the file holds them: the network
    // view reads them there.
    RecordsInFile inFile;
    const LoadResult result = loadDatabaseFile(path, tables, extension, &inFile);
    if (result != LoadResult::kLoaded) return result;
    db = std::make_shared<const LoadedDatabase>(std::move(tables), std::move(extension), &inFile);
    return LoadResult::kLoaded;
  } catch (...) {
    return LoadResult::kFailed;
  }
}

}  // namespace murlo
