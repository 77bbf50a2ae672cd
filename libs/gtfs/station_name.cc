#include "gtfs/station_name.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "gtfs/code_points.h"
#include "gtfs/transliteration.h"

namespace murlo::gtfs {
namespace {

bool isBlank(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}
bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }
bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isAsciiAlnum(char c) { return isAsciiLetter(c) || (c >= '0' && c <= '9'); }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::vector<std::string> splitWords(std::string_view name) {
  std::vector<std::string> words;
  std::size_t begin = 0;
  while (begin <= name.size()) {
    std::size_t end = name.find('_', begin);
    if (end == std::string_view::npos) end = name.size();
    if (end > begin) words.emplace_back(name.substr(begin, end - begin));
    begin = end + 1;
  }
  return words;
}

}  // namespace

CleanName cleanName(std::string_view utf8) {
  CleanName clean;
  bool invalid = false;
  for (const char32_t c : decodeUtf8(utf8)) {
    if (c == kReplacement && utf8.find("\xEF\xBF\xBD") == std::string_view::npos) {
      invalid = true;
    } else if (isBlank(c)) {
      if (!clean.text.empty() && clean.text.back() != '_') clean.text += '_';
    } else if (isControl(c)) {
      clean.changes.push_back(codePointName(c) + " dropped");
    } else if (c == '%') {
      clean.changes.push_back("% dropped (a database cannot store it)");
    } else if (c == '"') {
      clean.text += '\'';
    } else if (!gbkOf(c).empty()) {
      if (c == '#' && clean.text.empty()) continue;  // would start a comment
      appendUtf8(c, clean.text);
    } else if (const std::string_view stand = transliterate(c); !stand.empty()) {
      std::string original;
      appendUtf8(c, original);
      clean.changes.push_back(original + " as " + std::string(stand));
      clean.text += stand;
    } else {
      clean.changes.push_back(codePointName(c) + " dropped");
    }
  }
  if (invalid) clean.changes.push_back("bytes that are not UTF-8 dropped");
  while (!clean.text.empty() && clean.text.back() == '_') clean.text.pop_back();
  if (!clean.text.empty() && clean.text.front() == '_') clean.text.erase(0, 1);
  for (const char* keyword : {"header", "station", "train", "end"}) {
    if (clean.text == keyword) clean.text[0] = upper(clean.text[0]);
  }
  return clean;
}

std::size_t gbkLength(std::string_view utf8) {
  std::size_t length = 0;
  for (const char32_t c : decodeUtf8(utf8)) length += c < 0x80 ? 1 : gbkOf(c).size();
  return length;
}

std::unordered_set<std::string> commonWords(const std::vector<std::string>& names) {
  std::unordered_set<std::string> common;
  if (names.size() < 4) return common;
  std::unordered_map<std::string, std::size_t> counts;
  for (const std::string& name : names) {
    std::vector<std::string> words = splitWords(name);
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    for (std::string& word : words) ++counts[std::move(word)];
  }
  for (const auto& [word, count] : counts) {
    if (count * 2 >= names.size()) common.insert(word);
  }
  return common;
}

