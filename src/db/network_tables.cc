#include "db/network_tables.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "db/digits.h"
#include "db/file_format.h"
#include "db/records.h"

namespace murlo {
namespace {

// The sections' train numbers, codes and stations with block 9's after
// their own. Per-train and per-station tables of different lengths (a
// damaged file) are evened out first, so that every train and station of
// block 9 gets its own index in each.
void appendMore(TableLists& lists, const MoreTrains& more) {
  const std::size_t trains = lists.trainNumbers.size();
  std::vector<std::string_view> numbers;
  numbers.reserve(trains + more.trains.size());
  for (std::size_t t = 0; t < trains; ++t) numbers.push_back(lists.trainNumbers[t]);
  for (std::string* codes :
       {&lists.trainClassCodes, &lists.trainFareColumnCodes, &lists.trainFareRateCodes}) {
    codes->resize(trains, '5');
    codes->resize(trains + more.trains.size());
  }
  for (std::size_t i = 0; i < more.trains.size(); ++i) {
    const MoreTrain& train = more.trains[i];
    numbers.push_back(train.number);
    lists.trainClassCodes[trains + i] = train.classCode;
    lists.trainFareColumnCodes[trains + i] = train.fareColumnCode;
    lists.trainFareRateCodes[trains + i] = train.fareRateCode;
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

// The stop lists `entries` where they all lie in `inFile`'s bytes, as
// spans of them (nothing copied); else copies.
TextList stopListsOf(const std::vector<std::string_view>& entries, const RecordsInFile* inFile) {
  if (inFile != nullptr && inFile->file != nullptr && inFile->size <= UINT32_MAX) {
    const char* const base = inFile->file.get();
    std::vector<TextList::Span> spans;
    spans.reserve(entries.size());
    for (const std::string_view entry : entries) {
      if (entry.empty()) {
        spans.push_back(TextList::Span{0, 0});
        continue;
      }
      if (entry.data() < base || entry.data() + entry.size() > base + inFile->size) break;
      const auto begin = static_cast<uint32_t>(entry.data() - base);
      spans.push_back(TextList::Span{begin, begin + static_cast<uint32_t>(entry.size())});
    }
    if (spans.size() == entries.size()) return TextList(inFile->file, std::move(spans));
  }
  return TextList::copyOf(entries);
}

// Every station's call list made from the stop lists, so that they hold
// every call (ascending by train, then stop), written into one buffer with
// indexes of `digits`; the first `narrow` trains' stop records name their
// stations with four digits.
TextList callListsOf(const TableLists& lists, int32_t digits, std::size_t narrow) {
  const std::size_t stations = lists.stationNames.size();
  const std::size_t indexed = std::min<std::size_t>(
      lists.trainStopLists.size(),
      static_cast<std::size_t>(digits == kIndexDigits ? kMaxTrains : kMaxNetworkTrains));
  // Each call's station, read once: by train, its stops from callStart[t].
  std::vector<uint32_t> callStation;
  std::vector<std::size_t> callStart(indexed + 1, 0);
  std::vector<std::size_t> calls(stations + 1, 0);
  for (std::size_t t = 0; t < indexed; ++t) {
    callStart[t] = callStation.size();
    // (StopRecord::stationIndex, read straight from the list.)
    const std::string_view stops = lists.trainStopLists[t];
    const int32_t stationDigits = t < narrow ? kIndexDigits : digits;
    const auto size = static_cast<std::size_t>(stopRecordSize(stationDigits));
    const std::size_t kept = std::min(stops.size() / size, static_cast<std::size_t>(kMaxStops));
    for (std::size_t k = 0; k < kept; ++k) {
      const int32_t s = readField(stops.data() + k * size, static_cast<std::size_t>(stationDigits));
      const bool known = s >= 0 && static_cast<std::size_t>(s) < stations;
      callStation.push_back(known ? static_cast<uint32_t>(s) : UINT32_MAX);
      if (known) ++calls[static_cast<std::size_t>(s) + 1];
    }
  }
  callStart[indexed] = callStation.size();
  const auto size = static_cast<std::size_t>(callRecordSize(digits));
  for (std::size_t s = 0; s < stations; ++s) calls[s + 1] += calls[s];
  if (calls.back() * size > UINT32_MAX) throw std::length_error("call lists beyond 4 GiB");
  std::shared_ptr<char[]> buffer(new char[std::max<std::size_t>(calls.back() * size, 1)]);
  std::vector<TextList::Span> spans(stations);
  for (std::size_t s = 0; s < stations; ++s)
    spans[s] = TextList::Span{static_cast<uint32_t>(calls[s] * size),
                              static_cast<uint32_t>(calls[s + 1] * size)};
  std::vector<std::size_t> next(calls.begin(), calls.end() - 1);
  char train[kWideIndexDigits];
  for (std::size_t t = 0; t < indexed; ++t) {
    auto digitsLeft = static_cast<uint32_t>(t);
    for (int32_t i = digits - 1; i >= 0; --i, digitsLeft /= 10)
      train[i] = static_cast<char>('0' + digitsLeft % 10);
    for (std::size_t c = callStart[t]; c < callStart[t + 1]; ++c) {
      if (callStation[c] == UINT32_MAX) continue;
      char* at = buffer.get() + next[callStation[c]]++ * size;
      const auto k = static_cast<uint32_t>(c - callStart[t]);
      std::copy(train, train + digits, at);
      at[digits] = static_cast<char>('0' + k / 10);
      at[digits + 1] = static_cast<char>('0' + k % 10);
    }
  }
  return TextList(std::move(buffer), std::move(spans));
}

}  // namespace

TimetableDb networkTables(const TimetableDb& sections, NetworkExtension extension,
                          const RecordsInFile* inFile) {
  const TableLists& from = sections.lists();
  TableLists lists = from;  // the sections' texts, shared
  if (extension.trains.empty() && extension.more.empty()) {
    // Every call open and no train beyond the sections': the view is the
    // sections' tables with the rules (a calendar, groups, transfers).
    auto rules = std::make_shared<const NetworkRules>(std::move(extension), sections.trainCount(),
                                                      sections.stationCount());
    return TimetableDb(std::move(lists), std::move(rules));
  }
  // The records in place are those of this extension, one for each train.
  if (inFile != nullptr && (inFile->trainCalls.size() != extension.trains.size() ||
                            inFile->moreTrains.size() != extension.more.trains.size()))
    inFile = nullptr;
  const bool wide = !extension.more.empty();
  const int32_t digits = wide ? kWideIndexDigits : kIndexDigits;
  // The sections' stop lists as they are (four-digit stations), each that
  // the extension lists replaced by its whole one, block 9's after them.
  std::vector<std::string_view> stopLists(from.trainStopLists.size());
  for (std::size_t t = 0; t < stopLists.size(); ++t) stopLists[t] = from.trainStopLists[t];
  for (std::size_t i = 0; i < extension.trains.size(); ++i) {
    const TrainCalls& calls = extension.trains[i];
    if (calls.train.slot() < stopLists.size())
      stopLists[calls.train.slot()] = inFile != nullptr ? inFile->trainCalls[i] : calls.stopRecords;
  }
  std::size_t narrow = stopLists.size();
  if (wide) {
    stopLists.resize(lists.trainNumbers.size());
    narrow = stopLists.size();
    for (std::size_t i = 0; i < extension.more.trains.size(); ++i) {
      stopLists.push_back(inFile != nullptr
                              ? inFile->moreTrains[i]
                              : std::string_view(extension.more.trains[i].stopRecords));
    }
    appendMore(lists, extension.more);
  }
  lists.trainStopLists = stopListsOf(stopLists, inFile);
  stopLists = {};

  // The call lists are made on first use: a load that answers no board
  // or journey needs none, and the stop lists say all they hold.
  lists.stationCallLists = TextList();
  auto callLists = std::make_shared<const CallListsOnFirstUse>(&callListsOf, digits, narrow);

  const auto trainCount = static_cast<int32_t>(lists.trainNumbers.size());
  const auto stationCount = static_cast<int32_t>(lists.stationNames.size());
  auto rules = std::make_shared<const NetworkRules>(std::move(extension), trainCount, stationCount);
  return TimetableDb(std::move(lists), std::move(rules), digits,
                     static_cast<int32_t>(std::min<std::size_t>(narrow, INT32_MAX)),
                     std::move(callLists));
}

}  // namespace murlo
