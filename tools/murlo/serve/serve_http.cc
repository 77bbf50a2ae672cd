#include "serve/serve_http.h"

#include <httplib.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "serve/serve_api.h"
#include "serve/web_files.h"

namespace murlo::tool {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kJsonType = "application/json; charset=utf-8";

// Keep-alive: a connection holds its thread while it waits for the next
// request, so it is let go after two idle seconds.
constexpr time_t kKeepAliveSeconds = 2;
constexpr std::size_t kRequestsPerConnection = 100;
constexpr time_t kReadWriteSeconds = 5;
constexpr int kListenBacklog = 128;

// When the request answered on this thread began: set before it is routed;
// a request refused while it was being read has none.
thread_local std::optional<Clock::time_point> requestStart;

// What every answer carries: the page runs its own script and style sheet
// only (none inline, nothing from elsewhere), and no answer is sniffed for
// another type, framed or sent a referrer.
httplib::Headers defaultHeaders() {
  return {
      {"Content-Security-Policy",
       "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
       "img-src 'self'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'"},
      {"X-Content-Type-Options", "nosniff"},
      {"X-Frame-Options", "DENY"},
      {"Referrer-Policy", "no-referrer"},
      {"Cache-Control", "no-cache"},
  };
}

// A pattern that matches `path` alone (cpp-httplib routes by std::regex).
std::string patternFor(std::string_view path) {
  std::string pattern;
  for (const char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '_' || c == '-';
    if (!plain) pattern += '\\';
    pattern += c;
  }
  return pattern;
}

void sendError(httplib::Response& res, int status, std::string_view kind,
               std::string_view message) {
  res.status = status;
  res.set_content(errorReply(status, kind, message).body, kJsonType);
}

// The error of a status that has no body yet: those cpp-httplib answers
// itself, and the replies of a handler that could not write one.
void sendStatusError(httplib::Response& res) {
  switch (res.status) {
    case 400: return sendError(res, 400, "bad_request", "the request is malformed");
    case 404: return sendError(res, 404, "not_found", "no such page; the API is under /api/");
    case 405: return sendError(res, 405, "method_not_allowed", "only GET and HEAD are allowed");
    case 413:
      return sendError(
          res, 413, "too_large",
          "the request body is larger than " + std::to_string(kMaxBodyBytes) + " bytes");
    case 414:
      return sendError(
          res, 414, "uri_too_long",
          "the request target is longer than " + std::to_string(kMaxTargetBytes) + " bytes");
    case 503: return sendError(res, 503, "out_of_memory", "the server ran out of memory");
    default: return sendError(res, res.status, "error", "the request could not be answered");
  }
}

// At most `most` bytes of `text` as printable ASCII, other bytes as \xHH:
// a log line is one line whatever a request holds.
std::string printable(std::string_view text, std::size_t most) {
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

// "GET /api/at?station=... 200 0.4 ms".
void logRequest(const httplib::Request& req, const httplib::Response& res) {
  std::string line = req.method.empty() ? "-" : printable(req.method, 16);
  line += ' ';
  line += req.target.empty() ? "-" : printable(req.target, 512);
  line += ' ' + std::to_string(res.status) + ' ';
  if (requestStart) {
    const std::chrono::duration<double, std::milli> taken = Clock::now() - *requestStart;
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.1f ms", taken.count());
    line += ms;
  } else {
    line += "- ms";
  }
  requestStart.reset();
  logLine(line);
}

httplib::Server::HandlerResponse checkRequest(const httplib::Request& req, httplib::Response& res) {
  requestStart = Clock::now();
  std::size_t headerBytes = 0;
  for (const auto& [name, value] : req.headers) headerBytes += name.size() + value.size();
  if (req.target.size() > kMaxTargetBytes) {
    res.status = 414;
  } else if (req.headers.size() > kMaxHeaderCount || headerBytes > kMaxHeaderBytes) {
    sendError(res, 431, "headers_too_large",
              "the request has more than " + std::to_string(kMaxHeaderCount) +
                  " headers or more than " + std::to_string(kMaxHeaderBytes) + " bytes of them");
  } else if (req.method == "TRACE" || req.method == "CONNECT" || req.method == "PRI") {
    // Methods without a handler of their own: refused before routing.
    res.status = 405;
    res.set_header("Allow", "GET, HEAD");
  } else {
    return httplib::Server::HandlerResponse::Unhandled;
  }
  return httplib::Server::HandlerResponse::Handled;
}

}  // namespace

void logLine(std::string_view line) {
  static std::mutex mutex;
  std::string whole(line);
  whole += '\n';
  std::lock_guard<std::mutex> lock(mutex);
  std::fwrite(whole.data(), 1, whole.size(), stderr);
  std::fflush(stderr);
}

HttpService::HttpService(ServedDatabase& database, int threads)
    : database_(database), server_(std::make_unique<httplib::Server>()) {
  const auto count = static_cast<std::size_t>(threads);
  server_->new_task_queue = [count] { return new httplib::ThreadPool(count); };
  setUp();
}

HttpService::~HttpService() = default;

void HttpService::setUp() {
  httplib::Server& server = *server_;
  server.set_default_headers(defaultHeaders());
  server.set_payload_max_length(kMaxBodyBytes);
  server.set_keep_alive_timeout(kKeepAliveSeconds);
  server.set_keep_alive_max_count(kRequestsPerConnection);
  server.set_read_timeout(kReadWriteSeconds);
  server.set_write_timeout(kReadWriteSeconds);
  // cpp-httplib's own options share the port (SO_REUSEPORT): a second
  // server on a port in use would then start and take half of the
  // requests. SO_REUSEADDR alone lets a restart bind at once, and a port in
  // use is an error.
  server.set_socket_options([this](socket_t socket) {
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listenSocket_ = socket;
  });
  // An answer is written in more than one piece: without this, a client
  // that delays its acknowledgements waits 40 ms for the last one.
  server.set_tcp_nodelay(true);
  server.set_pre_routing_handler(checkRequest);
  server.set_logger(logRequest);
  server.set_error_handler(
      httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        sendStatusError(res);
        return httplib::Server::HandlerResponse::Handled;
      }));
  server.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
        res.status = 500;
        try {
          if (error) std::rethrow_exception(error);
        } catch (const std::bad_alloc&) {
          res.status = 503;
        } catch (...) {
        }
        res.body.clear();  // the error handler writes it
      });

  std::vector<std::string> paths;
  for (const Endpoint& endpoint : apiEndpoints()) {
    const Endpoint* e = &endpoint;
    paths.emplace_back(e->path);
    server.Get(patternFor(e->path), [this, e](const httplib::Request& req, httplib::Response& res) {
      const std::vector<std::pair<std::string, std::string>> given(req.params.begin(),
                                                                   req.params.end());
      ApiReply reply = answerRequest(*e, given, database_);
      res.status = reply.status;
      if (!reply.body.empty()) res.set_content(std::move(reply.body), kJsonType);
    });
  }
  for (const WebFile& file : webFiles()) {
    const WebFile* f = &file;
    const auto send = [f](const httplib::Request&, httplib::Response& res) {
      res.set_content(f->bytes.data(), f->bytes.size(), std::string(f->contentType));
    };
    paths.emplace_back(f->path);
    server.Get(patternFor(f->path), send);
    if (f->path == "/index.html") {
      paths.emplace_back("/");
      server.Get("/", send);
    }
    // A browser asks for /favicon.ico where a page names no icon (an API
    // answer opened in a tab): the page's icon.
    if (f->path == "/favicon.svg") {
      paths.emplace_back("/favicon.ico");
      server.Get(patternFor("/favicon.ico"), send);
    }
  }
  const auto refuse = [](const httplib::Request&, httplib::Response& res) {
    res.status = 405;
    res.set_header("Allow", "GET, HEAD");
  };
  for (const std::string& path : paths) {
    const std::string pattern = patternFor(path);
    server.Post(pattern, refuse);
    server.Put(pattern, refuse);
    server.Patch(pattern, refuse);
    server.Delete(pattern, refuse);
    server.Options(pattern, refuse);
  }
}

