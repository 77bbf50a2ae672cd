#include "db/text_list.h"

#include <cstring>
#include <stdexcept>

namespace murlo {
namespace {

template <typename Entry>
TextList copyEntries(std::span<const Entry> entries) {
  std::size_t total = 0;
  for (const Entry& entry : entries) total += entry.size();
  if (total > UINT32_MAX) throw std::length_error("TextList: more than 4 GiB of text");
  std::shared_ptr<char[]> buffer(new char[total == 0 ? 1 : total]);
  std::vector<TextList::Span> spans;
  spans.reserve(entries.size());
  uint32_t at = 0;
  for (const Entry& entry : entries) {
    if (!entry.empty()) std::memcpy(buffer.get() + at, entry.data(), entry.size());
    const auto end = static_cast<uint32_t>(at + entry.size());
    spans.push_back(TextList::Span{at, end});
    at = end;
  }
  return TextList(std::move(buffer), std::move(spans));
}

}  // namespace

TextList TextList::copyOf(std::span<const std::string> entries) { return copyEntries(entries); }

TextList TextList::copyOf(std::span<const std::string_view> entries) {
  return copyEntries(entries);
}

}  // namespace murlo
