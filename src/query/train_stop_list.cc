// One train's whole stop list with the traveller's journey marked.
//
// The journey is marked by walking the stops from the last to the first: a
// stop at the alighting station turns marking on before its own line, a stop
// at the boarding station turns it off after its own line. So both end
// stations of the journey are marked; with the boarding station missing, or
// only after the alighting station, everything from the first stop to the
// alighting station is marked; and a train that calls at a station twice may
// have several marked runs.
//
// Each stop line reads
//   marker name | arrival | departure | distance *
// with "-" for the first stop's arrival and the last stop's departure, the
// times copied as stored and the distance printed without leading zeros.
// A stop whose station lies outside the station table has no name: it gets
// no line, is not counted, and neither starts nor ends marking. The running
// time always covers the whole train.
#include "query/train_stop_list.h"

#include <vector>

#include "db/day_rollover.h"
#include "db/records.h"
#include "db/train_view.h"

namespace murlo {
namespace {

// strcmp equality with an argument name; an empty name matches nothing.
bool sameName(std::string_view stationName, std::string_view wanted) {
  return !wanted.empty() && stationName == wanted;
}

void appendStopLine(std::string& text, bool marked, std::string_view name, const StopRecord& stop,
                    bool first, bool last) {
  text += marked ? ">|" : " |";
  text += name;
  text += '|';
  if (first) {
    text += "-|";
  } else {
    text.append(stop.arrivalHour()).append(":").append(stop.arrivalMinute()).append("|");
  }
  if (last) {
    text += "-|";
  } else {
    text.append(stop.departureHour()).append(":").append(stop.departureMinute()).append("|");
  }
  text += std::to_string(stop.distanceKm());
  text += '*';
}

}  // namespace

StopListResult trainStopList(const TimetableDb& db, int64_t trainIndex, std::string_view boarding,
                             std::string_view alighting) {
  StopListResult result;
  if (trainIndex < 0 || trainIndex >= db.trainCount ||
      static_cast<uint64_t>(trainIndex) >= db.trainStopLists.size()) {
    return result;
  }
  const StopList stops(db.trainStopLists[static_cast<std::size_t>(trainIndex)]);
  const int32_t last = stops.size() - 1;
  if (last < 1) return result;

  // The marking walk, last stop first.
  std::vector<uint8_t> marked(static_cast<std::size_t>(last) + 1, 0);
  bool marking = false;
  for (int32_t i = last; i >= 0; --i) {
    const auto name = stationNameAt(db, stops[i].stationIndex());
    if (!name) continue;
    if (sameName(*name, alighting)) marking = true;
    marked[static_cast<std::size_t>(i)] = marking ? 1 : 0;
    if (sameName(*name, boarding)) marking = false;
  }

  for (int32_t i = 0; i <= last; ++i) {
    const StopRecord stop = stops[i];
    const auto name = stationNameAt(db, stop.stationIndex());
    if (!name) continue;
    appendStopLine(result.stopList, marked[static_cast<std::size_t>(i)] != 0, *name, stop, i == 0,
                   i == last);
    ++result.stops;
  }
  result.runTime = formatHoursMinutes(journeyMinutes(stops, 0, last));
  return result;
}

}  // namespace murlo
