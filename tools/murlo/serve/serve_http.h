// The HTTP side of murlo serve (cpp-httplib): the API endpoints and the
// page's embedded files, every limit on requests and answers, the headers
// every answer carries, JSON errors, and an access log line per request on
// standard error. Only the paths of the endpoints and of the embedded files
// are served; nothing is read from disk.
#ifndef MURLO_TOOLS_MURLO_SERVE_SERVE_HTTP_H_
#define MURLO_TOOLS_MURLO_SERVE_SERVE_HTTP_H_

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "serve/served_database.h"

namespace httplib {
class Server;
}

namespace murlo::tool {

// Limits on what a request may hold. cpp-httplib itself refuses a request
// target over 8192 bytes (414) and a header line over 8192 bytes (400).
inline constexpr std::size_t kMaxTargetBytes = 4096;       // path and query: 414
inline constexpr std::size_t kMaxHeaderCount = 64;         // 431
inline constexpr std::size_t kMaxHeaderBytes = 16u << 10;  // names and values together: 431
inline constexpr std::size_t kMaxBodyBytes = 16u << 10;    // 413 (no endpoint takes a body)

// One line on standard error, whole even when several threads write.
void logLine(std::string_view line);

class HttpService {
 public:
  // `threads`: requests answered at once (each keeps its thread while its
  // connection is kept alive).
  HttpService(ServedDatabase& database, int threads);
  ~HttpService();
  HttpService(const HttpService&) = delete;
  HttpService& operator=(const HttpService&) = delete;

  // Binds `host`:`port`, any free port for 0. Returns the port, or nothing
  // with `error` set.
  std::optional<int> bind(const std::string& host, int port, std::string& error);

  // Answers requests until stop() is called, then lets the requests under
  // way finish. Returns false when listening failed.
  bool run();

  // Makes run() return; from any thread, at any time (also before run()).
  void stop();

 private:
  void setUp();

  ServedDatabase& database_;
  std::unique_ptr<httplib::Server> server_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopRequested_ = false;
  bool listenerDone_ = false;
  int listenSocket_ = -1;  // set when the listening socket is made
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_SERVE_HTTP_H_
