#include "present/journey_summary.h"

#include "db/day_rollover.h"

namespace murlo {
namespace {

// The time of day of absolute minute `minute`, HH:MM.
void appendTimeOfDay(std::string& out, int64_t minute) {
  const auto ofDay = static_cast<int32_t>(minute % kMinutesPerDay);
  const char text[5] = {
      static_cast<char>('0' + ofDay / 600), static_cast<char>('0' + ofDay / 60 % 10), ':',
      static_cast<char>('0' + ofDay % 60 / 10), static_cast<char>('0' + ofDay % 10)};
  out.append(text, sizeof text);
}

}  // namespace

void appendJourneySummary(std::string& out, int64_t departure, int64_t arrival, int32_t rides) {
  const int64_t departureDay = departure / kMinutesPerDay;
  out += "J|";
  appendTimeOfDay(out, departure);
  out += '|';
  appendTimeOfDay(out, arrival);
  out += '|';
  out += std::to_string(departureDay);
  out += '|';
  out += std::to_string(arrival / kMinutesPerDay - departureDay);
  out += '|';
  appendHoursMinutes(out, arrival - departure);
  out += '|';
  out += std::to_string(rides);
}

}  // namespace murlo
