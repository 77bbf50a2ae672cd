#include "serve/request_target.h"

#include <algorithm>

namespace murlo::tool {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%XX" as its byte; a "%" not followed by two hex digits stays as it is.
std::string decoded(std::string_view text, bool plusIsSpace) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      const int high = hexValue(text[i + 1]);
      const int low = hexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += (plusIsSpace && c == '+') ? ' ' : c;
  }
  return out;
}

// Spaces and tabs around a piece do not count (clients and proxies differ
// in what they leave there).
std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<RequestTarget> readRequestTarget(std::string_view target) {
  RequestTarget read;
  const std::size_t question = target.find('?');
  read.path = decoded(target.substr(0, question), false);
  if (question == std::string_view::npos) return read;
  const std::string_view query = target.substr(question + 1);
  if (query.find('?') != std::string_view::npos) return std::nullopt;
  for (std::size_t start = 0; start <= query.size();) {
    std::size_t end = query.find('&', start);
    if (end == std::string_view::npos) end = query.size();
    const std::string_view pair = trimmed(query.substr(start, end - start));
    start = end + 1;
    if (pair.empty()) continue;
    const std::size_t equals = pair.find('=');
    const std::string_view name = trimmed(pair.substr(0, equals));
    if (name.empty()) continue;
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : trimmed(pair.substr(equals + 1));
    read.query.emplace_back(decoded(name, true), decoded(value, true));
  }
  std::stable_sort(read.query.begin(), read.query.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return read;
}

}  // namespace murlo::tool
