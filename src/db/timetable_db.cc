#include "db/timetable_db.h"

#include <algorithm>
#include <utility>

namespace murlo {
namespace {

int32_t countOf(std::size_t entries) {
  return static_cast<int32_t>(std::min<std::size_t>(entries, INT32_MAX));
}

}  // namespace

TimetableDb::TimetableDb(TableLists lists) : lists_(std::move(lists)) {
  trainCount_ = countOf(lists_.trainNumbers.size());
  stationCount_ = countOf(lists_.stationNames.size());
  trainsWithStops_ = countOf(std::min(lists_.trainNumbers.size(), lists_.trainStopLists.size()));
  wholeTrains_ = countOf(std::min(
      {lists_.trainNumbers.size(), lists_.trainStopLists.size(), lists_.trainClassCodes.size(),
       lists_.trainFareColumnCodes.size(), lists_.trainFareRateCodes.size()}));
  abbreviatedStations_ =
      countOf(std::min(lists_.stationNames.size(), lists_.stationAbbreviations.size()));
}

TimetableDb::TimetableDb(TableLists lists, std::shared_ptr<const NetworkRules> rules,
                         int32_t indexDigits, int32_t narrowStopLists,
                         std::shared_ptr<const CallListsOnFirstUse> callLists)
    : TimetableDb(std::move(lists)) {
  rules_ = std::move(rules);
  callLists_ = std::move(callLists);
  indexDigits_ = indexDigits;
  narrowStopLists_ = narrowStopLists;
}

}  // namespace murlo
