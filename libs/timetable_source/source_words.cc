#include "timetable_source/source_words.h"

#include <cstdio>
#include <optional>
#include <set>

#include "timetable_source/source_lexer.h"
#include "timetable_source/timetable_source.h"

namespace murlo::source {
namespace {

constexpr int32_t kMicro = 1'000'000;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<Rgb> parseRgb(std::string_view token) {
  if (token.size() != 6) return std::nullopt;
  Rgb value = 0;
  for (const char c : token) {
    const int digit = hexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<Rgb>(digit);
  }
  return value;
}

std::string rgbText(Rgb rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(rgb));
  return text;
}

// "-73.937594": degrees with at most six decimals, as microdegrees.
std::optional<int32_t> parseDegrees(std::string_view token, int32_t limit) {
  const bool negative = !token.empty() && token.front() == '-';
  if (negative) token.remove_prefix(1);
  const std::size_t point = token.find('.');
  const std::string_view whole = token.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : token.substr(point + 1);
  if (whole.empty() || whole.size() > 3 || fraction.size() > 6 ||
      (point != std::string_view::npos && fraction.empty()))
    return std::nullopt;
  const auto degrees = parseNumber(whole, 3);
  std::optional<int32_t> micro = fraction.empty() ? 0 : parseNumber(fraction, 6);
  if (!degrees || !micro) return std::nullopt;
  for (std::size_t k = fraction.size(); k < 6; ++k) *micro *= 10;
  const int64_t value = int64_t{*degrees} * kMicro + *micro;
  if (value > limit) return std::nullopt;
  return static_cast<int32_t>(negative ? -value : value);
}

std::string degreesText(int32_t micro) {
  const int64_t magnitude = micro < 0 ? -int64_t{micro} : int64_t{micro};
  char text[24];
  std::snprintf(text, sizeof text, "%s%lld.%06lld", micro < 0 ? "-" : "",
                static_cast<long long>(magnitude / kMicro),
                static_cast<long long>(magnitude % kMicro));
  return text;
}

std::optional<Wheelchair> parseWheelchair(std::string_view token) {
  if (token == "yes") return Wheelchair::kYes;
  if (token == "no") return Wheelchair::kNo;
  return std::nullopt;
}

std::string wheelchairText(Wheelchair wheelchair) {
  return wheelchair == Wheelchair::kYes  ? " wheelchair yes"
         : wheelchair == Wheelchair::kNo ? " wheelchair no"
                                         : "";
}

// Reads `key value` pairs after the fixed tokens; `take` handles one and
// returns its error, "" when right, or nothing for a key it does not know.
template <typename Take>
std::string keyValues(const std::vector<std::string_view>& tokens, std::size_t from,
                      const char* usage, Take take) {
  std::set<std::string_view> seen;
  for (std::size_t i = from; i < tokens.size(); i += 2) {
    if (i + 1 >= tokens.size())
      return "the key '" + excerpt(tokens[i]) + "' has no value (" + usage + ")";
    if (!seen.insert(tokens[i]).second)
      return "the key '" + excerpt(tokens[i]) + "' is given twice";
    const std::optional<std::string> problem = take(tokens[i], tokens[i + 1]);
    if (!problem) return "unknown key '" + excerpt(tokens[i]) + "' (" + usage + ")";
    if (!problem->empty()) return *problem;
  }
  return "";
}

// A line label: one token that is neither quoted nor a keyword.
bool isLabel(std::string_view text) {
  if (text.empty() || text.front() == '"' || text.front() == '#' || isReserved(text)) return false;
  for (const char c : text)
    if (c == ' ' || c == '\t' || static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

}  // namespace

std::optional<std::string> unquoteText(std::string_view token, std::string& error) {
  if (token.size() < 2 || token.front() != '"' || token.back() != '"') {
    error = "expected a quoted text, such as \"125 St\"";
    return std::nullopt;
  }
  const std::string_view inner = token.substr(1, token.size() - 2);
  std::string text;
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '\\') {
      if (i + 1 >= inner.size() || (inner[i + 1] != '"' && inner[i + 1] != '\\')) {
        error = "unknown escape in a quoted text (use \\\" or \\\\)";
        return std::nullopt;
      }
      ++i;
    }
    text += inner[i];
  }
  if (!isWordsText(text)) {
    error = "a quoted text must be UTF-8 without control characters";
    return std::nullopt;
  }
  return text;
}

