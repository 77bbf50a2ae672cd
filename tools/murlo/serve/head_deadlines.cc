#include "serve/head_deadlines.h"

#include <sys/socket.h>

#include <new>

namespace murlo::tool {

HeadDeadlines::~HeadDeadlines() {
  for (Link* link : links_) delete link;
}

HeadDeadlines::Link* HeadDeadlines::open(int fd) {
  auto* link = new (std::nothrow) Link;
  if (link == nullptr) return nullptr;
  link->fd = fd;
  answered(link);
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    links_.insert(link);
  } catch (const std::bad_alloc&) {
    delete link;
    return nullptr;
  }
  return link;
}

void HeadDeadlines::close(Link* link) {
  if (link == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    links_.erase(link);
  }
  delete link;
}

void HeadDeadlines::headRead(Link* link) {
  if (link != nullptr) link->deadline.store(0, std::memory_order_relaxed);
}

void HeadDeadlines::answered(Link* link) const {
  if (link == nullptr) return;
  link->deadline.store((Clock::now() + patience_).time_since_epoch().count(),
                       std::memory_order_relaxed);
}

std::size_t HeadDeadlines::closeLate() {
  const Clock::rep now = Clock::now().time_since_epoch().count();
  std::size_t closed = 0;
  std::lock_guard<std::mutex> lock(mutex_);
  for (Link* link : links_) {
    const Clock::rep deadline = link->deadline.load(std::memory_order_relaxed);
    if (deadline == 0 || deadline > now) continue;
    // Once: the library closes it on its next turn.
    link->deadline.store(0, std::memory_order_relaxed);
    ::shutdown(link->fd, SHUT_RDWR);
    ++closed;
  }
  return closed;
}

}  // namespace murlo::tool
