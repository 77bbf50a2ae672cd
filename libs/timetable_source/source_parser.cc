// Parsing and checking a timetable source.
#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/file_format.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"
#include "timetable_source/source_days.h"
#include "timetable_source/source_fares.h"
#include "timetable_source/source_lexer.h"
#include "timetable_source/source_words.h"
#include "timetable_source/timetable_source.h"

namespace murlo::source {
namespace {

// The file format's limits, as counts of the parsed lists.
constexpr auto kMaxStationCount = static_cast<std::size_t>(kMaxNetworkStations);
constexpr auto kMaxTrainCount = static_cast<std::size_t>(kMaxNetworkTrains);
constexpr auto kMinStopCount = static_cast<std::size_t>(kMinStops);
constexpr auto kMaxStopCount = static_cast<std::size_t>(kMaxStops);
constexpr std::size_t kMaxNumberBytes = kMaxTrainNumberBytes;
constexpr std::size_t kMaxHeaderBytes = kHeaderSize;
constexpr int32_t kLastMinuteOfDay = 24 * 60 - 1;

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
         token == "days" || token == "period" || token == "words" ||
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

// "1 stop", "3 stops".
std::string stopsText(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " stop" : " stops");
}

// Tokens joined by `separator`: how what was written with spaces should be
// written ("Oak Hill" as Oak_Hill).
std::string joined(const std::vector<std::string_view>& tokens, std::size_t begin, std::size_t end,
                   std::string_view separator) {
  std::string text;
  for (std::size_t i = begin; i < end; ++i) {
    if (i > begin) text += separator;
    text += tokens[i];
  }
  return text;
}

// The three codes every train line gives, then its optional label.
constexpr std::string_view kTrainKeys[] = {"class", "columns", "rate", "as"};
constexpr int kLabelKey = 3;

// The key's place in kTrainKeys, or -1.
int trainKey(std::string_view token) {
  for (int k = 0; k < 4; ++k) {
    if (token == kTrainKeys[k]) return k;
  }
  return -1;
}

// The marker after a stop line's distance that restricts its call.
struct CallMarker {
  std::string_view word;
  CallRule rule;
};
constexpr CallMarker kCallMarkers[] = {
    {"board-only", {true, false}},
    {"alight-only", {false, true}},
    {"no-service", {false, false}},
};

std::optional<CallRule> callMarker(std::string_view token) {
  for (const CallMarker& marker : kCallMarkers) {
    if (marker.word == token) return marker.rule;
  }
  return std::nullopt;
}

// The lines that say what the seven sections cannot (docs/timetable-source.md).
bool isNetworkKeyword(std::string_view token) {
  return token == "group" || token == "walk" || token == "transfer" || token == "change" ||
         token == "named" || token == "line" || isFareKeyword(token);
}

// Reads a whole source, reporting every error that stands on its own: a line
// goes on being checked after its first error, and a line that depends on a
// broken one (a stop at a station whose line was refused, the stops of a
// train whose line was wrong) is checked for what it says itself, so that
// one slip gives one error.
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
  // One stop line of the train being read; a field that is wrong is unknown.
  struct StopLine {
    int line = 0;
    std::optional<int32_t> station;
    std::optional<int32_t> arrival;  // -1 for '-'
    std::optional<int32_t> departure;
    std::optional<int32_t> km;
    CallRule rule;
    std::string platform;  // "" where the line gives none
  };

  // A transfer's train, named by its numbers or its label: resolved once
  // every train is read, as trains may follow the line.
  struct PendingTrain {
    std::size_t transfer;  // index in network_.transfers
    bool fromTrain;        // else the train boarded
    std::string name;
    int line;
  };

  struct Declared {
    int32_t index;
    int line;
  };

  void error(int line, std::string message) { errors_.push_back({line, std::move(message)}); }
  void warning(int line, std::string message) {
    if (warnings_ != nullptr) warnings_->push_back({line, std::move(message)});
  }

