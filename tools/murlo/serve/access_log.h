// murlo serve's access log (--access-log FILE, or - for standard output):
// one JSON object a line per request answered, for a log collector.
//
//   {"time":"2026-12-09T14:37:39.120Z","client":"127.0.0.1","method":"GET",
//    "target":"/api/header","endpoint":"/api/header","status":200,"bytes":52,
//    "micros":412}
//
// The method and the target are written as the server logs them on
// standard error (bytes outside printable ASCII as \xHH), so that a line is
// always valid JSON and one line.
#ifndef MURLO_TOOLS_MURLO_SERVE_ACCESS_LOG_H_
#define MURLO_TOOLS_MURLO_SERVE_ACCESS_LOG_H_

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace murlo::tool {

struct AccessRecord {
  std::chrono::system_clock::time_point time;
  std::string client;    // the peer's address, "" when unknown
  std::string method;    // "" when the request was refused before it was read whole
  std::string target;    // as received
  std::string endpoint;  // the metrics' label
  int status = 0;        // 0: no answer was sent
  std::uint64_t bytes = 0;
  std::int64_t micros = -1;  // -1: not answered by the server's handler
};

class AccessLog {
 public:
  AccessLog() = default;
  ~AccessLog();
  AccessLog(const AccessLog&) = delete;
  AccessLog& operator=(const AccessLog&) = delete;

  // Opens `path` for appending, or takes standard output for "-". False
  // when the file cannot be opened (errno says why).
  bool open(const std::string& path);

  void write(const AccessRecord& record);

 private:
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  bool owned_ = false;
};

// At most `most` bytes of `text` as printable ASCII, other bytes as \xHH.
std::string printableText(std::string_view text, std::size_t most);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_ACCESS_LOG_H_
