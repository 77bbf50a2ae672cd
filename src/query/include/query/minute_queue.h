// A priority queue of (minutes, value) pairs for searches whose minutes never
// go below the last taken (Dijkstra over lengths that are never negative): a
// bucket for each minute of a window of them, taken in order, each bucket a
// list through the entries. Minutes past the window wait apart until the
// window reaches them. A network's searches stay within a few thousand
// minutes, so an entry costs a link and its bucket's turn, not a heap's walk.
#ifndef MURLO_QUERY_MINUTE_QUEUE_H_
#define MURLO_QUERY_MINUTE_QUEUE_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace murlo {

class MinuteQueue {
 public:
  struct Entry {
    uint32_t minutes;
    uint32_t value;
  };

  MinuteQueue() : head_(kWindow, kNone) {}

  bool empty() const { return size_ == 0; }
  // Room for `count` entries in the window without growing.
  void reserve(std::size_t count) { links_.reserve(count); }

  // REQUIRES: `minutes` is no fewer than those of the entry last taken.
  void push(uint32_t minutes, uint32_t value) {
    ++size_;
    if (minutes - base_ >= kWindow) {
      later_.push_back(Entry{minutes, value});
      return;
    }
    uint32_t& head = head_[minutes - base_];
    links_.push_back(Link{Entry{minutes, value}, head});
    head = static_cast<uint32_t>(links_.size() - 1);
  }

  // An entry of the fewest minutes. REQUIRES: !empty().
  Entry pop() {
    while (at_ < kWindow && head_[at_] == kNone) ++at_;
    if (at_ == kWindow) moveWindow();
    const Link& link = links_[head_[at_]];
    head_[at_] = link.next;
    --size_;
    return link.entry;
  }

 private:
  static constexpr uint32_t kWindow = 4096;
  static constexpr uint32_t kNone = UINT32_MAX;
  struct Link {
    Entry entry;
    uint32_t next;
  };

  // The window from the fewest minutes waiting apart on, and those within
  // it placed in their buckets (the window is empty).
  void moveWindow() {
    base_ = std::min_element(later_.begin(), later_.end(), [](const Entry& a, const Entry& b) {
              return a.minutes < b.minutes;
            })->minutes;
    at_ = 0;
    links_.clear();
    std::vector<Entry> still;
    for (const Entry& e : later_) {
      if (e.minutes - base_ >= kWindow) {
        still.push_back(e);
        continue;
      }
      uint32_t& head = head_[e.minutes - base_];
      links_.push_back(Link{e, head});
      head = static_cast<uint32_t>(links_.size() - 1);
    }
    later_ = std::move(still);
  }

  std::vector<uint32_t> head_;  // by minute of the window: its first link, or kNone
  std::vector<Link> links_;
  std::vector<Entry> later_;  // past the window
  uint32_t base_ = 0;         // the window's first minute
  uint32_t at_ = 0;           // no bucket before it holds an entry
  std::size_t size_ = 0;
};

}  // namespace murlo

#endif  // MURLO_QUERY_MINUTE_QUEUE_H_