std::string shortenName(std::string_view name, const std::unordered_set<std::string>& common,
                        std::size_t maxBytes) {
  if (gbkLength(name) <= maxBytes) return std::string(name);
  struct Letter {
    char32_t point;
    std::size_t bytes;
  };
  std::vector<std::string> texts = splitWords(name);
  std::vector<std::vector<Letter>> words;
  for (const std::string& text : texts) {
    std::vector<Letter> word;
    for (const char32_t c : decodeUtf8(text)) word.push_back({c, c < 0x80 ? 1 : gbkOf(c).size()});
    words.push_back(std::move(word));
  }
  const auto length = [&] {
    std::size_t total = words.empty() ? 0 : words.size() - 1;
    for (const auto& word : words) {
      for (const Letter& letter : word) total += letter.bytes;
    }
    return total;
  };
  const auto bytesOf = [](const std::vector<Letter>& word) {
    std::size_t total = 0;
    for (const Letter& letter : word) total += letter.bytes;
    return total;
  };
  for (std::size_t i = words.size(); i-- > 0 && words.size() > 1 && length() > maxBytes;) {
    if (common.count(texts[i]) != 0) words.erase(words.begin() + static_cast<std::ptrdiff_t>(i));
  }
  while (length() > maxBytes) {
    std::size_t longest = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (bytesOf(words[i]) >= bytesOf(words[longest])) longest = i;
    }
    if (words[longest].size() > 1) {
      words[longest].pop_back();
    } else {
      words.pop_back();  // every word is one character: drop the last
    }
  }
  std::string out;
  for (const auto& word : words) {
    if (!out.empty()) out += '_';
    for (const Letter& letter : word) appendUtf8(letter.point, out);
  }
  return out;
}

char pinyinInitial(char32_t point) {
  // The first code of each initial's characters among the first level of
  // GB 2312 (0xB0A1 to 0xD7F9), in pinyin order; no reading begins with I,
  // U or V.
  struct Range {
    uint16_t first;
    char initial;
  };
  static constexpr Range kRanges[] = {
      {0xB0A1, 'A'}, {0xB0C5, 'B'}, {0xB2C1, 'C'}, {0xB4EE, 'D'}, {0xB6EA, 'E'}, {0xB7A2, 'F'},
      {0xB8C1, 'G'}, {0xB9FE, 'H'}, {0xBBF7, 'J'}, {0xBFA6, 'K'}, {0xC0AC, 'L'}, {0xC2E8, 'M'},
      {0xC4C3, 'N'}, {0xC5B6, 'O'}, {0xC5BE, 'P'}, {0xC6DA, 'Q'}, {0xC8BB, 'R'}, {0xC8F6, 'S'},
      {0xCBFA, 'T'}, {0xCDDA, 'W'}, {0xCEF4, 'X'}, {0xD1B9, 'Y'}, {0xD4D1, 'Z'}};
  const std::string gbk = gbkOf(point);
  if (gbk.size() != 2) return 0;
  const auto code = static_cast<uint16_t>(static_cast<unsigned char>(gbk[0]) << 8 |
                                          static_cast<unsigned char>(gbk[1]));
  if (code < 0xB0A1 || code > 0xD7F9) return 0;
  char initial = 0;
  for (const Range& r : kRanges) {
    if (code >= r.first) initial = r.initial;
  }
  return initial;
}

std::string initialsOf(std::string_view name) {
  std::string initials;
  bool wordStart = true;  // no letter or digit of the current word seen yet
  for (const char32_t c : decodeUtf8(name)) {
    if (initials.size() >= kMaxAbbreviationLength) break;
    if (c == '_' || c == '-' || c == '/' || c == 0x2013 || c == 0x2014) {
      wordStart = true;
      continue;
    }
    if (const char initial = pinyinInitial(c); initial != 0) {
      initials += initial;  // each Chinese character is a syllable
      wordStart = true;
      continue;
    }
    const std::string_view ascii = c < 0x80 ? std::string_view() : transliterate(c);
    const char first = c < 0x80 ? static_cast<char>(c) : (ascii.empty() ? '\0' : ascii[0]);
    if (!wordStart) continue;
    if (isAsciiAlnum(first)) {
      initials += upper(first);
      wordStart = false;
    } else if (c >= 0x80 && ascii.empty() && !isBlank(c)) {
      wordStart = false;  // another script: this word gives no initial
    }
  }
  return initials;
}

std::string stopCodeAbbreviation(std::string_view code) {
  if (code.empty() || !std::all_of(code.begin(), code.end(), isAsciiAlnum)) return "";
  std::string upperCode;
  for (const char c : code) upperCode += upper(c);
  return upperCode;
}

}  // namespace murlo::gtfs
