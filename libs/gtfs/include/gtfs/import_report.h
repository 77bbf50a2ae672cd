// What an import had to change, drop or split, and why: warnings grouped by
// kind, each with where it happened. A few of each kind are printed with a
// count of the rest, so a large feed's report stays readable.
#ifndef MURLO_GTFS_IMPORT_REPORT_H_
#define MURLO_GTFS_IMPORT_REPORT_H_

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace murlo::gtfs {

class ImportReport {
 public:
  // One warning of the kind `kind` (a short phrase naming what happened and
  // to what, such as "trips dropped: fewer than 2 stops"); `detail` says
  // where ("feed/stop_times.txt:12: trip T1").
  void warn(std::string_view kind, std::string detail);

  // The warnings of the kind, in all.
  std::size_t count(std::string_view kind) const;
  std::size_t total() const;

  // Prints "murlo: warning: DETAIL (KIND)" lines: every warning when `all`,
  // otherwise the first `examples` of each kind and then "... and N more".
  void print(std::ostream& out, bool all, std::size_t examples = 5) const;

 private:
  struct Kind {
    std::string name;
    std::vector<std::string> details;
  };
  std::vector<Kind> kinds_;  // in the order first seen
};

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_IMPORT_REPORT_H_