  void line(int number, std::string_view text) {
    if (number == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // BOM
    std::string lexError;
    const std::vector<std::string_view> tokens = tokenize(text, lexError);
    if (!lexError.empty()) {
      if (inTrain_) stopLinesWellFormed_ = false;
      return error(number, lexError);
    }
    if (tokens.empty()) return;
    const std::string_view keyword = tokens[0];
    if (keyword == "end") return endTrain(number, tokens);
    if (keyword == "train") return startTrain(number, tokens);
    // A network line ends a train that lacks its end, unless a station of
    // that name makes it a stop line.
    const bool networkLine =
        isNetworkKeyword(keyword) && (!inTrain_ || findStation(std::string(keyword)) == nullptr);
    if (inTrain_) {
      if (keyword == "days") return days(number, tokens);
      if (keyword == "route" && findStation("route") == nullptr) {
        return fares_.trainRoute(number, tokens, out_.trains.size());
      }
      if (keyword == "words") return trainWords(number, tokens);
      if (keyword != "station" && keyword != "header" && keyword != "period" && !networkLine) {
        return stop(number, tokens);
      }
      closeTrain(false);
    }
    if (keyword == "period") return period(number, tokens);
    if (keyword == "days") return error(number, "a days line belongs inside a train");
    if (keyword == "station") return station(number, tokens);
    if (keyword == "header") return header(number, tokens);
    if (keyword == "names") return names(number, tokens);
    if (keyword == "group") return group(number, tokens);
    if (keyword == "walk") return walk(number, tokens);
    if (keyword == "transfer") return transfer(number, tokens);
    if (keyword == "change") return change(number, tokens);
    if (isFareKeyword(keyword)) return fares_.line(number, tokens);
    if (keyword == "named") return named(number, tokens);
    if (keyword == "line") return lineWords(number, tokens);
    if (keyword == "words") return error(number, "a words line belongs inside a train");
    error(number, "unknown keyword '" + excerpt(keyword) +
                      "' (expected header, names, period, station, train, end, group, walk, "
                      "transfer, change, named, line, tariff, route, zone, fare or fare-rule)");
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

  // period FIRST LAST [zone NAME] [sections DATE]: the days the timetable
  // covers, the time zone of its times and the day the seven sections hold.
  void period(int number, const std::vector<std::string_view>& tokens) {
    if (periodLine_ != 0) {
      return error(number,
                   "a second period (the first is on line " + std::to_string(periodLine_) + ")");
    }
    periodLine_ = number;
    if (trainsSeen_) error(number, "the period must come before the trains");
    static constexpr const char* kUsage =
        "expected: period FIRST LAST [zone NAME] [sections DATE], dates as YYYY-MM-DD";
    if (tokens.size() < 3) return error(number, kUsage);
    const auto first = isoDateOf(tokens[1]);
    const auto last = isoDateOf(tokens[2]);
    if (!first) error(number, "'" + excerpt(tokens[1]) + "' is not a date (YYYY-MM-DD)");
    if (!last) error(number, "'" + excerpt(tokens[2]) + "' is not a date (YYYY-MM-DD)");
    ServiceCalendar calendar;
    std::optional<CivilDay> sections;
    for (std::size_t i = 3; i < tokens.size(); i += 2) {
      if (i + 1 >= tokens.size() || (tokens[i] != "zone" && tokens[i] != "sections")) {
        return error(number, kUsage);
      }
      if (tokens[i] == "zone") {
        calendar.timeZone = std::string(tokens[i + 1]);
        const bool printable = std::all_of(calendar.timeZone.begin(), calendar.timeZone.end(),
                                           [](char c) { return c > ' ' && c < 0x7F; });
        if (!printable || calendar.timeZone.size() > 255) {
          error(number, "the time zone is not a name of printable ASCII (Asia/Shanghai)");
        }
      } else {
        sections = isoDateOf(tokens[i + 1]);
        if (!sections) error(number, "'" + excerpt(tokens[i + 1]) + "' is not a date (YYYY-MM-DD)");
      }
    }
    if (!first || !last) return;
    const int64_t days = int64_t{*last} - *first + 1;
    if (days < 1 || days > kMaxCalendarDays) {
      return error(number, "a period runs 1 to " + std::to_string(kMaxCalendarDays) +
                               " days; this one " + std::to_string(days));
    }
    calendar.firstDay = *first;
    calendar.dayCount = static_cast<int32_t>(days);
    if (sections) {
      if (*sections < *first || *sections > *last) {
        return error(number, "the sections' day lies outside the period");
      }
      calendar.sectionsDay = *sections - *first;
    }
    calendar_ = std::move(calendar);
  }

  // days ...: the days of the period the train being read runs
  // (source_days.h).
  void days(int number, const std::vector<std::string_view>& tokens) {
    if (daysLine_ != 0) {
      return error(number, "a second days line for this train (the first is on line " +
                               std::to_string(daysLine_) + ")");
    }
    daysLine_ = number;
    if (!calendar_) {
      if (periodLine_ == 0) error(number, "a days line needs a period line before the trains");
      return;
    }
    std::string problem;
    trainDays_ = parseDays(std::span<const std::string_view>(tokens).subspan(1),
                           calendar_->firstDay, calendar_->dayCount, problem);
    if (!trainDays_) error(number, "days: " + problem);
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

  // GBK of a name, or nothing with an error reported that names the
  // character at fault.
  std::optional<std::string> stationName(int number, std::string_view name) {
    std::u16string units;
    std::string gbk;
    if (!utf8ToUtf16(name, units)) {
      error(number, "the station name is not valid UTF-8");
      return std::nullopt;
    }
    if (!utf16ToGbk(units, gbk)) {
      error(number, "the station name " + excerpt(name) + " holds " +
                        excerpt(firstCharacterNotInGbk(name)) +
                        ", a character that code page 936 cannot represent");
      return std::nullopt;
    }
    if (gbk.size() > maxNameBytes_) {
      error(number,
            "the station name " + excerpt(name) + " is " + std::to_string(gbk.size()) +
                " bytes in GBK; at most " + std::to_string(maxNameBytes_) + " fit" +
                (maxNameBytes_ < kMaxLongNameBytes ? " (up to 100 after 'names long')" : ""));
      return std::nullopt;
    }
    for (std::size_t i = 0; i < name.size();) {
      const std::size_t begin = i;
      decodeUtf8At(name, i);
      const std::string_view character = name.substr(begin, i - begin);
      units.clear();
      std::string bytes;
      utf8ToUtf16(character, units);
      utf16ToGbk(units, bytes);
      for (const char byte : bytes) {
        if (!encodeByte(Section::kStations, static_cast<uint8_t>(byte))) {
          error(number, "the station name " + excerpt(name) + " holds " + excerpt(character) +
                            ", a character a database file cannot store");
          return std::nullopt;
        }
      }
    }
    return gbk;
  }

  // station NAME ABBREVIATION [as LABEL]. Every part is checked; the station
  // is declared even when its name or abbreviation is wrong, so that the
  // stop lines naming it report only their own errors.
  void station(int number, const std::vector<std::string_view>& tokens) {
    stationsOrTrainsSeen_ = true;
    static constexpr const char* kUsage = "expected: station NAME ABBREVIATION [as LABEL]";
    const std::size_t count = tokens.size();
    const bool labelled = count >= 5 && tokens[count - 2] == "as";
    const std::size_t abbreviationAt = labelled ? count - 3 : count - 1;
    bool strayAs = false;  // 'as' where no label can follow
    for (std::size_t i = 2; i < count; ++i) {
      strayAs = strayAs || (tokens[i] == "as" && !(labelled && i == count - 2));
    }
    if (count < 3 || strayAs) {
      if (count >= 2) refused_.insert(std::string(tokens[1]));
      return error(number, kUsage);
    }
    // Words before the abbreviation are a name written with spaces.
    const std::string nameKey = joined(tokens, 1, abbreviationAt, "_");
    if (abbreviationAt > 2) {
      error(number, "a station name cannot hold spaces: write " + excerpt(nameKey) +
                        " (a _ for each space)");
    }
    const std::string reference = labelled ? std::string(tokens[count - 1]) : nameKey;
    if (isReserved(nameKey) || (labelled && isReserved(reference))) {
      refused_.insert(nameKey);
      refused_.insert(reference);
      error(number,
            "a station name or label cannot be a keyword (header, station, "
            "train, end) or begin with # or \"");
    }
    const auto name = stationName(number, nameKey);
    const std::string_view abbreviation = tokens[abbreviationAt];
    if (!isAbbreviation(abbreviation)) {
      error(number,
            "the abbreviation " + excerpt(abbreviation) + " must be ASCII letters and digits");
    } else if (std::any_of(abbreviation.begin(), abbreviation.end(),
                           [](char c) { return c >= 'a' && c <= 'z'; })) {
      std::string capitals(abbreviation);
      for (char& c : capitals) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      warning(number, "the abbreviation " + std::string(abbreviation) +
                          " has lower-case letters; abbreviations are looked up as typed, "
                          "in capitals (" +
                          capitals + ")");
    }
    if (refused_.count(reference) != 0) return;
    if (const auto seen = names_.find(nameKey); seen != names_.end() && !labelled) {
      return error(number, "the station " + excerpt(nameKey) + " is already declared on line " +
                               std::to_string(seen->second.line) +
                               "; declare another station of that name with 'as LABEL'");
    }
    if (labelled) {
      if (names_.count(reference) != 0 || labels_.count(reference) != 0) {
        return error(number,
                     "the label " + excerpt(reference) + " is already a station name or label");
      }
    } else if (labels_.count(reference) != 0) {
      return error(number,
                   "the station name " + excerpt(reference) + " is already used as a label");
    }
    const auto index = static_cast<int32_t>(out_.stations.size());
    (labelled ? labels_ : names_).emplace(reference, Declared{index, number});
    if (labelled && names_.count(nameKey) == 0) names_.emplace(nameKey, Declared{index, number});
    out_.stations.push_back({name.value_or(""), std::string(abbreviation)});
    stationLines_.push_back(number);
    stationReferences_.push_back(reference);
    calledAt_.push_back(false);
  }

  // The station a stop line names, by label first.
  const Declared* findStation(const std::string& reference) const {
    const Declared* declared = find(labels_, reference);
    return declared != nullptr ? declared : find(names_, reference);
  }

  void startTrain(int number, const std::vector<std::string_view>& tokens) {
    stationsOrTrainsSeen_ = true;
    trainsSeen_ = true;
    if (inTrain_) closeTrain(false);
    inTrain_ = true;
    trainLine_ = number;
    train_ = TrainSpec{};
    trainValid_ = true;
    stopLinesWellFormed_ = true;
    lastLineMisspeltEnd_ = false;
    stopLines_.clear();
    static constexpr const char* kUsage =
        "expected: train NUMBERS class C columns F rate R [as LABEL]";
    // The numbers: the token after 'train', and any more tokens like numbers
    // before the first key (numbers written with spaces).
    std::size_t firstKey = 1;
    if (firstKey < tokens.size() && trainKey(tokens[firstKey]) < 0) ++firstKey;
    while (firstKey < tokens.size() && trainKey(tokens[firstKey]) < 0 &&
           isTrainNumbers(tokens[firstKey])) {
      ++firstKey;
    }
    if (firstKey == 1) {
      trainValid_ = false;
      error(number, std::string("the train line lacks its numbers (") + kUsage + ")");
    } else if (firstKey > 2) {
      trainValid_ = false;
      error(number, "train numbers cannot hold spaces: write " +
                        excerpt(joined(tokens, 1, firstKey, "/")) + " for " +
                        std::to_string(firstKey - 1) + " numbers or " +
                        excerpt(joined(tokens, 1, firstKey, "")) + " for one");
    } else if (!isTrainNumbers(tokens[1])) {
      trainValid_ = false;
      error(number, "the train number " + excerpt(tokens[1]) +
                        " must be capital letters and digits without O, numbers joined by /");
    } else if (tokens[1].size() > kMaxNumberBytes) {
      trainValid_ = false;
      error(number, "the train numbers " + excerpt(tokens[1]) + " are longer than 19 bytes");
    }
    train_.number = joined(tokens, 1, firstKey, "/");
    trainLabel_.clear();
    bool seen[4] = {false, false, false, false};
    bool unknownKey = false;
    for (std::size_t i = firstKey; i < tokens.size();) {
      const std::string_view key = tokens[i];
      const int which = trainKey(key);
      const bool hasValue = i + 1 < tokens.size() && trainKey(tokens[i + 1]) < 0;
      if (which < 0) {
        trainValid_ = false;
        unknownKey = true;
        error(number, "unknown key '" + excerpt(key) + "' (expected class, columns, rate, as)");
        i += hasValue ? 2 : 1;  // its value goes with it
        continue;
      }
      if (!hasValue) {
        trainValid_ = false;
        error(number, "the key '" + std::string(key) + "' has no value (" + kUsage + ")");
        seen[which] = true;
        ++i;
        continue;
      }
      const std::string_view value = tokens[i + 1];
      i += 2;
      if (seen[which]) {
        trainValid_ = false;
        error(number, "the key '" + std::string(key) + "' is given twice");
        continue;
      }
      seen[which] = true;
      if (which == kLabelKey) {
        // A label names a train whose numbers another train shares.
        if (isTrainNumbers(value) || isReserved(value)) {
          error(number, "the train label " + excerpt(value) +
                            " reads as train numbers or a keyword; a label holds another "
                            "character, such as K1#2");
        } else {
          trainLabel_ = std::string(value);
        }
        continue;
      }
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
    // A misspelt key is reported as unknown; the key it stood for is then
    // not reported missing as well.
    for (int which = 0; which < 3; ++which) {
      if (seen[which]) continue;
      trainValid_ = false;
      if (unknownKey) continue;
      error(number, "the train line lacks the key '" + std::string(kTrainKeys[which]) + "' (" +
                        kUsage + ")");
    }
  }

  // STATION ARRIVAL DEPARTURE KM; each field is checked on its own.
  void stop(int number, std::vector<std::string_view> tokens) {
    StopLine parsed;
    parsed.line = number;
    lastLineMisspeltEnd_ = false;
    if (tokens.size() > 5 && tokens[tokens.size() - 2] == "platform") {
      std::string problem;
      if (const auto platform = unquoteText(tokens.back(), problem)) {
        if (platform->size() > 0xFF) error(number, "a platform holds at most 255 bytes");
        parsed.platform = *platform;
      } else {
        error(number, "the platform: " + problem);
      }
      tokens.resize(tokens.size() - 2);
    }
    if (tokens.size() > 4) {
      if (const auto rule = callMarker(tokens.back())) {
        parsed.rule = *rule;
        tokens.pop_back();
      }
    }
    std::size_t timesAt = 1;
    if (tokens.size() > 4) {
      // A station name written with spaces: "Oak Hill 08:00 08:02 5".
      const std::string name = joined(tokens, 0, tokens.size() - 3, "_");
      if (const Declared* declared = findStation(name)) {
        error(number, "a station name cannot hold spaces: write " + excerpt(name));
        parsed.station = declared->index;
        timesAt = tokens.size() - 3;
      } else if (refused_.count(name) != 0) {
        timesAt = tokens.size() - 3;
      }
    }
    if (timesAt == 1 && tokens.size() != 4) {
      // Not a stop line at all, perhaps a misspelt keyword: its place in the
      // train is unknown, so the stop count and which stop is first or last
      // are not judged.
      stopLinesWellFormed_ = false;
      if (tokens.size() == 1) {
        // Most likely a misspelt 'end': the train's missing end is not
        // reported as well.
        lastLineMisspeltEnd_ = true;
        return error(number, "unknown keyword '" + excerpt(tokens[0]) +
                                 "' (expected a stop: STATION ARRIVAL DEPARTURE KM, or end)");
      }
      return error(number,
                   "expected a stop: STATION ARRIVAL DEPARTURE KM [board-only|alight-only|"
                   "no-service]");
    }
    if (timesAt == 1) {
      const std::string reference(tokens[0]);
      if (const Declared* declared = findStation(reference)) {
        parsed.station = declared->index;
      } else if (refused_.count(reference) == 0) {
        error(number, "the station " + excerpt(reference) + " is not declared");
      }
    }
    const auto time = [&](std::string_view token, const char* what) -> std::optional<int32_t> {
      if (token == "-") return -1;
      const auto minutes = parseTime(token);
      if (!minutes) {
        error(number, std::string("the ") + what + " " + excerpt(token) +
                          " is not a time HH:MM from 00:00 to 23:59");
      }
      return minutes;
    };
    parsed.arrival = time(tokens[timesAt], "arrival");
    parsed.departure = time(tokens[timesAt + 1], "departure");
    parsed.km = parseNumber(tokens[timesAt + 2], 4);
    if (!parsed.km) {
      error(number, "the distance " + excerpt(tokens[timesAt + 2]) + " is not 0 to 9999 km");
    }
    if (parsed.station) calledAt_[static_cast<std::size_t>(*parsed.station)] = true;
    stopLines_.push_back(parsed);
  }

  // named STATION "NAME" [at LAT,LON] [wheelchair yes|no]: the station's
  // name as written, where it lies and its access.
  void named(int number, const std::vector<std::string_view>& tokens) {
    if (tokens.size() < 3) return error(number, "expected: named STATION \"NAME\" [at LAT,LON]");
    const std::optional<StationIndex> station = stationAt(number, tokens[1]);
    StationWords words;
    const std::string problem =
        parseStationWords(std::vector<std::string_view>(tokens.begin() + 2, tokens.end()), words);
    if (!problem.empty()) return error(number, problem);
    if (!station) return;
    if (const auto [seen, added] = namedLines_.emplace(station->value(), number); !added) {
      return error(number, "the station " + excerpt(tokens[1]) + " is already named on line " +
                               std::to_string(seen->second));
    }
    words.station = *station;
    network_.words.stations.push_back(std::move(words));
  }

  // line LABEL "SHORT" "LONG" type N [colour RRGGBB] [text-colour RRGGBB].
  void lineWords(int number, const std::vector<std::string_view>& tokens) {
    if (tokens.size() < 2) {
      return error(number, "expected: line LABEL \"SHORT\" \"LONG\" type N [colour RRGGBB]");
    }
    LineWords line;
    const std::string problem =
        parseLine(std::vector<std::string_view>(tokens.begin() + 2, tokens.end()), line);
    if (!problem.empty()) return error(number, problem);
    const auto index = static_cast<int32_t>(network_.words.lines.size());
    if (!lineLabels_.emplace(std::string(tokens[1]), index).second) {
      return error(number, "the line " + excerpt(tokens[1]) + " is already declared");
    }
    network_.words.lines.push_back(std::move(line));
  }

  // words ...: the train's line, headsign, direction, number and access.
  void trainWords(int number, const std::vector<std::string_view>& tokens) {
    if (trainWordsLine_ != 0) {
      return error(number, "a second words line in a train (the first is on line " +
                               std::to_string(trainWordsLine_) + ")");
    }
    trainWordsLine_ = number;
    TrainWords words;
    const std::string problem = parseTrainWords(
        std::vector<std::string_view>(tokens.begin() + 1, tokens.end()), lineLabels_, words);
    if (!problem.empty()) return error(number, problem);
    trainWords_ = std::move(words);
  }

  void endTrain(int number, const std::vector<std::string_view>& tokens) {
    if (!inTrain_) return error(number, "'end' without a train");
    if (tokens.size() != 1) error(number, "'end' takes nothing after it");
    closeTrain(true);
  }

  // The station a network line names, or nothing with an error (unless its
  // line was refused, which was reported there).
  std::optional<StationIndex> stationAt(int number, std::string_view token) {
    const std::string reference(token);
    if (const Declared* declared = findStation(reference)) return StationIndex(declared->index);
    if (refused_.count(reference) == 0) {
      error(number, "the station " + excerpt(reference) + " is not declared");
    }
    return std::nullopt;
  }

  // Minutes of a group, walk, transfer or change time: 0 to 1439.
  std::optional<int32_t> minutesAt(int number, std::string_view token) {
    const auto minutes = parseNumber(token, 4);
    if (!minutes || *minutes > kLastMinuteOfDay) {
      error(number, "the minutes " + excerpt(token) + " are not 0 to 1439");
      return std::nullopt;
    }
    return minutes;
  }

  // GBK of a group's name, checked as a station name is but for the bytes
  // that only the sections cannot store.
  std::optional<std::string> groupName(int number, std::string_view name) {
    if (name.front() == '"') {
      // A quoted token may hold spaces, which no name does.
      error(number, "a group name cannot begin with \"");
      return std::nullopt;
    }
    std::u16string units;
    std::string gbk;
    if (!utf8ToUtf16(name, units)) {
      error(number, "the group name is not valid UTF-8");
      return std::nullopt;
    }
    if (!utf16ToGbk(units, gbk)) {
      error(number, "the group name " + excerpt(name) + " holds " +
                        excerpt(firstCharacterNotInGbk(name)) +
                        ", a character that code page 936 cannot represent");
      return std::nullopt;
    }
    if (gbk.size() > maxNameBytes_) {
      error(number, "the group name " + excerpt(name) + " is " + std::to_string(gbk.size()) +
                        " bytes in GBK; at most " + std::to_string(maxNameBytes_) + " fit");
      return std::nullopt;
    }
    return gbk;
  }

  // group complex|city NAME MINUTES STATION STATION ...
  void group(int number, const std::vector<std::string_view>& tokens) {
    if (tokens.size() < 4) {
      return error(number, "expected: group complex|city NAME MINUTES STATION STATION ...");
    }
    StationGroup group;
    bool valid = true;
    if (tokens[1] == "complex") {
      group.kind = GroupKind::kComplex;
    } else if (tokens[1] == "city") {
      group.kind = GroupKind::kCity;
    } else {
      valid = false;
      error(number, "the group kind " + excerpt(tokens[1]) + " is not complex or city");
    }
    if (const auto name = groupName(number, tokens[2])) {
      group.name = *name;
      const auto [seen, added] = groupNames_.emplace(*name, number);
      if (!added) {
        valid = false;
        error(number, "a second group named " + excerpt(tokens[2]) + " (the first is on line " +
                          std::to_string(seen->second) + ")");
      }
    } else {
      valid = false;
    }
    if (const auto minutes = minutesAt(number, tokens[3])) {
      group.minutes = *minutes;
    } else {
      valid = false;
    }
    for (std::size_t i = 4; i < tokens.size(); ++i) {
      const auto member = stationAt(number, tokens[i]);
      if (!member) {
        valid = false;
      } else if (std::find(group.members.begin(), group.members.end(), *member) !=
                 group.members.end()) {
        valid = false;
        error(number, "the group names " + excerpt(tokens[i]) + " twice");
      } else {
        group.members.push_back(*member);
      }
    }
    if (tokens.size() - 4 < 2) {
      valid = false;
      error(number, "the group " + excerpt(tokens[2]) + " has " +
                        (tokens.size() == 5 ? "1 member" : "no member") +
                        "; a group joins two stations or more");
    }
    if (!valid) return;
    network_.groups.push_back(std::move(group));
    groupLines_.push_back(number);
  }

  // walk STATION STATION MINUTES: a minimum-time transfer each way.
  void walk(int number, const std::vector<std::string_view>& tokens) {
    if (tokens.size() != 4) return error(number, "expected: walk STATION STATION MINUTES");
    const auto from = stationAt(number, tokens[1]);
    const auto to = stationAt(number, tokens[2]);
    const auto minutes = minutesAt(number, tokens[3]);
    if (from && to && *from == *to) {
      return error(number,
                   "a walk joins two stations; the time to change within one is 'change "
                   "STATION MINUTES'");
    }
    if (!from || !to || !minutes) return;
    network_.transfers.push_back({*from, *to, TransferKind::kMinimumTime, *minutes});
    network_.transfers.push_back({*to, *from, TransferKind::kMinimumTime, *minutes});
    transferLines_.push_back(number);
    transferLines_.push_back(number);
  }

  // transfer FROM TO MINUTES|timed|forbidden [from-train T] [to-train T]
  void transfer(int number, const std::vector<std::string_view>& tokens) {
    static constexpr const char* kUsage =
        "expected: transfer STATION STATION MINUTES|timed|forbidden [from-train TRAIN] "
        "[to-train TRAIN]";
    if (tokens.size() < 4) return error(number, kUsage);
    Transfer transfer;
    bool valid = true;
    const auto from = stationAt(number, tokens[1]);
    const auto to = stationAt(number, tokens[2]);
    valid = from.has_value() && to.has_value();
    if (tokens[3] == "timed") {
      transfer.kind = TransferKind::kTimed;
    } else if (tokens[3] == "forbidden") {
      transfer.kind = TransferKind::kForbidden;
    } else if (const auto minutes = minutesAt(number, tokens[3])) {
      transfer.minutes = *minutes;
    } else {
      valid = false;
    }
    std::vector<PendingTrain> trains;
    bool seen[2] = {false, false};
    for (std::size_t i = 4; i < tokens.size(); i += 2) {
      const int which = tokens[i] == "from-train" ? 0 : tokens[i] == "to-train" ? 1 : -1;
      if (which < 0 || i + 1 >= tokens.size()) {
        valid = false;
        error(number, which < 0 ? "unknown key '" + excerpt(tokens[i]) +
                                      "' (expected from-train or to-train)"
                                : "the key '" + std::string(tokens[i]) + "' has no value");
        break;
      }
      if (seen[which]) {
        valid = false;
        error(number, "the key '" + std::string(tokens[i]) + "' is given twice");
        continue;
      }
      seen[which] = true;
      trains.push_back({network_.transfers.size(), which == 0, std::string(tokens[i + 1]), number});
    }
    if (!valid) return;
    transfer.from = *from;
    transfer.to = *to;
    network_.transfers.push_back(transfer);
    transferLines_.push_back(number);
    pendingTrains_.insert(pendingTrains_.end(), trains.begin(), trains.end());
  }

  // change STATION MINUTES: the station's own change time.
  void change(int number, const std::vector<std::string_view>& tokens) {
    if (tokens.size() != 3) return error(number, "expected: change STATION MINUTES");
    const auto station = stationAt(number, tokens[1]);
    const auto minutes = minutesAt(number, tokens[2]);
    if (!station || !minutes) return;
    for (std::size_t i = 0; i < network_.changeTimes.size(); ++i) {
      if (network_.changeTimes[i].station == *station) {
        return error(number, "a second change time for " + excerpt(tokens[1]) +
                                 " (the first is on line " + std::to_string(changeLines_[i]) + ")");
      }
    }
    network_.changeTimes.push_back({*station, *minutes});
    changeLines_.push_back(number);
  }

  // Checks the stops of the train being closed (by its 'end' or, in error,
  // by what follows it) and keeps it.
  void closeTrain(bool byEnd) {
    inTrain_ = false;
    const std::string what = "the train " + excerpt(train_.number);
    bool valid = trainValid_ && stopLinesWellFormed_;
    if (!byEnd) {
      if (!lastLineMisspeltEnd_) error(trainLine_, what + " has no 'end'");
      valid = false;
    }
    const std::size_t count = stopLines_.size();
    if (stopLinesWellFormed_ && (count < kMinStopCount || count > kMaxStopCount)) {
      error(trainLine_, what + " has " + stopsText(count) + "; a train has 2 to 100");
      valid = false;
    }
    for (std::size_t k = 0; k < count; ++k) {
      const StopLine& stop = stopLines_[k];
      const bool firstStop = k == 0;
      const bool lastStop = k + 1 == count;
      if (!stop.station || !stop.arrival || !stop.departure || !stop.km) valid = false;
      if (stop.arrival == -1 && !firstStop) {
        error(stop.line, "only the first stop may have no arrival time ('-')");
        valid = false;
      }
      if (stop.departure == -1 && !lastStop) {
        error(stop.line, "only the last stop may have no departure time ('-')");
        valid = false;
      }
      if (k > 0 && stop.km && stopLines_[k - 1].km && *stop.km < *stopLines_[k - 1].km) {
        error(stop.line, "the distance " + std::to_string(*stop.km) +
                             " km is less than the stop before (" +
                             std::to_string(*stopLines_[k - 1].km) + " km)");
        valid = false;
      }
      // A stop longer than half a day is nearly always a slip: arrival and
      // departure swapped, or a wrong hour.
      constexpr int32_t kDay = 24 * 60;
      if (!firstStop && !lastStop && stop.arrival.value_or(-1) >= 0 &&
          stop.departure.value_or(-1) >= 0) {
        const int32_t dwell = (*stop.departure - *stop.arrival + kDay) % kDay;
        if (dwell > kDay / 2) {
          warning(stop.line, what + " stops " + formatTime(dwell) + " hours here (arrives " +
                                 formatTime(*stop.arrival) + ", departs " +
                                 formatTime(*stop.departure) +
                                 " the next day); are the times swapped?");
        }
      }
    }
    if (valid) {
      std::vector<CallRule> rules;
      for (const StopLine& stop : stopLines_) rules.push_back(stop.rule);
      const bool restricted = std::any_of(
          rules.begin(), rules.end(), [](CallRule rule) { return !rule.board || !rule.alight; });
      if (restricted && legacyCalls(rules).empty()) {
        error(trainLine_, what +
                              " offers no ride: no call open for boarding comes before one open "
                              "for alighting");
        valid = false;
      }
    }
    if (valid) {
      for (const StopLine& stop : stopLines_) {
        // '-' is never read: stored as 00:00.
        train_.stops.push_back({*stop.station, std::max(*stop.arrival, 0),
                                std::max(*stop.departure, 0), *stop.km, stop.rule.board,
                                stop.rule.alight});
      }
      warnIfRepeated();
    }
    // A train's words: its words line, and a platform a call where any
    // stop line gives one.
    const bool platforms = std::any_of(stopLines_.begin(), stopLines_.end(),
                                       [](const StopLine& stop) { return !stop.platform.empty(); });
    if (platforms) {
      if (!trainWords_) trainWords_ = TrainWords{};
      for (const StopLine& stop : stopLines_) trainWords_->platforms.push_back(stop.platform);
    }
    if (trainWords_) {
      trainWords_->train = TrainIndex(static_cast<int32_t>(out_.trains.size()));
      network_.words.trains.push_back(std::move(*trainWords_));
    }
    trainWords_.reset();
    trainWordsLine_ = 0;
    out_.trains.push_back(std::move(train_));
    daysOfTrains_.push_back(std::move(trainDays_));
    trainDays_.reset();
    daysLine_ = 0;
    trainLines_.push_back(trainLine_);
    trainLabels_.push_back(std::move(trainLabel_));
    trainLabel_.clear();
    train_ = TrainSpec{};
    stopLines_.clear();
  }

  // A train given twice (the same number, stations and shown times) would
  // be listed twice in every answer: most likely pasted twice.
  void warnIfRepeated() {
    const auto sameRun = [](const TrainSpec& a, const TrainSpec& b) {
      if (a.stops.size() != b.stops.size()) return false;
      for (std::size_t k = 0; k < a.stops.size(); ++k) {
        const StopSpec& x = a.stops[k];
        const StopSpec& y = b.stops[k];
        if (x.station != y.station || (k > 0 && x.arrival != y.arrival) ||
            (k + 1 < a.stops.size() && x.departure != y.departure)) {
          return false;
        }
      }
      return true;
    };
    std::vector<std::size_t>& same = trainsByNumber_[train_.number];
    for (const std::size_t earlier : same) {
      if (sameRun(out_.trains[earlier], train_)) {
        return warning(trainLine_, "the train " + train_.number + " repeats the one on line " +
                                       std::to_string(trainLines_[earlier]) +
                                       " (the same number, stops and times), so it would be "
                                       "listed twice");
      }
    }
    same.push_back(out_.trains.size());
  }

  static const Declared* find(const std::map<std::string, Declared>& map, const std::string& key) {
    const auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
  }

  // A database holds only stations that trains call at (a station's call
  // list cannot be empty): one declared but never called at is left out,
  // with a warning, and the stations after it move up.
  void leaveOutUncalledStations() {
    if (std::all_of(calledAt_.begin(), calledAt_.end(), [](bool called) { return called; })) {
      return;
    }
    std::vector<int32_t>& newIndex = stationRenumbering_;
    newIndex.assign(calledAt_.size(), -1);
    std::vector<StationSpec> kept;
    for (std::size_t s = 0; s < calledAt_.size(); ++s) {
      if (!calledAt_[s]) {
        warning(stationLines_[s], "no train calls at " + excerpt(stationReferences_[s]) +
                                      ", so the database leaves it out");
        continue;
      }
      newIndex[s] = static_cast<int32_t>(kept.size());
      kept.push_back(std::move(out_.stations[s]));
    }
    out_.stations = std::move(kept);
    for (TrainSpec& train : out_.trains) {
      for (StopSpec& stop : train.stops)
        stop.station = newIndex[static_cast<std::size_t>(stop.station)];
    }
    std::vector<int> lines;
    std::vector<std::string> references;
    for (std::size_t s = 0; s < calledAt_.size(); ++s) {
      if (newIndex[s] < 0) continue;
      lines.push_back(stationLines_[s]);
      references.push_back(stationReferences_[s]);
    }
    // A network line naming a station left out names nothing.
    const auto moved = [&](StationIndex& station, int line) {
      const int32_t index = newIndex[station.slot()];
      if (index < 0) {
        error(line, "no train calls at " + excerpt(stationReferences_[station.slot()]) +
                        ", which this line names (the database leaves it out)");
      }
      station = StationIndex(index);
    };
    for (std::size_t g = 0; g < network_.groups.size(); ++g) {
      for (StationIndex& member : network_.groups[g].members) moved(member, groupLines_[g]);
    }
    for (std::size_t t = 0; t < network_.transfers.size(); ++t) {
      moved(network_.transfers[t].from, transferLines_[t]);
      moved(network_.transfers[t].to, transferLines_[t]);
    }
    for (std::size_t c = 0; c < network_.changeTimes.size(); ++c) {
      moved(network_.changeTimes[c].station, changeLines_[c]);
    }
    // The words of a station left out go with it.
    for (StationWords& words : network_.words.stations)
      words.station = StationIndex(newIndex[words.station.slot()]);
    std::erase_if(network_.words.stations,
                  [](const StationWords& words) { return words.station.value() < 0; });
    stationLines_ = std::move(lines);
    stationReferences_ = std::move(references);
  }

  // Resolves the trains that transfer lines name: by label, else by numbers
  // that only one train has.
  void resolveTrains() {
    std::map<std::string, std::vector<std::size_t>> byNumbers;
    std::map<std::string, std::size_t> byLabel;
    for (std::size_t t = 0; t < out_.trains.size(); ++t) {
      byNumbers[out_.trains[t].number].push_back(t);
      if (trainLabels_[t].empty()) continue;
      const auto [seen, added] = byLabel.emplace(trainLabels_[t], t);
      if (!added) {
        error(trainLines_[t], "the train label " + excerpt(trainLabels_[t]) +
                                  " is already given on line " +
                                  std::to_string(trainLines_[seen->second]));
      }
    }
    for (const PendingTrain& pending : pendingTrains_) {
      std::optional<std::size_t> train;
      if (const auto labelled = byLabel.find(pending.name); labelled != byLabel.end()) {
        train = labelled->second;
      } else if (const auto numbered = byNumbers.find(pending.name); numbered == byNumbers.end()) {
        error(pending.line, "the train " + excerpt(pending.name) + " is not declared");
      } else if (numbered->second.size() > 1) {
        error(pending.line, "the train numbers " + excerpt(pending.name) + " name " +
                                std::to_string(numbered->second.size()) + " trains (lines " +
                                std::to_string(trainLines_[numbered->second[0]]) + ", " +
                                std::to_string(trainLines_[numbered->second[1]]) +
                                "); name the one meant by a label given with 'as LABEL'");
      } else {
        train = numbered->second.front();
      }
      if (!train) continue;
      Transfer& transfer = network_.transfers[pending.transfer];
      (pending.fromTrain ? transfer.fromTrain : transfer.toTrain) =
          TrainIndex(static_cast<int32_t>(*train));
    }
  }

  // The sections hold no call-list entry for a station that only calls
  // they leave out serve (restricted calls), and an entry cannot be empty,
  // so such stations must come after every station the sections serve.
  // With more trains or stations than the sections index, the sections
  // hold the first of each (sectionsShare) and the rest go to block 9.
  void checkStationOrder() {
    const SectionsShare share = sectionsShare(out_.stations, out_.trains, network_.calendar);
    const bool split = share.trains < out_.trains.size() || share.stations < out_.stations.size();
    std::vector<bool> served(share.stations, false);
    for (std::size_t t = 0; t < share.trains; ++t) {
      const TrainSpec& train = out_.trains[t];
      std::vector<CallRule> rules;
      bool open = true;
      for (const StopSpec& stop : train.stops) {
        rules.push_back({stop.board, stop.alight});
        open = open && stop.board && stop.alight;
      }
      const std::vector<bool> kept =
          open ? std::vector<bool>(rules.size(), true) : legacyCalls(rules);
      for (std::size_t k = 0; k < kept.size(); ++k) {
        if (kept[k]) served[static_cast<std::size_t>(train.stops[k].station)] = true;
      }
    }
    const auto last = std::find(served.rbegin(), served.rend(), true);
    if (last == served.rend()) return;
    const auto lastServed = static_cast<std::size_t>(served.rend() - last - 1);
    for (std::size_t s = 0; s < lastServed; ++s) {
      if (served[s]) continue;
      error(stationLines_[s],
            std::string(split ? "only restricted calls or trains after the sections' own serve "
                              : "only restricted calls (board-only, alight-only, no-service) "
                                "serve ") +
                excerpt(stationReferences_[s]) +
                ", which the seven sections leave out: declare it after every station they "
                "serve (after " +
                excerpt(stationReferences_[lastServed]) + " on line " +
                std::to_string(stationLines_[lastServed]) + ")");
    }
  }

  void finish() {
    // A station left without calls is usually the consequence of an error in
    // a stop line; it is judged only when nothing else is wrong.
    resolveTrains();
    if (errors_.empty()) leaveOutUncalledStations();
    std::stable_sort(
        network_.changeTimes.begin(), network_.changeTimes.end(),
        [](const ChangeTime& a, const ChangeTime& b) { return a.station < b.station; });
    std::stable_sort(
        network_.words.stations.begin(), network_.words.stations.end(),
        [](const StationWords& a, const StationWords& b) { return a.station < b.station; });
    if (calendar_) {
      // Each train's days, every pattern once, in the order trains first
      // run on it.
      const DayPattern everyDay = [&] {
        DayPattern all = DayPattern::none(calendar_->dayCount);
        for (int32_t d = 0; d < calendar_->dayCount; ++d) all.set(d);
        return all;
      }();
      // Each pattern's place, by its bytes: a file may hold many trains and
      // many patterns.
      std::unordered_map<std::string, uint32_t> placeOf;
      for (const std::optional<DayPattern>& days : daysOfTrains_) {
        const DayPattern& pattern = days ? *days : everyDay;
        const auto [at, added] =
            placeOf.try_emplace(std::string(pattern.bits.begin(), pattern.bits.end()),
                                static_cast<uint32_t>(calendar_->patterns.size()));
        if (added) calendar_->patterns.push_back(pattern);
        calendar_->trainPatterns.push_back(at->second);
      }
      network_.calendar = std::move(*calendar_);
    }
    network_.fares = fares_.finish(stationRenumbering_, out_.stations.size(), out_.trains.size());
    if (out_.stations.size() > kMaxStationCount) {
      error(0, std::to_string(out_.stations.size()) + " stations; a database holds at most " +
                   std::to_string(kMaxStationCount));
    }
    if (out_.trains.size() > kMaxTrainCount) {
      error(0, std::to_string(out_.trains.size()) + " trains; a database holds at most " +
                   std::to_string(kMaxTrainCount));
    }
    if (errors_.empty()) checkStationOrder();
    out_.network = std::move(network_);
    const auto byLine = [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; };
    std::stable_sort(errors_.begin(), errors_.end(), byLine);
    if (warnings_ != nullptr) std::stable_sort(warnings_->begin(), warnings_->end(), byLine);
  }

  Timetable& out_;
  std::vector<Diagnostic>* warnings_;
  std::vector<Diagnostic> errors_;
  std::map<std::string, Declared> names_;   // UTF-8 name -> first station of that name
  std::map<std::string, Declared> labels_;  // UTF-8 label -> its station
  std::set<std::string> refused_;           // names and labels of station lines refused whole
  std::vector<int> stationLines_;
  std::vector<std::string> stationReferences_;  // how stop lines name each station
  std::vector<bool> calledAt_;
  std::map<std::string, std::vector<std::size_t>> trainsByNumber_;  // well-formed trains
  std::vector<int> trainLines_;
  std::vector<std::string> trainLabels_;   // per train: its label, or ""
  NetworkSpec network_;                    // stations as declared until the end
  std::vector<int> groupLines_;            // per group
  std::vector<int> transferLines_;         // per transfer
  std::vector<int> changeLines_;           // per change time
  std::map<std::string, int> groupNames_;  // GBK name -> its line
  std::vector<PendingTrain> pendingTrains_;
  // Tariff and fare lines; a train's route line names the train being read.
  FareLines fares_{[this](int line, std::string message) { error(line, std::move(message)); },
                   [this](int line, std::string_view token) { return stationAt(line, token); }};
  std::vector<int32_t> stationRenumbering_;  // when stations are left out: declared -> kept
  std::map<std::string, int32_t, std::less<>> lineLabels_;  // label -> index of the lines
  std::map<int32_t, int> namedLines_;                       // station as declared -> its named line
  std::optional<TrainWords> trainWords_;                    // the train being read's
  int trainWordsLine_ = 0;
  int headerLine_ = 0;
  int namesLine_ = 0;
  int periodLine_ = 0;
  bool trainsSeen_ = false;
  std::optional<ServiceCalendar> calendar_;              // the period's, without its patterns
  std::vector<std::optional<DayPattern>> daysOfTrains_;  // per train; none: every day
  std::optional<DayPattern> trainDays_;                  // the train being read's
  int daysLine_ = 0;
  std::size_t maxNameBytes_ = kMaxShortNameBytes;
  bool stationsOrTrainsSeen_ = false;
  // The train being read.
  bool inTrain_ = false;
  int trainLine_ = 0;
  bool trainValid_ = true;            // its train line is right
  bool stopLinesWellFormed_ = true;   // every line since is a stop line
  bool lastLineMisspeltEnd_ = false;  // the last line is one word, not a stop
  std::vector<StopLine> stopLines_;
  TrainSpec train_;
  std::string trainLabel_;
};

}  // namespace

std::vector<Diagnostic> parseSource(std::string_view text, Timetable& timetable,
                                    std::vector<Diagnostic>* warnings) {
  timetable = Timetable{};
  if (warnings != nullptr) warnings->clear();
  return Parser(timetable, warnings).run(text);
}

}  // namespace murlo::source
