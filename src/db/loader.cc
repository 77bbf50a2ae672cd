#include "db/loader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace murlo {
namespace {

// A section's text ends at its first zero byte, if it holds one.
std::string_view untilZero(std::string_view text) { return text.substr(0, text.find('\0')); }

// The offset of `at` in `storage` as a span bound.
uint32_t offsetIn(const char* storage, const char* at) {
  const auto offset = static_cast<uint64_t>(at - storage);
  if (offset > uint64_t{UINT32_MAX}) throw std::length_error("a list entry beyond 4 GiB");
  return static_cast<uint32_t>(offset);
}

// The first separator in [p, end), or end. The first `near` bytes are
// scanned one by one (tokens of a few bytes: names, numbers), the rest with
// memchr (records, hundreds of bytes a token).
const char* findSeparator(const char* p, const char* end, char separator, std::ptrdiff_t near) {
  for (const char* const last = p + std::min<std::ptrdiff_t>(end - p, near); p < last; ++p) {
    if (*p == separator) return p;
  }
  if (p == end) return end;
  const void* found = std::memchr(p, separator, static_cast<std::size_t>(end - p));
  return found != nullptr ? static_cast<const char*>(found) : end;
}

// How many bytes of a token of `section` findSeparator scans one by one.
std::ptrdiff_t nearBytes(Section section) {
  return section == Section::kCallLists || section == Section::kStopLists ? 0 : 32;
}

// Calls consume(begin, end) for each token of `text`: the runs between
// separators, a run of separators counting as one.
template <typename Consumer>
void forEachToken(std::string_view text, char separator, std::ptrdiff_t near, Consumer&& consume) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    if (*p == separator) {
      ++p;
      continue;
    }
    const char* tokenEnd = findSeparator(p, end, separator, near);
    consume(p, tokenEnd);
    p = tokenEnd;
  }
}

// The spans of the tokens of `text` in `storage`.
std::vector<TextList::Span> tokenSpans(std::string_view text, char separator, std::ptrdiff_t near,
                                       const char* storage) {
  std::vector<TextList::Span> spans;
  forEachToken(text, separator, near, [&](const char* begin, const char* end) {
    spans.push_back(TextList::Span{offsetIn(storage, begin), offsetIn(storage, end)});
  });
  spans.shrink_to_fit();
  return spans;
}

}  // namespace

TableLists readTableLists(const SectionTexts& texts, const std::shared_ptr<const char[]>& storage) {
  TableLists lists;
  const char* const base = storage.get();
  lists.headerText = std::string(texts.header);
  for (int s = 1; s <= texts.terminated; ++s) {
    const auto section = static_cast<Section>(s);
    const std::string_view text = untilZero(texts.sections[static_cast<std::size_t>(s - 1)]);
    const char separator = tokenSeparator(section);
    if (const auto codes = codeTextOf(section)) {
      lists.*codes = std::string(text);
    } else if (const auto list = listOf(section)) {
      lists.*list = TextList(storage, tokenSpans(text, separator, nearBytes(section), base));
    } else {
      // Section 5: names and abbreviations alternate.
      std::vector<TextList::Span> names;
      std::vector<TextList::Span> abbreviations;
      bool isName = true;
      forEachToken(text, separator, nearBytes(section), [&](const char* begin, const char* end) {
        (isName ? names : abbreviations)
            .push_back(TextList::Span{offsetIn(base, begin), offsetIn(base, end)});
        isName = !isName;
      });
      names.shrink_to_fit();
      abbreviations.shrink_to_fit();
      lists.stationNames = TextList(storage, std::move(names));
      lists.stationAbbreviations = TextList(storage, std::move(abbreviations));
    }
  }
  return lists;
}

TimetableDb parseDatabase(std::span<char> file) { return parseDatabaseFile(file).tables; }

ParsedFile parseDatabaseFile(std::span<char> file) {
  const SectionTexts texts = descrambleSections(file);
  // The tables keep their own copy of the file, the texts moved onto it.
  std::shared_ptr<char[]> copy(new char[file.size() + 1]);
  if (!file.empty()) std::memcpy(copy.get(), file.data(), file.size());
  SectionTexts moved = texts;
  const auto onCopy = [&](std::string_view text) {
    return text.data() == nullptr
               ? text
               : std::string_view(copy.get() + (text.data() - file.data()), text.size());
  };
  moved.header = onCopy(texts.header);
  for (auto& section : moved.sections) section = onCopy(section);
  ParsedFile parsed{TimetableDb(readTableLists(moved, std::move(copy))), {}};
  parsed.extension =
      readExtension(texts.trailer, parsed.tables.trainCount(), parsed.tables.stationCount());
  return parsed;
}

LoadResult loadDatabaseFile(const NativePath& path, TimetableDb& db, NetworkExtension& extension,
                            RecordsInFile* inFile) {
  try {
    FileBytes bytes;
    switch (readWholeFile(path, bytes)) {
      case ReadStatus::kOk: break;
      case ReadStatus::kCannotOpen: return LoadResult::kCannotOpen;
      case ReadStatus::kCannotSize: return LoadResult::kCannotSize;
      case ReadStatus::kReadFailed: return LoadResult::kFailed;
    }
    const SectionTexts texts = descrambleSections(std::span<char>(bytes.data.get(), bytes.size));
    // The tables keep the file itself, the trailer's bytes with it.
    const std::string_view trailer = texts.trailer;
    const std::shared_ptr<const char[]> storage(std::move(bytes.data));
    TimetableDb tables(readTableLists(texts, storage));
    RecordsInFile records;
    ExtensionRead read = readExtension(trailer, tables.trainCount(), tables.stationCount(),
                                       inFile != nullptr ? &records : nullptr);
    if (read.state == ExtensionState::kDamaged) return LoadResult::kFailed;
    db = std::move(tables);
    extension = std::move(read.extension);
    if (inFile != nullptr) {
      records.file = storage;
      records.size = bytes.size;
      *inFile = std::move(records);
    }
    return LoadResult::kLoaded;
  } catch (...) {
    return LoadResult::kFailed;
  }
}

}  // namespace murlo
