#include "serve/serve_http.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "serve/request_target.h"
#include "serve/serve_api.h"
#include "serve/web_files.h"

namespace murlo::tool {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kJsonType = "application/json; charset=utf-8";
constexpr const char* kMetricsType = "text/plain; version=0.0.4; charset=utf-8";

// What every answer carries: the page runs its own script and style sheet
// only (none inline, nothing from elsewhere), and no answer is sniffed for
// another type, framed or sent a referrer.
constexpr std::array<std::pair<const char*, const char*>, 5> kDefaultHeaders = {{
    {"Content-Security-Policy",
     "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
     "img-src 'self'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'"},
    {"X-Content-Type-Options", "nosniff"},
    {"X-Frame-Options", "DENY"},
    {"Referrer-Policy", "no-referrer"},
    {"Cache-Control", "no-cache"},
}};

// The methods HTTP defines; any other is a malformed request.
constexpr std::array<std::string_view, 10> kKnownMethods = {
    "GET", "HEAD", "POST", "PUT", "DELETE", "CONNECT", "OPTIONS", "TRACE", "PATCH", "PRI"};

// The operator's endpoints.
constexpr std::string_view kHealthPath = "/healthz";
constexpr std::string_view kReadyPath = "/readyz";
constexpr std::string_view kMetricsPath = "/metrics";

struct HeaderTally {
  std::size_t count = 0;
  std::size_t bytes = 0;
  std::size_t longest = 0;  // "Name: value"
};

MHD_Result tallyHeader(void* tally, MHD_ValueKind, const char* name, const char* value) {
  auto& t = *static_cast<HeaderTally*>(tally);
  const std::size_t n = std::strlen(name);
  const std::size_t v = value == nullptr ? 0 : std::strlen(value);
  ++t.count;
  t.bytes += n + v;
  t.longest = std::max(t.longest, n + 2 + v);
  return MHD_YES;
}

std::string clientOf(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  if (info == nullptr || info->client_addr == nullptr) return "";
  char text[INET6_ADDRSTRLEN] = "";
  const sockaddr* address = info->client_addr;
  if (address->sa_family == AF_INET) {
    ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                sizeof text);
  } else if (address->sa_family == AF_INET6) {
    ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                sizeof text);
  }
  return text;
}

bool isGetOrHead(std::string_view method) { return method == "GET" || method == "HEAD"; }

const WebFile* findWebFile(std::string_view path) {
  for (const WebFile& file : webFiles()) {
    if (file.path == path) return &file;
  }
  return nullptr;
}

}  // namespace

struct HttpService::Reply {
  int status = 200;
  std::string body;
  std::shared_ptr<const ApiReply> api{};  // an API answer, maybe kept: sent instead of `body`
  std::string contentType = kJsonType;
  const char* allow = nullptr;    // the Allow header of a 405
  const WebFile* file = nullptr;  // an embedded file, sent from where it lies
  static Reply error(int status, std::string_view kind, std::string_view message) {
    return Reply{status, errorReply(status, kind, message).body};
  }
};

// One request, from its line read to its answer sent.
struct HttpService::Exchange {
  std::string target;  // as received
  std::string method;  // set when the head was read whole
  std::string client;
  std::string endpoint = "other";
  std::optional<Clock::time_point> start;  // when its head was read whole
  std::chrono::system_clock::time_point received = std::chrono::system_clock::now();
  Reply reply;           // made once the head is read
  bool hasBody = false;  // the request announces a body
  int status = 0;        // of the answer queued; 0 for none
  std::uint64_t bytes = 0;
  double seconds = 0;
};

// The library's callbacks, each passed the service as its closure.
struct HttpCallbacks {
  static void* requestLine(void* self, const char* uri, MHD_Connection*) {
    return static_cast<HttpService*>(self)->begin(uri == nullptr ? "" : uri);
  }

  // Called once the head is read, and again once the request is whole: a
  // request is answered on the second call (an answer queued on the first
  // closes the connection after it), but one that carries a body is
  // refused on the first, before the body is read or "100 Continue" sent.
  static MHD_Result request(void* self, MHD_Connection* connection, const char*, const char* method,
                            const char*, const char*, std::size_t* dataSize, void** context) {
    auto& service = *static_cast<HttpService*>(self);
    auto* exchange = static_cast<HttpService::Exchange*>(*context);
    if (exchange == nullptr) return MHD_NO;  // not begun: out of memory
    *dataSize = 0;
    if (exchange->status != 0) return MHD_YES;  // answered; the rest is not read
    if (!exchange->start) {
      HeadDeadlines::headRead(linkOf(connection));
      exchange->start = Clock::now();
      exchange->method = method == nullptr ? "" : method;
      exchange->client = clientOf(connection);
      try {
        exchange->reply = service.answer(connection, *exchange);
      } catch (const std::bad_alloc&) {
        exchange->reply = HttpService::Reply{503, R"({"status":503,"error":"out_of_memory"})"};
      }
      if (!exchange->hasBody) return MHD_YES;
    }
    return send(service, connection, *exchange);
  }

