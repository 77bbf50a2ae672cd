#include "db/network_tables.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "db/file_format.h"
#include "db/records.h"

namespace murlo {
namespace {

// `text`, each of its four-digit stop records given a six-digit station.
std::string widened(std::string_view text) {
  std::string wide;
  const auto narrow = static_cast<std::size_t>(kStopRecordSize);
  wide.reserve(text.size() / narrow * static_cast<std::size_t>(stopRecordSize(kWideIndexDigits)));
  for (std::size_t at = 0; at + narrow <= text.size(); at += narrow) {
    wide.append(static_cast<std::size_t>(kWideIndexDigits - kIndexDigits), '0');
    wide.append(text.substr(at, narrow));
  }
  return wide;
}

// The sections' lists with block 9's trains and stations after their own.
// Per-train and per-station tables of different lengths (a damaged file)
// are evened out first, so that every train and station of block 9 gets
// its own index in each.
void appendMore(TableLists& lists, std::vector<std::string>& stopLists, const MoreTrains& more) {
  const std::size_t trains = lists.trainNumbers.size();
  std::vector<std::string_view> numbers;
  numbers.reserve(trains + more.trains.size());
  for (std::size_t t = 0; t < trains; ++t) numbers.push_back(lists.trainNumbers[t]);
  for (std::string* codes :
       {&lists.trainClassCodes, &lists.trainFareColumnCodes, &lists.trainFareRateCodes})
    codes->resize(trains, '5');
  stopLists.resize(trains);
  for (const MoreTrain& train : more.trains) {
    numbers.push_back(train.number);
    lists.trainClassCodes += train.classCode;
    lists.trainFareColumnCodes += train.fareColumnCode;
    lists.trainFareRateCodes += train.fareRateCode;
    stopLists.push_back(train.stopRecords);
  }
  lists.trainNumbers = TextList::copyOf(numbers);

  const std::size_t stations = lists.stationNames.size();
  std::vector<std::string_view> names;
  std::vector<std::string_view> abbreviations;
  for (std::size_t s = 0; s < stations; ++s) {
    names.push_back(lists.stationNames[s]);
    abbreviations.push_back(lists.stationAbbreviations.at_or_empty(s));
  }
  for (const MoreStation& station : more.stations) {
    names.push_back(station.name);
    abbreviations.push_back(station.abbreviation);
  }
  lists.stationNames = TextList::copyOf(names);
  lists.stationAbbreviations = TextList::copyOf(abbreviations);
}

// Every station's call list made from the stop lists, so that they hold
// every call (ascending by train, then stop), written into one buffer.
TextList callListsOf(const TableLists& lists, int32_t digits) {
  const std::size_t stations = lists.stationNames.size();
  const std::size_t indexed = std::min<std::size_t>(
      lists.trainStopLists.size(),
      static_cast<std::size_t>(digits == kIndexDigits ? kMaxTrains : kMaxNetworkTrains));
  const auto forEachCall = [&](auto&& call) {
    for (std::size_t t = 0; t < indexed; ++t) {
      const StopList stops(lists.trainStopLists[t], digits);
      for (StopPosition k(0); k.value() < std::min(stops.size(), kMaxStops); ++k) {
        const StationIndex s = stops[k].stationIndex();
        if (s.value() >= 0 && s.slot() < stations) call(s.slot(), t, k.value());
      }
    }
  };
  std::vector<std::size_t> calls(stations + 1, 0);
  forEachCall([&](std::size_t s, std::size_t, int32_t) { ++calls[s + 1]; });
  const auto size = static_cast<std::size_t>(callRecordSize(digits));
  for (std::size_t s = 0; s < stations; ++s) calls[s + 1] += calls[s];
  if (calls.back() * size > UINT32_MAX) throw std::length_error("call lists beyond 4 GiB");
  std::shared_ptr<char[]> buffer(new char[std::max<std::size_t>(calls.back() * size, 1)]);
  std::vector<TextList::Span> spans(stations);
  for (std::size_t s = 0; s < stations; ++s)
    spans[s] = TextList::Span{static_cast<uint32_t>(calls[s] * size),
                              static_cast<uint32_t>(calls[s + 1] * size)};
  std::vector<std::size_t> next(calls.begin(), calls.end() - 1);
  forEachCall([&](std::size_t s, std::size_t t, int32_t k) {
    char* at = buffer.get() + next[s]++ * size;
    auto train = static_cast<uint32_t>(t);
    for (int32_t i = digits - 1; i >= 0; --i, train /= 10)
      at[i] = static_cast<char>('0' + train % 10);
    at[digits] = static_cast<char>('0' + k / 10);
    at[digits + 1] = static_cast<char>('0' + k % 10);
  });
  return TextList(std::move(buffer), std::move(spans));
}

}  // namespace

TimetableDb networkTables(const TimetableDb& sections, NetworkExtension extension) {
  const TableLists& from = sections.lists();
  TableLists lists = from;  // the sections' texts, shared
  if (extension.trains.empty() && extension.more.empty()) {
    // Every call open and no train beyond the sections': the view is the
    // sections' tables with the rules (a calendar, groups, transfers).
    auto rules = std::make_shared<const NetworkRules>(std::move(extension), sections.trainCount(),
                                                      sections.stationCount());
    return TimetableDb(std::move(lists), std::move(rules));
  }
  const std::size_t trains = from.trainStopLists.size();
  const bool wide = !extension.more.empty();
  const int32_t digits = wide ? kWideIndexDigits : kIndexDigits;
  std::vector<std::string> stopLists(trains);
  for (std::size_t t = 0; t < trains; ++t) stopLists[t] = from.trainStopLists[t];
  for (const TrainCalls& calls : extension.trains) {
    if (calls.train.slot() < trains) stopLists[calls.train.slot()] = calls.stopRecords;
  }
  if (wide) {
    for (std::string& stops : stopLists) stops = widened(stops);
    appendMore(lists, stopLists, extension.more);
  }
  lists.trainStopLists = TextList::copyOf(stopLists);
  stopLists = {};

  lists.stationCallLists = callListsOf(lists, digits);

  const auto trainCount = static_cast<int32_t>(lists.trainNumbers.size());
  const auto stationCount = static_cast<int32_t>(lists.stationNames.size());
  auto rules = std::make_shared<const NetworkRules>(std::move(extension), trainCount, stationCount);
  return TimetableDb(std::move(lists), std::move(rules), digits);
}

}  // namespace murlo
