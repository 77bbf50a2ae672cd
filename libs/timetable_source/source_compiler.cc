// Building a database file from a parsed timetable.
#include "db/writer.h"
#include "timetable_source/timetable_source.h"

namespace murlo::source {

std::optional<PackError> compileTimetable(const Timetable& timetable, std::string& file) {
  const DatabaseParts parts =
      buildDatabase(timetable.header, timetable.stations, timetable.trains, timetable.network);
  return writeDatabaseBytes(parts.lists, parts.extension, file);
}

}  // namespace murlo::source
