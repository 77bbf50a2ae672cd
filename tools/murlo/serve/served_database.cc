#include "serve/served_database.h"

#include <exception>

namespace murlo::tool {

ServedDatabase::Snapshot ServedDatabase::current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return served_;
}

Status ServedDatabase::load() {
  Snapshot fresh;
  try {
    auto opened = openDatabase(path_);
    if (!opened.ok()) return opened.status();
    fresh.handle = std::move(*opened);
    if (auto list = stationEntries(fresh.handle.get())) {
      fresh.stations = std::make_shared<const std::vector<StationEntry>>(std::move(*list));
    }
  } catch (const std::exception&) {
    // Memory ran out: a database opened without its list leaves the list to
    // each question; one not opened leaves the old one served.
    if (!fresh.handle) return Status::outOfMemory();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  served_ = std::move(fresh);
  return Status();
}

}  // namespace murlo::tool
