#include "present/whole_run_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "present/segment_line.h"
#include "text/gbk_codec.h"

namespace murlo {
namespace {

constexpr std::size_t kChunkSize = std::size_t{16} << 10;

// A kept line: its length in code units (four bytes), then its units.
KeptLine lineOf(const unsigned char* kept) {
  uint32_t length;
  std::memcpy(&length, kept, sizeof length);
  return KeptLine{
      std::u16string_view(reinterpret_cast<const char16_t*>(kept + sizeof length), length)};
}

}  // namespace

WholeRunLines::WholeRunLines(const TimetableDb& db)
    : trains_(static_cast<std::size_t>(db.trainCount())),
      slots_(new std::atomic<const unsigned char*>[trains_]) {
  for (std::size_t t = 0; t < trains_; ++t) slots_[t].store(nullptr, std::memory_order_relaxed);
}

WholeRunLines::~WholeRunLines() = default;

unsigned char* WholeRunLines::allocate(std::size_t bytes) const {
  bytes = (bytes + 3) & ~std::size_t{3};
  while (true) {
    Chunk* const chunk = current_.load(std::memory_order_acquire);
    if (chunk != nullptr) {
      const std::size_t at = chunk->used.fetch_add(bytes, std::memory_order_relaxed);
      if (at + bytes <= chunk->size) return chunk->bytes.get() + at;
    }
    // The chunk is full: the first thread here adds one, the others retry.
    const std::lock_guard<std::mutex> lock(chunksMutex_);
    if (current_.load(std::memory_order_acquire) != chunk) continue;
    auto fresh = std::make_unique<Chunk>();
    fresh->size = std::max(kChunkSize, bytes);
    fresh->bytes.reset(new unsigned char[fresh->size]);
    fresh->used.store(0, std::memory_order_relaxed);
    chunks_.push_back(std::move(fresh));
    current_.store(chunks_.back().get(), std::memory_order_release);
  }
}

bool WholeRunLines::find(TrainIndex t, KeptLine& line) const {
  if (t.value() < 0 || t.slot() >= trains_) return false;
  const unsigned char* kept = slots_[t.slot()].load(std::memory_order_acquire);
  if (kept == nullptr) return false;
  line = lineOf(kept);
  return true;
}

KeptLine WholeRunLines::keep(std::size_t t, std::string_view line) const {
  const auto length = static_cast<uint32_t>(gbkToUtf16Length(line));
  unsigned char* const kept = allocate(sizeof length + std::size_t{length} * sizeof(char16_t));
  std::memcpy(kept, &length, sizeof length);
  gbkToUtf16Into(line, reinterpret_cast<char16_t*>(kept + sizeof length));
  const unsigned char* expected = nullptr;
  // Another thread may have kept the same line first; this one's room then
  // stays unused.
  slots_[t].compare_exchange_strong(expected, kept, std::memory_order_acq_rel,
                                    std::memory_order_acquire);
  return lineOf(expected != nullptr ? expected : kept);
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