std::string quoteText(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string parseStationWords(const std::vector<std::string_view>& tokens, StationWords& words) {
  static constexpr const char* kUsage =
      "expected: named STATION \"NAME\" [at LAT,LON] [wheelchair yes|no]";
  if (tokens.empty()) return kUsage;
  std::string error;
  const auto name = unquoteText(tokens[0], error);
  if (!name) return "the name as written: " + error;
  if (name->empty()) return "the name as written is empty";
  words.name = *name;
  return keyValues(tokens, 1, kUsage,
                   [&](std::string_view key, std::string_view value) -> std::optional<std::string> {
                     if (key == "at") {
                       const std::size_t comma = value.find(',');
                       const auto latitude = parseDegrees(value.substr(0, comma), 90 * kMicro);
                       const auto longitude =
                           comma == std::string_view::npos
                               ? std::nullopt
                               : parseDegrees(value.substr(comma + 1), 180 * kMicro);
                       if (!latitude || !longitude)
                         return "the coordinates " + excerpt(value) +
                                " are not LAT,LON in degrees (40.804138,-73.937594)";
                       words.where = GeoPoint{*latitude, *longitude};
                       return "";
                     }
                     if (key == "wheelchair") {
                       const auto wheelchair = parseWheelchair(value);
                       if (!wheelchair) return "wheelchair is yes or no";
                       words.wheelchair = *wheelchair;
                       return "";
                     }
                     return std::nullopt;
                   });
}

std::string stationWordsText(const StationWords& words) {
  std::string text = quoteText(words.name);
  if (words.where) {
    text += " at " + degreesText(words.where->latitude) + "," + degreesText(words.where->longitude);
  }
  return text + wheelchairText(words.wheelchair);
}

std::string parseLine(const std::vector<std::string_view>& tokens, LineWords& line) {
  static constexpr const char* kUsage =
      "expected: line LABEL \"SHORT\" \"LONG\" type N [colour RRGGBB] [text-colour RRGGBB]";
  if (tokens.size() < 4 || tokens[2] != "type") return kUsage;
  std::string error;
  const auto shortName = unquoteText(tokens[0], error);
  if (!shortName) return "the line's short name: " + error;
  const auto longName = unquoteText(tokens[1], error);
  if (!longName) return "the line's long name: " + error;
  const auto type = parseNumber(tokens[3], 5);
  if (!type || *type > 0xFFFF) return "the route type " + excerpt(tokens[3]) + " is not 0 to 65535";
  line.shortName = *shortName;
  line.longName = *longName;
  line.routeType = *type;
  return keyValues(tokens, 4, kUsage,
                   [&](std::string_view key, std::string_view value) -> std::optional<std::string> {
                     if (key != "colour" && key != "text-colour") return std::nullopt;
                     const auto rgb = parseRgb(value);
                     if (!rgb) return "the colour " + excerpt(value) + " is not RRGGBB";
                     (key == "colour" ? line.colour : line.textColour) = *rgb;
                     return "";
                   });
}

std::string lineText(const LineWords& line) {
  std::string text = quoteText(line.shortName) + " " + quoteText(line.longName) + " type " +
                     std::to_string(line.routeType);
  if (line.colour) text += " colour " + rgbText(*line.colour);
  if (line.textColour) text += " text-colour " + rgbText(*line.textColour);
  return text;
}

std::vector<std::string> lineLabels(const std::vector<LineWords>& lines) {
  std::map<std::string, int> uses;
  for (const LineWords& line : lines) ++uses[line.shortName];
  std::vector<std::string> labels;
  std::set<std::string> taken;
  for (const LineWords& line : lines) {
    if (uses[line.shortName] == 1 && isLabel(line.shortName) &&
        line.shortName.find("#") == std::string::npos) {
      labels.push_back(line.shortName);
      taken.insert(line.shortName);
    } else {
      labels.emplace_back();
    }
  }
  int next = 1;
  for (std::string& label : labels) {
    while (label.empty()) {
      std::string candidate = "line#" + std::to_string(next++);
      if (taken.insert(candidate).second) label = candidate;
    }
  }
  return labels;
}

std::string parseTrainWords(const std::vector<std::string_view>& tokens,
                            const std::map<std::string, int32_t, std::less<>>& lines,
                            TrainWords& words) {
  static constexpr const char* kUsage =
      "expected: words [line LABEL] [headsign \"TEXT\"] [direction 0|1] [number \"TEXT\"] "
      "[wheelchair yes|no]";
  return keyValues(tokens, 0, kUsage,
                   [&](std::string_view key, std::string_view value) -> std::optional<std::string> {
                     std::string error;
                     if (key == "line") {
                       const auto found = lines.find(value);
                       if (found == lines.end())
                         return "the line " + excerpt(value) + " is not declared";
                       words.line = found->second;
                     } else if (key == "headsign" || key == "number") {
                       const auto text = unquoteText(value, error);
                       if (!text) return std::string(key) + ": " + error;
                       (key == "headsign" ? words.headsign : words.number) = *text;
                     } else if (key == "direction") {
                       if (value != "0" && value != "1") return "direction is 0 or 1";
                       words.direction = value == "0" ? 0 : 1;
                     } else if (key == "wheelchair") {
                       const auto wheelchair = parseWheelchair(value);
                       if (!wheelchair) return "wheelchair is yes or no";
                       words.wheelchair = *wheelchair;
                     } else {
                       return std::nullopt;
                     }
                     return "";
                   });
}

std::string trainWordsText(const TrainWords& words, const std::vector<std::string>& labels) {
  std::string text = "words";
  if (words.line != kNoLine && static_cast<std::size_t>(words.line) < labels.size())
    text += " line " + labels[static_cast<std::size_t>(words.line)];
  if (!words.headsign.empty()) text += " headsign " + quoteText(words.headsign);
  if (words.direction != kNoDirection) text += " direction " + std::to_string(words.direction);
  if (!words.number.empty()) text += " number " + quoteText(words.number);
  return text + wheelchairText(words.wheelchair);
}

}  // namespace murlo::source
