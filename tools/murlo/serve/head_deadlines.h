// The time a connection has to bring a whole request head. The HTTP
// library closes a connection on which nothing arrives for a while, but a
// client that sends a byte now and then never lets that happen, and would
// hold its connection (and its buffer) for as long as it likes. Here each
// connection waiting for a head, since it was opened or since its last
// answer was sent, has a deadline; closeLate() shuts down the socket of
// every connection past it, and the library then closes it as one the
// client closed.
//
// The library says when a connection opens and closes (its socket still
// open then), when a head has been read and when an answer has been sent;
// closeLate() runs on a thread of its own.
#ifndef MURLO_TOOLS_MURLO_SERVE_HEAD_DEADLINES_H_
#define MURLO_TOOLS_MURLO_SERVE_HEAD_DEADLINES_H_

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace murlo::tool {

class HeadDeadlines {
 public:
  using Clock = std::chrono::steady_clock;

  // One connection.
  struct Link {
    int fd = -1;
    // When its head must be in, in Clock ticks; 0 while a request is answered.
    std::atomic<Clock::rep> deadline{0};
  };

  explicit HeadDeadlines(std::chrono::seconds patience) : patience_(patience) {}
  HeadDeadlines(const HeadDeadlines&) = delete;
  HeadDeadlines& operator=(const HeadDeadlines&) = delete;
  ~HeadDeadlines();

  // A connection opened on socket `fd`: waiting for its first head.
  // nullptr when memory ran out (then the connection has no deadline).
  Link* open(int fd);
  // The connection is about to be closed, its socket still open.
  void close(Link* link);
  // Its head came whole: no deadline while the request is answered.
  static void headRead(Link* link);
  // Its answer was sent: waiting for the next head.
  void answered(Link* link) const;

  // Shuts down the socket of every connection past its deadline; returns
  // how many.
  std::size_t closeLate();

 private:
  const std::chrono::seconds patience_;
  std::mutex mutex_;  // for links_: a socket in it is open
  std::unordered_set<Link*> links_;
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_HEAD_DEADLINES_H_
