#include "db/writer.h"

#include <string_view>
#include <vector>

#include "db/extension_format.h"
#include "db/sections.h"

namespace murlo {

std::string PackError::message() const {
  if (section == kExtensionPart) return "extension: " + reason;
  const std::string where =
      section == 0 ? std::string("header") : "section " + std::to_string(section);
  return where + ", byte " + std::to_string(offset) + ": " + reason;
}

namespace {

std::string describeByte(uint8_t byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "byte 0x";
  text += kHex[byte >> 4];
  text += kHex[byte & 0xF];
  return text;
}

}  // namespace

std::optional<PackError> packDatabase(const PlainSections& plain, std::string& file) {
  if (plain.header.size() > kHeaderSize) {
    return PackError{0, kHeaderSize, "the header holds more than ten bytes"};
  }
  if (const auto zero = plain.header.find('\0'); zero != std::string::npos) {
    return PackError{0, zero, "a zero byte cannot be stored in the header"};
  }
  std::size_t total = kHeaderSize;
  for (const std::string& text : plain.sections) total += text.size() + 1;

  std::string out;
  out.reserve(total);
  out.append(plain.header);
  out.append(kHeaderSize - plain.header.size(), '\0');
  for (int s = 1; s <= kSectionCount; ++s) {
    const auto section = static_cast<Section>(s);
    const std::string& text = plain.sections[static_cast<std::size_t>(s - 1)];
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto byte = static_cast<uint8_t>(text[i]);
      const std::optional<uint8_t> stored = encodeByte(section, byte);
      if (!stored) {
        return PackError{s, i, describeByte(byte) + " cannot be stored in this section"};
      }
      out.push_back(static_cast<char>(*stored));
    }
    out.push_back(kSectionTerminator);
  }
  file = std::move(out);
  return std::nullopt;
}

namespace {

std::optional<PackError> joinList(const TextList& list, int section, char separator,
                                  std::string& out) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string_view entry = list[i];
    if (entry.empty()) {
      return PackError{section, out.size(), "entry " + std::to_string(i) + " is empty"};
    }
    if (const auto at = entry.find(separator); at != std::string_view::npos) {
      return PackError{section, out.size() + at,
                       "entry " + std::to_string(i) + " holds the separator '" +
                           std::string(1, separator) + "'"};
    }
    if (i > 0) out += separator;
    out.append(entry);
  }
  return std::nullopt;
}

// Section 5: each station's name and abbreviation, all separated by spaces.
std::optional<PackError> joinStations(const TableLists& lists, std::string& out) {
  constexpr int kSection = static_cast<int>(Section::kStations);
  if (lists.stationNames.size() != lists.stationAbbreviations.size()) {
    return PackError{kSection, 0, "the station names and abbreviations differ in number"};
  }
  for (std::size_t i = 0; i < lists.stationNames.size(); ++i) {
    for (const std::string_view token : {lists.stationNames[i], lists.stationAbbreviations[i]}) {
      if (token.empty() || token.find(kStationSeparator) != std::string_view::npos) {
        return PackError{kSection, out.size(),
                         "station " + std::to_string(i) + " has an empty name or " +
                             "abbreviation, or one with a space"};
      }
      if (!out.empty()) out += kStationSeparator;
      out.append(token);
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<PackError> plainSectionsOf(const TableLists& lists, PlainSections& plain) {
  PlainSections out;
  out.header = lists.headerText;
  for (int s = 1; s <= kSectionCount; ++s) {
    const auto section = static_cast<Section>(s);
    std::string& text = out.sections[static_cast<std::size_t>(s - 1)];
    std::optional<PackError> error;
    if (const auto codes = codeTextOf(section)) {
      text = lists.*codes;
    } else if (const auto list = listOf(section)) {
      error = joinList(lists.*list, s, tokenSeparator(section), text);
    } else {
      error = joinStations(lists, text);
    }
    if (error) return error;
  }
  plain = std::move(out);
  return std::nullopt;
}

std::optional<PackError> writeDatabaseBytes(const TableLists& lists,
                                            const NetworkExtension& extension, std::string& file) {
  // Stations after the last one with a call in the sections have no entry
  // (a station served only by calls the sections leave out): a section
  // cannot hold an empty one, and no entry reads as an empty call list.
  TableLists trimmed = lists;
  std::vector<std::string_view> calls;
  for (std::size_t s = 0; s < lists.stationCallLists.size(); ++s)
    calls.push_back(lists.stationCallLists[s]);
  if (!calls.empty() && calls.back().empty()) {
    while (!calls.empty() && calls.back().empty()) calls.pop_back();
    trimmed.stationCallLists = TextList::copyOf(calls);
  }
  PlainSections plain;
  if (auto error = plainSectionsOf(trimmed, plain)) return error;
  const TimetableDb tables(trimmed);
  if (std::string problem = extensionProblem(extension, tables.trainCount(), tables.stationCount());
      !problem.empty()) {
    return PackError{kExtensionPart, 0, std::move(problem)};
  }
  std::string packed;
  if (auto error = packDatabase(plain, packed)) return error;
  packed += encodeExtension(extension);
  file = std::move(packed);
  return std::nullopt;
}

}  // namespace murlo
