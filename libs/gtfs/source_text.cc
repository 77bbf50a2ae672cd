#include "gtfs/source_text.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "gtfs/code_points.h"
#include "gtfs/station_name.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"
#include "timetable_source/source_lexer.h"
#include "timetable_source/timetable_source.h"

namespace murlo::gtfs {
namespace {

// A comment's text on one line, valid UTF-8, control characters shown as "?".
std::string oneLine(std::string_view text) {
  std::string line;
  for (const char32_t c : decodeUtf8(text)) {
    appendUtf8(c < 0x20 || c == 0x7F ? U'?' : c, line);
  }
  return line;
}

std::string timeText(int32_t minutes) { return source::formatTime(minutes); }

std::string stationComment(const ImportedStation& station) {
  return "# stop_id " + oneLine(station.stopId) + ": " + oneLine(station.feedName) + "\n";
}

// `comment` as "# " lines, one a line of it.
std::string commentLines(std::string_view comment) {
  std::string out;
  std::size_t begin = 0;
  while (begin < comment.size()) {
    std::size_t end = comment.find('\n', begin);
    if (end == std::string_view::npos) end = comment.size();
    out += "# " + oneLine(comment.substr(begin, end - begin)) + "\n";
    begin = end + 1;
  }
  return out;
}

}  // namespace

std::string annotatedSource(std::string_view dumped, const ImportedTimetable& timetable,
                            std::string_view comment) {
  std::string out = commentLines(comment);
  std::size_t stations = 0, trains = 0;
  bool first = true;
  while (!dumped.empty()) {
    const std::size_t end = dumped.find('\n');
    const std::string_view line = dumped.substr(0, end == std::string_view::npos ? end : end + 1);
    dumped.remove_prefix(line.size());
    if (std::exchange(first, false) && line.starts_with("#")) continue;
    if (line.starts_with("station ") && stations < timetable.stations.size()) {
      out += stationComment(timetable.stations[stations++]);
    } else if (line.starts_with("train ") && trains < timetable.trains.size()) {
      const std::string& note = timetable.trains[trains++].note;
      if (!note.empty()) out += "# " + oneLine(note) + "\n";
    }
    out += line;
  }
  return out;
}

std::string sourceText(const ImportedTimetable& timetable, std::string_view comment) {
  std::string out = commentLines(comment);
  if (!timetable.header.empty()) {
    std::u16string units;
    std::string gbk;
    utf8ToUtf16(timetable.header, units);
    utf16ToGbk(units, gbk);
    out += "header " + source::quoteGbk(gbk) + "\n";
  }
  std::size_t longest = 0;
  for (const ImportedStation& station : timetable.stations) {
    longest = std::max(longest, gbkLength(station.name));
  }
  if (longest > source::kMaxShortNameBytes) out += "names long\n";
  out += "\n";

  std::set<std::string> taken;
  for (const ImportedStation& station : timetable.stations) taken.insert(station.name);
  std::set<std::string> declared;
  std::vector<std::string> references;
  for (const ImportedStation& station : timetable.stations) {
    std::string line = "station " + station.name + " " + station.abbreviation;
    std::string reference = station.name;
    if (!declared.insert(station.name).second) {
      for (int k = 2;; ++k) {
        reference = station.name + "#" + std::to_string(k);
        if (taken.insert(reference).second) break;
      }
      line += " as " + reference;
    }
    references.push_back(reference);
    out += stationComment(station);
    out += line + "\n";
  }

  for (const ImportedTrain& train : timetable.trains) {
    out += "\n";
    if (!train.note.empty()) out += "# " + oneLine(train.note) + "\n";
    out += "train " + train.number + " class " + train.classCode + " columns " +
           train.fareColumnCode + " rate " + train.fareRateCode + "\n";
    for (std::size_t k = 0; k < train.stops.size(); ++k) {
      const ImportedStop& stop = train.stops[k];
      const bool first = k == 0;
      const bool last = k + 1 == train.stops.size();
      out += "  " + references[static_cast<std::size_t>(stop.station)] + "  " +
             (first ? std::string("  -  ") : timeText(stop.arrival)) + "  " +
             (last ? std::string("  -  ") : timeText(stop.departure)) + "  " +
             std::to_string(stop.km) + "\n";
    }
    out += "end\n";
  }
  return out;
}

}  // namespace murlo::gtfs
