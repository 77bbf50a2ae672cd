#include "db/sections.h"

#include <algorithm>
#include <cstdint>

namespace murlo {

SectionTexts descrambleSections(std::span<char> file) {
  SectionTexts texts;
  const std::size_t headerEnd = std::min(file.size(), kHeaderSize);
  std::string_view header(file.data(), headerEnd);
  texts.header = header.substr(0, header.find('\0'));

  std::size_t start = headerEnd;
  for (int s = 0; s < kSectionCount && start < file.size(); ++s) {
    const DecodeTable& table = decodeTable(static_cast<Section>(s + 1));
    std::size_t i = start;
    for (; i < file.size(); ++i) {
      const auto plain = table[static_cast<uint8_t>(file[i])];
      file[i] = static_cast<char>(plain);
      if (plain == static_cast<uint8_t>(kSectionTerminator)) break;
    }
    if (i == file.size()) break;  // no terminator: the section is not processed
    texts.sections[static_cast<std::size_t>(s)] = std::string_view(file.data() + start, i - start);
    texts.terminated = s + 1;
    start = i + 1;
  }
  return texts;
}

}  // namespace murlo
