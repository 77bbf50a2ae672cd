#include "gtfs/station_table.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "gtfs/station_name.h"
#include "timetable_source/timetable_source.h"

namespace murlo::gtfs {
namespace {

std::string placeText(const Feed& feed, const StopPlace& place) {
  return feed.stopsName + ":" + std::to_string(place.line) + ": station " + place.id;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

// Whether the stop codes of the stations at `places` can all be their
// abbreviations: each one letters and digits, short, and no two alike.
bool stopCodesServe(const Feed& feed, const std::vector<std::size_t>& places) {
  std::unordered_set<std::string> seen;
  for (const std::size_t p : places) {
    const std::string code = stopCodeAbbreviation(feed.stops[p].code);
    if (code.empty() || code.size() > kMaxAbbreviationLength || !seen.insert(code).second) {
      return false;
    }
  }
  return !places.empty();
}

}  // namespace

std::vector<ImportedStation> buildStations(const Feed& feed, const std::vector<TrainPart>& trains,
                                           const StationOptions& options,
                                           std::vector<int32_t>& indexOf, bool& stopCodes,
                                           ImportReport& report) {
  // 3 for a station a leading train calls at in the sections, 2 for one
  // the sections call at, 1 for one only the extension does.
  std::vector<int> served(feed.stops.size(), 0);
  for (std::size_t t = 0; t < trains.size(); ++t) {
    const TrainPart& train = trains[t];
    const std::vector<bool> inSections = sectionCalls(train.stops, options.everyCall);
    const int sections = t < options.leadingTrains ? 3 : 2;
    for (std::size_t k = 0; k < train.stops.size(); ++k) {
      int& level = served[static_cast<std::size_t>(train.stops[k].station)];
      level = std::max(level, inSections[k] ? sections : 1);
    }
  }
  indexOf.assign(feed.stops.size(), -1);
  std::vector<std::size_t> places;
  for (const int level : {3, 2, 1}) {
    for (std::size_t p = 0; p < feed.stops.size(); ++p) {
      if (served[p] == level) places.push_back(p);
    }
  }
  std::vector<std::string> cleanNames;
  for (const std::size_t p : places) {
    indexOf[p] = static_cast<int32_t>(cleanNames.size());
    const StopPlace& place = feed.stops[p];
    CleanName clean = cleanName(place.name);
    if (!clean.changes.empty()) {
      report.warn("station names: characters changed or dropped",
                  placeText(feed, place) + " '" + place.name + "': " + joined(clean.changes));
    }
    if (clean.text.empty()) {
      clean = cleanName(place.id);
      if (clean.text.empty()) clean.text = "Station_" + std::to_string(places.size());
      report.warn("station names: none given, named after stop_id",
                  placeText(feed, place) + " as '" + clean.text + "'");
    }
    cleanNames.push_back(std::move(clean.text));
  }

  const bool codesServe = stopCodesServe(feed, places);
  const bool useStopCodes =
      options.abbreviations == Abbreviations::kStopCode ||
      (options.abbreviations == Abbreviations::kStopCodesWhenUnique && codesServe);
  stopCodes = useStopCodes && !places.empty();

  // Words most names share go first when a name must be shortened.
  const std::unordered_set<std::string> common = commonWords(cleanNames);
  const std::size_t maxBytes =
      options.shortNames ? source::kMaxShortNameBytes : source::kMaxLongNameBytes;
  std::unordered_set<std::string> taken;  // names given so far
  std::vector<ImportedStation> stations;
  for (std::size_t i = 0; i < places.size(); ++i) {
    const StopPlace& place = feed.stops[places[i]];
    const std::string& clean = cleanNames[i];
    std::string name = shortenName(clean, common, maxBytes);
    const std::string baseName = name;
    if (name != clean) {
      report.warn(options.shortNames ? "station names: shortened to 11 bytes"
                                     : "station names: shortened to 100 bytes",
                  placeText(feed, place) + ": '" + clean + "' as '" + name + "'");
    }
    if (taken.count(name) != 0) {
      for (int k = 2;; ++k) {
        const std::string suffix = std::to_string(k);
        std::string candidate = shortenName(clean, common, maxBytes - suffix.size()) + suffix;
        if (taken.count(candidate) == 0) {
          name = std::move(candidate);
          break;
        }
      }
      report.warn("station names: numbered to tell equal names apart",
                  placeText(feed, place) + ": '" + clean + "' as '" + name + "'");
    }
    taken.insert(name);
    std::string abbreviation;
    if (useStopCodes) {
      abbreviation = stopCodeAbbreviation(place.code);
      if (abbreviation.empty()) {
        stopCodes = false;
        report.warn("abbreviations: no stop_code of letters and digits, initials taken",
                    placeText(feed, place) + ": stop_code '" + place.code + "'");
      }
    }
    if (abbreviation.empty()) abbreviation = initialsOf(clean);
    if (abbreviation.empty()) abbreviation = "S" + std::to_string(i + 1);
    stations.push_back(
        {std::move(name), std::move(abbreviation), place.name, place.id, std::move(baseName)});
  }
  return stations;
}

}  // namespace murlo::gtfs
