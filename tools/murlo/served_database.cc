#include "served_database.h"

#include "host.h"

namespace murlo::tool {

ServedDatabase::Reading::~Reading() { database_.endReading(); }

ServedDatabase::Reading ServedDatabase::read() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !loading_ && loadsWaiting_ == 0; });
  ++readers_;
  return Reading(*this, stations_);
}

void ServedDatabase::endReading() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (--readers_ == 0) changed_.notify_all();
}

std::optional<std::string> ServedDatabase::load() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    ++loadsWaiting_;
    changed_.wait(lock, [this] { return !loading_ && readers_ == 0; });
    --loadsWaiting_;
    loading_ = true;
  }
  // Nothing may leave this function with loading_ still set.
  std::optional<std::string> error;
  bool replaced = false;
  std::shared_ptr<const std::vector<StationEntry>> stations;
  try {
    error = loadDatabase(path_);
    replaced = !error;
    if (replaced) {
      if (auto list = loadedStations()) {
        stations = std::make_shared<const std::vector<StationEntry>>(std::move(*list));
      }
    }
  } catch (const std::exception&) {
    if (!replaced) error = "out of memory";  // short enough to need no memory
  }
  std::lock_guard<std::mutex> lock(mutex_);
  // A new database without its list (memory ran out) leaves the list to
  // each question rather than keep the old one's.
  if (replaced) stations_ = std::move(stations);
  loading_ = false;
  changed_.notify_all();
  return error;
}

}  // namespace murlo::tool
