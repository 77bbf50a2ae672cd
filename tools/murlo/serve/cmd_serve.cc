// murlo serve: the database as a web page and a JSON API (serve_http.h,
// serve_api.h), until SIGINT or SIGTERM; SIGHUP loads the file again.
#include <charconv>
#include <chrono>
#include <csignal>
#include <iostream>
#include <string>

#include "answers/host.h"
#include "cli/commands.h"
#include "serve/serve_http.h"
#include "serve/served_database.h"
#include "serve/signal_watcher.h"

namespace murlo::tool {
namespace {

constexpr int kDefaultPort = 8080;
constexpr int kDefaultThreads = 8;
constexpr int kMostThreads = 256;

// A whole number from `least` to `most`, or nothing.
std::optional<int> parseBounded(const std::string& text, int least, int most) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || value < least || value > most) {
    return std::nullopt;
  }
  return value;
}

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
  if (const auto value = line.value(kPortOption)) {
    const auto parsed = parseBounded(*value, 0, 65535);
    if (!parsed) return usageError(command, "--port takes a port from 0 to 65535, not " + *value);
    port = *parsed;
  }
  int threads = kDefaultThreads;
  if (const auto value = line.value(kThreadsOption)) {
    const auto parsed = parseBounded(*value, 1, kMostThreads);
    if (!parsed) {
      return usageError(command, "--threads takes a number from 1 to " +
                                     std::to_string(kMostThreads) + ", not " + *value);
    }
    threads = *parsed;
  }
  const auto named = line.value(kDatabaseOption);
  ServedDatabase database(named ? *named : defaultDatabasePath());

  // A client that goes away must not end the server.
  std::signal(SIGPIPE, SIG_IGN);
  HttpService service(database, threads);
  // Before any other thread: the signals are taken by the watcher alone.
  SignalWatcher watcher([&](int signal) {
    if (signal == SIGHUP) {
      logLine("murlo serve: SIGHUP: loading " + database.path() + " again");
      const auto start = std::chrono::steady_clock::now();
      const auto error = database.load();
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - start);
      if (error) {
        logLine("murlo serve: " + *error + "; still serving the database loaded before");
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

  if (const auto error = database.load()) {
    if (named) return fail(*error);
    if (defaultDatabaseFromEnvironment()) return fail(*error + " (named by MURLO_DB)");
    return fail(*error + " (the sample network; name a database with --db FILE)");
  }
  std::string error;
  const auto bound = service.bind(host, port, error);
  if (!bound) return fail(error);
  std::cout << urlOf(host, *bound) << std::endl;
  logLine("murlo serve: serving " + database.path() + " with " + std::to_string(threads) +
          " threads; SIGHUP loads it again, SIGINT or SIGTERM stops");
  if (!service.run()) return fail("the server stopped listening on " + urlOf(host, *bound));
  logLine("murlo serve: stopped");
  return kExitOk;
}

}  // namespace murlo::tool
