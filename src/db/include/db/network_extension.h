// What a timetable says beyond the seven sections: where each call may be
// boarded and left, which stations form a group, the transfers between
// stations and each station's own change time. A file carries it after its
// seventh section (extension_format.h, docs/file-format.md); readers of the
// seven sections alone never see it.
#ifndef MURLO_DB_NETWORK_EXTENSION_H_
#define MURLO_DB_NETWORK_EXTENSION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "db/indexes.h"
#include "db/network_fares.h"
#include "db/network_words.h"
#include "db/service_calendar.h"

namespace murlo {

// Whether travellers may board and leave a train at one of its calls. A call
// that allows neither is a stop without service (a train passing a junction
// on its timetable).
struct CallRule {
  bool board = true;
  bool alight = true;

  friend bool operator==(const CallRule&, const CallRule&) = default;
};

// One train's every call where the seven sections cannot say it: its whole
// stop list in running order (16-byte stop records, as section 7 holds
// them) and the rule of each call. The sections keep for such a train only
// calls whose rides the timetable allows (legacyCalls), so their readers
// never offer a forbidden ride.
struct TrainCalls {
  TrainIndex train;
  std::string stopRecords;      // 16 bytes a stop, two stops at least
  std::vector<CallRule> rules;  // one per stop

  friend bool operator==(const TrainCalls&, const TrainCalls&) = default;
};

// Stations a traveller can move between on foot or by city transit: the
// platforms of one complex, or the stations of one city.
enum class GroupKind : uint8_t {
  kComplex = 1,  // one station complex: walks between its members
  kCity = 2,     // the stations of one city: transit between them
};

struct StationGroup {
  GroupKind kind = GroupKind::kComplex;
  std::string name;                   // GBK; may be asked for where a station is expected
  int32_t minutes = 0;                // from any member to any other, 0 to 1439
  std::vector<StationIndex> members;  // two or more, each once

  friend bool operator==(const StationGroup&, const StationGroup&) = default;
};

enum class TransferKind : uint8_t {
  kMinimumTime = 0,  // a change (or walk) that takes at least `minutes`
  kTimed = 1,        // the second train waits for the first: no minimum
  kForbidden = 2,    // no change here
};

// A train of a transfer that holds for every train.
inline constexpr TrainIndex kAnyTrain{-1};

// A change from `from` to `to` (the same station, or another one reached on
// foot), for every train or from one train to another.
struct Transfer {
  StationIndex from;
  StationIndex to;
  TransferKind kind = TransferKind::kMinimumTime;
  int32_t minutes = 0;  // 0 to 1439
  TrainIndex fromTrain = kAnyTrain;
  TrainIndex toTrain = kAnyTrain;

  friend bool operator==(const Transfer&, const Transfer&) = default;
};

// A station's own least minutes between arriving and boarding again.
struct ChangeTime {
  StationIndex station;
  int32_t minutes = 0;  // 0 to 1439

  friend bool operator==(const ChangeTime&, const ChangeTime&) = default;
};

// A station beyond the sections' 10,000: what section 5 says of one.
struct MoreStation {
  std::string name;          // GBK, not empty, no space or zero byte
  std::string abbreviation;  // printable ASCII without spaces, may be empty

  friend bool operator==(const MoreStation&, const MoreStation&) = default;
};

// A train beyond the ones the sections hold: what the sections say of a
// train, with every call and its rule. Its stop records name stations with
// six digits (kWideIndexDigits), the network view's: 18 bytes a stop.
struct MoreTrain {
  std::string number;  // numbers joined by "/", as section 4 holds them
  char classCode = '1';
  char fareColumnCode = 'F';
  char fareRateCode = 'D';
  std::string stopRecords;      // 18 bytes a stop, two stops at least
  std::vector<CallRule> rules;  // one per stop

  friend bool operator==(const MoreTrain&, const MoreTrain&) = default;
};

// The trains and stations the sections cannot index (or that run on days
// other than the one the sections hold): the network view numbers them
// after the sections' own, in this order.
struct MoreTrains {
  std::vector<MoreStation> stations;
  std::vector<MoreTrain> trains;

  bool empty() const { return stations.empty() && trains.empty(); }
  friend bool operator==(const MoreTrains&, const MoreTrains&) = default;
};

struct NetworkExtension {
  std::vector<TrainCalls> trains;  // ascending by train, each train once
  std::vector<StationGroup> groups;
  std::vector<Transfer> transfers;
  std::vector<ChangeTime> changeTimes;  // ascending by station, each once
  ServiceCalendar calendar;             // empty: every train runs every day
  NetworkFares fares;                   // empty: the built-in tariff
  NetworkWords words;                   // names as written, lines, headsigns, platforms
  MoreTrains more;                      // trains and stations after the sections'

  bool empty() const {
    return trains.empty() && groups.empty() && transfers.empty() && changeTimes.empty() &&
           calendar.empty() && fares.empty() && words.empty() && more.empty();
  }
  friend bool operator==(const NetworkExtension&, const NetworkExtension&) = default;
};

// Which of a train's calls the seven sections keep, so that every ride they
// offer is one the rules allow: the first call that allows boarding, the
// last that allows alighting, and between them the calls that allow both.
// Empty when the train offers no ride at all.
std::vector<bool> legacyCalls(const std::vector<CallRule>& rules);

}  // namespace murlo

#endif  // MURLO_DB_NETWORK_EXTENSION_H_
