#include "query/trains_by_number.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "query/train_lines.h"

namespace murlo {
namespace {

// A form of a typed number Q: Q with a letter in front and one after it, or
// without ('\0').
struct NumberForm {
  char prefix;
  char suffix;
};

// The 27 forms, in the order they are tried: Q, then with each of T L N A K
// Y Z in front (each also with the suffix A or B), then with D C G in front.
constexpr std::array<NumberForm, 27> kNumberForms = [] {
  std::array<NumberForm, 27> forms{};
  std::size_t n = 0;
  for (const char prefix : {'\0', 'T', 'L', 'N', 'A', 'K', 'Y', 'Z'}) {
    for (const char suffix : {'\0', 'A', 'B'}) forms[n++] = NumberForm{prefix, suffix};
  }
  for (const char prefix : {'D', 'C', 'G'}) forms[n++] = NumberForm{prefix, '\0'};
  return forms;
}();

// The plain scan: every train's "/entry/" searched for each "/form/". Used
// when the typed number itself holds "/": its patterns may then span two
// numbers of one entry, which the index of single numbers cannot find.
std::vector<TrainIndex> scanTrains(const TimetableDb& db, std::string_view q) {
  std::vector<std::string> patterns;
  for (const NumberForm form : kNumberForms) {
    std::string pattern = "/";
    if (form.prefix != '\0') pattern += form.prefix;
    pattern.append(q);
    if (form.suffix != '\0') pattern += form.suffix;
    patterns.push_back(pattern + "/");
  }
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

// Looks up each of the 27 forms in the number index, each form written in
// one buffer in turn (the typed number once, the letters around it).
std::vector<TrainIndex> indexedTrains(const LoadedDatabase& db, std::string_view q) {
  std::vector<TrainIndex> trains;
  std::string form(1, ' ');
  form.append(q);
  form += ' ';
  for (const NumberForm f : kNumberForms) {
    form.front() = f.prefix;
    form.back() = f.suffix;
    const std::size_t from = f.prefix == '\0' ? 1 : 0;
    const std::size_t to = f.suffix == '\0' ? form.size() - 1 : form.size();
    db.indexes().appendTrainsWithNumber(db.tables(), std::string_view(form).substr(from, to - from),
                                        trains);
  }
  std::sort(trains.begin(), trains.end());
  trains.erase(std::unique(trains.begin(), trains.end()), trains.end());
  return trains;
}

}  // namespace

QueryResult trainsByNumber(const LoadedDatabase& db, std::string_view number) {
  QueryResult result;
  if (number.empty()) return result;
  const std::vector<TrainIndex> trains = number.find('/') != std::string_view::npos
                                             ? scanTrains(db.tables(), number)
                                             : indexedTrains(db, number);
  for (const TrainIndex train : trains) {
    if (appendTrainLine(result.text, db, train, StopPosition(0), StopPosition(0), 0)) {
      ++result.code;
    }
  }
  return result;
}

}  // namespace murlo
