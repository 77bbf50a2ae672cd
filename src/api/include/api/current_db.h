// The one process-wide database behind the C exports. Only src/api/ knows it:
// the core always works on a database passed in.
#ifndef MURLO_API_CURRENT_DB_H_
#define MURLO_API_CURRENT_DB_H_

#include <memory>

#include "query/loaded_database.h"

namespace murlo {

// The database that queries read: the empty database until a load succeeds.
// A query holds the returned pointer for its whole run, so a load that
// replaces the database meanwhile cannot pull the tables from under it.
std::shared_ptr<const LoadedDatabase> currentDb() noexcept;

// Makes `db` the process's database.
void replaceCurrentDb(std::shared_ptr<const LoadedDatabase> db) noexcept;

}  // namespace murlo

#endif  // MURLO_API_CURRENT_DB_H_
