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
#include "timetable_source/source_lexer.h"
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

class Dumper {
 public:
  Dumper(const TableLists& lists, std::vector<std::string>& warnings)
      : db_(lists), warnings_(warnings) {}

  std::string run() {
    out_ += "# Timetable source written by murlo dump.\n";
    if (!db_.headerText.empty()) out_ += "header " + quoteGbk(db_.headerText) + "\n";
    std::size_t longest = 0;
    for (std::size_t s = 0; s < db_.stationNames.size(); ++s) {
      longest = std::max(longest, db_.stationNames[s].size());
    }
    if (longest > kMaxShortNameBytes) out_ += "names long\n";
    checkCounts();
    stations();
    for (std::size_t t = 0; t < db_.trainNumbers.size(); ++t) train(t);
    checkCallLists();
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
    if (db_.stationCallLists.size() != db_.stationNames.size()) {
      warn(counted(db_.stationCallLists.size(), "call list") + " for " +
           counted(db_.stationNames.size(), "station"));
    }
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
            codeToken(db_.trainFareRateCodes, t) + "\n";
    const std::string_view text = db_.trainStopLists.at_or_empty(t);
    const StopList stops(text);
    const std::string what = "train " + std::string(db_.trainNumbers[t]);
    if (stops.size() < 2 || stops.size() > 100) {
      warn(what + " has " + counted(static_cast<std::size_t>(stops.size()), "stop") +
           "; a train has 2 to 100");
    }
    if (text.size() % kStopRecordSize != 0) {
      warn(what + ": its stop list ends in a partial record of " +
           std::to_string(text.size() % kStopRecordSize) + " characters");
    }
    std::size_t width = 0;
    for (StopPosition k(0); stops.holds(k); ++k) {
      width = std::max(width, displayWidth(stationReference(stops[k].stationIndex().value())));
    }
    for (StopPosition k(0); stops.holds(k); ++k) stop(what, stops, k, width);
    out_ += "end\n";
  }

  // Columns a reference takes in a terminal: its GBK length where it has one
  // (a Chinese character is two bytes and two columns).
  static std::size_t displayWidth(const std::string& utf8) {
    std::u16string units;
    std::string gbk;
    if (utf8ToUtf16(utf8, units) && utf16ToGbk(units, gbk)) return gbk.size();
    return utf8.size();
  }

  void stop(const std::string& what, const StopList& stops, StopPosition k, std::size_t width) {
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
    out_ += line + km + "\n";
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
      if (derived[s].empty()) {
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
    std::vector<std::string> calls(db_.stationNames.size());
    for (std::size_t t = 0; t < db_.trainStopLists.size(); ++t) {
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
  std::vector<std::string>& warnings_;
  std::vector<std::string> references_;  // per station: how stop lines name it
  std::string out_;
};

}  // namespace

std::string dumpSource(const TableLists& lists, std::vector<std::string>& warnings) {
  return Dumper(lists, warnings).run();
}

}  // namespace murlo::source
