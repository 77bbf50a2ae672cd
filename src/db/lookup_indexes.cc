#include "db/lookup_indexes.h"

#include <algorithm>
#include <numeric>

#include "db/timetable_db.h"

namespace murlo {
namespace {

std::vector<int32_t> sortedBy(const TextList& list) {
  std::vector<int32_t> order(list.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&list](int32_t a, int32_t b) {
    return list[static_cast<std::size_t>(a)] < list[static_cast<std::size_t>(b)];
  });
  return order;
}

std::string_view tokenText(const TimetableDb& db, const NumberToken& token) {
  return db.trainNumbers[static_cast<std::size_t>(token.train)].substr(token.begin, token.length);
}

}  // namespace

void buildLookupIndexes(TimetableDb& db) {
  LookupIndexes indexes;
  indexes.stationsByName = sortedBy(db.stationNames);
  indexes.stationsByAbbreviation = sortedBy(db.stationAbbreviations);
  for (std::size_t t = 0; t < db.trainNumbers.size(); ++t) {
    const std::string_view entry = db.trainNumbers[t];
    std::size_t begin = 0;
    while (true) {
      const std::size_t end = std::min(entry.find('/', begin), entry.size());
      indexes.numbers.push_back(NumberToken{static_cast<int32_t>(t), static_cast<uint32_t>(begin),
                                            static_cast<uint32_t>(end - begin)});
      if (end == entry.size()) break;
      begin = end + 1;
    }
  }
  indexes.trainsIndexed = db.trainNumbers.size();
  std::stable_sort(indexes.numbers.begin(), indexes.numbers.end(),
                   [&db](const NumberToken& a, const NumberToken& b) {
                     return tokenText(db, a) < tokenText(db, b);
                   });
  db.indexes = std::move(indexes);
}

bool lookupIndexesCurrent(const TimetableDb& db) {
  return db.indexes.stationsByName.size() == db.stationNames.size() &&
         db.indexes.stationsByAbbreviation.size() == db.stationAbbreviations.size() &&
         db.indexes.trainsIndexed == db.trainNumbers.size();
}

int32_t findStation(const TimetableDb& db, std::string_view name) {
  const auto count = std::min<std::size_t>(static_cast<std::size_t>(std::max(db.stationCount, 0)),
                                           db.stationNames.size());
  if (!lookupIndexesCurrent(db)) {
    for (std::size_t i = 0; i < count; ++i) {
      if (db.stationNames[i] == name) return static_cast<int32_t>(i);
    }
    return -1;
  }
  const auto& order = db.indexes.stationsByName;
  const auto it = std::lower_bound(order.begin(), order.end(), name,
                                   [&db](int32_t station, std::string_view wanted) {
                                     return db.stationNames[static_cast<std::size_t>(station)] <
                                            wanted;
                                   });
  if (it == order.end() || db.stationNames[static_cast<std::size_t>(*it)] != name) return -1;
  return static_cast<std::size_t>(*it) < count ? *it : -1;
}

std::vector<int32_t> stationsWithAbbreviationPrefix(const TimetableDb& db,
                                                    std::string_view prefix) {
  std::vector<int32_t> found;
  const auto count = std::min<std::size_t>(static_cast<std::size_t>(std::max(db.stationCount, 0)),
                                           db.stationAbbreviations.size());
  const auto matches = [&](std::size_t station) {
    return db.stationAbbreviations[station].substr(0, prefix.size()) == prefix;
  };
  if (!lookupIndexesCurrent(db)) {
    for (std::size_t i = 0; i < count; ++i) {
      if (matches(i)) found.push_back(static_cast<int32_t>(i));
    }
    return found;
  }
  const auto& order = db.indexes.stationsByAbbreviation;
  auto it = std::lower_bound(order.begin(), order.end(), prefix,
                             [&db](int32_t station, std::string_view wanted) {
                               return db.stationAbbreviations[static_cast<std::size_t>(station)] <
                                      wanted;
                             });
  for (; it != order.end() && matches(static_cast<std::size_t>(*it)); ++it) {
    if (static_cast<std::size_t>(*it) < count) found.push_back(*it);
  }
  std::sort(found.begin(), found.end());
  return found;
}

void appendTrainsWithNumber(const TimetableDb& db, std::string_view number,
                            std::vector<int32_t>& trains) {
  const auto& tokens = db.indexes.numbers;
  auto it = std::lower_bound(tokens.begin(), tokens.end(), number,
                             [&db](const NumberToken& token, std::string_view wanted) {
                               return tokenText(db, token) < wanted;
                             });
  for (; it != tokens.end() && tokenText(db, *it) == number; ++it) trains.push_back(it->train);
}

}  // namespace murlo