  static MHD_Result send(HttpService& service, MHD_Connection* connection,
                         HttpService::Exchange& exchange) {
    HttpService::Reply& reply = exchange.reply;
    const std::size_t bytes = reply.file != nullptr  ? reply.file->bytes.size()
                              : reply.api != nullptr ? reply.api->body.size()
                                                     : reply.body.size();
    MHD_Response* response = nullptr;
    if (reply.file != nullptr) {
      response = MHD_create_response_from_buffer(bytes, const_cast<char*>(reply.file->bytes.data()),
                                                 MHD_RESPMEM_PERSISTENT);
    } else if (reply.api != nullptr) {
      // A share of the answer (the cache may hold it too), let go with the
      // response.
      using Shared = std::shared_ptr<const ApiReply>;
      auto* share = new (std::nothrow) Shared(std::move(reply.api));
      if (share == nullptr) return MHD_NO;
      response = MHD_create_response_from_buffer_with_free_callback_cls(
          bytes, const_cast<char*>((*share)->body.data()),
          [](void* owned) { delete static_cast<Shared*>(owned); }, share);
      if (response == nullptr) delete share;
    } else {
      // The body is handed over, not copied: freed with the response.
      auto* body = new (std::nothrow) std::string(std::move(reply.body));
      if (body == nullptr) return MHD_NO;
      response = MHD_create_response_from_buffer_with_free_callback_cls(
          bytes, body->data(), [](void* owned) { delete static_cast<std::string*>(owned); }, body);
      if (response == nullptr) delete body;
    }
    if (response == nullptr) return MHD_NO;
    for (const auto& [name, value] : kDefaultHeaders)
      MHD_add_response_header(response, name, value);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
    if (reply.allow != nullptr) MHD_add_response_header(response, "Allow", reply.allow);
    exchange.status = reply.status;
    exchange.bytes = bytes;
    const std::chrono::duration<double> taken = Clock::now() - *exchange.start;
    exchange.seconds = taken.count();
    // Counted as it is queued: a client that has its answer sees it counted.
    service.metrics_.countRequest(exchange.endpoint, exchange.status, exchange.seconds);
    const MHD_Result queued =
        MHD_queue_response(connection, static_cast<unsigned>(reply.status), response);
    MHD_destroy_response(response);
    reply = HttpService::Reply();
    return queued;
  }

  static void completed(void* self, MHD_Connection* connection, void** context,
                        MHD_RequestTerminationCode) {
    auto& service = *static_cast<HttpService*>(self);
    service.deadlines_.answered(linkOf(connection));
    service.finish(static_cast<HttpService::Exchange*>(*context));
    *context = nullptr;
  }

  // A connection opened or closed (its socket still open then).
  static void connection(void* self, MHD_Connection* connection, void** socketContext,
                         MHD_ConnectionNotificationCode code) {
    auto& service = *static_cast<HttpService*>(self);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      const MHD_ConnectionInfo* info =
          MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
      *socketContext = info == nullptr ? nullptr : service.deadlines_.open(info->connect_fd);
    } else {
      service.deadlines_.close(static_cast<HeadDeadlines::Link*>(*socketContext));
      *socketContext = nullptr;
    }
  }

  static HeadDeadlines::Link* linkOf(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info == nullptr ? nullptr : static_cast<HeadDeadlines::Link*>(info->socket_context);
  }
};

void logLine(std::string_view line) {
  static std::mutex mutex;
  std::string whole(line);
  whole += '\n';
  std::lock_guard<std::mutex> lock(mutex);
  std::fwrite(whole.data(), 1, whole.size(), stderr);
  std::fflush(stderr);
}

HttpService::HttpService(ServedDatabase& database, int threads, ServeMetrics& metrics,
                         AccessLog* accessLog)
    : database_(database),
      threads_(static_cast<unsigned>(threads)),
      metrics_(metrics),
      accessLog_(accessLog) {}

HttpService::~HttpService() {
  if (socket_.fd >= 0) ::close(socket_.fd);
}

std::optional<ListenSocket> HttpService::bind(const std::string& host, int port,
                                              std::string& error) {
  auto made = listenOn(host, port, error);
  if (made) socket_ = *made;
  return made;
}

