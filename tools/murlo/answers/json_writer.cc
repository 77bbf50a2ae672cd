#include "answers/json_writer.h"

#include <algorithm>
#include <cstdio>

namespace murlo::tool {

std::string jsonQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
          quoted += escape;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!empty_.empty()) {
    if (!empty_.back()) out_ << ',';
    empty_.back() = false;
  }
}

JsonWriter& JsonWriter::open(char bracket) {
  beforeValue();
  out_ << bracket;
  empty_.push_back(true);
  return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
  out_ << bracket;
  empty_.pop_back();
  return *this;
}

JsonWriter& JsonWriter::beginObject() { return open('{'); }
JsonWriter& JsonWriter::endObject() { return close('}'); }
JsonWriter& JsonWriter::beginArray() { return open('['); }
JsonWriter& JsonWriter::endArray() { return close(']'); }

JsonWriter& JsonWriter::key(std::string_view name) {
  beforeValue();
  out_ << jsonQuoted(name) << ':';
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
  beforeValue();
  out_ << jsonQuoted(text);
  return *this;
}

JsonWriter& JsonWriter::value(int64_t number) {
  beforeValue();
  out_ << number;
  return *this;
}

JsonWriter& JsonWriter::decimal(int64_t units, int digits) {
  beforeValue();
  const uint64_t magnitude =
      units < 0 ? uint64_t{0} - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  std::string text = std::to_string(magnitude);
  const auto fraction = static_cast<std::size_t>(std::max(digits, 0));
  if (text.size() <= fraction) text.insert(0, fraction + 1 - text.size(), '0');
  if (units < 0) out_ << '-';
  out_ << std::string_view(text).substr(0, text.size() - fraction);
  if (fraction > 0) out_ << '.' << std::string_view(text).substr(text.size() - fraction);
  return *this;
}

JsonWriter& JsonWriter::boolean(bool flag) {
  beforeValue();
  out_ << (flag ? "true" : "false");
  return *this;
}

JsonWriter& JsonWriter::null() {
  beforeValue();
  out_ << "null";
  return *this;
}

}  // namespace murlo::tool
