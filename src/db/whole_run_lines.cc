#include "db/whole_run_lines.h"

#include <cstring>
#include <memory>

#include "db/timetable_db.h"

namespace murlo {

namespace {

TableShape shapeOf(const TimetableDb& db) {
  return TableShape{db.trainCount,
                    db.stationCount,
                    db.trainNumbers.size(),
                    db.trainStopLists.size(),
                    db.stationNames.size(),
                    db.trainClassCodes.size(),
                    db.trainFareColumnCodes.size(),
                    db.trainFareRateCodes.size()};
}

}  // namespace

void prepareWholeRunLines(TimetableDb& db) {
  db.wholeRunLines = std::make_shared<const WholeRunLineCache>(db.trainNumbers.size(), shapeOf(db));
}

bool wholeRunLinesCurrent(const TimetableDb& db) {
  return db.wholeRunLines != nullptr && db.wholeRunLines->size() == db.trainNumbers.size() &&
         db.wholeRunLines->builtFor() == shapeOf(db);
}

WholeRunLineCache::WholeRunLineCache(std::size_t trains, const TableShape& builtFor)
    : trains_(trains), builtFor_(builtFor), slots_(new std::atomic<const char*>[trains]) {
  for (std::size_t t = 0; t < trains; ++t) slots_[t].store(nullptr, std::memory_order_relaxed);
}

WholeRunLineCache::~WholeRunLineCache() {
  for (std::size_t t = 0; t < trains_; ++t) delete[] slots_[t].load(std::memory_order_relaxed);
}

std::string_view WholeRunLineCache::textOf(const char* kept) {
  std::size_t length;
  std::memcpy(&length, kept, sizeof length);
  return std::string_view(kept + sizeof length, length);
}

bool WholeRunLineCache::find(std::size_t t, std::string_view& line) const {
  const char* kept = slots_[t].load(std::memory_order_acquire);
  if (kept == nullptr) return false;
  line = textOf(kept);
  return true;
}

std::string_view WholeRunLineCache::keep(std::size_t t, std::string_view line) const {
  const std::size_t length = line.size();
  char* copy = new char[sizeof length + line.size()];
  std::memcpy(copy, &length, sizeof length);
  if (!line.empty()) std::memcpy(copy + sizeof length, line.data(), line.size());
  const char* expected = nullptr;
  if (slots_[t].compare_exchange_strong(expected, copy, std::memory_order_acq_rel,
                                        std::memory_order_acquire)) {
    return textOf(copy);
  }
  delete[] copy;  // another thread kept the same line first
  return textOf(expected);
}

}  // namespace murlo
