#include "query/trains_by_number.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "db/lookup_indexes.h"
#include "query/train_lines.h"

namespace murlo {
namespace {

// The 27 forms of a typed number Q, in the order they are tried.
std::array<std::string, 27> numberForms(std::string_view q) {
  std::array<std::string, 27> forms;
  std::size_t n = 0;
  const auto form = [q](std::string_view prefix, std::string_view suffix) {
    std::string text;
    text.reserve(prefix.size() + q.size() + suffix.size());
    return text.append(prefix).append(q).append(suffix);
  };
  for (const std::string_view prefix : {"", "T", "L", "N", "A", "K", "Y", "Z"}) {
    for (const std::string_view suffix : {"", "A", "B"}) forms[n++] = form(prefix, suffix);
  }
  for (const std::string_view prefix : {"D", "C", "G"}) forms[n++] = form(prefix, "");
  return forms;
}

// The plain scan: every train's "/entry/" searched for each "/form/". Used
// when the typed number itself holds "/" (its patterns may then span two
// numbers of one entry) or when the tables carry no number index.
std::vector<int32_t> scanTrains(const TimetableDb& db, const std::array<std::string, 27>& forms) {
  std::vector<std::string> patterns;
  for (const std::string& form : forms) patterns.push_back("/" + form + "/");
  std::vector<int32_t> trains;
  std::string probe;
  const auto count = std::min<std::size_t>(static_cast<std::size_t>(std::max(db.trainCount, 0)),
                                           db.trainNumbers.size());
  for (std::size_t t = 0; t < count; ++t) {
    probe.assign("/").append(db.trainNumbers[t]).append("/");
    for (const std::string& pattern : patterns) {
      if (probe.find(pattern) != std::string::npos) {
        trains.push_back(static_cast<int32_t>(t));
        break;
      }
    }
  }
  return trains;
}

// Looks up each of the 27 forms in the number index, each form written in
// one buffer in turn (the typed number once, the letters around it).
std::vector<int32_t> indexedTrains(const TimetableDb& db, std::string_view q) {
  constexpr char kNone = '\0';  // no prefix, no suffix
  std::vector<int32_t> trains;
  std::string form(1, ' ');
  form.append(q);
  form += ' ';
  const auto lookUp = [&](char prefix, char suffix) {
    form.front() = prefix;
    form.back() = suffix;
    const std::size_t from = prefix == kNone ? 1 : 0;
    const std::size_t to = suffix == kNone ? form.size() - 1 : form.size();
    appendTrainsWithNumber(db, std::string_view(form).substr(from, to - from), trains);
  };
  for (const char prefix : {kNone, 'T', 'L', 'N', 'A', 'K', 'Y', 'Z'}) {
    for (const char suffix : {kNone, 'A', 'B'}) lookUp(prefix, suffix);
  }
  for (const char prefix : {'D', 'C', 'G'}) lookUp(prefix, kNone);
  std::sort(trains.begin(), trains.end());
  trains.erase(std::unique(trains.begin(), trains.end()), trains.end());
  return trains;
}

}  // namespace

QueryResult trainsByNumber(const TimetableDb& db, std::string_view number) {
  QueryResult result;
  if (number.empty()) return result;
  const std::vector<int32_t> trains =
      number.find('/') != std::string_view::npos || !lookupIndexesCurrent(db)
          ? scanTrains(db, numberForms(number))
          : indexedTrains(db, number);
  for (const int32_t train : trains) {
    if (appendTrainLine(result.text, db, train, 0, 0, 0)) ++result.code;
  }
  return result;
}

}  // namespace murlo
