#include "query/lookup_indexes.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <utility>
#include <vector>

#include "query/number_forms.h"

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

}  // namespace

std::string_view LookupIndexes::keyText(const TableLists& lists, const NumberKey& key) {
  return lists.trainNumbers[static_cast<std::size_t>(key.train)].substr(key.begin, key.length);
}

LookupIndexes::LookupIndexes(const TimetableDb& db) {
  const TableLists& lists = db.lists();
  sortByText(lists.stationNames, stationsByName_, nameKeys_);
  firstWithName_.resize(lists.stationNames.size());
  for (std::size_t i = 0; i < stationsByName_.size(); ++i) {
    const int32_t station = stationsByName_[i];
    const bool sameAsPrevious =
        i > 0 && lists.stationNames[static_cast<std::size_t>(stationsByName_[i - 1])] ==
                     lists.stationNames[static_cast<std::size_t>(station)];
    firstWithName_[static_cast<std::size_t>(station)] =
        sameAsPrevious ? firstWithName_[static_cast<std::size_t>(stationsByName_[i - 1])] : station;
  }
}

// (Each part is made aside and moved in whole: a build that throws leaves
// nothing, and the next caller builds afresh.)
void LookupIndexes::makeAbbreviations(const TimetableDb& db) const {
  std::vector<int32_t> order;
  std::vector<uint64_t> keys;
  sortByText(db.lists().stationAbbreviations, order, keys);
  stationsByAbbreviation_ = std::move(order);
  abbreviationKeys_ = std::move(keys);
}

void LookupIndexes::makeNumbers(const TimetableDb& db) const {
  const TableLists& lists = db.lists();
  std::vector<NumberKey> numberKeys;
  // Every number N of every train is filed under each Q of which N is a
  // form: N itself, N without its prefix letter, without its suffix, and
  // without both where the prefix takes a suffix.
  for (std::size_t t = 0; t < lists.trainNumbers.size(); ++t) {
    const std::string_view entry = lists.trainNumbers[t];
    const auto train = static_cast<int32_t>(t);
    std::size_t begin = 0;
    while (true) {
      const std::size_t end = std::min(entry.find('/', begin), entry.size());
      const std::string_view number = entry.substr(begin, end - begin);
      const auto file = [&](std::size_t from, std::size_t length) {
        if (length > 0) {
          numberKeys.push_back(
              NumberKey{train, static_cast<uint32_t>(begin + from), static_cast<uint32_t>(length)});
        }
      };
      const bool prefixed = !number.empty() && isPrefixLetter(number.front());
      const bool suffixed = !number.empty() && isSuffixLetter(number.back());
      file(0, number.size());
      if (prefixed) file(1, number.size() - 1);
      if (suffixed) file(0, number.size() - 1);
      if (prefixed && suffixed && takesSuffix(number.front()) && number.size() >= 2) {
        file(1, number.size() - 2);
      }
      if (end == entry.size()) break;
      begin = end + 1;
    }
  }
  if (numberKeys.size() >= UINT32_MAX / 2) throw std::length_error("too many numbers");
  // At most two thirds full: probes stay short, the table small.
  std::size_t slots = 16;
  while (2 * slots < 3 * numberKeys.size()) slots *= 2;
  std::vector<uint32_t> numberSlots(slots, 0);
  const std::size_t mask = slots - 1;
  for (std::size_t i = 0; i < numberKeys.size(); ++i) {
    std::size_t slot = static_cast<std::size_t>(hashNumber(keyText(lists, numberKeys[i]))) & mask;
    while (numberSlots[slot] != 0) slot = (slot + 1) & mask;
    numberSlots[slot] = static_cast<uint32_t>(i + 1);
  }
  numberKeys_ = std::move(numberKeys);
  numberSlots_ = std::move(numberSlots);
}

std::optional<StationIndex> LookupIndexes::findStation(const TimetableDb& db,
                                                       std::string_view name) const {
  const TextList& names = db.lists().stationNames;
  const std::size_t at = lowerBound(names, stationsByName_, nameKeys_, name);
  if (at == stationsByName_.size() ||
      names[static_cast<std::size_t>(stationsByName_[at])] != name) {
    return std::nullopt;
  }
  return StationIndex(stationsByName_[at]);
}

std::vector<StationIndex> LookupIndexes::stationsWithAbbreviationPrefix(
    const TimetableDb& db, std::string_view prefix) const {
  std::call_once(abbreviationsMade_, [&] { makeAbbreviations(db); });
  std::vector<StationIndex> found;
  const TextList& abbreviations = db.lists().stationAbbreviations;
  const auto count = db.abbreviatedStations();
  const auto& order = stationsByAbbreviation_;
  const auto& keys = abbreviationKeys_;
  std::size_t at = lowerBound(abbreviations, order, keys, prefix);
  if (prefix.size() <= 8 && prefix.find('\0') == std::string_view::npos) {
    // The abbreviations that begin with the prefix are those whose key does
    // in its first prefix.size() bytes (the padding of a key is zero bytes,
    // which the prefix does not hold).
    const uint64_t mask = prefix.empty() ? 0 : ~uint64_t{0} << (8 * (8 - prefix.size()));
    const uint64_t wanted = keyOf(prefix);
    for (; at < order.size() && (keys[at] & mask) == wanted; ++at) {
      if (order[at] < count) found.push_back(StationIndex(order[at]));
    }
  } else {
    const auto matches = [&](std::size_t station) {
      return abbreviations[station].substr(0, prefix.size()) == prefix;
    };
    for (; at < order.size() && matches(static_cast<std::size_t>(order[at])); ++at) {
      if (order[at] < count) found.push_back(StationIndex(order[at]));
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::vector<TrainIndex> LookupIndexes::trainsWithNumberForms(const TimetableDb& db,
                                                             std::string_view q) const {
  std::vector<TrainIndex> trains;
  if (q.empty()) return trains;
  std::call_once(numbersMade_, [&] { makeNumbers(db); });
  const TableLists& lists = db.lists();
  const std::size_t mask = numberSlots_.size() - 1;
  for (std::size_t slot = static_cast<std::size_t>(hashNumber(q)) & mask; numberSlots_[slot] != 0;
       slot = (slot + 1) & mask) {
    const NumberKey& key = numberKeys_[numberSlots_[slot] - 1];
    if (keyText(lists, key) == q) trains.push_back(TrainIndex(key.train));
  }
  std::sort(trains.begin(), trains.end());
  trains.erase(std::unique(trains.begin(), trains.end()), trains.end());
  return trains;
}

}  // namespace murlo
