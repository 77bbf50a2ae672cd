// WholeRunLineCache: each train's whole-run line, kept once a query has
// written it (see present/whole_run_lines.h). Never stored in the file.
#ifndef MURLO_DB_WHOLE_RUN_LINES_H_
#define MURLO_DB_WHOLE_RUN_LINES_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace murlo {

struct TimetableDb;

// The sizes of the tables a train's line is read from.
struct TableShape {
  int32_t trainCount = 0;
  int32_t stationCount = 0;
  std::size_t trainNumbers = 0;
  std::size_t trainStopLists = 0;
  std::size_t stationNames = 0;
  std::size_t classCodes = 0;
  std::size_t fareColumnCodes = 0;
  std::size_t fareRateCodes = 0;
  friend bool operator==(const TableShape&, const TableShape&) = default;
};

// One slot per train, each filled at most once: any number of threads may
// read and fill slots at the same time. A line, once kept, stays at its
// address until the cache is destroyed.
class WholeRunLineCache {
 public:
  WholeRunLineCache(std::size_t trains, const TableShape& builtFor);
  ~WholeRunLineCache();
  WholeRunLineCache(const WholeRunLineCache&) = delete;
  WholeRunLineCache& operator=(const WholeRunLineCache&) = delete;

  std::size_t size() const { return trains_; }
  // The sizes of the tables the lines belong to.
  const TableShape& builtFor() const { return builtFor_; }

  // Whether train t's line is kept, and where. REQUIRES: t < size().
  bool find(std::size_t t, std::string_view& line) const;

  // Keeps a copy of `line` for train t unless another thread kept one first,
  // and returns the line kept. May throw std::bad_alloc. REQUIRES: t < size().
  std::string_view keep(std::size_t t, std::string_view line) const;

 private:
  // A kept line: its length, then its bytes, in one allocation.
  static std::string_view textOf(const char* kept);

  std::size_t trains_;
  TableShape builtFor_;
  std::unique_ptr<std::atomic<const char*>[]> slots_;
};

// Gives `db` an empty cache for its tables as they stand. May throw
// std::bad_alloc.
void prepareWholeRunLines(TimetableDb& db);

// Whether `db` has a cache for tables of the present sizes.
bool wholeRunLinesCurrent(const TimetableDb& db);

}  // namespace murlo

#endif  // MURLO_DB_WHOLE_RUN_LINES_H_
