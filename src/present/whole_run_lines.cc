#include "present/whole_run_lines.h"

#include <cstring>

#include "present/segment_line.h"

namespace murlo {
namespace {

// A kept line: its length, then its bytes, in one allocation.
std::string_view textOf(const char* kept) {
  std::size_t length;
  std::memcpy(&length, kept, sizeof length);
  return std::string_view(kept + sizeof length, length);
}

}  // namespace

WholeRunLines::WholeRunLines(const TimetableDb& db)
    : trains_(static_cast<std::size_t>(db.trainCount())),
      slots_(new std::atomic<const char*>[trains_]) {
  for (std::size_t t = 0; t < trains_; ++t) slots_[t].store(nullptr, std::memory_order_relaxed);
}

WholeRunLines::~WholeRunLines() {
  for (std::size_t t = 0; t < trains_; ++t) delete[] slots_[t].load(std::memory_order_relaxed);
}

bool WholeRunLines::find(TrainIndex t, std::string_view& line) const {
  if (t.value() < 0 || t.slot() >= trains_) return false;
  const char* kept = slots_[t.slot()].load(std::memory_order_acquire);
  if (kept == nullptr) return false;
  line = textOf(kept);
  return true;
}

std::string_view WholeRunLines::keep(std::size_t t, std::string_view line) const {
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

std::string_view WholeRunLines::line(const TimetableDb& db, TrainIndex train) const {
  // Trains outside the number table have no line (the tables give none).
  if (train.value() < 0 || train.slot() >= trains_) return std::string_view();
  std::string_view kept;
  if (find(train, kept)) return kept;
  return keep(train.slot(), buildSegmentLine(db, train, StopPosition(0), StopPosition(0), 0));
}

bool WholeRunLines::append(std::string& out, const TimetableDb& db, TrainIndex train) const {
  if (train.value() < 0 || train.slot() >= trains_) return false;
  std::string_view kept;
  if (find(train, kept)) {
    out.append(kept);
    return !kept.empty();
  }
  // Written straight into `out`, then kept from there.
  const std::size_t start = out.size();
  const bool written = appendSegmentLine(out, db, train, StopPosition(0), StopPosition(0), 0);
  keep(train.slot(), std::string_view(out).substr(start));
  return written;
}

}  // namespace murlo
