// A list of byte texts kept in one contiguous buffer.
//
// The timetable's lists (station names, call lists, stop lists, ...) hold
// thousands of short texts. Each entry is a span of one buffer: either the
// list's own, filled by push_back, or a loaded file's, which the list borrows
// (the loader keeps the file alive beside the tables, so loading copies no
// text and a loaded database stays close to the size of its file).
#ifndef MURLO_DB_TEXT_LIST_H_
#define MURLO_DB_TEXT_LIST_H_

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace murlo {

class TextList {
 public:
  // Where an entry lies in the list's buffer: bytes [begin, end).
  struct Span {
    uint32_t begin;
    uint32_t end;
  };

  std::size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }

  // REQUIRES: i < size().
  std::string_view operator[](std::size_t i) const {
    const Span span = spans_[i];
    return std::string_view(bytes() + span.begin, span.end - span.begin);
  }

  // The entry at i, or the empty text when i is outside the list.
  std::string_view at_or_empty(std::size_t i) const {
    return i < size() ? (*this)[i] : std::string_view();
  }

  // Appends a copy of `text` (a list that borrows copies its entries first).
  // Throws std::length_error past 4 GiB of text.
  void push_back(std::string_view text) {
    if (borrowed_ != nullptr) ownEntries();
    if (text.size() > UINT32_MAX - owned_.size()) {
      throw std::length_error("TextList: more than 4 GiB of text");
    }
    const auto begin = static_cast<uint32_t>(owned_.size());
    owned_.append(text);
    spans_.push_back(Span{begin, static_cast<uint32_t>(owned_.size())});
  }

  // Makes the list the entries `spans` of `buffer`, which it does not own:
  // the buffer must stay alive and unchanged as long as the list, or any copy
  // of it, is read.
  void borrow(const char* buffer, std::vector<Span> spans) {
    owned_.clear();
    owned_.shrink_to_fit();
    borrowed_ = buffer;
    spans_ = std::move(spans);
  }

  void reserve(std::size_t entries, std::size_t bytes) {
    spans_.reserve(entries);
    owned_.reserve(bytes);
  }

  // Bytes held by all entries together.
  std::size_t total_bytes() const {
    std::size_t total = 0;
    for (const Span span : spans_) total += span.end - span.begin;
    return total;
  }

  // Releases spare capacity once a list is complete.
  void shrink_to_fit() {
    owned_.shrink_to_fit();
    spans_.shrink_to_fit();
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
  const char* bytes() const { return borrowed_ != nullptr ? borrowed_ : owned_.data(); }

  void ownEntries() {
    TextList copy;
    copy.reserve(size(), total_bytes());
    for (std::size_t i = 0; i < size(); ++i) copy.push_back((*this)[i]);
    *this = std::move(copy);
  }

  std::string owned_;
  const char* borrowed_ = nullptr;
  std::vector<Span> spans_;
};

}  // namespace murlo

#endif  // MURLO_DB_TEXT_LIST_H_
