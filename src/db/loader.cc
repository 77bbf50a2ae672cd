#include "db/loader.h"

#include <algorithm>
#include <exception>
#include <string_view>

namespace murlo {
namespace {

// A section's text ends at its first zero byte, if it holds one.
std::string_view untilZero(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

template <typename Consumer>
void forEachToken(std::string_view text, char separator, Consumer&& consume) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == separator) {
      ++i;
      continue;
    }
    const std::size_t end = std::min(text.find(separator, i), text.size());
    consume(text.substr(i, end - i));
    i = end;
  }
}

void fillList(std::string_view text, char separator, TextList& list) {
  list.reserve(0, text.size());
  forEachToken(text, separator, [&](std::string_view token) { list.push_back(token); });
  list.shrink_to_fit();
}

}  // namespace

TimetableDb buildTables(const SectionTexts& texts) {
  TimetableDb db;
  db.headerText = std::string(texts.header);
  for (int s = 1; s <= texts.terminated; ++s) {
    const auto section = static_cast<Section>(s);
    const std::string_view text = untilZero(texts.sections[static_cast<std::size_t>(s - 1)]);
    const char separator = tokenSeparator(section);
    switch (section) {
      case Section::kClassCodes:
        db.trainClassCodes = std::string(text);
        break;
      case Section::kFareColumnCodes:
        db.trainFareColumnCodes = std::string(text);
        break;
      case Section::kFareRateCodes:
        db.trainFareRateCodes = std::string(text);
        break;
      case Section::kTrainNumbers:
        fillList(text, separator, db.trainNumbers);
        break;
      case Section::kStations: {
        bool isName = true;
        forEachToken(text, separator, [&](std::string_view token) {
          (isName ? db.stationNames : db.stationAbbreviations).push_back(token);
          isName = !isName;
        });
        db.stationNames.shrink_to_fit();
        db.stationAbbreviations.shrink_to_fit();
        break;
      }
      case Section::kCallLists:
        fillList(text, separator, db.stationCallLists);
        break;
      case Section::kStopLists:
        fillList(text, separator, db.trainStopLists);
        break;
    }
  }
  db.trainCount = static_cast<int32_t>(std::min<std::size_t>(db.trainNumbers.size(), INT32_MAX));
  db.stationCount = static_cast<int32_t>(std::min<std::size_t>(db.stationNames.size(), INT32_MAX));
  return db;
}

TimetableDb parseDatabase(std::span<char> file) {
  TimetableDb db = buildTables(descrambleSections(file));
  buildLookupIndexes(db);
  return db;
}

LoadResult loadDatabaseFile(const NativePath& path, TimetableDb& db) {
  try {
    FileBytes bytes;
    switch (readWholeFile(path, bytes)) {
      case ReadStatus::kOk:
        break;
      case ReadStatus::kCannotOpen:
        return LoadResult::kCannotOpen;
      case ReadStatus::kCannotSize:
        return LoadResult::kCannotSize;
      case ReadStatus::kReadFailed:
        return LoadResult::kFailed;
    }
    TimetableDb fresh = parseDatabase(std::span<char>(bytes.data.get(), bytes.size));
    bytes = FileBytes{};  // release the file before the swap
    db = std::move(fresh);
    return LoadResult::kLoaded;
  } catch (...) {
    return LoadResult::kFailed;
  }
}

}  // namespace murlo