std::optional<int> HttpService::bind(const std::string& host, int port, std::string& error) {
  errno = 0;
  std::optional<int> bound;
  if (port == 0) {
    const int any = server_->bind_to_any_port(host);
    if (any > 0) bound = any;
  } else if (server_->bind_to_port(host, port)) {
    bound = port;
  }
  if (bound) {
    // cpp-httplib listens with a backlog of 5: a browser opening six
    // connections at once, or clients reconnecting together, would see a
    // connection refused for a second. Listening again sets a longer one.
    if (listenSocket_ >= 0) ::listen(listenSocket_, kListenBacklog);
    return bound;
  }
  const int cause = errno;
  error = "cannot listen on " + host + " port " + std::to_string(port);
  if (cause != 0) error += std::string(": ") + std::strerror(cause);
  return std::nullopt;
}

bool HttpService::run() {
  bool listened = false;
  std::thread listener([this, &listened] {
    try {
      listened = server_->listen_after_bind();
    } catch (...) {
      listened = false;  // the threads could not be made
    }
    std::lock_guard<std::mutex> lock(mutex_);
    listenerDone_ = true;
    changed_.notify_all();
  });
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stopRequested_ || listenerDone_; });
    // The server may not have begun to listen yet: it is stopped (once)
    // when it runs.
    bool stopped = false;
    while (!listenerDone_) {
      if (!stopped && server_->is_running()) {
        server_->stop();
        stopped = true;
      }
      changed_.wait_for(lock, std::chrono::milliseconds(5));
    }
  }
  listener.join();
  return listened;
}

void HttpService::stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopRequested_ = true;
  changed_.notify_all();
}

}  // namespace murlo::tool
