// Parsing and checking a timetable source.
#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "db/file_format.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"
#include "timetable_source/source_lexer.h"
#include "timetable_source/timetable_source.h"

namespace murlo::source {
namespace {

// The file format's limits, as counts of the parsed lists.
constexpr auto kMaxStationCount = static_cast<std::size_t>(kMaxStations);
constexpr auto kMaxTrainCount = static_cast<std::size_t>(kMaxTrains);
constexpr auto kMinStopCount = static_cast<std::size_t>(kMinStops);
constexpr auto kMaxStopCount = static_cast<std::size_t>(kMaxStops);
constexpr std::size_t kMaxNumberBytes = kMaxTrainNumberBytes;
constexpr std::size_t kMaxHeaderBytes = kHeaderSize;

bool isClassCode(std::string_view v) {
  return v.size() == 1 && kClassCodes.find(v[0]) != std::string_view::npos;
}
bool isColumnCode(std::string_view v) {
  return v.size() == 1 && kFareColumnCodes.find(v[0]) != std::string_view::npos;
}
bool isRateCode(std::string_view v) {
  return v.size() == 1 && v[0] >= kFirstFareRateCode && v[0] <= kLastFareRateCode;
}

bool isTrainNumbers(std::string_view v) {
  if (v.empty() || v.front() == '/' || v.back() == '/') return false;
  char previous = 0;
  for (const char c : v) {
    const bool capital = c >= 'A' && c <= 'Z' && c != 'O';
    const bool digit = c >= '0' && c <= '9';
    if (!capital && !digit && c != '/') return false;
    if (c == '/' && previous == '/') return false;
    previous = c;
  }
  return true;
}

}  // namespace

// Words a stop line cannot begin with: they would be read as something else.
bool isReserved(std::string_view token) {
  return token == "header" || token == "station" || token == "train" || token == "end" ||
         (!token.empty() && (token.front() == '#' || token.front() == '"'));
}

namespace {

bool isAbbreviation(std::string_view v) {
  if (v.empty()) return false;
  for (const char c : v) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
      return false;
    }
  }
  return true;
}

class Parser {
 public:
  explicit Parser(Timetable& timetable) : out_(timetable) {}

  std::vector<Diagnostic> run(std::string_view text) {
    std::size_t begin = 0;
    int number = 0;
    while (begin < text.size()) {
      std::size_t end = text.find('\n', begin);
      if (end == std::string_view::npos) end = text.size();
      line(++number, text.substr(begin, end - begin));
      begin = end + 1;
    }
    if (inTrain_) closeTrain(false);
    finish();
    return std::move(errors_);
  }

 private:
  void error(int line, std::string message) { errors_.push_back({line, std::move(message)}); }

