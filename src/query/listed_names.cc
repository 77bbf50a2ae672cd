#include "query/listed_names.h"

#include <algorithm>

namespace murlo {
namespace {

// FNV-1a: names are short, a few bytes each.
uint64_t hashName(std::string_view name) {
  uint64_t hash = 14695981039346656037u;
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211u;
  }
  return hash;
}

// A power of two at least twice `stations`, so probes stay short.
std::size_t slotCount(std::size_t stations) {
  std::size_t slots = 16;
  while (slots < 2 * stations) slots *= 2;
  return slots;
}

}  // namespace

ListedNames::ListedNames(const TimetableDb& db)
    : db_(db),
      representative_(stationsOf(db), -1),
      slots_(slotCount(stationsOf(db)), -1),
      listed_(stationsOf(db), 0) {}

int32_t ListedNames::representativeOf(int32_t station) {
  int32_t& known = representative_[static_cast<std::size_t>(station)];
  if (known >= 0) return known;
  const std::string_view name = db_.stationNames[static_cast<std::size_t>(station)];
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = static_cast<std::size_t>(hashName(name)) & mask;
  while (slots_[slot] >= 0 && db_.stationNames[static_cast<std::size_t>(slots_[slot])] != name) {
    slot = (slot + 1) & mask;
  }
  if (slots_[slot] < 0) slots_[slot] = station;  // the first station met with the name
  known = slots_[slot];
  return known;
}

bool ListedNames::add(int32_t station) {
  if (station < 0 || static_cast<std::size_t>(station) >= representative_.size()) return false;
  uint8_t& listed = listed_[static_cast<std::size_t>(representativeOf(station))];
  if (listed != 0) return false;
  listed = 1;
  return true;
}

void ListedNames::clear() { std::fill(listed_.begin(), listed_.end(), uint8_t{0}); }

std::size_t ListedNames::stationsOf(const TimetableDb& db) {
  return std::min(static_cast<std::size_t>(std::max(db.stationCount, 0)), db.stationNames.size());
}

}  // namespace murlo
