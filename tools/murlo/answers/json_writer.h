// A small streaming JSON writer for murlo's --json output.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_JSON_WRITER_H_
#define MURLO_TOOLS_MURLO_ANSWERS_JSON_WRITER_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace murlo::tool {

// `text` (UTF-8) as a JSON string literal, quotes included. Quotes,
// backslashes and control characters are escaped; other characters are kept.
std::string jsonQuoted(std::string_view text);

// Writes one JSON document, compact, on one line. The caller keeps the calls
// balanced: key() before every value inside an object, none inside an array.
class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  JsonWriter& key(std::string_view name);

  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(int64_t number);
  // A number counted in units of 10^-digits, written exactly:
  // decimal(-73937594, 6) is -73.937594.
  JsonWriter& decimal(int64_t units, int digits);
  JsonWriter& boolean(bool flag);
  JsonWriter& null();

  // key(name) followed by the value.
  template <typename T>
  JsonWriter& field(std::string_view name, const T& v) {
    key(name);
    return value(v);
  }

 private:
  void beforeValue();
  JsonWriter& open(char bracket);
  JsonWriter& close(char bracket);

  std::ostream& out_;
  std::vector<bool> empty_;  // per open container: nothing written in it yet
  bool afterKey_ = false;
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_JSON_WRITER_H_
