#include "timetable_source/source_lexer.h"

#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo::source {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool appendUtf8AsGbk(std::string_view utf8, std::string& gbk, std::string& error) {
  std::u16string units;
  if (!utf8ToUtf16(utf8, units)) {
    error = "the text is not valid UTF-8";
    return false;
  }
  if (!utf16ToGbk(units, gbk)) {
    error = "the text holds " + excerpt(firstCharacterNotInGbk(utf8)) +
            ", a character that code page 936 cannot represent";
    return false;
  }
  return true;
}

}  // namespace

std::string firstCharacterNotInGbk(std::string_view utf8) {
  std::u16string units;
  std::string gbk;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t begin = i;
    if (!decodeUtf8At(utf8, i)) continue;
    const std::string_view character = utf8.substr(begin, i - begin);
    units.clear();
    gbk.clear();
    if (!utf8ToUtf16(character, units) || !utf16ToGbk(units, gbk)) return std::string(character);
  }
  return "";
}

std::vector<std::string_view> tokenize(std::string_view line, std::string& error) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    if (isBlank(line[i])) {
      ++i;
      continue;
    }
    if (tokens.empty() && line[i] == '#') break;  // a comment line
    std::size_t end = i;
    if (line[i] == '"') {
      end = i + 1;
      while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2u : 1u;
      if (end >= line.size()) {
        error = "a quoted text has no closing quote";
        return {};
      }
      ++end;
    } else {
      while (end < line.size() && !isBlank(line[end])) ++end;
    }
    tokens.push_back(line.substr(i, end - i));
    i = end;
  }
  return tokens;
}

std::optional<std::string> unquoteToGbk(std::string_view token, std::string& error) {
  if (token.size() < 2 || token.front() != '"' || token.back() != '"') {
    error = "expected a quoted text, such as \"CN-2026\"";
    return std::nullopt;
  }
  const std::string_view inner = token.substr(1, token.size() - 2);
  std::string gbk;
  std::size_t plainStart = 0;
  for (std::size_t i = 0; i < inner.size();) {
    if (inner[i] != '\\') {
      ++i;
      continue;
    }
    if (!appendUtf8AsGbk(inner.substr(plainStart, i - plainStart), gbk, error)) {
      return std::nullopt;
    }
    if (i + 1 < inner.size() && (inner[i + 1] == '"' || inner[i + 1] == '\\')) {
      gbk += inner[i + 1];
      i += 2;
    } else if (i + 3 < inner.size() && inner[i + 1] == 'x' && hexValue(inner[i + 2]) >= 0 &&
               hexValue(inner[i + 3]) >= 0) {
      gbk += static_cast<char>(hexValue(inner[i + 2]) * 16 + hexValue(inner[i + 3]));
      i += 4;
    } else {
      error = "unknown escape in a quoted text (use \\\", \\\\ or \\xHH)";
      return std::nullopt;
    }
    plainStart = i;
  }
  if (!appendUtf8AsGbk(inner.substr(plainStart), gbk, error)) return std::nullopt;
  return gbk;
}

std::optional<int32_t> parseTime(std::string_view token) {
  if (token.size() != 5 || token[2] != ':') return std::nullopt;
  const auto hours = parseNumber(token.substr(0, 2), 2);
  const auto minutes = parseNumber(token.substr(3, 2), 2);
  if (!hours || !minutes || *hours > 23 || *minutes > 59) return std::nullopt;
  return *hours * 60 + *minutes;
}

std::string formatTime(int32_t minutes) {
  const std::string text = {
      static_cast<char>('0' + minutes / 600), static_cast<char>('0' + minutes / 60 % 10), ':',
      static_cast<char>('0' + minutes % 60 / 10), static_cast<char>('0' + minutes % 10)};
  return text;
}

std::optional<int32_t> parseNumber(std::string_view token, std::size_t digits) {
  if (token.empty() || token.size() > digits) return std::nullopt;
  int32_t value = 0;
  for (const char c : token) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string quoteGbk(std::string_view gbk) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  std::u16string units;
  for (std::size_t i = 0; i < gbk.size();) {
    const auto byte = static_cast<unsigned char>(gbk[i]);
    // One character at a time: ASCII, or a two-byte GBK character that
    // converts back to the same bytes.
    const std::size_t length = byte >= 0x81 && i + 1 < gbk.size() ? 2 : 1;
    const std::string_view character = gbk.substr(i, length);
    units.clear();
    gbkToUtf16(character, units);
    std::string back;
    const bool exact = byte >= 0x20 && byte != 0x7F && units.size() == 1 && units[0] != 0xFFFD &&
                       utf16ToGbk(units, back) && back == character;
    if (exact && (character == "\"" || character == "\\")) {
      out += '\\';
      out += character;
    } else if (exact) {
      utf16ToUtf8(units, out);
    } else {
      for (const char c : character) {
        out += "\\x";
        out += kHex[static_cast<unsigned char>(c) >> 4];
        out += kHex[static_cast<unsigned char>(c) & 0xF];
      }
    }
    i += length;
  }
  return out + "\"";
}

std::string excerpt(std::string_view text, std::size_t limit) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  std::size_t characters = 0;
  std::u16string units;
  for (std::size_t i = 0; i < text.size(); ++characters) {
    if (characters == limit) return out + "...";
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    units.clear();
    if (lead >= 0x20 && lead != 0x7F && i + length <= text.size() &&
        utf8ToUtf16(text.substr(i, length), units)) {
      out += text.substr(i, length);
      i += length;
    } else {
      out += "\\x";
      out += kHex[lead >> 4];
      out += kHex[lead & 0xF];
      ++i;
    }
  }
  return out;
}

}  // namespace murlo::source
