#include "gtfs/import_report.h"

#include <algorithm>

namespace murlo::gtfs {

void ImportReport::warn(std::string_view kind, std::string detail) {
  auto it =
      std::find_if(kinds_.begin(), kinds_.end(), [&](const Kind& k) { return k.name == kind; });
  if (it == kinds_.end()) {
    kinds_.push_back({std::string(kind), {}});
    it = kinds_.end() - 1;
  }
  it->details.push_back(std::move(detail));
}

std::size_t ImportReport::count(std::string_view kind) const {
  for (const Kind& k : kinds_) {
    if (k.name == kind) return k.details.size();
  }
  return 0;
}

std::size_t ImportReport::total() const {
  std::size_t n = 0;
  for (const Kind& k : kinds_) n += k.details.size();
  return n;
}

void ImportReport::print(std::ostream& out, bool all, std::size_t examples) const {
  for (const Kind& k : kinds_) {
    const std::size_t shown = all ? k.details.size() : std::min(examples, k.details.size());
    for (std::size_t i = 0; i < shown; ++i) {
      out << "murlo: warning: " << k.details[i] << " (" << k.name << ")\n";
    }
    if (shown < k.details.size()) {
      out << "murlo: warning: ... and " << k.details.size() - shown << " more (" << k.name
          << "; --verbose lists all)\n";
    }
  }
}

}  // namespace murlo::gtfs
