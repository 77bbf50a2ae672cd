// Whole-run lines, each written once and then kept.
//
// Trains at a station and trains by number answer with each train's whole
// run, first stop to last, marked "S": a line that depends on the train
// alone, yet costs its fares, its journey time (every stop read) and its
// names each time it is written. A busy station lists hundreds of them, and
// a traveller asks about the same stations again and again. So a loaded
// database keeps each train's line from the first query that writes it on;
// later queries copy it. Making the cache only makes the empty slots (8
// bytes a train); a kept line costs about 100 bytes.
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
#include <string>
#include <string_view>

#include "db/timetable_db.h"

namespace murlo {

class WholeRunLines {
 public:
  // Empty slots for every train of `db`. May throw std::bad_alloc.
  explicit WholeRunLines(const TimetableDb& db);
  ~WholeRunLines();
  WholeRunLines(const WholeRunLines&) = delete;
  WholeRunLines& operator=(const WholeRunLines&) = delete;

  // The whole-run line of `train` (without "*"; the empty text where the
  // tables cannot give one), written and kept if it was not yet.
  // REQUIRES: `db` is the database the cache was made for. May throw
  // std::bad_alloc.
  std::string_view line(const TimetableDb& db, TrainIndex train) const;

  // Appends the whole-run line of `train` to `out`, as appendSegmentLine(out,
  // db, train, 0, 0, 0) does, and returns whether there is one. Copies the
  // kept line, or writes the line and keeps it. REQUIRES as line(). May
  // throw std::bad_alloc; `out` may then have grown.
  bool append(std::string& out, const TimetableDb& db, TrainIndex train) const;

  // Whether train `t`'s line is kept, and where; for tests and benchmarks.
  bool find(TrainIndex t, std::string_view& line) const;

 private:
  // Keeps a copy of `line` for train t unless another thread kept one
  // first, and returns the line kept. REQUIRES: t < trains_.
  std::string_view keep(std::size_t t, std::string_view line) const;

  std::size_t trains_;
  std::unique_ptr<std::atomic<const char*>[]> slots_;
};

}  // namespace murlo

#endif  // MURLO_PRESENT_WHOLE_RUN_LINES_H_
