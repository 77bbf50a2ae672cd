// A part of a loaded database that is made the first time a query needs it,
// not by the load: once, by whichever thread asks first, while any others
// that ask meanwhile wait for it. A build that throws (exhausted memory)
// leaves nothing made, so the next caller builds afresh; nothing is poisoned.
#ifndef MURLO_QUERY_BUILT_ON_FIRST_USE_H_
#define MURLO_QUERY_BUILT_ON_FIRST_USE_H_

#include <atomic>
#include <memory>
#include <mutex>
#include <utility>

namespace murlo {

template <typename T>
class BuiltOnFirstUse {
 public:
  BuiltOnFirstUse() = default;
  ~BuiltOnFirstUse() { delete made_.load(std::memory_order_relaxed); }
  BuiltOnFirstUse(const BuiltOnFirstUse&) = delete;
  BuiltOnFirstUse& operator=(const BuiltOnFirstUse&) = delete;

  // The part, made as T(args...) if it is not made yet. Every call must pass
  // the same arguments. May throw whatever T's constructor throws.
  template <typename... Args>
  const T& get(Args&&... args) const {
    if (const T* made = made_.load(std::memory_order_acquire)) return *made;
    std::lock_guard<std::mutex> lock(mutex_);
    if (const T* made = made_.load(std::memory_order_relaxed)) return *made;
    auto fresh = std::make_unique<const T>(std::forward<Args>(args)...);
    made_.store(fresh.get(), std::memory_order_release);
    return *fresh.release();
  }

  // Whether the part is made; for tests and benchmarks.
  bool made() const { return made_.load(std::memory_order_acquire) != nullptr; }

 private:
  mutable std::mutex mutex_;  // held only while the part is made
  mutable std::atomic<const T*> made_{nullptr};
};

}  // namespace murlo

#endif  // MURLO_QUERY_BUILT_ON_FIRST_USE_H_
