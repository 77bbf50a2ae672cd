// The HTTP side of murlo serve, on GNU libmicrohttpd: the API endpoints,
// the page's embedded files and the operator's endpoints (/healthz,
// /readyz, /metrics), every limit on requests and answers, the headers
// every answer carries, JSON errors, and a line per request on standard
// error (and in the access log when there is one). Only the paths of the
// endpoints and of the embedded files are served; nothing is read from disk.
//
// The library answers from an event loop per thread of a fixed pool: a
// connection costs a bounded buffer (its head must fit in it, checked while
// it is read), not a thread, so idle and slow clients hold no one up; an
// idle connection is closed after kIdleSeconds, one too slow to bring a
// request head after kHeadSeconds (head_deadlines.h). Answers are whole: no
// Range, no 100 Continue (nothing takes a body).
#ifndef MURLO_TOOLS_MURLO_SERVE_SERVE_HTTP_H_
#define MURLO_TOOLS_MURLO_SERVE_SERVE_HTTP_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "serve/access_log.h"
#include "serve/head_deadlines.h"
#include "serve/listen_socket.h"
#include "serve/serve_metrics.h"
#include "serve/served_database.h"

struct MHD_Connection;

namespace murlo::tool {

// Limits on what a request may hold, each refused with a JSON error.
inline constexpr std::size_t kMaxTargetBytes = 4096;       // path and query: 414
inline constexpr std::size_t kMaxHeaderLineBytes = 8192;   // one header: 400
inline constexpr std::size_t kMaxHeaderCount = 64;         // 431
inline constexpr std::size_t kMaxHeaderBytes = 16u << 10;  // names and values together: 431
inline constexpr std::size_t kMaxBodyBytes = 16u << 10;    // 413 (no endpoint takes a body)
// What the library itself holds per connection: a request head larger than
// this is refused by it, with its own short 431 (or 414 for the request
// line), before any of the limits above is looked at.
inline constexpr std::size_t kConnectionMemoryBytes = 64u << 10;
// Connections at once, all together and from one address (a proxy in front
// counts as one address).
inline constexpr unsigned kMaxConnections = 4096;
inline constexpr unsigned kMaxConnectionsPerAddress = 1024;
// A connection on which nothing arrives for this long is closed.
inline constexpr unsigned kIdleSeconds = 10;
// A connection that has not brought a whole request head this long after
// it was opened, or after its last answer was sent, is closed (a client
// sending a byte now and then is never idle).
inline constexpr unsigned kHeadSeconds = 10;
// How long a stop waits for requests under way.
inline constexpr unsigned kStopPatienceSeconds = 10;

// One line on standard error, whole even when several threads write.
void logLine(std::string_view line);

class HttpService {
 public:
  // `threads`: the event loops, each answering one request at a time.
  // `accessLog` may be null.
  HttpService(ServedDatabase& database, int threads, ServeMetrics& metrics, AccessLog* accessLog);
  ~HttpService();
  HttpService(const HttpService&) = delete;
  HttpService& operator=(const HttpService&) = delete;

  // Binds `host`:`port`, any free port for 0. Returns the socket's port and
  // kind, or nothing with `error` set.
  std::optional<ListenSocket> bind(const std::string& host, int port, std::string& error);

  // Answers requests until stop() is called, then lets the requests under
  // way finish (for kStopPatienceSeconds at most). Returns false when the
  // server could not start.
  bool run();

  // Makes run() return; from any thread, at any time (also before run()).
  void stop();

 private:
  friend struct HttpCallbacks;  // the library's callbacks (serve_http.cc)
  struct Exchange;
  struct Reply;

  Exchange* begin(std::string_view target);
  Reply answer(MHD_Connection* connection, Exchange& exchange);
  Reply answerGet(std::string_view path,
                  const std::vector<std::pair<std::string, std::string>>& query,
                  Exchange& exchange);
  void finish(Exchange* exchange);

  ServedDatabase& database_;
  const unsigned threads_;
  ServeMetrics& metrics_;
  AccessLog* accessLog_;
  ListenSocket socket_;
  HeadDeadlines deadlines_{std::chrono::seconds(kHeadSeconds)};

  std::mutex mutex_;  // for changed_ only: requests take no lock in common
  std::condition_variable changed_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<int> underWay_{0};  // requests whose line was read and that are not done
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_SERVE_HTTP_H_
