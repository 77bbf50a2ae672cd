#include "db/lookup_indexes.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "db/timetable_db.h"

namespace murlo {
namespace {

// The first eight bytes of `text`, big-endian, zero-padded.
uint64_t keyOf(std::string_view text) {
  uint64_t key = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    key = (key << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
  }
  return key;
}

// `order` and `keys` of the entries of `list` sorted by (text, index).
void sortByText(const TextList& list, std::vector<int32_t>& order, std::vector<uint64_t>& keys) {
  struct Keyed {
    uint64_t key;
    uint32_t length;
    int32_t index;
  };
  std::vector<Keyed> keyed(list.size());
  for (std::size_t i = 0; i < keyed.size(); ++i) {
    const std::string_view text = list[i];
    keyed[i] = Keyed{keyOf(text), static_cast<uint32_t>(std::min<std::size_t>(text.size(), 9)),
                     static_cast<int32_t>(i)};
  }
  std::sort(keyed.begin(), keyed.end(), [&list](const Keyed& a, const Keyed& b) {
    if (a.key != b.key) return a.key < b.key;
    // Equal keys: texts of at most eight bytes differ only in length (the
    // shorter first); longer ones are compared whole.
    if (a.length <= 8 || b.length <= 8) {
      return a.length != b.length ? a.length < b.length : a.index < b.index;
    }
    const std::string_view ta = list[static_cast<std::size_t>(a.index)];
    const std::string_view tb = list[static_cast<std::size_t>(b.index)];
    return ta != tb ? ta < tb : a.index < b.index;
  });
  order.resize(keyed.size());
  keys.resize(keyed.size());
  for (std::size_t i = 0; i < keyed.size(); ++i) {
    order[i] = keyed[i].index;
    keys[i] = keyed[i].key;
  }
}

// The first position in the sorted `order` whose text is not below `wanted`.
std::size_t lowerBound(const TextList& list, const std::vector<int32_t>& order,
                       const std::vector<uint64_t>& keys, std::string_view wanted) {
  const uint64_t wantedKey = keyOf(wanted);
  std::size_t first = 0;
  std::size_t count = order.size();
  while (count > 0) {
    const std::size_t half = count / 2;
    const std::size_t middle = first + half;
    const bool below = keys[middle] != wantedKey
                           ? keys[middle] < wantedKey
                           : list[static_cast<std::size_t>(order[middle])] < wanted;
    if (below) {
      first = middle + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  return first;
}

// FNV-1a: numbers are short, a few bytes each.
uint64_t hashNumber(std::string_view number) {
  uint64_t hash = 14695981039346656037u;
  for (const char c : number) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211u;
  }
  return hash;
}

std::string_view tokenText(const TimetableDb& db, const NumberToken& token) {
  return db.trainNumbers[static_cast<std::size_t>(token.train)].substr(token.begin, token.length);
}

}  // namespace

void buildLookupIndexes(TimetableDb& db) {
  LookupIndexes indexes;
  sortByText(db.stationNames, indexes.stationsByName, indexes.nameKeys);
  sortByText(db.stationAbbreviations, indexes.stationsByAbbreviation, indexes.abbreviationKeys);
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
  if (indexes.numbers.size() >= UINT32_MAX / 2) throw std::length_error("too many numbers");
  std::size_t slots = 16;
  while (slots < 2 * indexes.numbers.size()) slots *= 2;
  indexes.numberSlots.assign(slots, 0);
  const std::size_t mask = slots - 1;
  for (std::size_t i = 0; i < indexes.numbers.size(); ++i) {
    std::size_t slot =
        static_cast<std::size_t>(hashNumber(tokenText(db, indexes.numbers[i]))) & mask;
    while (indexes.numberSlots[slot] != 0) slot = (slot + 1) & mask;
    indexes.numberSlots[slot] = static_cast<uint32_t>(i + 1);
  }
  indexes.trainsIndexed = db.trainNumbers.size();
  db.indexes = std::move(indexes);
}

bool lookupIndexesCurrent(const TimetableDb& db) {
  const LookupIndexes& indexes = db.indexes;
  return indexes.stationsByName.size() == db.stationNames.size() &&
         indexes.nameKeys.size() == db.stationNames.size() &&
         indexes.stationsByAbbreviation.size() == db.stationAbbreviations.size() &&
         indexes.abbreviationKeys.size() == db.stationAbbreviations.size() &&
         indexes.trainsIndexed == db.trainNumbers.size() && !indexes.numberSlots.empty();
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
  const std::size_t at = lowerBound(db.stationNames, order, db.indexes.nameKeys, name);
  if (at == order.size() || db.stationNames[static_cast<std::size_t>(order[at])] != name) {
    return -1;
  }
  return static_cast<std::size_t>(order[at]) < count ? order[at] : -1;
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
  const auto& keys = db.indexes.abbreviationKeys;
  std::size_t at = lowerBound(db.stationAbbreviations, order, keys, prefix);
  if (prefix.size() <= 8 && prefix.find('\0') == std::string_view::npos) {
    // The abbreviations that begin with the prefix are those whose key does
    // in its first prefix.size() bytes (the padding of a key is zero bytes,
    // which the prefix does not hold).
    const uint64_t mask = prefix.empty() ? 0 : ~uint64_t{0} << (8 * (8 - prefix.size()));
    const uint64_t wanted = keyOf(prefix);
    for (; at < order.size() && (keys[at] & mask) == wanted; ++at) {
      if (static_cast<std::size_t>(order[at]) < count) found.push_back(order[at]);
    }
  } else {
    for (; at < order.size() && matches(static_cast<std::size_t>(order[at])); ++at) {
      if (static_cast<std::size_t>(order[at]) < count) found.push_back(order[at]);
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

void appendTrainsWithNumber(const TimetableDb& db, std::string_view number,
                            std::vector<int32_t>& trains) {
  const auto& slots = db.indexes.numberSlots;
  const std::size_t mask = slots.size() - 1;
  for (std::size_t slot = static_cast<std::size_t>(hashNumber(number)) & mask; slots[slot] != 0;
       slot = (slot + 1) & mask) {
    const NumberToken& token = db.indexes.numbers[slots[slot] - 1];
    if (tokenText(db, token) == number) trains.push_back(token.train);
  }
}

}  // namespace murlo
