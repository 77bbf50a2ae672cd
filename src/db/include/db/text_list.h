// A list of byte texts kept in one contiguous buffer.
//
// The timetable's lists (station names, call lists, stop lists, ...) hold
// thousands of short texts. Each entry is a span of one buffer, which the
// list shares: a loaded file's bytes (so loading copies no text, and a loaded
// database stays close to the size of its file) or a buffer of its own. A
// list never changes once made; copies share the buffer.
#ifndef MURLO_DB_TEXT_LIST_H_
#define MURLO_DB_TEXT_LIST_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace murlo {

class TextList {
 public:
  // Where an entry lies in the buffer: bytes [begin, end).
  struct Span {
    uint32_t begin;
    uint32_t end;
  };

  TextList() = default;
  // The entries `spans` of `buffer`. REQUIRES: every span lies within the
  // buffer.
  TextList(std::shared_ptr<const char[]> buffer, std::vector<Span> spans)
      : buffer_(std::move(buffer)), spans_(std::move(spans)) {}

  // A list of copies of `entries`, in a buffer of its own. Throws
  // std::length_error past 4 GiB of text, std::bad_alloc.
  static TextList copyOf(std::span<const std::string> entries);
  static TextList copyOf(std::span<const std::string_view> entries);

  std::size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }

  // REQUIRES: i < size().
  std::string_view operator[](std::size_t i) const {
    const Span span = spans_[i];
    return std::string_view(buffer_.get() + span.begin, span.end - span.begin);
  }

  // The entry at i, or the empty text when i is outside the list.
  std::string_view at_or_empty(std::size_t i) const {
    return i < size() ? (*this)[i] : std::string_view();
  }

  // Bytes held by all entries together.
  std::size_t total_bytes() const {
    std::size_t total = 0;
    for (const Span span : spans_) total += span.end - span.begin;
    return total;
  }

  // Lists are equal when their entries are, wherever the bytes lie.
  friend bool operator==(const TextList& a, const TextList& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i] != b[i]) return false;
    }
    return true;
  }

 private:
  std::shared_ptr<const char[]> buffer_;
  std::vector<Span> spans_;
};

}  // namespace murlo

#endif  // MURLO_DB_TEXT_LIST_H_
