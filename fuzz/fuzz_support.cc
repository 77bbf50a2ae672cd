#include "fuzz_support.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <span>

#include "db/file_format.h"
#include "db/sections.h"

namespace murlo::fuzz {

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

namespace {

using StoreTable = std::array<std::optional<uint8_t>, 256>;

// Per section: for each plain byte, a stored byte that reads back as it. The
// writer's own form comes first; a zero byte (which the writer refuses but a
// file may hold) gets any stored byte that reads as zero. '%' gets none.
const std::array<StoreTable, kSectionCount>& storeTables() {
  static const std::array<StoreTable, kSectionCount> tables = [] {
    std::array<StoreTable, kSectionCount> all{};
    for (int s = 1; s <= kSectionCount; ++s) {
      const auto section = static_cast<Section>(s);
      StoreTable& table = all[static_cast<std::size_t>(s - 1)];
      for (int p = 0; p < 256; ++p)
        table[static_cast<std::size_t>(p)] = encodeByte(section, static_cast<uint8_t>(p));
      const DecodeTable& decode = decodeTable(section);
      for (int b = 0; b < 256; ++b) {
        const uint8_t plain = decode[static_cast<std::size_t>(b)];
        if (plain == static_cast<uint8_t>(kSectionTerminator)) continue;
        if (!table[plain]) table[plain] = static_cast<uint8_t>(b);
      }
    }
    return all;
  }();
  return tables;
}

}  // namespace

std::string assembleFile(std::string_view header, const std::string* sections, int count,
                         std::string_view tail) {
  std::string file(header);
  for (int s = 0; s < count; ++s) {
    const StoreTable& table = storeTables()[static_cast<std::size_t>(s)];
    for (const char c : sections[s]) {
      if (const auto stored = table[static_cast<uint8_t>(c)]) file += static_cast<char>(*stored);
    }
    file += kSectionTerminator;
  }
  file.append(tail);
  return file;
}

std::size_t mutateDatabaseFile(uint8_t* data, std::size_t size, std::size_t maxSize,
                               unsigned seed) {
  std::minstd_rand random(seed);
  if (size <= kHeaderSize || random() % 2 == 0) return LLVMFuzzerMutate(data, size, maxSize);

  std::string plainFile(reinterpret_cast<const char*>(data), size);
  const SectionTexts texts =
      descrambleSections(std::span<char>(plainFile.data(), plainFile.size()));
  std::array<std::string, kSectionCount> sections;
  std::size_t consumed = kHeaderSize;
  for (int s = 0; s < texts.terminated; ++s) {
    const std::string_view text = texts.sections[static_cast<std::size_t>(s)];
    sections[static_cast<std::size_t>(s)] = std::string(text);
    consumed = static_cast<std::size_t>(text.data() - plainFile.data()) + text.size() + 1;
  }

  // One section's plain text, mutated in place; a section beyond the last
  // terminated one adds the missing (empty) sections before it.
  const auto target = static_cast<int>(random() % kSectionCount);
  const int count = std::max(texts.terminated, target + 1);
  std::string& text = sections[static_cast<std::size_t>(target)];
  if (text.empty()) text = "0";
  const std::size_t room = maxSize > size ? maxSize - size : 0;
  const std::size_t before = text.size();
  text.resize(before + std::min<std::size_t>(room, 4096));
  text.resize(LLVMFuzzerMutate(reinterpret_cast<uint8_t*>(text.data()), before, text.size()));

  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  const std::string file = assembleFile(raw.substr(0, kHeaderSize), sections.data(), count,
                                        raw.substr(std::min(consumed, size)));
  if (file.size() > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
  std::memcpy(data, file.data(), file.size());
  return file.size();
}

}  // namespace murlo::fuzz
