#include "present/whole_run_lines.h"

#include <cstring>

#include "present/segment_line.h"
#include "text/gbk_codec.h"

namespace murlo {
namespace {

// A kept line in one allocation: its byte length, its UTF-16 length, then its
// bytes.
struct KeptHeader {
  std::size_t length;
  std::size_t utf16Length;
};

KeptLine lineOf(const char* kept) {
  KeptHeader header;
  std::memcpy(&header, kept, sizeof header);
  return KeptLine{std::string_view(kept + sizeof header, header.length), header.utf16Length};
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

bool WholeRunLines::find(TrainIndex t, KeptLine& line) const {
  if (t.value() < 0 || t.slot() >= trains_) return false;
  const char* kept = slots_[t.slot()].load(std::memory_order_acquire);
  if (kept == nullptr) return false;
  line = lineOf(kept);
  return true;
}

KeptLine WholeRunLines::keep(std::size_t t, std::string_view line) const {
  const KeptHeader header{line.size(), gbkToUtf16Length(line)};
  char* copy = new char[sizeof header + line.size()];
  std::memcpy(copy, &header, sizeof header);
  if (!line.empty()) std::memcpy(copy + sizeof header, line.data(), line.size());
  const char* expected = nullptr;
  if (slots_[t].compare_exchange_strong(expected, copy, std::memory_order_acq_rel,
                                        std::memory_order_acquire)) {
    return lineOf(copy);
  }
  delete[] copy;  // another thread kept the same line first
  return lineOf(expected);
}

KeptLine WholeRunLines::line(const TimetableDb& db, TrainIndex train) const {
  std::string scratch;
  return line(db, train, scratch);
}

KeptLine WholeRunLines::line(const TimetableDb& db, TrainIndex train, std::string& scratch) const {
  // Trains outside the number table have no line (the tables give none).
  if (train.value() < 0 || train.slot() >= trains_) return KeptLine{};
  KeptLine kept;
  if (find(train, kept)) return kept;
  scratch.clear();
  appendSegmentLine(scratch, db, train, StopPosition(0), StopPosition(0), 0);
  return keep(train.slot(), scratch);
}

}  // namespace murlo
