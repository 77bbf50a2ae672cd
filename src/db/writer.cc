#include "db/writer.h"

#include <string_view>

namespace murlo {

std::string PackError::message() const {
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

}  // namespace

std::optional<PackError> plainSectionsOf(const TimetableDb& db, PlainSections& plain) {
  PlainSections out;
  out.header = db.headerText;
  out.sections[0] = db.trainClassCodes;
  out.sections[1] = db.trainFareColumnCodes;
  out.sections[2] = db.trainFareRateCodes;
  if (auto error = joinList(db.trainNumbers, 4, 'O', out.sections[3])) return error;

  if (db.stationNames.size() != db.stationAbbreviations.size()) {
    return PackError{5, 0, "the station names and abbreviations differ in number"};
  }
  std::string& stations = out.sections[4];
  for (std::size_t i = 0; i < db.stationNames.size(); ++i) {
    for (const std::string_view token : {db.stationNames[i], db.stationAbbreviations[i]}) {
      if (token.empty() || token.find(' ') != std::string_view::npos) {
        return PackError{5, stations.size(),
                         "station " + std::to_string(i) + " has an empty name or " +
                             "abbreviation, or one with a space"};
      }
      if (!stations.empty()) stations += ' ';
      stations.append(token);
    }
  }
  if (auto error = joinList(db.stationCallLists, 6, 'O', out.sections[5])) return error;
  if (auto error = joinList(db.trainStopLists, 7, 'O', out.sections[6])) return error;
  plain = std::move(out);
  return std::nullopt;
}

}  // namespace murlo