HttpService::Exchange* HttpService::begin(std::string_view target) {
  auto* exchange = new (std::nothrow) Exchange;
  if (exchange == nullptr) return nullptr;
  exchange->target = target;
  ++underWay_;
  return exchange;
}

void HttpService::finish(Exchange* exchange) {
  if (exchange == nullptr) return;
  // "GET /api/at?station=... 200 0.4 ms"; a request the library refused
  // before its head was read whole has no method, status or time.
  std::string line = exchange->method.empty() ? "-" : printableText(exchange->method, 16);
  line += ' ';
  line += exchange->target.empty() ? "-" : printableText(exchange->target, 512);
  line += ' ';
  line += exchange->status == 0 ? "-" : std::to_string(exchange->status);
  if (exchange->start) {
    char ms[32];
    std::snprintf(ms, sizeof ms, " %.1f ms", exchange->seconds * 1000);
    line += ms;
  } else {
    line += " - ms";
  }
  logLine(line);
  if (accessLog_ != nullptr) {
    AccessRecord record;
    record.time = exchange->received;
    record.client = exchange->client;
    record.method = exchange->method;
    record.target = exchange->target;
    record.endpoint = exchange->endpoint;
    record.status = exchange->status;
    record.bytes = exchange->bytes;
    if (exchange->start) record.micros = static_cast<std::int64_t>(exchange->seconds * 1e6);
    accessLog_->write(record);
  }
  delete exchange;
  // A stop waits for the last request under way (run()).
  if (--underWay_ == 0 && stopRequested_) {
    std::lock_guard<std::mutex> lock(mutex_);
    changed_.notify_all();
  }
}

HttpService::Reply HttpService::answer(MHD_Connection* connection, Exchange& exchange) {
  const std::string_view method = exchange.method;
  // Whether a body follows decides when the answer is sent (see request()).
  const char* length =
      MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
  const char* encoding =
      MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_TRANSFER_ENCODING);
  exchange.hasBody = encoding != nullptr ||
                     (length != nullptr &&
                      std::string_view(length).find_first_not_of('0') != std::string_view::npos);
  if (std::find(kKnownMethods.begin(), kKnownMethods.end(), method) == kKnownMethods.end()) {
    return Reply::error(400, "bad_request", "the request is malformed");
  }
  HeaderTally headers;
  MHD_get_connection_values(connection, MHD_HEADER_KIND, tallyHeader, &headers);
  if (headers.longest > kMaxHeaderLineBytes) {
    return Reply::error(400, "bad_request", "the request is malformed");
  }
  if (exchange.target.size() > kMaxTargetBytes) {
    return Reply::error(
        414, "uri_too_long",
        "the request target is longer than " + std::to_string(kMaxTargetBytes) + " bytes");
  }
  if (headers.count > kMaxHeaderCount || headers.bytes > kMaxHeaderBytes) {
    return Reply::error(431, "headers_too_large",
                        "the request has more than " + std::to_string(kMaxHeaderCount) +
                            " headers or more than " + std::to_string(kMaxHeaderBytes) +
                            " bytes of them");
  }
  const auto notAllowed = [] {
    Reply reply = Reply::error(405, "method_not_allowed", "only GET and HEAD are allowed");
    reply.allow = "GET, HEAD";
    return reply;
  };
  if (method == "TRACE" || method == "CONNECT" || method == "PRI") return notAllowed();

  // No endpoint takes a body; one is refused before any of it is read (and
  // so never answered "100 Continue"), and the connection is then closed.
  std::string_view declared = length == nullptr ? "" : length;
  if (declared.find_first_not_of("0123456789") != std::string_view::npos) {
    return Reply::error(400, "bad_request", "the request is malformed");
  }
  declared.remove_prefix(std::min(declared.find_first_not_of('0'), declared.size()));
  if (declared.size() > 9 ||
      (!declared.empty() && std::stoul(std::string(declared)) > kMaxBodyBytes)) {
    return Reply::error(
        413, "too_large",
        "the request body is larger than " + std::to_string(kMaxBodyBytes) + " bytes");
  }
  if (isGetOrHead(method) && exchange.hasBody) {
    return Reply::error(400, "body_not_allowed", "a GET or HEAD request takes no body");
  }

  const auto target = readRequestTarget(exchange.target);
  if (!target) return Reply::error(400, "bad_request", "the request is malformed");
  if (isGetOrHead(method)) return answerGet(target->path, target->query, exchange);

  // Another method: refused where a GET would be answered.
  const bool known = findEndpoint(target->path) != nullptr || target->path == "/" ||
                     target->path == "/favicon.ico" || target->path == kHealthPath ||
                     target->path == kReadyPath || target->path == kMetricsPath ||
                     findWebFile(target->path) != nullptr;
  if (known) return notAllowed();
  return Reply::error(404, "not_found", "no such page; the API is under /api/");
}

