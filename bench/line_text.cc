#include "line_text.h"

#include <charconv>
#include <cstring>

#include "db/day_rollover.h"
#include "fare/fare_columns.h"
#include "present/class_names.h"

// Written the way the library writes its lines (straight into the result,
// sized first), so that neither side is slower at the same text.
namespace murlo::bench {
namespace {

char* put(char* p, std::string_view bytes) {
  if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
  return p + bytes.size();
}

char* putClock(char* p, int32_t minuteOfDay) {
  const int32_t hours = minuteOfDay / 60;
  const int32_t minutes = minuteOfDay % 60;
  *p++ = static_cast<char>('0' + hours / 10);
  *p++ = static_cast<char>('0' + hours % 10);
  *p++ = ':';
  *p++ = static_cast<char>('0' + minutes / 10);
  *p++ = static_cast<char>('0' + minutes % 10);
  return p;
}

}  // namespace

void appendLine(std::string& text, const LineFields& f, int32_t mode) {
  const std::string_view classText = className(f.classCode);
  const std::size_t start = text.size();
  text.resize(start + 64 + f.number.size() + f.boardingName.size() + f.alightingName.size() +
              f.firstName.size() + f.lastName.size() + classText.size());
  char* p = text.data() + start;
  const auto field = [&p](std::string_view value) {
    p = put(p, value);
    *p++ = '|';
  };
  *p++ = mode == 1 ? 'H' : f.boardingName == f.firstName ? 'S' : ' ';
  *p++ = '|';
  p = std::to_chars(p, p + 20, f.train).ptr;
  *p++ = '|';
  field(f.number);
  field(f.boardingName);
  p = putClock(p, f.departure);
  *p++ = '|';
  field(f.alightingName);
  p = putClock(p, f.arrival);
  *p++ = '|';
  field(f.firstName);
  field(f.lastName);
  field(classText);
  field("-");
  text.resize(static_cast<std::size_t>(p - text.data()));
  appendHoursMinutes(text, f.journeyMinutes);
  text += '|';
  appendFareColumns(text, f.classCode, static_cast<signed char>(f.fareColumnCode), f.fareRateCode,
                    f.distanceKm);
  text += '*';
}

void appendStopLine(std::string& text, bool marked, std::string_view name, int32_t arrival,
                    int32_t departure, int32_t km, bool first, bool last) {
  const std::size_t start = text.size();
  text.resize(start + name.size() + 32);
  char* p = text.data() + start;
  *p++ = marked ? '>' : ' ';
  *p++ = '|';
  p = put(p, name);
  *p++ = '|';
  if (first) {
    p = put(p, "-|");
  } else {
    p = putClock(p, arrival);
    *p++ = '|';
  }
  if (last) {
    p = put(p, "-|");
  } else {
    p = putClock(p, departure);
    *p++ = '|';
  }
  p = std::to_chars(p, p + 12, km).ptr;
  *p++ = '*';
  text.resize(static_cast<std::size_t>(p - text.data()));
}

}  // namespace murlo::bench
