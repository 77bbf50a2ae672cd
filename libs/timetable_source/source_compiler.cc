// Building a database file from a parsed timetable.
#include "db/writer.h"
#include "timetable_source/timetable_source.h"

namespace murlo::source {

std::optional<PackError> compileTimetable(const Timetable& timetable, std::string& file) {
  return writeDatabaseBytes(buildTableLists(timetable.header, timetable.stations, timetable.trains),
                            buildExtension(timetable.trains, timetable.network), file);
}

}  // namespace murlo::source
