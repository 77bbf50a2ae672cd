// Building a database file from a parsed timetable.
#include "db/writer.h"
#include "timetable_source/timetable_source.h"

namespace murlo::source {

std::optional<PackError> compileTimetable(const Timetable& timetable, std::string& file) {
  const TimetableDb db = buildTimetable(timetable.header, timetable.stations, timetable.trains);
  PlainSections plain;
  if (auto error = plainSectionsOf(db, plain)) return error;
  return packDatabase(plain, file);
}

}  // namespace murlo::source
