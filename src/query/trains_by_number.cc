#include "query/trains_by_number.h"

#include <string>
#include <vector>

#include "query/number_forms.h"

namespace murlo {
namespace {

// The plain scan: every train's "/entry/" searched for each "/form/". Used
// when the typed number itself holds "/": its patterns may then span two
// numbers of one entry, which the index of single numbers cannot find.
std::vector<TrainIndex> scanTrains(const TimetableDb& db, std::string_view q) {
  std::vector<std::string> patterns;
  forEachNumberForm([&](char prefix, char suffix) {
    std::string pattern = "/";
    if (prefix != '\0') pattern += prefix;
    pattern.append(q);
    if (suffix != '\0') pattern += suffix;
    patterns.push_back(pattern + "/");
  });
  std::vector<TrainIndex> trains;
  std::string probe;
  for (TrainIndex t(0); t.value() < db.trainCount(); ++t) {
    probe.assign("/").append(*db.trainNumber(t)).append("/");
    for (const std::string& pattern : patterns) {
      if (probe.find(pattern) != std::string::npos) {
        trains.push_back(t);
        break;
      }
    }
  }
  return trains;
}

// The trains under the typed number, in train order.
std::vector<TrainIndex> trainsUnder(const LoadedDatabase& db, std::string_view number) {
  if (number.empty()) return {};
  return number.find('/') != std::string_view::npos
             ? scanTrains(db.tables(), number)
             : db.indexes().trainsWithNumberForms(db.tables(), number);
}

}  // namespace

RideList trainsByNumberRides(const LoadedDatabase& db, std::string_view number) {
  RideList answer;
  const std::vector<TrainIndex> trains = trainsUnder(db, number);
  answer.rides.reserve(trains.size());
  for (const TrainIndex train : trains) {
    if (const std::optional<Ride> run = wholeRun(db.tables(), train)) answer.rides.push_back(*run);
  }
  return answer;
}

Utf16Answer trainsByNumber(const LoadedDatabase& db, std::string_view number) {
  // Written as the trains are found: the kept line of each whole run.
  Utf16Answer result{.terminator = u'*'};
  std::string scratch;
  for (const TrainIndex train : trainsUnder(db, number)) {
    if (appendWholeRun(result, db, train, scratch)) ++result.count;
  }
  return result;
}

}  // namespace murlo
