// TimetableDb: the tables of one database file, read-only once made.
//
// Four texts and five lists, exactly as the file's de-scrambled sections hold
// them (TableLists). Nothing is parsed: records stay fixed-width text (see
// records.h) and are decoded field by field when read; the lists' entries are
// spans of the de-scrambled file itself. All text is GBK.
//
// A file may break every rule (lists of different lengths, records naming
// trains or stations that do not exist), so the tables say once, when they
// are made, how many trains and stations each kind of reader can use, and
// their accessors check an index against that: no reader sees outside a
// table, and none has to re-check sizes. A TimetableDb never changes, so any
// number of threads may read one at the same time.
#ifndef MURLO_DB_TIMETABLE_DB_H_
#define MURLO_DB_TIMETABLE_DB_H_

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "db/call_lists_on_first_use.h"
#include "db/indexes.h"
#include "db/network_rules.h"
#include "db/records.h"
#include "db/text_list.h"

namespace murlo {

// The tables as the file holds them: what the loader reads from a file and
// what a builder makes, before anything is derived. Any content is allowed.
struct TableLists {
  // The file's first ten bytes, ending earlier at a zero byte.
  std::string headerText;
  // One character per train: class code, fare-column code, fare-rate code.
  std::string trainClassCodes;
  std::string trainFareColumnCodes;
  std::string trainFareRateCodes;

  TextList trainNumbers;          // per train: numbers joined by "/"
  TextList stationNames;          // per station: name
  TextList stationAbbreviations;  // per station: ASCII abbreviation
  TextList stationCallLists;      // per station: 6-byte CallRecords
  TextList trainStopLists;        // per train: 16-byte StopRecords

  friend bool operator==(const TableLists&, const TableLists&) = default;
};

// One train's entries across the per-train tables.
struct TrainView {
  std::string_view number;
  StopList stops;
  char classCode;
  char fareColumnCode;
  char fareRateCode;
};

class TimetableDb {
 public:
  // The empty database of a library that has loaded nothing.
  TimetableDb() = default;
  explicit TimetableDb(TableLists lists);
  // The tables of a network view (network_tables.h): stop lists holding
  // every call, and the rules that say which calls may be used; records
  // with indexes of `indexDigits` (kWideIndexDigits when the view holds
  // more trains or stations than four digits index), but for the stop
  // lists of the first `narrowStopLists` trains, which name their stations
  // with four digits (the sections' own, read where the file holds them).
  // With `callLists`, the call lists are made by it on first use (callLists())
  // and `lists` holds none.
  TimetableDb(TableLists lists, std::shared_ptr<const NetworkRules> rules,
              int32_t indexDigits = kIndexDigits, int32_t narrowStopLists = 0,
              std::shared_ptr<const CallListsOnFirstUse> callLists = nullptr);

  // The lists as made, for writing them back (db/writer.h) or showing them;
  // a network view's call lists are those of callLists().
  const TableLists& lists() const { return lists_; }
  // Every station's call list; a network view's made on first use. May
  // throw std::bad_alloc the first time.
  const TextList& callLists() const {
    return callLists_ != nullptr ? callLists_->get(lists_) : lists_.stationCallLists;
  }
  const std::string& headerText() const { return lists_.headerText; }

  // The file's counts: the entries of trainNumbers and of stationNames.
  int32_t trainCount() const { return trainCount_; }
  int32_t stationCount() const { return stationCount_; }

  // Train `t`, or nothing unless it has an entry in every per-train table.
  std::optional<TrainView> train(TrainIndex t) const {
    if (t.value() < 0 || t.value() >= wholeTrains_) return std::nullopt;
    const std::size_t i = t.slot();
    return TrainView{lists_.trainNumbers[i], StopList(lists_.trainStopLists[i], stopDigits(t)),
                     lists_.trainClassCodes[i], lists_.trainFareColumnCodes[i],
                     lists_.trainFareRateCodes[i]};
  }

