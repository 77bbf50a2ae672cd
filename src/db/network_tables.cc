#include "db/network_tables.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/file_format.h"
#include "db/records.h"
#include "db/timetable_builder.h"

namespace murlo {

TimetableDb networkTables(const TimetableDb& sections, NetworkExtension extension) {
  const TableLists& from = sections.lists();
  TableLists lists = from;
  const std::size_t trains = from.trainStopLists.size();
  std::vector<std::string_view> stopLists(trains);
  for (std::size_t t = 0; t < trains; ++t) stopLists[t] = from.trainStopLists[t];
  for (const TrainCalls& calls : extension.trains) {
    if (calls.train.slot() < trains) stopLists[calls.train.slot()] = calls.stopRecords;
  }
  lists.trainStopLists = TextList::copyOf(stopLists);

  // Call lists from the stop lists, so that they hold every call.
  std::vector<std::string> calls(from.stationNames.size());
  const std::size_t indexed = std::min<std::size_t>(trains, kMaxTrains);
  for (std::size_t t = 0; t < indexed; ++t) {
    const StopList stops(lists.trainStopLists[t]);
    for (StopPosition k(0); k.value() < std::min(stops.size(), kMaxStops); ++k) {
      const StationIndex s = stops[k].stationIndex();
      if (s.value() < 0 || s.slot() >= calls.size()) continue;
      calls[s.slot()] += callRecord(static_cast<int32_t>(t), k.value());
    }
  }
  lists.stationCallLists = TextList::copyOf(calls);

  auto rules = std::make_shared<const NetworkRules>(std::move(extension), sections.trainCount(),
                                                    sections.stationCount());
  return TimetableDb(std::move(lists), std::move(rules));
}

}  // namespace murlo
