// Progress of reading a large feed file, on standard error: a line at every
// tenth of the file, only for files of 8 MiB and more.
#ifndef MURLO_GTFS_PROGRESS_H_
#define MURLO_GTFS_PROGRESS_H_

#include <cstdint>
#include <ostream>
#include <string>

namespace murlo::gtfs {

class Progress {
 public:
  // `out` null: silent.
  explicit Progress(std::ostream* out) : out_(out) {}

  // Starts reporting on the file `name` of `size` bytes.
  void begin(const std::string& name, uint64_t size);
  // `done` of the file's bytes read, `rows` records.
  void update(uint64_t done, uint64_t rows);
  // The file is read.
  void end(uint64_t rows);

 private:
  std::ostream* out_;
  std::string name_;
  uint64_t size_ = 0;
  int shown_ = 0;  // tenths reported
  bool active_ = false;
};

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_PROGRESS_H_
