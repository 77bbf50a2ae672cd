#include "present/whole_run_lines.h"

#include <cassert>
#include <memory>
#include <string>

#include "present/segment_line.h"

namespace murlo {
std::optional<std::string_view> wholeRunLine(const TimetableDb& db, int64_t train) {
  if (!wholeRunLinesCurrent(db)) return std::nullopt;
  const WholeRunLineCache& cache = *db.wholeRunLines;
  if (train < 0 || static_cast<uint64_t>(train) >= cache.size()) return std::string_view();
  const auto t = static_cast<std::size_t>(train);
  std::string_view line;
  if (cache.find(t, line)) return line;
  return cache.keep(t, buildSegmentLine(db, train, 0, 0, 0));
}

bool appendWholeRunLine(std::string& out, const TimetableDb& db, int64_t train) {
  if (!wholeRunLinesCurrent(db)) return appendSegmentLine(out, db, train, 0, 0, 0);
  const WholeRunLineCache& cache = *db.wholeRunLines;
  // Trains outside the number table have no line (trainAt gives nothing).
  if (train < 0 || static_cast<uint64_t>(train) >= cache.size()) return false;
  const auto t = static_cast<std::size_t>(train);
  std::string_view line;
  if (cache.find(t, line)) {
    // Fails when tables were changed after loading but kept the cache.
    assert(line == buildSegmentLine(db, train, 0, 0, 0));
    out.append(line);
    return !line.empty();
  }
  // Written straight into `out`, then kept from there.
  const std::size_t start = out.size();
  const bool written = appendSegmentLine(out, db, train, 0, 0, 0);
  cache.keep(t, std::string_view(out).substr(start));
  return written;
}

}  // namespace murlo
