// The one process-wide database behind the C exports. Only src/api/ knows it:
// the core always works on a TimetableDb passed in.
#ifndef MURLO_API_CURRENT_DB_H_
#define MURLO_API_CURRENT_DB_H_

#include <memory>

#include "db/timetable_db.h"

namespace murlo {

// The database that queries read: the empty database until a load succeeds.
// A query holds the returned pointer for its whole run, so a load that
// replaces the database meanwhile cannot pull the tables from under it.
std::shared_ptr<const TimetableDb> currentDb() noexcept;

// Makes `db` the process's database.
void replaceCurrentDb(std::shared_ptr<const TimetableDb> db) noexcept;

}  // namespace murlo

#endif  // MURLO_API_CURRENT_DB_H_