HttpService::Reply HttpService::answerGet(
    std::string_view path, const std::vector<std::pair<std::string, std::string>>& query,
    Exchange& exchange) {
  if (const Endpoint* endpoint = findEndpoint(path)) {
    exchange.endpoint = endpoint->path;
    AnswerSource source = AnswerSource::kFresh;
    std::shared_ptr<const ApiReply> answer = answerRequest(*endpoint, query, database_, source);
    metrics_.countAnswer(source);
    if (answer == nullptr) {
      return Reply::error(503, "out_of_memory", "the server ran out of memory");
    }
    if (answer->body.empty()) {
      // A handler that could not write its error.
      return Reply::error(answer->status, "error", "the request could not be answered");
    }
    Reply reply;
    reply.status = answer->status;
    reply.api = std::move(answer);
    return reply;
  }
  // A browser asks for /favicon.ico where a page names no icon (an API
  // answer opened in a tab): the page's icon.
  const std::string_view filePath =
      path == "/" ? "/index.html" : (path == "/favicon.ico" ? "/favicon.svg" : path);
  if (const WebFile* file = findWebFile(filePath)) {
    exchange.endpoint = "page";
    Reply reply;
    reply.file = file;
    reply.contentType = file->contentType;
    return reply;
  }
  if (path == kHealthPath) {
    exchange.endpoint = kHealthPath;
    return Reply{200, R"({"status":"alive"})"};
  }
  if (path == kReadyPath) {
    exchange.endpoint = kReadyPath;
    if (!database_.current().handle) {
      return Reply::error(503, "not_ready", "no database is loaded");
    }
    return Reply{200, R"({"status":"ready"})"};
  }
  if (path == kMetricsPath) {
    exchange.endpoint = kMetricsPath;
    Reply reply{200, metrics_.text(database_)};
    reply.contentType = kMetricsType;
    return reply;
  }
  return Reply::error(404, "not_found", "no such page; the API is under /api/");
}

bool HttpService::run() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopRequested_) return true;
  }
  if (socket_.fd < 0) return false;
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_ITC;
#if defined(__linux__)
  flags |= MHD_USE_EPOLL;
#else
  flags |= MHD_USE_POLL;
#endif
  if (socket_.ipv6) flags |= MHD_USE_IPv6;
  MHD_Daemon* daemon = MHD_start_daemon(
      flags, 0, nullptr, nullptr, &HttpCallbacks::request, this, MHD_OPTION_LISTEN_SOCKET,
      static_cast<MHD_socket>(socket_.fd), MHD_OPTION_THREAD_POOL_SIZE, threads_,
      MHD_OPTION_CONNECTION_LIMIT, kMaxConnections, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
      kMaxConnectionsPerAddress, MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds,
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemoryBytes, MHD_OPTION_STRICT_FOR_CLIENT, 1,
      MHD_OPTION_URI_LOG_CALLBACK, &HttpCallbacks::requestLine, this, MHD_OPTION_NOTIFY_COMPLETED,
      &HttpCallbacks::completed, this, MHD_OPTION_NOTIFY_CONNECTION, &HttpCallbacks::connection,
      this, MHD_OPTION_SIGPIPE_HANDLED_BY_APP, 1, MHD_OPTION_END);
  if (daemon == nullptr) return false;
  std::unique_lock<std::mutex> lock(mutex_);
  // Until a stop: every second, the connections too slow to bring a head
  // are closed.
  while (
      !changed_.wait_for(lock, std::chrono::seconds(1), [this] { return stopRequested_.load(); })) {
    lock.unlock();
    if (const std::size_t closed = deadlines_.closeLate(); closed > 0) {
      metrics_.countSlowHeads(closed);
    }
    lock.lock();
  }
  // No new connection; the requests under way are answered, then the rest
  // (idle connections, heads never finished) is closed.
  lock.unlock();
  const MHD_socket listening = MHD_quiesce_daemon(daemon);
  lock.lock();
  changed_.wait_for(lock, std::chrono::seconds(kStopPatienceSeconds),
                    [this] { return underWay_.load() == 0; });
  lock.unlock();
  MHD_stop_daemon(daemon);
  if (listening != MHD_INVALID_SOCKET) {
    ::close(listening);
    socket_.fd = -1;
  }
  return true;
}

void HttpService::stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopRequested_ = true;
  changed_.notify_all();
}

}  // namespace murlo::tool
