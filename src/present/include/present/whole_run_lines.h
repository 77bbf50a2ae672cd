// Whole-run lines, each written once and then kept, in UTF-16.
//
// Trains at a station and trains by number answer with each train's whole
// run, first stop to last, marked "S": a line that depends on the train
// alone, yet costs its fares, its journey time (every stop read) and its
// names each time it is written. A busy station lists hundreds of them, and
// a traveller asks about the same stations again and again. So a loaded
// database keeps each train's line from the first query that writes it on,
// in the UTF-16 a host receives, and later answers copy it into the host's
// buffer. (A line converts the same alone as within a longer text: it begins
// with its ASCII marker and ends with ASCII fare digits.) Making the cache
// only makes the empty slots (8 bytes a train); a kept line costs its length
// in UTF-16 but for its ASCII end (from the journey time on, a byte a unit),
// and six bytes, in chunks shared by all lines.
//
// One slot per train, each filled at most once by compare-and-swap: any
// number of threads may read and fill slots at the same time. A line, once
// kept, stays at its address until the cache is destroyed. The lines belong
// to the tables the cache was made for, which never change.
#ifndef MURLO_PRESENT_WHOLE_RUN_LINES_H_
#define MURLO_PRESENT_WHOLE_RUN_LINES_H_

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "db/timetable_db.h"
#include "present/utf16_piece.h"

namespace murlo {

// A kept line: the UTF-16 form of the train's whole-run line (empty where
// the tables give no line).
struct KeptLine {
  Utf16Piece text;
};

class WholeRunLines {
 public:
  // Empty slots for every train of `db`. May throw std::bad_alloc.
  explicit WholeRunLines(const TimetableDb& db);
  ~WholeRunLines();
  WholeRunLines(const WholeRunLines&) = delete;
  WholeRunLines& operator=(const WholeRunLines&) = delete;

  // The whole-run line of `train` (without "*"), the UTF-16 form of what
  // appendSegmentLine(out, db, train, 0, 0, 0) writes, written and kept if
  // it was not yet; `scratch` is where it is written in GBK first (a caller
  // keeps it from line to line, so that writing allocates nothing more).
  // REQUIRES: `db` is the database the cache was made for. May throw
  // std::bad_alloc.
  KeptLine line(const TimetableDb& db, TrainIndex train, std::string& scratch) const;
  KeptLine line(const TimetableDb& db, TrainIndex train) const;

  // Whether train `t`'s line is kept, and where; for tests and benchmarks.
  bool find(TrainIndex t, KeptLine& line) const;

 private:
  // Room for `bytes` bytes that stays until the cache is destroyed, aligned
  // for the lengths that begin a kept line. May throw
  // std::bad_alloc.
  unsigned char* allocate(std::size_t bytes) const;

  // Keeps the UTF-16 form of the GBK `line` for train t unless another
  // thread kept one first, and returns the line kept. REQUIRES: t < trains_.
  KeptLine keep(std::size_t t, std::string_view line) const;

  struct Chunk {
    std::unique_ptr<unsigned char[]> bytes;  // storage for the kept lines' units
    std::size_t size;
    std::atomic<std::size_t> used;
  };

  std::size_t trains_;
  std::unique_ptr<std::atomic<const unsigned char*>[]> slots_;
  // The chunks the lines lie in: the current one is filled by atomic bumps;
  // a new one is added under the mutex.
  mutable std::mutex chunksMutex_;
  mutable std::vector<std::unique_ptr<Chunk>> chunks_;
  mutable std::atomic<Chunk*> current_{nullptr};
};

}  // namespace murlo

#endif  // MURLO_PRESENT_WHOLE_RUN_LINES_H_