  void line(int number, std::string_view text) {
    if (number == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // BOM
    std::string lexError;
    const std::vector<std::string_view> tokens = tokenize(text, lexError);
    if (!lexError.empty()) return error(number, lexError);
    if (tokens.empty()) return;
    const std::string_view keyword = tokens[0];
    if (keyword == "end") return endTrain(number, tokens);
    if (keyword == "train") return startTrain(number, tokens);
    if (inTrain_) {
      if (keyword != "station" && keyword != "header") return stop(number, tokens);
      closeTrain(false);
    }
    if (keyword == "station") return station(number, tokens);
    if (keyword == "header") return header(number, tokens);
    if (keyword == "names") return names(number, tokens);
    error(number, "unknown keyword '" + std::string(keyword) +
                      "' (expected header, names, station, train or end)");
  }

  void header(int number, const std::vector<std::string_view>& tokens) {
    if (headerLine_ != 0) {
      return error(number,
                   "a second header (the first is on line " + std::to_string(headerLine_) + ")");
    }
    headerLine_ = number;
    if (stationsOrTrainsSeen_) error(number, "the header must come before stations and trains");
    if (tokens.size() != 2) return error(number, "expected: header \"TEXT\"");
    std::string problem;
    const auto gbk = unquoteToGbk(tokens[1], problem);
    if (!gbk) return error(number, "header: " + problem);
    if (gbk->size() > kMaxHeaderBytes) {
      return error(number, "the header text is " + std::to_string(gbk->size()) +
                               " bytes in GBK; at most 10 fit");
    }
    if (gbk->find('\0') != std::string::npos) {
      return error(number, "the header text cannot hold a zero byte");
    }
    out_.header = *gbk;
  }

  // "names long": station names of up to 100 bytes rather than 11.
  void names(int number, const std::vector<std::string_view>& tokens) {
    if (namesLine_ != 0) {
      return error(number, "a second 'names long' (the first is on line " +
                               std::to_string(namesLine_) + ")");
    }
    namesLine_ = number;
    if (stationsOrTrainsSeen_) error(number, "'names long' must come before stations and trains");
    if (tokens.size() != 2 || tokens[1] != "long") return error(number, "expected: names long");
    maxNameBytes_ = kMaxLongNameBytes;
  }

  // GBK of a name token, or nothing with an error reported.
  std::optional<std::string> stationName(int number, std::string_view token) {
    std::u16string units;
    std::string gbk;
    if (!utf8ToUtf16(token, units)) {
      error(number, "the station name is not valid UTF-8");
      return std::nullopt;
    }
    if (!utf16ToGbk(units, gbk)) {
      error(number, "the station name " + std::string(token) +
                        " holds a character that code page 936 cannot represent");
      return std::nullopt;
    }
    if (gbk.size() > maxNameBytes_) {
      error(number,
            "the station name " + std::string(token) + " is " + std::to_string(gbk.size()) +
                " bytes in GBK; at most " + std::to_string(maxNameBytes_) + " fit" +
                (maxNameBytes_ < kMaxLongNameBytes ? " (up to 100 after 'names long')" : ""));
      return std::nullopt;
    }
    for (std::size_t i = 0; i < gbk.size(); ++i) {
      if (!encodeByte(Section::kStations, static_cast<uint8_t>(gbk[i]))) {
        error(number, "the station name " + std::string(token) +
                          " holds a character a database file cannot store");
        return std::nullopt;
      }
    }
    return gbk;
  }

  void station(int number, const std::vector<std::string_view>& tokens) {
    stationsOrTrainsSeen_ = true;
    const bool labelled = tokens.size() == 5 && tokens[3] == "as";
    if (tokens.size() != 3 && !labelled) {
      return error(number, "expected: station NAME ABBREVIATION [as LABEL]");
    }
    if (isReserved(tokens[1]) || (labelled && isReserved(tokens[4]))) {
      return error(number,
                   "a station name or label cannot be a keyword (header, station, "
                   "train, end) or begin with # or \"");
    }
    const auto name = stationName(number, tokens[1]);
    if (!name) return;
    if (!isAbbreviation(tokens[2])) {
      return error(number, "the abbreviation " + std::string(tokens[2]) +
                               " must be ASCII letters and digits");
    }
    const std::string nameKey(tokens[1]);
    const std::string reference = labelled ? std::string(tokens[4]) : nameKey;
    if (const auto seen = names_.find(nameKey); seen != names_.end() && !labelled) {
      return error(number, "the station " + nameKey + " is already declared on line " +
                               std::to_string(seen->second.line) +
                               "; declare another station of that name with 'as LABEL'");
    }
    if (labelled) {
      if (names_.count(reference) != 0 || labels_.count(reference) != 0) {
        return error(number, "the label " + reference + " is already a station name or label");
      }
    } else if (labels_.count(reference) != 0) {
      return error(number, "the station name " + reference + " is already used as a label");
    }
    const auto index = static_cast<int32_t>(out_.stations.size());
    (labelled ? labels_ : names_).emplace(reference, Declared{index, number});
    if (labelled && names_.count(nameKey) == 0) names_.emplace(nameKey, Declared{index, number});
    out_.stations.push_back({*name, std::string(tokens[2])});
    stationLines_.push_back(number);
    calledAt_.push_back(false);
  }

  void startTrain(int number, const std::vector<std::string_view>& tokens) {
    stationsOrTrainsSeen_ = true;
    if (inTrain_) closeTrain(false);
    inTrain_ = true;
    trainLine_ = number;
    train_ = TrainSpec{};
    trainValid_ = true;
    if (tokens.size() != 8) {
      trainValid_ = false;
      return error(number, "expected: train NUMBERS class C columns F rate R");
    }
    const std::string_view numbers = tokens[1];
    if (!isTrainNumbers(numbers)) {
      trainValid_ = false;
      error(number, "the train number " + std::string(numbers) +
                        " must be capital letters and digits without O, numbers joined by /");
    } else if (numbers.size() > kMaxNumberBytes) {
      trainValid_ = false;
      error(number, "the train numbers " + std::string(numbers) + " are longer than 19 bytes");
    }
    train_.number = std::string(numbers);
    bool seen[3] = {false, false, false};
    for (std::size_t i = 2; i + 1 < tokens.size(); i += 2) {
      const std::string_view key = tokens[i];
      const std::string_view value = tokens[i + 1];
      int which = key == "class" ? 0 : key == "columns" ? 1 : key == "rate" ? 2 : -1;
      if (which < 0) {
        trainValid_ = false;
        error(number, "unknown key '" + std::string(key) + "' (expected class, columns, rate)");
        continue;
      }
      if (seen[which]) {
        trainValid_ = false;
        error(number, "the key '" + std::string(key) + "' is given twice");
        continue;
      }
      seen[which] = true;
      const bool valid = which == 0   ? isClassCode(value)
                         : which == 1 ? isColumnCode(value)
                                      : isRateCode(value);
      if (!valid) {
        trainValid_ = false;
        static constexpr const char* kExpected[] = {
            "one of 1 2 3 4 6 7 8 9 0 A B", "a hexadecimal digit 1 to F", "a letter D to X"};
        error(number, "the " + std::string(key) + " code " + std::string(value) + " is not " +
                          kExpected[which]);
        continue;
      }
      (which == 0   ? train_.classCode
       : which == 1 ? train_.fareColumnCode
                    : train_.fareRateCode) = value[0];
    }
    for (int which = 0; which < 3; ++which) {
      if (!seen[which] && tokens.size() == 8) trainValid_ = false;
    }
  }

  void stop(int number, const std::vector<std::string_view>& tokens) {
    if (tokens.size() != 4) {
      trainValid_ = false;
      return error(number, "expected a stop: STATION ARRIVAL DEPARTURE KM");
    }
    const std::string reference(tokens[0]);
    const Declared* declared = find(labels_, reference);
    if (declared == nullptr) declared = find(names_, reference);
    if (declared == nullptr) {
      trainValid_ = false;
      return error(number, "the station " + reference + " is not declared");
    }
    StopSpec parsed;
    parsed.station = declared->index;
    const auto time = [&](std::string_view token, const char* what) -> std::optional<int32_t> {
      if (token == "-") return -1;
      const auto minutes = parseTime(token);
      if (!minutes) {
        error(number, std::string("the ") + what + " " + std::string(token) +
                          " is not a time HH:MM from 00:00 to 23:59");
      }
      return minutes;
    };
    const auto arrival = time(tokens[1], "arrival");
    const auto departure = time(tokens[2], "departure");
    const auto km = parseNumber(tokens[3], 4);
    if (!km) error(number, "the distance " + std::string(tokens[3]) + " is not 0 to 9999 km");
    if (!arrival || !departure || !km) {
      trainValid_ = false;
      return;
    }
    parsed.arrival = *arrival;
    parsed.departure = *departure;
    parsed.distanceKm = *km;
    stopLines_.push_back(number);
    train_.stops.push_back(parsed);
    calledAt_[static_cast<std::size_t>(parsed.station)] = true;
  }

  void endTrain(int number, const std::vector<std::string_view>& tokens) {
    if (!inTrain_) return error(number, "'end' without a train");
    if (tokens.size() != 1) error(number, "'end' takes nothing after it");
    closeTrain(true);
  }

  // Checks the stops of the train being closed (by its 'end' or, in error,
  // by what follows it) and keeps it.
  void closeTrain(bool byEnd) {
    inTrain_ = false;
    std::vector<StopSpec>& stops = train_.stops;
    if (!byEnd) {
      error(trainLine_, "the train " + train_.number + " has no 'end'");
      trainValid_ = false;
    }
    const std::size_t first = stopLines_.size() - stops.size();
    if (trainValid_ && (stops.size() < kMinStopCount || stops.size() > kMaxStopCount)) {
      error(trainLine_, "the train " + train_.number + " has " + std::to_string(stops.size()) +
                            " stops; a train has 2 to 100");
      trainValid_ = false;
    }
    for (std::size_t k = 0; k < stops.size(); ++k) {
      const int line = stopLines_[first + k];
      const bool firstStop = k == 0;
      const bool lastStop = k + 1 == stops.size();
      if (stops[k].arrival < 0 && !firstStop) {
        error(line, "only the first stop may have no arrival time ('-')");
        trainValid_ = false;
      }
      if (stops[k].departure < 0 && !lastStop) {
        error(line, "only the last stop may have no departure time ('-')");
        trainValid_ = false;
      }
      if (k > 0 && stops[k].distanceKm < stops[k - 1].distanceKm) {
        error(line, "the distance " + std::to_string(stops[k].distanceKm) +
                        " km is less than the stop before (" +
                        std::to_string(stops[k - 1].distanceKm) + " km)");
        trainValid_ = false;
      }
      if (stops[k].arrival < 0) stops[k].arrival = 0;  // never read: stored as 00:00
      if (stops[k].departure < 0) stops[k].departure = 0;
    }
    out_.trains.push_back(std::move(train_));
    train_ = TrainSpec{};
  }

  struct Declared {
    int32_t index;
    int line;
  };
  static const Declared* find(const std::map<std::string, Declared>& map, const std::string& key) {
    const auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
  }

  void finish() {
    if (out_.stations.size() > kMaxStationCount) {
      error(0, std::to_string(out_.stations.size()) + " stations; a database holds at most 10000");
    }
    if (out_.trains.size() > kMaxTrainCount) {
      error(0, std::to_string(out_.trains.size()) + " trains; a database holds at most 10000");
    }
    // A station left without calls is usually the consequence of an error in
    // a stop line; report it only when nothing else is wrong.
    if (errors_.empty()) {
      for (std::size_t s = 0; s < calledAt_.size(); ++s) {
        if (!calledAt_[s]) error(stationLines_[s], "no train calls at this station");
      }
    }
    std::stable_sort(errors_.begin(), errors_.end(),
                     [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
  }

  Timetable& out_;
  std::vector<Diagnostic> errors_;
  std::map<std::string, Declared> names_;   // UTF-8 name -> first station of that name
  std::map<std::string, Declared> labels_;  // UTF-8 label -> its station
  std::vector<int> stationLines_;
  std::vector<bool> calledAt_;
  std::vector<int> stopLines_;
  int headerLine_ = 0;
  int namesLine_ = 0;
  std::size_t maxNameBytes_ = kMaxShortNameBytes;
  bool stationsOrTrainsSeen_ = false;
  bool inTrain_ = false;
  int trainLine_ = 0;
  bool trainValid_ = true;
  TrainSpec train_;
};

}  // namespace

std::vector<Diagnostic> parseSource(std::string_view text, Timetable& timetable) {
  timetable = Timetable{};
  return Parser(timetable).run(text);
}

}  // namespace murlo::source
