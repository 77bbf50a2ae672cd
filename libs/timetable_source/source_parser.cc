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

// The class codes and their names, as result lines show them.
struct NamedCode {
  char code;
  std::string_view name;
};
constexpr NamedCode kClassNames[] = {
    {'1', "特快"},     {'2', "快速"},     {'3', "普快"},     {'4', "普慢"},
    {'6', "空调特快"}, {'7', "空调快速"}, {'8', "空调普快"}, {'9', "空调普慢"},
    {'0', "动车组"},   {'A', "城际高速"}, {'B', "高速动车"},
};
// The fare columns, by their bit of the column code.
constexpr NamedCode kColumnNames[] = {
    {8, "hard-seat"}, {4, "soft-seat"}, {2, "hard-sleeper"}, {1, "soft-sleeper"}};

// A class code, or a class name (空调特快).
std::optional<char> classCodeOf(std::string_view v) {
  if (v.size() == 1 && kClassCodes.find(v[0]) != std::string_view::npos) {
    return v[0];
  }
  for (const NamedCode& named : kClassNames) {
    if (named.name == v) return named.code;
  }
  return std::nullopt;
}

// A fare-column code, or the offered columns by name joined by commas
// (hard-seat,soft-seat).
std::optional<char> columnCodeOf(std::string_view v) {
  if (v.size() == 1 && kFareColumnCodes.find(v[0]) != std::string_view::npos) {
    return v[0];
  }
  int bits = 0;
  std::size_t begin = 0;
  while (begin <= v.size()) {
    std::size_t end = v.find(',', begin);
    if (end == std::string_view::npos) end = v.size();
    const std::string_view name = v.substr(begin, end - begin);
    int bit = 0;
    for (const NamedCode& named : kColumnNames) {
      if (named.name == name) bit = named.code;
    }
    if (bit == 0 || (bits & bit) != 0) return std::nullopt;
    bits |= bit;
    begin = end + 1;
  }
  return "0123456789ABCDEF"[bits];
}

