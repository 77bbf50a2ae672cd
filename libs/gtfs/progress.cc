#include "gtfs/progress.h"

namespace murlo::gtfs {
namespace {

constexpr uint64_t kLargeFile = uint64_t{8} << 20;

}  // namespace

void Progress::begin(const std::string& name, uint64_t size) {
  name_ = name;
  size_ = size;
  shown_ = 0;
  active_ = out_ != nullptr && size >= kLargeFile;
  if (active_) *out_ << "murlo: reading " << name_ << " (" << (size >> 20) << " MiB)\n";
}

void Progress::update(uint64_t done, uint64_t rows) {
  if (!active_ || size_ == 0) return;
  const auto tenths = static_cast<int>(done * 10 / size_);
  if (tenths <= shown_ || tenths >= 10) return;
  shown_ = tenths;
  *out_ << "murlo: " << name_ << ": " << tenths * 10 << "% (" << rows << " rows)\n" << std::flush;
}

void Progress::end(uint64_t rows) {
  if (active_) *out_ << "murlo: " << name_ << ": done (" << rows << " rows)\n" << std::flush;
  active_ = false;
}

}  // namespace murlo::gtfs
