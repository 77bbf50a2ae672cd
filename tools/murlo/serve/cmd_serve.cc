// murlo serve: the database as a web page and a JSON API (serve_http.h,
// serve_api.h), until SIGINT or SIGTERM; SIGHUP loads the file again.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>

#include "answers/host.h"
#include "cli/commands.h"
#include "serve/access_log.h"
#include "serve/listen_socket.h"
#include "serve/serve_http.h"
#include "serve/serve_metrics.h"
#include "serve/served_database.h"
#include "serve/signal_watcher.h"

namespace murlo::tool {
namespace {

constexpr int kDefaultPort = 8080;
constexpr int kDefaultThreads = 8;
constexpr int kDefaultCacheMib = 64;

std::string urlOf(const std::string& host, int port) {
  const bool ipv6 = host.find(':') != std::string::npos;
  return "http://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port) + "/";
}

const char* signalName(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

}  // namespace

int runServe(const CommandLine& line) {
  const Command& command = line.command();
  const std::string host = line.value(kHostOption).value_or("127.0.0.1");
  int port = kDefaultPort;
  int threads = kDefaultThreads;
  int cacheMib = kDefaultCacheMib;
  Status status = readOption(line, kPortOption, port);
  if (status.ok()) status = readOption(line, kThreadsOption, threads);
  if (status.ok()) status = readOption(line, kCacheOption, cacheMib);
  if (!status.ok()) return reportFailure(command, status);
  if (!isWellFormedHost(host)) {
    return usageError(command,
                      "--host takes an address or a host name (127.0.0.1, ::1, "
                      "0.0.0.0, localhost), not '" +
                          host + "'");
  }
  AccessLog accessLog;
  const auto accessLogPath = line.value(kAccessLogOption);
  if (accessLogPath && !accessLog.open(*accessLogPath)) {
    return fail("cannot open the access log " + *accessLogPath + ": " + std::strerror(errno));
  }
  const auto named = line.value(kDatabaseOption);
  // 4096 MiB does not fit a 32-bit size: then as much as does.
  const std::size_t cacheBytes = static_cast<std::size_t>(
      std::min<std::uint64_t>(static_cast<std::uint64_t>(cacheMib) << 20, SIZE_MAX));
  ServedDatabase database(named ? *named : defaultDatabasePath(), cacheBytes);

  // A client that goes away must not end the server.
  std::signal(SIGPIPE, SIG_IGN);
  ServeMetrics metrics;
  HttpService service(database, threads, metrics, accessLogPath ? &accessLog : nullptr);
  // Before any other thread: the signals are taken by the watcher alone.
  SignalWatcher watcher([&](int signal) {
    if (signal == SIGHUP) {
      logLine("murlo serve: SIGHUP: loading " + database.path() + " again");
      const auto start = std::chrono::steady_clock::now();
      const Status loaded = database.reload();
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - start);
      if (!loaded.ok()) {
        logLine("murlo serve: " + loaded.message() + "; still serving the database loaded before");
      } else {
        logLine("murlo serve: loaded " + database.path() + " in " + std::to_string(ms.count()) +
                " ms (requests under way finish on the database before)");
      }
      return;
    }
    logLine(std::string("murlo serve: ") + signalName(signal) +
            ": stopping once the requests under way are answered");
    service.stop();
  });

  if (const Status loaded = database.load(); !loaded.ok()) {
    if (named) return reportFailure(command, loaded);
    return reportFailure(command, Status(loaded.kind(), loaded.message() + defaultDatabaseNote()));
  }
  std::string error;
  const auto bound = service.bind(host, port, error);
  if (!bound) return fail(error);
  std::cout << urlOf(host, bound->port) << std::endl;
  if (!bound->loopback) {
    logLine("murlo serve: warning: listening on " + host +
            ", beyond this machine: anyone who reaches this port can ask; put a proxy in front "
            "(docs/deploy.md)");
  }
  logLine("murlo serve: serving " + database.path() + " with " + std::to_string(threads) +
          " threads; SIGHUP loads it again, SIGINT or SIGTERM stops");
  if (!service.run()) return fail("the server could not start on " + urlOf(host, bound->port));
  logLine("murlo serve: stopped");
  return kExitOk;
}

}  // namespace murlo::tool