// A fare-rate code D to X, or the rate it stands for, 1.00 to 2.00 in steps
// of 0.05 (1.25, 1.5, 2).
std::optional<char> rateCodeOf(std::string_view v) {
  if (v.size() == 1 && v[0] >= kFirstFareRateCode && v[0] <= kLastFareRateCode) return v[0];
  const std::size_t point = v.find('.');
  const std::string_view whole = v.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? "" : v.substr(point + 1);
  if (whole.size() != 1 || fraction.size() > 2 ||
      (point != std::string_view::npos && fraction.empty())) {
    return std::nullopt;
  }
  std::string hundredths(whole);
  hundredths += std::string(fraction) + std::string(2 - fraction.size(), '0');
  const auto value = parseNumber(hundredths, 3);
  if (!value || *value < 100 || *value > 200 || *value % 5 != 0) return std::nullopt;
  return static_cast<char>(kFirstFareRateCode + (*value - 100) / 5);
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
  Parser(Timetable& timetable, std::vector<Diagnostic>* warnings)
      : out_(timetable), warnings_(warnings) {}

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
  void warning(int line, std::string message) {
    if (warnings_ != nullptr) warnings_->push_back({line, std::move(message)});
  }

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
    error(number, "unknown keyword '" + excerpt(keyword) +
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
      error(number, "the station name " + excerpt(token) +
                        " holds a character that code page 936 cannot represent");
      return std::nullopt;
    }
    if (gbk.size() > maxNameBytes_) {
      error(number,
            "the station name " + excerpt(token) + " is " + std::to_string(gbk.size()) +
                " bytes in GBK; at most " + std::to_string(maxNameBytes_) + " fit" +
                (maxNameBytes_ < kMaxLongNameBytes ? " (up to 100 after 'names long')" : ""));
      return std::nullopt;
    }
    for (std::size_t i = 0; i < gbk.size(); ++i) {
      if (!encodeByte(Section::kStations, static_cast<uint8_t>(gbk[i]))) {
        error(number, "the station name " + excerpt(token) +
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
      return error(number,
                   "the abbreviation " + excerpt(tokens[2]) + " must be ASCII letters and digits");
    }
    const std::string_view abbreviation = tokens[2];
    if (std::any_of(abbreviation.begin(), abbreviation.end(),
                    [](char c) { return c >= 'a' && c <= 'z'; })) {
      std::string capitals(abbreviation);
      for (char& c : capitals) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      warning(number, "the abbreviation " + std::string(abbreviation) +
                          " has lower-case letters; abbreviations are looked up as typed, "
                          "in capitals (" +
                          capitals + ")");
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
    static constexpr const char* kUsage = "expected: train NUMBERS class C columns F rate R";
    if (tokens.size() < 2) {
      trainValid_ = false;
      return error(number, kUsage);
    }
    const std::string_view numbers = tokens[1];
    if (!isTrainNumbers(numbers)) {
      trainValid_ = false;
      error(number, "the train number " + excerpt(numbers) +
                        " must be capital letters and digits without O, numbers joined by /");
    } else if (numbers.size() > kMaxNumberBytes) {
      trainValid_ = false;
      error(number, "the train numbers " + excerpt(numbers) + " are longer than 19 bytes");
    }
    train_.number = std::string(numbers);
    static constexpr const char* kKeys[] = {"class", "columns", "rate"};
    bool seen[3] = {false, false, false};
    for (std::size_t i = 2; i < tokens.size(); i += 2) {
      const std::string_view key = tokens[i];
      int which = -1;
      for (int k = 0; k < 3; ++k) {
        if (key == kKeys[k]) which = k;
      }
      if (which < 0) {
        trainValid_ = false;
        error(number, "unknown key '" + excerpt(key) + "' (expected class, columns, rate)");
        continue;
      }
      if (i + 1 == tokens.size()) {
        trainValid_ = false;
        error(number, "the key '" + std::string(key) + "' has no value (" + kUsage + ")");
        seen[which] = true;
        continue;
      }
      const std::string_view value = tokens[i + 1];
      if (seen[which]) {
        trainValid_ = false;
        error(number, "the key '" + std::string(key) + "' is given twice");
        continue;
      }
      seen[which] = true;
      const std::optional<char> code = which == 0   ? classCodeOf(value)
                                       : which == 1 ? columnCodeOf(value)
                                                    : rateCodeOf(value);
      if (!code) {
        trainValid_ = false;
        static constexpr const char* kExpected[] = {
            "one of 1 2 3 4 6 7 8 9 0 A B or a class name such as 空调特快",
            "a hexadecimal digit 1 to F or column names such as hard-seat,soft-seat",
            "a letter D to X or a rate from 1.00 to 2.00 in steps of 0.05"};
        error(number, "the " + std::string(key) + " code " + excerpt(value) + " is not " +
                          kExpected[which]);
        continue;
      }
      (which == 0   ? train_.classCode
       : which == 1 ? train_.fareColumnCode
                    : train_.fareRateCode) = *code;
    }
    for (int which = 0; which < 3; ++which) {
      if (seen[which]) continue;
      trainValid_ = false;
      error(number,
            std::string("the train line lacks the key '") + kKeys[which] + "' (" + kUsage + ")");
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
      return error(number, "the station " + excerpt(reference) + " is not declared");
    }
    StopSpec parsed;
    parsed.station = declared->index;
    const auto time = [&](std::string_view token, const char* what) -> std::optional<int32_t> {
      if (token == "-") return -1;
      const auto minutes = parseTime(token);
      if (!minutes) {
        error(number, std::string("the ") + what + " " + excerpt(token) +
                          " is not a time HH:MM from 00:00 to 23:59");
      }
      return minutes;
    };
    const auto arrival = time(tokens[1], "arrival");
    const auto departure = time(tokens[2], "departure");
    const auto km = parseNumber(tokens[3], 4);
    if (!km) error(number, "the distance " + excerpt(tokens[3]) + " is not 0 to 9999 km");
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
      // A stop longer than half a day is nearly always a slip: arrival and
      // departure swapped, or a wrong hour.
      constexpr int32_t kDay = 24 * 60;
      if (!firstStop && !lastStop && stops[k].arrival >= 0 && stops[k].departure >= 0) {
        const int32_t dwell = (stops[k].departure - stops[k].arrival + kDay) % kDay;
        if (dwell > kDay / 2) {
          warning(line, "the train " + train_.number + " stops " + formatTime(dwell) +
                            " hours here (arrives " + formatTime(stops[k].arrival) + ", departs " +
                            formatTime(stops[k].departure) +
                            " the next day); are the times swapped?");
        }
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
    const auto byLine = [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; };
    std::stable_sort(errors_.begin(), errors_.end(), byLine);
    if (warnings_ != nullptr) std::stable_sort(warnings_->begin(), warnings_->end(), byLine);
  }

  Timetable& out_;
  std::vector<Diagnostic>* warnings_;
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

std::vector<Diagnostic> parseSource(std::string_view text, Timetable& timetable,
                                    std::vector<Diagnostic>* warnings) {
  timetable = Timetable{};
  if (warnings != nullptr) warnings->clear();
  return Parser(timetable, warnings).run(text);
}

}  // namespace murlo::source
