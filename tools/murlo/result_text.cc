#include "result_text.h"

#include <charconv>

namespace murlo::tool {
namespace {

constexpr std::size_t kTrainLineFields = 16;
constexpr std::size_t kStopLineFields = 5;
constexpr std::size_t kJourneyLineFields = 7;
// A journey has at most eight rides (seven changes); a summary line saying
// more is not the library's.
constexpr int kMostRides = 8;

std::vector<std::string> splitFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t bar = line.find('|', begin);
    fields.emplace_back(line.substr(begin, bar - begin));
    if (bar == std::string_view::npos) return fields;
    begin = bar + 1;
  }
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view digits) {
  Number value = 0;
  const char* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  if (digits.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::string trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

template <typename Line>
std::optional<std::vector<Line>> parseLines(std::string_view text,
                                            std::optional<Line> (*parse)(std::string_view)) {
  const auto parts = splitTerminated(text, '*');
  if (!parts) return std::nullopt;
  std::vector<Line> lines;
  for (const std::string& part : *parts) {
    auto line = parse(part);
    if (!line) return std::nullopt;
    lines.push_back(std::move(*line));
  }
  return lines;
}

}  // namespace

std::optional<std::vector<std::string>> splitTerminated(std::string_view text, char terminator) {
  std::vector<std::string> parts;
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t end = text.find(terminator, begin);
    if (end == std::string_view::npos) return std::nullopt;
    parts.emplace_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return parts;
}

std::optional<TrainLine> parseTrainLine(std::string_view line) {
  std::vector<std::string> f = splitFields(line);
  if (f.size() != kTrainLineFields || f[10] != "-") return std::nullopt;
  const auto index = parseNumber<uint32_t>(f[1]);
  if (!index) return std::nullopt;
  TrainLine train;
  train.marker = f[0];
  train.index = *index;
  train.number = f[2];
  train.from = f[3];
  train.departure = f[4];
  train.to = f[5];
  train.arrival = f[6];
  train.firstStation = f[7];
  train.lastStation = f[8];
  train.className = f[9];
  train.journeyTime = f[11];
  for (std::size_t c = 0; c < train.fares.size(); ++c) train.fares[c] = trimmed(f[12 + c]);
  return train;
}

std::optional<StopLine> parseStopLine(std::string_view line) {
  std::vector<std::string> f = splitFields(line);
  if (f.size() != kStopLineFields || (f[0] != ">" && f[0] != " ")) return std::nullopt;
  const auto km = parseNumber<int32_t>(f[4]);
  if (!km) return std::nullopt;
  return StopLine{f[0] == ">", f[1], f[2], f[3], *km};
}

std::optional<int> minutesOf(std::string_view time) {
  if (time.size() != 5 || time[2] != ':') return std::nullopt;
  const auto hours = parseNumber<int>(time.substr(0, 2));
  const auto minutes = parseNumber<int>(time.substr(3, 2));
  if (!hours || !minutes) return std::nullopt;
  return *hours * 60 + *minutes;
}

std::string timeWithDay(const std::string& time, int day) {
  if (day == 0) return time;
  return time + (day > 0 ? "+" : "") + std::to_string(day);
}

std::optional<int> minutesOfDuration(std::string_view duration) {
  const std::size_t colon = duration.find(':');
  if (colon == std::string_view::npos || colon < 2 || duration.size() - colon != 3) {
    return std::nullopt;
  }
  const auto hours = parseNumber<int>(duration.substr(0, colon));
  const auto minutes = parseNumber<int>(duration.substr(colon + 1));
  if (!hours || !minutes || *hours > 1000000 || *minutes > 59) return std::nullopt;
  return *hours * 60 + *minutes;
}

void assignDays(std::vector<StopLine>& stops) {
  int day = 0;
  std::optional<int> previous;
  const auto step = [&](const std::string& time) {
    const auto minutes = minutesOf(time);
    if (!minutes) return day;
    if (previous && *minutes < *previous) ++day;
    previous = minutes;
    return day;
  };
  for (std::size_t k = 0; k < stops.size(); ++k) {
    if (k > 0) stops[k].arrivalDay = step(stops[k].arrival);
    if (k + 1 < stops.size()) stops[k].departureDay = step(stops[k].departure);
  }
}

std::optional<std::vector<TrainLine>> parseTrainLines(std::string_view text) {
  return parseLines<TrainLine>(text, parseTrainLine);
}

std::optional<std::vector<StopLine>> parseStopLines(std::string_view text) {
  return parseLines<StopLine>(text, parseStopLine);
}

std::optional<std::vector<std::string>> parseNames(std::string_view text) {
  return splitTerminated(text, '|');
}

std::optional<std::vector<JourneyLine>> parseJourneys(std::string_view text) {
  const auto parts = splitTerminated(text, '*');
  if (!parts) return std::nullopt;
  std::vector<JourneyLine> journeys;
  for (std::size_t at = 0; at < parts->size();) {
    const std::vector<std::string> f = splitFields((*parts)[at++]);
    if (f.size() != kJourneyLineFields || f[0] != "J") return std::nullopt;
    const auto day = parseNumber<int>(f[3]);
    const auto days = parseNumber<int>(f[4]);
    const auto rides = parseNumber<int>(f[6]);
    if (!minutesOf(f[1]) || !minutesOf(f[2]) || !day || *day > 1 || !days ||
        !minutesOfDuration(f[5]) || !rides || *rides < 1 || *rides > kMostRides ||
        parts->size() - at < static_cast<std::size_t>(*rides)) {
      return std::nullopt;
    }
    JourneyLine journey{f[1], f[2], *day, *days, f[5], {}};
    for (int r = 0; r < *rides; ++r) {
      auto ride = parseTrainLine((*parts)[at++]);
      if (!ride) return std::nullopt;
      journey.rides.push_back(std::move(*ride));
    }
    journeys.push_back(std::move(journey));
  }
  return journeys;
}

}  // namespace murlo::tool
