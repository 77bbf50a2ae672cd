// A list of byte texts kept in one contiguous buffer.
//
// The timetable's lists (station names, call lists, stop lists, ...) hold
// thousands of short texts. Storing them end to end with an offset table costs
// one allocation per list instead of one per entry, and keeps a loaded
// database close to the size of its file.
#ifndef MURLO_DB_TEXT_LIST_H_
#define MURLO_DB_TEXT_LIST_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace murlo {

class TextList {
 public:
  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }

  // REQUIRES: i < size().
  std::string_view operator[](std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(bytes_).substr(begin, ends_[i] - begin);
  }

  // The entry at i, or the empty text when i is outside the list.
  std::string_view at_or_empty(std::size_t i) const {
    return i < size() ? (*this)[i] : std::string_view();
  }

  void push_back(std::string_view text) {
    bytes_.append(text);
    ends_.push_back(bytes_.size());
  }

  void reserve(std::size_t entries, std::size_t bytes) {
    ends_.reserve(entries);
    bytes_.reserve(bytes);
  }

  // Bytes held by all entries together.
  std::size_t total_bytes() const { return bytes_.size(); }

  // Releases spare capacity once a list is complete.
  void shrink_to_fit() {
    bytes_.shrink_to_fit();
    ends_.shrink_to_fit();
  }

  friend bool operator==(const TextList&, const TextList&) = default;

 private:
  std::string bytes_;
  std::vector<std::size_t> ends_;
};

}  // namespace murlo

#endif  // MURLO_DB_TEXT_LIST_H_
