#include "db/sections.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace murlo {
namespace {

constexpr auto kPercent = static_cast<uint8_t>(kSectionTerminator);

// Transforms bytes [begin, end) of `bytes` in place, eight at a time: all
// eight read through the table before any is written back, so the reads need
// not wait for the writes (which could, for all the compiler knows, change
// the table).
void decode(unsigned char* bytes, std::size_t begin, std::size_t end, const DecodeTable& table) {
  std::size_t i = begin;
  for (; i + 8 <= end; i += 8) {
    unsigned char plain[8];
    for (std::size_t k = 0; k < 8; ++k) plain[k] = table[bytes[i + k]];
    for (std::size_t k = 0; k < 8; ++k) bytes[i + k] = plain[k];
  }
  for (; i < end; ++i) bytes[i] = table[bytes[i]];
}

// From this many bytes on, a section is transformed two bytes at a time
// through a table of every pair of bytes (128 KiB, made for the section):
// half the look-ups, and a well-formed section, of a few byte values,
// reads only a few of its entries.
constexpr std::size_t kPairsFrom = std::size_t{256} << 10;

// decode() through a table of byte pairs, eight bytes a step.
void decodeByPairs(unsigned char* bytes, std::size_t begin, std::size_t end,
                   const DecodeTable& table) {
  const std::unique_ptr<uint16_t[]> pairs(new uint16_t[std::size_t{1} << 16]);
  // Each byte of a pair read as one uint16_t is transformed where it lies,
  // whichever byte of the file is the high one.
  for (unsigned high = 0; high < 256; ++high) {
    for (unsigned low = 0; low < 256; ++low)
      pairs[high << 8 | low] = static_cast<uint16_t>(table[high] << 8 | table[low]);
  }
  std::size_t i = begin;
  for (; i + 8 <= end; i += 8) {
    uint16_t word[4];
    for (std::size_t k = 0; k < 4; ++k) std::memcpy(&word[k], bytes + i + 2 * k, 2);
    for (std::size_t k = 0; k < 4; ++k) word[k] = pairs[word[k]];
    for (std::size_t k = 0; k < 4; ++k) std::memcpy(bytes + i + 2 * k, &word[k], 2);
  }
  decode(bytes, i, end, table);
}

// The one stored byte that reads as '%', or -1 when several do (an
// exclusive-or or addition table also turns its key's partner into '%').
int onlyTerminatorByte(const DecodeTable& table) {
  int found = -1;
  for (int b = 0; b < 256; ++b) {
    if (table[static_cast<std::size_t>(b)] != kPercent) continue;
    if (found >= 0) return -1;
    found = b;
  }
  return found;
}

}  // namespace

SectionTexts descrambleSections(std::span<char> file) {
  SectionTexts texts;
  const std::size_t headerEnd = std::min(file.size(), kHeaderSize);
  std::string_view header(file.data(), headerEnd);
  texts.header = header.substr(0, header.find('\0'));

  auto* const bytes = reinterpret_cast<unsigned char*>(file.data());
  std::size_t start = headerEnd;
  for (int s = 0; s < kSectionCount && start < file.size(); ++s) {
    const DecodeTable& table = decodeTable(static_cast<Section>(s + 1));
    // The section ends at the first byte that reads as '%'. Where a single
    // stored byte does, it is searched for before anything is transformed
    // (the large sections), else each byte is transformed, then tested.
    std::size_t end = file.size();
    if (const int terminator = onlyTerminatorByte(table); terminator >= 0) {
      const void* found = std::memchr(bytes + start, terminator, file.size() - start);
      if (found != nullptr)
        end = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - bytes);
      const std::size_t through = std::min(end + 1, file.size());
      if (through - start >= kPairsFrom) {
        decodeByPairs(bytes, start, through, table);
      } else {
        decode(bytes, start, through, table);
      }
    } else {
      for (std::size_t i = start; i < file.size(); ++i) {
        bytes[i] = table[bytes[i]];
        if (bytes[i] == kPercent) {
          end = i;
          break;
        }
      }
    }
    if (end == file.size()) break;  // no terminator: the section is not processed
    texts.sections[static_cast<std::size_t>(s)] =
        std::string_view(file.data() + start, end - start);
    texts.terminated = s + 1;
    start = end + 1;
  }
  if (texts.terminated == kSectionCount)
    texts.trailer = std::string_view(file.data() + start, file.size() - start);
  return texts;
}

}  // namespace murlo
