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
// A line is kept with the number of UTF-16 code units it converts to, so
// that an answer made of kept lines knows its size before anything is
// converted. (A line converts the same alone as within a longer text: it
// begins with its ASCII marker and ends with ASCII fare digits.)
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

// A kept line: its GBK text (empty where the tables give no line) and the
// length of its UTF-16 form.
struct KeptLine {
  std::string_view text;
  std::size_t utf16Length = 0;
};

class WholeRunLines {
 public:
  // Empty slots for every train of `db`. May throw std::bad_alloc.
  explicit WholeRunLines(const TimetableDb& db);
  ~WholeRunLines();
  WholeRunLines(const WholeRunLines&) = delete;
  WholeRunLines& operator=(const WholeRunLines&) = delete;

  // The whole-run line of `train` (without "*"), as appendSegmentLine(out,
  // db, train, 0, 0, 0) writes it, written and kept if it was not yet.
  // REQUIRES: `db` is the database the cache was made for. May throw
  // std::bad_alloc.
  KeptLine line(const TimetableDb& db, TrainIndex train) const;
  // The same, writing a line that is not kept yet in `scratch` (which a
  // caller keeps from line to line, so that writing allocates nothing).
  KeptLine line(const TimetableDb& db, TrainIndex train, std::string& scratch) const;

  // Whether train `t`'s line is kept, and where; for tests and benchmarks.
  bool find(TrainIndex t, KeptLine& line) const;

 private:
  // Keeps a copy of `line` for train t unless another thread kept one
  // first, and returns the line kept. REQUIRES: t < trains_.
  KeptLine keep(std::size_t t, std::string_view line) const;

  std::size_t trains_;
  std::unique_ptr<std::atomic<const char*>[]> slots_;
};

}  // namespace murlo

#endif  // MURLO_PRESENT_WHOLE_RUN_LINES_H_
