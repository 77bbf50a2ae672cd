#include "serve/served_database.h"

#include <exception>

namespace murlo::tool {

ServedDatabase::Snapshot ServedDatabase::current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return served_;
}

ServedDatabase::Record ServedDatabase::record() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return record_;
}

Status ServedDatabase::load() {
  Snapshot fresh;
  Status opened;
  try {
    auto handle = openDatabase(path_);
    if (!handle.ok()) {
      opened = handle.status();
    } else {
      fresh.handle = std::move(*handle);
      if (auto list = stationEntries(fresh.handle.get())) {
        fresh.stations = std::make_shared<const std::vector<StationEntry>>(std::move(*list));
      }
    }
  } catch (const std::exception&) {
    // Memory ran out: a database opened without its list leaves the list to
    // each question; one not opened leaves the old one served.
    if (!fresh.handle) opened = Status::outOfMemory();
  }
  if (!opened.ok()) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (served_.handle) ++record_.reloadsRefused;
    return opened;
  }
  return swapIn(std::move(fresh));
}

Status ServedDatabase::swapIn(Snapshot fresh) {
  std::string header = murlo_db_header(fresh.handle.get());
  std::lock_guard<std::mutex> lock(mutex_);
  if (served_.handle) ++record_.reloadsDone;
  served_ = std::move(fresh);
  record_.loadedAt = std::chrono::steady_clock::now();
  record_.header = std::move(header);
  return Status();
}

}  // namespace murlo::tool
