// Writing tables as timetable source.
#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "db/digits.h"
#include "db/records.h"
#include "db/timetable_builder.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"
#include "timetable_source/source_days.h"
#include "timetable_source/source_fares.h"
#include "timetable_source/source_lexer.h"
#include "timetable_source/source_words.h"
#include "timetable_source/timetable_source.h"

namespace murlo::source {
namespace {

// UTF-8 of GBK text, and whether it converts back to the same bytes.
bool gbkToUtf8(std::string_view gbk, std::string& utf8) {
  std::u16string units;
  gbkToUtf16(gbk, units);
  utf16ToUtf8(units, utf8);
  std::string back;
  return utf16ToGbk(units, back) && back == gbk;
}

bool allDigits(std::string_view field) {
  return std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A four-digit time field "HHMM" as "HH:MM", or nothing when it is not one.
std::optional<std::string> timeOf(std::string_view hhmm) {
  if (!allDigits(hhmm)) return std::nullopt;
  const int32_t hours = readAtoi(hhmm.substr(0, 2));
  const int32_t minutes = readAtoi(hhmm.substr(2, 2));
  if (hours > 23 || minutes > 59) return std::nullopt;
  return formatTime(hours * 60 + minutes);
}

// "1 train", "2 trains".
std::string counted(std::size_t count, const std::string& thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

// A code as a token: printable ASCII as itself, anything else as \xHH.
std::string codeToken(std::string_view codes, std::size_t train) {
  if (train >= codes.size()) return "?";
  const auto c = static_cast<unsigned char>(codes[train]);
  if (c > 0x20 && c < 0x7F) return std::string(1, static_cast<char>(c));
  static constexpr char kHex[] = "0123456789abcdef";
  return std::string("\\x") + kHex[c >> 4] + kHex[c & 0xF];
}

// The marker of a restricted call, as stop lines write it.
std::string_view markerOf(CallRule rule) {
  if (rule.board && rule.alight) return "";
  if (rule.board) return "board-only";
  if (rule.alight) return "alight-only";
  return "no-service";
}

class Dumper {
 public:
  // `lists` holds the trains and stations of block 9 after the sections'
  // own (the first sectionsTrains and sectionsStations), their stop lists
  // in six-digit records.
  Dumper(const TableLists& lists, const NetworkExtension& extension,
         std::vector<std::string>& warnings, std::size_t sectionsTrains,
         std::size_t sectionsStations)
      : db_(lists),
        extension_(extension),
        warnings_(warnings),
        sectionsTrains_(sectionsTrains),
        sectionsStations_(sectionsStations) {
    for (const TrainCalls& calls : extension_.trains) {
      if (calls.train.value() >= 0) trainCalls_.emplace(calls.train.value(), &calls);
    }
    for (std::size_t t = 0; t < extension_.more.trains.size(); ++t) {
      const MoreTrain& more = extension_.more.trains[t];
      moreCalls_.push_back(TrainCalls{TrainIndex(static_cast<int32_t>(sectionsTrains_ + t)),
                                      more.stopRecords, more.rules});
    }
  }

  std::string run() {
    out_ += "# Timetable source written by murlo dump.\n";
    if (!db_.headerText.empty()) out_ += "header " + quoteGbk(db_.headerText) + "\n";
    std::size_t longest = 0;
    for (std::size_t s = 0; s < db_.stationNames.size(); ++s) {
      longest = std::max(longest, db_.stationNames[s].size());
    }
    for (const StationGroup& group : extension_.groups) {
      longest = std::max(longest, group.name.size());
    }
    if (longest > kMaxShortNameBytes) out_ += "names long\n";
    if (const ServiceCalendar& calendar = extension_.calendar; !calendar.empty()) {
      out_ += "period " + isoDate(calendar.firstDay) + " " +
              isoDate(calendar.firstDay + calendar.dayCount - 1);
      if (!calendar.timeZone.empty()) out_ += " zone " + calendar.timeZone;
      if (calendar.sectionsDay >= 0) {
        out_ += " sections " + isoDate(calendar.firstDay + calendar.sectionsDay);
      }
      out_ += "\n";
    }
    checkCounts();
    stations();
    out_ += fareLinesOf(
        extension_.fares, [this](int32_t s) { return stationReference(s); }, warnings_);
    labelTrains();
    for (std::size_t t = 0; t < db_.trainNumbers.size(); ++t) train(t);
    checkCallLists();
    network();
    return std::move(out_);
  }

 private:
  void warn(const std::string& message) {
    warnings_.push_back(message);
    out_ += "# warning: " + message + "\n";
  }

  void checkCounts() {
    const std::size_t trains = db_.trainNumbers.size();
    const auto codes = [&](const std::string& text, const char* what) {
      if (text.size() != trains) {
        warn(std::string(what) + " hold " + counted(text.size(), "code") + " for " +
             counted(trains, "train"));
      }
    };
    codes(db_.trainClassCodes, "the class codes");
    codes(db_.trainFareColumnCodes, "the fare-column codes");
    codes(db_.trainFareRateCodes, "the fare-rate codes");
    if (db_.trainStopLists.size() != trains) {
      warn(counted(db_.trainStopLists.size(), "stop list") + " for " + counted(trains, "train"));
    }
    if (db_.stationAbbreviations.size() != db_.stationNames.size()) {
      warn(counted(db_.stationAbbreviations.size(), "abbreviation") + " for " +
           counted(db_.stationNames.size(), "station name"));
    }
    // The last stations have no call list when only restricted calls serve
    // them (the extension's); any other difference is a fault.
    const std::size_t calls = db_.stationCallLists.size();
    const std::size_t stations = db_.stationNames.size();
    bool explained = calls < stations;
    for (std::size_t s = calls; s < stations && explained; ++s) {
      explained = s >= sectionsStations_ || extensionServes(static_cast<int32_t>(s));
    }
    if (calls != stations && !explained) {
      warn(counted(calls, "call list") + " for " + counted(stations, "station"));
    }
  }

  // Whether a train's call in the extension is at `station`.
  bool extensionServes(int32_t station) const {
    for (const TrainCalls& calls : extension_.trains) {
      const StopList stops(calls.stopRecords);
      for (StopPosition k(0); stops.holds(k); ++k) {
        if (stops[k].stationIndex().value() == station) return true;
      }
    }
    for (const TrainCalls& calls : moreCalls_) {
      const StopList stops(calls.stopRecords, kWideIndexDigits);
      for (StopPosition k(0); stops.holds(k); ++k) {
        if (stops[k].stationIndex().value() == station) return true;
      }
    }
    return false;
  }

  void stations() {
    out_ += "\n";
    std::set<std::string> taken;  // names and labels in use
    std::vector<std::string> names(db_.stationNames.size());
    for (std::size_t s = 0; s < names.size(); ++s) {
      if (!gbkToUtf8(db_.stationNames[s], names[s])) {
        warn("station " + std::to_string(s) + ": the name holds bytes that form no character");
      }
      if (db_.stationNames[s].size() > kMaxLongNameBytes) {
        warn("station " + std::to_string(s) + ": the name " + names[s] + " is " +
             std::to_string(db_.stationNames[s].size()) + " bytes; at most 100 fit");
      }
      if (!names[s].empty() && isReserved(names[s])) {
        warn("station " + std::to_string(s) + ": the name " + names[s] +
             " reads as a keyword or comment in a source");
      }
      taken.insert(names[s]);
    }
    std::set<std::string> declared;
    for (std::size_t s = 0; s < names.size(); ++s) {
      std::string reference = names[s];
      std::string line = "station " + names[s] + " ";
      const std::string_view abbreviation = db_.stationAbbreviations.at_or_empty(s);
      if (abbreviation.empty()) warn("station " + names[s] + " has no abbreviation");
      line += abbreviation.empty() ? "?" : std::string(abbreviation);
      if (!declared.insert(names[s]).second) {
        for (int k = 2;; ++k) {
          reference = names[s] + "#" + std::to_string(k);
          if (taken.insert(reference).second) break;
        }
        line += " as " + reference;
      }
      references_.push_back(reference);
      out_ += line + "\n";
      if (const StationWords* words =
              extension_.words.station(StationIndex(static_cast<int32_t>(s)))) {
        out_ += "named " + reference + " " + stationWordsText(*words) + "\n";
      }
    }
    lineLabels_ = lineLabels(extension_.words.lines);
    if (!lineLabels_.empty()) out_ += "\n";
    for (std::size_t l = 0; l < lineLabels_.size(); ++l) {
      out_ += "line " + lineLabels_[l] + " " + lineText(extension_.words.lines[l]) + "\n";
    }
  }

  std::string stationReference(int32_t station) const {
    if (station < 0 || static_cast<std::size_t>(station) >= references_.size()) {
      return "?" + std::to_string(station);
    }
    return references_[static_cast<std::size_t>(station)];
  }

  void train(std::size_t t) {
    out_ += "\ntrain " + std::string(db_.trainNumbers[t]) + " class " +
            codeToken(db_.trainClassCodes, t) + " columns " +
            codeToken(db_.trainFareColumnCodes, t) + " rate " +
            codeToken(db_.trainFareRateCodes, t);
    if (const auto label = trainLabels_.find(t); label != trainLabels_.end()) {
      out_ += " as " + label->second;
    }
    out_ += "\n";
    if (const ServiceCalendar& calendar = extension_.calendar;
        !calendar.empty() && t < calendar.trainPatterns.size()) {
      const std::string days = daysLine(calendar.patterns[calendar.trainPatterns[t]],
                                        calendar.firstDay, calendar.dayCount);
      if (!days.empty()) out_ += "  " + days + "\n";
    }
    if (const NetworkFares& fares = extension_.fares; t < fares.trainRoutes.size()) {
      if (const uint32_t route = fares.trainRoutes[t]; route < fares.routes.size())
        out_ += "  route " + fares.routes[route].id + "\n";
    }
    const std::string what = "train " + std::string(db_.trainNumbers[t]);
    const TrainWords* words = extension_.words.train(TrainIndex(static_cast<int32_t>(t)));
    if (words != nullptr) out_ += "  " + trainWordsText(*words, lineLabels_) + "\n";
    // A train with restricted calls: its whole stop list is the extension's.
    // A train of block 9: its stop list and rules are its own.
    const bool more = t >= sectionsTrains_;
    const int32_t digits = more ? kWideIndexDigits : kIndexDigits;
    const auto found = trainCalls_.find(static_cast<int32_t>(t));
    const TrainCalls* calls = more                         ? &moreCalls_[t - sectionsTrains_]
                              : found == trainCalls_.end() ? nullptr
                                                           : found->second;
    if (calls != nullptr && !more) checkRestrictedTrain(what, t, *calls);
    const std::string_view text =
        calls != nullptr ? std::string_view(calls->stopRecords) : db_.trainStopLists.at_or_empty(t);
    const StopList stops(text, digits);
    const auto recordSize = static_cast<std::size_t>(stopRecordSize(digits));
    if (stops.size() < 2 || stops.size() > 100) {
      warn(what + " has " + counted(static_cast<std::size_t>(stops.size()), "stop") +
           "; a train has 2 to 100");
    }
    if (text.size() % recordSize != 0) {
      warn(what + ": its stop list ends in a partial record of " +
           std::to_string(text.size() % recordSize) + " characters");
    }
    std::size_t width = 0;
    for (StopPosition k(0); stops.holds(k); ++k) {
      width = std::max(width, displayWidth(stationReference(stops[k].stationIndex().value())));
    }
    const std::vector<std::string> noPlatforms;
    const std::vector<std::string>& platforms = words != nullptr ? words->platforms : noPlatforms;
    if (!platforms.empty() && (platforms.size() != static_cast<std::size_t>(stops.size()) ||
                               std::all_of(platforms.begin(), platforms.end(),
                                           [](const std::string& p) { return p.empty(); }))) {
      warn(what + " has " + counted(platforms.size(), "platform") + " for " +
           counted(static_cast<std::size_t>(stops.size()), "stop") + "; a source gives one a stop");
    }
    for (StopPosition k(0); stops.holds(k); ++k) {
      const std::size_t slot = static_cast<std::size_t>(k.value());
      const CallRule rule =
          calls != nullptr && slot < calls->rules.size() ? calls->rules[slot] : CallRule{};
      stop(what, stops, k, width, markerOf(rule),
           slot < platforms.size() ? std::string_view(platforms[slot]) : std::string_view());
    }
    out_ += "end\n";
  }

  // What build writes of a train with restricted calls: the extension keeps
  // them all, the sections the calls legacyCalls keeps. A file whose sections
  // say otherwise does not build back the same.
  void checkRestrictedTrain(const std::string& what, std::size_t t, const TrainCalls& calls) {
    const bool open = std::all_of(calls.rules.begin(), calls.rules.end(),
                                  [](CallRule rule) { return rule.board && rule.alight; });
    const std::vector<bool> kept = legacyCalls(calls.rules);
    if (open) {
      warn(what + ": the extension lists its calls though all are open; build leaves them out");
    } else if (kept.empty()) {
      warn(what +
           " offers no ride: no call open for boarding comes before one open for "
           "alighting");
    }
    std::string sections;
    for (std::size_t k = 0; k < kept.size(); ++k) {
      if (kept[k] && (k + 1) * kStopRecordSize <= calls.stopRecords.size()) {
        sections += calls.stopRecords.substr(k * kStopRecordSize, kStopRecordSize);
      }
    }
    if (!open && !kept.empty() && sections != db_.trainStopLists.at_or_empty(t)) {
      warn(what +
           ": the sections hold other stops than the calls its rules leave open; build "
           "writes those");
    }
  }

  // A label for each train a transfer names whose numbers another train
  // shares: its numbers and its place among them (K1#2).
  void labelTrains() {
    std::map<std::string_view, std::vector<std::size_t>> byNumbers;
    for (std::size_t t = 0; t < db_.trainNumbers.size(); ++t) {
      byNumbers[db_.trainNumbers[t]].push_back(t);
    }
    for (const Transfer& transfer : extension_.transfers) {
      for (const TrainIndex train : {transfer.fromTrain, transfer.toTrain}) {
        if (train == kAnyTrain || train.slot() >= db_.trainNumbers.size()) continue;
        const std::vector<std::size_t>& same = byNumbers[db_.trainNumbers[train.slot()]];
        if (same.size() < 2) continue;
        const auto place = std::find(same.begin(), same.end(), train.slot()) - same.begin();
        trainLabels_[train.slot()] =
            std::string(db_.trainNumbers[train.slot()]) + "#" + std::to_string(place + 1);
      }
    }
  }

  std::string trainReference(TrainIndex train) const {
    if (train.value() < 0 || train.slot() >= db_.trainNumbers.size()) {
      return "?" + std::to_string(train.value());
    }
    if (const auto label = trainLabels_.find(train.slot()); label != trainLabels_.end()) {
      return label->second;
    }
    return std::string(db_.trainNumbers[train.slot()]);
  }

  // Groups, transfers and change times, after the trains.
  void network() {
    if (extension_.groups.empty() && extension_.transfers.empty() &&
        extension_.changeTimes.empty()) {
      return;
    }
    out_ += "\n";
    for (const StationGroup& group : extension_.groups) {
      std::string name;
      if (!gbkToUtf8(group.name, name)) {
        warn("the group " + name + ": the name holds bytes that form no character");
      }
      if (name.empty() || name.front() == '"' || name.find_first_of(" \t") != std::string::npos) {
        warn("the group name '" + name + "' is empty, holds spaces or begins with \"");
      }
      if (group.name.size() > kMaxLongNameBytes) {
        warn("the group name " + name + " is " + std::to_string(group.name.size()) +
             " bytes; at most 100 fit");
      }
      out_ += "group " + std::string(group.kind == GroupKind::kCity ? "city" : "complex") + " " +
              name + " " + std::to_string(group.minutes);
      for (const StationIndex member : group.members) {
        out_ += " " + stationReference(member.value());
      }
      out_ += "\n";
    }
    const std::vector<Transfer>& transfers = extension_.transfers;
    for (std::size_t i = 0; i < transfers.size(); ++i) {
      const Transfer& transfer = transfers[i];
      const auto plainWalk = [](const Transfer& x) {
        return x.kind == TransferKind::kMinimumTime && x.fromTrain == kAnyTrain &&
               x.toTrain == kAnyTrain && x.from != x.to;
      };
      // A walk is the two transfers of one line, each way.
      if (i + 1 < transfers.size() && plainWalk(transfer) && plainWalk(transfers[i + 1]) &&
          transfers[i + 1].from == transfer.to && transfers[i + 1].to == transfer.from &&
          transfers[i + 1].minutes == transfer.minutes) {
        out_ += "walk " + stationReference(transfer.from.value()) + " " +
                stationReference(transfer.to.value()) + " " + std::to_string(transfer.minutes) +
                "\n";
        ++i;
        continue;
      }
      std::string line = "transfer " + stationReference(transfer.from.value()) + " " +
                         stationReference(transfer.to.value()) + " ";
      if (transfer.kind == TransferKind::kMinimumTime) {
        line += std::to_string(transfer.minutes);
      } else {
        line += transfer.kind == TransferKind::kTimed ? "timed" : "forbidden";
        if (transfer.minutes != 0) {
          warn("a " + std::string(transfer.kind == TransferKind::kTimed ? "timed" : "forbidden") +
               " transfer at " + stationReference(transfer.from.value()) + " holds " +
               std::to_string(transfer.minutes) + " minutes; build gives it none");
        }
      }
      if (transfer.fromTrain != kAnyTrain)
        line += " from-train " + trainReference(transfer.fromTrain);
      if (transfer.toTrain != kAnyTrain) line += " to-train " + trainReference(transfer.toTrain);
      out_ += line + "\n";
    }
    for (const ChangeTime& time : extension_.changeTimes) {
      out_ += "change " + stationReference(time.station.value()) + " " +
              std::to_string(time.minutes) + "\n";
    }
  }

  // Columns a reference takes in a terminal: its GBK length where it has one
  // (a Chinese character is two bytes and two columns).
  static std::size_t displayWidth(const std::string& utf8) {
    std::u16string units;
    std::string gbk;
    if (utf8ToUtf16(utf8, units) && utf16ToGbk(units, gbk)) return gbk.size();
    return utf8.size();
  }

  void stop(const std::string& what, const StopList& stops, StopPosition k, std::size_t width,
            std::string_view marker, std::string_view platform) {
    const StopRecord stop = stops[k];
    const int32_t station = stop.stationIndex().value();
    const std::string where = what + ", stop " + std::to_string(k.value() + 1);
    if (station < 0 || station >= static_cast<int32_t>(references_.size())) {
      warn(where + ": station index " + std::to_string(station) + " is outside the station table");
    }
    const bool first = k == StopPosition(0);
    const bool last = k == stops.last();
    const std::string arrivalField =
        std::string(stop.arrivalHour()) + std::string(stop.arrivalMinute());
    const std::string departureField =
        std::string(stop.departureHour()) + std::string(stop.departureMinute());
    const auto timeText = [&](const std::string& field, bool unused, const char* name) {
      if (unused && field == "0000") return std::string("-");
      if (const auto time = timeOf(field)) return *time;
      warn(where + ": the " + name + " field " + field + " is not a time");
      return "?" + field;
    };
    const std::string arrival = timeText(arrivalField, first, "arrival");
    const std::string departure = timeText(departureField, last, "departure");
    const std::string kmField(stop.distanceField());
    std::string km = std::to_string(readAtoi(kmField));
    if (!allDigits(kmField)) {
      warn(where + ": the distance field " + kmField + " is not a number");
      km = "?" + kmField;
    } else if (!first && stop.distanceKm() < stops[StopPosition(k.value() - 1)].distanceKm()) {
      warn(where + ": the distance decreases");
    }
    std::string line = "  " + stationReference(station);
    line.append(width + 2 - std::min(width, displayWidth(stationReference(station))), ' ');
    line += pad(arrival, 5) + "  " + pad(departure, 5) + "  ";
    line.append(km.size() < 4 ? 4 - km.size() : 0, ' ');
    out_ += line + km + (marker.empty() ? "" : "  " + std::string(marker)) +
            (platform.empty() ? "" : "  platform " + quoteText(platform)) + "\n";
  }

  static std::string pad(const std::string& text, std::size_t width) {
    if (text == "-") return "  -  ";
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
  }

  void checkCallLists() {
    const std::vector<std::string> derived = derivedCallLists();
    std::size_t differing = 0;
    for (std::size_t s = 0; s < db_.stationCallLists.size(); ++s) {
      if (s >= derived.size() || db_.stationCallLists[s] != derived[s]) ++differing;
    }
    for (std::size_t s = 0; s < derived.size(); ++s) {
      if (derived[s].empty() && !extensionServes(static_cast<int32_t>(s))) {
        warn("no train calls at station " + stationReference(static_cast<int32_t>(s)));
      }
    }
    if (differing > 0) {
      warn(counted(differing, "call list") + (differing == 1 ? " differs" : " differ") +
           " from those the stop lists give; build derives them anew");
    }
  }

  // The call lists that the stop lists give, as build derives them.
  std::vector<std::string> derivedCallLists() const {
    std::vector<std::string> calls(std::min(db_.stationNames.size(), sectionsStations_));
    for (std::size_t t = 0; t < std::min(db_.trainStopLists.size(), sectionsTrains_); ++t) {
      const StopList stops(db_.trainStopLists[t]);
      for (StopPosition k(0); stops.holds(k); ++k) {
        const StationIndex station = stops[k].stationIndex();
        if (station.value() < 0 || station.slot() >= calls.size()) continue;
        calls[station.slot()] += callRecord(static_cast<int32_t>(t), k.value());
      }
    }
    return calls;
  }

  const TableLists& db_;  // the tables as the file holds them
  const NetworkExtension& extension_;
  std::map<int32_t, const TrainCalls*> trainCalls_;  // by train
  std::map<std::size_t, std::string> trainLabels_;   // trains written with 'as LABEL'
  std::vector<std::string>& warnings_;
  std::size_t sectionsTrains_;
  std::size_t sectionsStations_;
  std::vector<TrainCalls> moreCalls_;    // the trains of block 9, as trains' calls
  std::vector<std::string> references_;  // per station: how stop lines name it
  std::vector<std::string> lineLabels_;  // per line of the words: how words lines name it
  std::string out_;
};

}  // namespace

std::string dumpSource(const TableLists& lists, const NetworkExtension& extension,
                       std::vector<std::string>& warnings) {
  const std::size_t sectionsTrains = lists.trainNumbers.size();
  const std::size_t sectionsStations = lists.stationNames.size();
  if (extension.more.empty()) {
    return Dumper(lists, extension, warnings, sectionsTrains, sectionsStations).run();
  }
  // The trains and stations of block 9 follow the sections' own, as the
  // network view numbers them.
  TableLists merged = lists;
  std::vector<std::string_view> numbers;
  std::vector<std::string_view> stopLists;
  for (std::size_t t = 0; t < sectionsTrains; ++t) {
    numbers.push_back(lists.trainNumbers[t]);
    stopLists.push_back(lists.trainStopLists.at_or_empty(t));
  }
  for (const MoreTrain& train : extension.more.trains) {
    numbers.push_back(train.number);
    stopLists.push_back(train.stopRecords);
    merged.trainClassCodes += train.classCode;
    merged.trainFareColumnCodes += train.fareColumnCode;
    merged.trainFareRateCodes += train.fareRateCode;
  }
  std::vector<std::string_view> names;
  std::vector<std::string_view> abbreviations;
  for (std::size_t s = 0; s < sectionsStations; ++s) {
    names.push_back(lists.stationNames[s]);
    abbreviations.push_back(lists.stationAbbreviations.at_or_empty(s));
  }
  for (const MoreStation& station : extension.more.stations) {
    names.push_back(station.name);
    abbreviations.push_back(station.abbreviation);
  }
  merged.trainNumbers = TextList::copyOf(numbers);
  merged.trainStopLists = TextList::copyOf(stopLists);
  merged.stationNames = TextList::copyOf(names);
  merged.stationAbbreviations = TextList::copyOf(abbreviations);
  return Dumper(merged, extension, warnings, sectionsTrains, sectionsStations).run();
}

}  // namespace murlo::source
