#include "api/current_db.h"

#include <mutex>
#include <utility>

namespace murlo {
namespace {

// The empty database of a library that has loaded nothing yet, made when
// the library is loaded.
const LoadedDatabase kEmptyDb;

// The mutex guards only the pointer, held for a copy or a swap, never during
// a query or a load.
std::mutex currentMutex;
std::shared_ptr<const LoadedDatabase> current;

}  // namespace

std::shared_ptr<const LoadedDatabase> currentDb() noexcept {
  {
    std::lock_guard<std::mutex> lock(currentMutex);
    if (current) return current;
  }
  // Aliasing an empty owner: a pointer to the static empty database that
  // owns nothing and allocates nothing.
  return std::shared_ptr<const LoadedDatabase>(std::shared_ptr<const LoadedDatabase>(), &kEmptyDb);
}

void replaceCurrentDb(std::shared_ptr<const LoadedDatabase> db) noexcept {
  std::shared_ptr<const LoadedDatabase> previous;
  {
    std::lock_guard<std::mutex> lock(currentMutex);
    previous = std::exchange(current, std::move(db));
  }
  // `previous` is released here, outside the lock.
}

}  // namespace murlo