  // The train that `call` names, or nothing unless that is a whole train (as
  // train() gives) of which the call's stop position is a stop.
  std::optional<TrainView> trainCalled(CallRecord call) const {
    std::optional<TrainView> called = train(call.trainIndex());
    if (called && !called->stops.holds(call.stopPosition())) called.reset();
    return called;
  }

  // The stop list of train `t`, or nothing unless it has a number and a
  // stop list (the stop-list query needs no codes).
  std::optional<StopList> stopsOf(TrainIndex t) const {
    if (t.value() < 0 || t.value() >= trainsWithStops_) return std::nullopt;
    return StopList(lists_.trainStopLists[t.slot()], stopDigits(t));
  }

  // The numbers of train `t`, or nothing outside the number table.
  std::optional<std::string_view> trainNumber(TrainIndex t) const {
    if (t.value() < 0 || t.value() >= trainCount_) return std::nullopt;
    return lists_.trainNumbers[t.slot()];
  }

  // The name of station `s`, or nothing outside the station table.
  std::optional<std::string_view> stationName(StationIndex s) const {
    if (s.value() < 0 || s.value() >= stationCount_) return std::nullopt;
    return lists_.stationNames[s.slot()];
  }

  // The abbreviation of station `s`, or nothing unless the station has a
  // name and an abbreviation.
  std::optional<std::string_view> stationAbbreviation(StationIndex s) const {
    if (s.value() < 0 || s.value() >= abbreviatedStations_) return std::nullopt;
    return lists_.stationAbbreviations[s.slot()];
  }

  // The digits of a train or station index in the records.
  int32_t indexDigits() const { return indexDigits_; }
  // The digits of a station index in the stop records of train `t`.
  int32_t stopDigits(TrainIndex t) const {
    return t.value() < narrowStopLists_ ? kIndexDigits : indexDigits_;
  }
  // The trains (stations) a record can name: the first 10,000 of the
  // sections, every one of a wide network view.
  int32_t indexableTrains() const {
    return std::min(trainCount_, indexDigits_ == kIndexDigits ? kMaxTrains : kMaxNetworkTrains);
  }
  int32_t indexableStations() const {
    return std::min(stationCount_,
                    indexDigits_ == kIndexDigits ? kMaxStations : kMaxNetworkStations);
  }

  // The stations that have both a name and an abbreviation: 0 to this - 1.
  int32_t abbreviatedStations() const { return abbreviatedStations_; }

  // The calls at station `s`: its call list, or none where the call table
  // has no entry for it. REQUIRES: stationName(s) exists. May throw as
  // callLists() does.
  CallList callsAt(StationIndex s) const {
    return CallList(callLists().at_or_empty(s.slot()), indexDigits_);
  }

  // The network's rules, or null for tables read from the sections alone
  // (every call open, no groups or transfers).
  const NetworkRules* networkRules() const { return rules_.get(); }

  // Whether train `t` may be boarded and left at its stop `k`.
  CallRule callRule(TrainIndex t, StopPosition k) const {
    return rules_ != nullptr ? rules_->callRule(t, k) : CallRule{};
  }

  // Tables are equal when their lists are, wherever the bytes lie.
  friend bool operator==(const TimetableDb& a, const TimetableDb& b) {
    return a.lists_ == b.lists_;
  }

 private:
  TableLists lists_;
  std::shared_ptr<const NetworkRules> rules_;
  std::shared_ptr<const CallListsOnFirstUse> callLists_;  // a network view's, else null
  int32_t trainCount_ = 0;
  int32_t stationCount_ = 0;
  int32_t wholeTrains_ = 0;          // trains with an entry in all five tables
  int32_t trainsWithStops_ = 0;      // trains with a number and a stop list
  int32_t abbreviatedStations_ = 0;  // stations with a name and an abbreviation
  int32_t indexDigits_ = kIndexDigits;
  int32_t narrowStopLists_ = 0;  // trains whose stop records have four-digit stations
};

}  // namespace murlo

#endif  // MURLO_DB_TIMETABLE_DB_H_
