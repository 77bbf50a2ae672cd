#include "present/whole_run_lines.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "present/segment_line.h"
#include "text/gbk_codec.h"

namespace murlo {
namespace {

constexpr std::size_t kChunkSize = std::size_t{16} << 10;

// A kept line: the number of its code units kept as such (four bytes) and
// of its ASCII bytes (two), then those units, then those bytes.
constexpr std::size_t kHeader = sizeof(uint32_t) + sizeof(uint16_t);

KeptLine lineOf(const unsigned char* kept) {
  uint32_t units;
  uint16_t ascii;
  std::memcpy(&units, kept, sizeof units);
  std::memcpy(&ascii, kept + sizeof units, sizeof ascii);
  const unsigned char* const text = kept + kHeader;
  return KeptLine{Utf16Piece{
      std::u16string_view(reinterpret_cast<const char16_t*>(text), units),
      std::string_view(reinterpret_cast<const char*>(text) + std::size_t{units} * 2, ascii)}};
}

// Where the ASCII end of the GBK `line` begins: after the first byte of its
// last run of ASCII bytes, which the conversion of the part before may take
// as the trail of a lone lead byte (or at 0 when the line is all ASCII), so
// that the two parts converted apart give the units of the whole line.
std::size_t asciiEnd(std::string_view line) {
  std::size_t i = line.size();
  while (i > 0 && static_cast<unsigned char>(line[i - 1]) < 0x80) --i;
  const std::size_t begin = i == 0 ? 0 : std::min(line.size(), i + 1);
  return std::max(begin, line.size() - std::min<std::size_t>(line.size() - begin, UINT16_MAX));
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
  const std::size_t split = asciiEnd(line);
  const std::string_view head = line.substr(0, split);
  const std::string_view tail = line.substr(split);
  const auto units = static_cast<uint32_t>(gbkToUtf16Length(head));
  const auto ascii = static_cast<uint16_t>(tail.size());
  unsigned char* const kept =
      allocate(kHeader + std::size_t{units} * sizeof(char16_t) + std::size_t{ascii});
  std::memcpy(kept, &units, sizeof units);
  std::memcpy(kept + sizeof units, &ascii, sizeof ascii);
  unsigned char* const text = kept + kHeader;
  gbkToUtf16Into(head, reinterpret_cast<char16_t*>(text));
  if (!tail.empty()) std::memcpy(text + std::size_t{units} * 2, tail.data(), tail.size());
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
