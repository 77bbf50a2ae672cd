#include "serve/access_log.h"

#include <ctime>
#include <sstream>

#include "answers/json_writer.h"

namespace murlo::tool {

std::string printableText(std::string_view text, std::size_t most) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == most) {
      out += "...";
      break;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    if (c > 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    }
  }
  return out;
}

AccessLog::~AccessLog() {
  if (owned_ && file_ != nullptr) std::fclose(file_);
}

bool AccessLog::open(const std::string& path) {
  if (path == "-") {
    file_ = stdout;
    owned_ = false;
    return true;
  }
  file_ = std::fopen(path.c_str(), "a");
  owned_ = file_ != nullptr;
  return file_ != nullptr;
}

void AccessLog::write(const AccessRecord& record) {
  if (file_ == nullptr) return;
  const auto since = record.time.time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(since - seconds);
  const std::time_t whole = seconds.count();
  std::tm utc{};
  gmtime_r(&whole, &utc);
  char time[96];
  std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(millis.count()));
  std::ostringstream out;
  JsonWriter json(out);
  json.beginObject().field("time", std::string_view(time)).field("client", record.client);
  json.field("method", printableText(record.method, 16))
      .field("target", printableText(record.target, 512))
      .field("endpoint", record.endpoint)
      .field("status", std::int64_t{record.status})
      .field("bytes", static_cast<std::int64_t>(record.bytes));
  if (record.micros >= 0) {
    json.field("micros", record.micros);
  } else {
    json.key("micros").null();
  }
  json.endObject();
  std::string line = std::move(out).str();
  line += '\n';
  std::lock_guard<std::mutex> lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

}  // namespace murlo::tool
