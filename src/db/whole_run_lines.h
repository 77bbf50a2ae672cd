// WholeRunLines: the whole-run line of every train, written once after a file
// is loaded (see present/whole_run_lines.h) and never stored in the file.
#ifndef MURLO_DB_WHOLE_RUN_LINES_H_
#define MURLO_DB_WHOLE_RUN_LINES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace murlo {

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

struct WholeRunLines {
  // The lines one after another, without "*"; train t's line is
  // [ends[t - 1], ends[t]) (from 0 for train 0). A train the tables cannot
  // give a line for has the empty one.
  std::string text;
  std::vector<uint32_t> ends;
  // The tables' sizes when the lines were written.
  TableShape builtFor;

  // REQUIRES: train < ends.size().
  std::string_view line(std::size_t train) const {
    const uint32_t begin = train == 0 ? 0 : ends[train - 1];
    return std::string_view(text).substr(begin, ends[train] - begin);
  }
};

}  // namespace murlo

#endif  // MURLO_DB_WHOLE_RUN_LINES_H_
