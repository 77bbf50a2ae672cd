// A load test of murlo serve on loopback (bench/serve_load.sh runs it):
// concurrent clients, each on a kept-alive connection, ask a mix of the
// questions a page asks (stations as typed, a station's trains, direct
// trains, trains by number, stop lists) for a few seconds; halfway through
// the server is sent SIGHUP and loads its database again. Reports requests
// per second, the median and 99th-percentile latency and the errors (any
// answer but 200, any failed connection), first for one client alone, then
// for all of them, side by side.
//
//   murlo_serve_load --port PORT --server-pid PID [--clients N] [--seconds S]
#include <httplib.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The bounds of a run, whatever the arguments say.
constexpr int kMostClients = 64;
constexpr double kMostSeconds = 30;
constexpr long kMostRequestsPerClient = 200000;

// The strings of the JSON array after "key":[ in `json` (names hold no
// escapes but \" and \\ in the networks benchmarked; others are kept as
// they are).
std::vector<std::string> stringsAfter(const std::string& json, const std::string& key) {
  std::vector<std::string> strings;
  std::size_t at = json.find("\"" + key + "\":[");
  if (at == std::string::npos) return strings;
  at += key.size() + 4;
  while (at < json.size() && json[at] == '"') {
    std::string text;
    for (++at; at < json.size() && json[at] != '"'; ++at) {
      if (json[at] == '\\' && at + 1 < json.size()) ++at;
      text += json[at];
    }
    strings.push_back(text);
    at += 2;  // the closing quote and "," or "]"
  }
  return strings;
}

// The numbers after each "key": in `json`.
std::vector<long> numbersAfter(const std::string& json, const std::string& key) {
  std::vector<long> numbers;
  const std::string marker = "\"" + key + "\":";
  for (std::size_t at = json.find(marker); at != std::string::npos;
       at = json.find(marker, at + 1)) {
    numbers.push_back(std::strtol(json.c_str() + at + marker.size(), nullptr, 10));
  }
  return numbers;
}

std::string encoded(const std::string& text) { return httplib::detail::encode_query_param(text); }

// What the clients ask about, taken from the network through the API.
struct Network {
  std::vector<std::string> stations;
  std::vector<std::string> abbreviations;
  std::vector<std::string> numbers;  // of trains at a sample of stations
  std::vector<long> trains;          // their indexes
};

bool learn(int port, Network& network) {
  httplib::Client client("127.0.0.1", port);
  const auto all = client.Get("/api/stations");
  if (!all || all->status != 200) return false;
  network.stations = stringsAfter(all->body, "stations");
  network.abbreviations = stringsAfter(all->body, "abbreviations");
  std::mt19937 random(7);
  for (int i = 0; i < 40 && !network.stations.empty(); ++i) {
    const std::string& station = network.stations[random() % network.stations.size()];
    const auto at = client.Get("/api/at?station=" + encoded(station));
    if (!at || at->status != 200) return false;
    const auto indexes = numbersAfter(at->body, "index");
    network.trains.insert(network.trains.end(), indexes.begin(), indexes.end());
    const std::string key = "\"number\":\"";
    for (std::size_t k = at->body.find(key); k != std::string::npos;
         k = at->body.find(key, k + 1)) {
      const std::size_t begin = k + key.size();
      network.numbers.push_back(at->body.substr(begin, at->body.find('"', begin) - begin));
    }
  }
  return !network.stations.empty() && !network.trains.empty();
}

// One question, chosen at random in proportions a page might ask them.
std::string question(const Network& network, std::mt19937& random) {
  const auto pick = [&](const auto& list) -> const auto& { return list[random() % list.size()]; };
  switch (random() % 10) {
    case 0:
    case 1:
    case 2: {  // typing: the first letters of an abbreviation
      const std::string& abbreviation = pick(network.abbreviations);
      const std::size_t letters = 1 + random() % std::max<std::size_t>(1, abbreviation.size());
      return "/api/match?limit=8&text=" + encoded(abbreviation.substr(0, letters));
    }
    case 3:
    case 4:
    case 5: {
      const std::string& from = pick(network.stations);
      std::string to = pick(network.stations);
      while (to == from) to = pick(network.stations);
      return "/api/direct?from=" + encoded(from) + "&to=" + encoded(to) +
             "&at=" + std::to_string(random() % 1440);
    }
    case 6: return "/api/at?station=" + encoded(pick(network.stations));
    case 7: return "/api/number?number=" + encoded(pick(network.numbers));
    default: return "/api/stops?train=" + std::to_string(pick(network.trains));
  }
}

// The endpoint of a request target: "/api/at?..." gives "at".
std::string endpointOf(const std::string& target) { return target.substr(5, target.find('?') - 5); }

struct Tally {
  std::vector<double> latencies;  // milliseconds
  std::map<std::string, std::vector<double>> byEndpoint;
  long errors = 0;
  double slowest = 0;           // milliseconds
  Clock::time_point slowestAt;  // when that request began
};

Tally runClient(int port, const Network& network, unsigned seed, Clock::time_point until) {
  Tally tally;
  std::mt19937 random(seed);
  httplib::Client client("127.0.0.1", port);
  client.set_keep_alive(true);
  client.set_tcp_nodelay(true);
  client.set_read_timeout(30);
  while (Clock::now() < until &&
         static_cast<long>(tally.latencies.size()) < kMostRequestsPerClient) {
    const std::string target = question(network, random);
    const auto start = Clock::now();
    const auto reply = client.Get(target);
    const std::chrono::duration<double, std::milli> taken = Clock::now() - start;
    tally.latencies.push_back(taken.count());
    tally.byEndpoint[endpointOf(target)].push_back(taken.count());
    if (taken.count() > tally.slowest) {
      tally.slowest = taken.count();
      tally.slowestAt = start;
    }
    if (!reply || reply->status != 200) {
      if (++tally.errors <= 5) {
        std::fprintf(stderr, "error: %s: %s\n", target.c_str(),
                     reply ? std::to_string(reply->status).c_str()
                           : httplib::to_string(reply.error()).c_str());
      }
    }
  }
  return tally;
}

struct Figures {
  std::map<std::string, std::vector<double>> byEndpoint;  // sorted
  long requests = 0;
  long errors = 0;
  double perSecond = 0;
  double median = 0;
  double p99 = 0;
  double most = 0;
  double mostAt = 0;  // seconds after the run began
};

// `clients` clients for `seconds`; with `reloadPid`, SIGHUP to it halfway.
Figures run(int port, const Network& network, int clients, double seconds, pid_t reloadPid) {
  const auto begin = Clock::now();
  const auto until =
      begin + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  std::vector<Tally> tallies(static_cast<std::size_t>(clients));
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      tallies[static_cast<std::size_t>(c)] =
          runClient(port, network, static_cast<unsigned>(c + 1), until);
    });
  }
  if (reloadPid > 0) {
    std::this_thread::sleep_until(begin + (until - begin) / 2);
    ::kill(reloadPid, SIGHUP);
  }
  for (std::thread& thread : threads) thread.join();
  const std::chrono::duration<double> elapsed = Clock::now() - begin;
  Figures figures;
  std::vector<double> all;
  for (const Tally& tally : tallies) {
    all.insert(all.end(), tally.latencies.begin(), tally.latencies.end());
    for (const auto& [endpoint, latencies] : tally.byEndpoint) {
      auto& into = figures.byEndpoint[endpoint];
      into.insert(into.end(), latencies.begin(), latencies.end());
    }
    figures.errors += tally.errors;
    if (tally.slowest > figures.most) {
      figures.most = tally.slowest;
      figures.mostAt = std::chrono::duration<double>(tally.slowestAt - begin).count();
    }
  }
  std::sort(all.begin(), all.end());
  for (auto& [endpoint, latencies] : figures.byEndpoint) {
    std::sort(latencies.begin(), latencies.end());
  }
  figures.requests = static_cast<long>(all.size());
  figures.perSecond = static_cast<double>(all.size()) / elapsed.count();
  if (!all.empty()) {
    figures.median = all[all.size() / 2];
    figures.p99 = all[std::min(all.size() - 1, all.size() * 99 / 100)];
  }
  return figures;
}

void print(const char* name, int clients, const Figures& f) {
  std::printf("| %-28s | %7d | %8ld | %9.0f | %9.2f | %9.2f | %9.1f | %6ld |\n", name, clients,
              f.requests, f.perSecond, f.median, f.p99, f.most, f.errors);
}

}  // namespace

int main(int argc, char** argv) {
  int port = 0;
  pid_t serverPid = 0;
  int clients = 16;
  double seconds = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view option = argv[i];
    if (option == "--port") port = std::atoi(argv[i + 1]);
    if (option == "--server-pid") serverPid = static_cast<pid_t>(std::atol(argv[i + 1]));
    if (option == "--clients") clients = std::atoi(argv[i + 1]);
    if (option == "--seconds") seconds = std::atof(argv[i + 1]);
  }
  if (port <= 0 || serverPid <= 0) {
    std::fprintf(stderr,
                 "usage: murlo_serve_load --port PORT --server-pid PID "
                 "[--clients N] [--seconds S]\n");
    return 2;
  }
  clients = std::clamp(clients, 1, kMostClients);
  seconds = std::clamp(seconds, 0.5, kMostSeconds);
  Network network;
  if (!learn(port, network)) {
    std::fprintf(stderr, "murlo_serve_load: the server on port %d did not answer\n", port);
    return 1;
  }
  std::printf("%zu stations, %zu trains sampled; %d clients for %.1f s each run\n\n",
              network.stations.size(), network.trains.size(), clients, seconds);
  std::printf("| %-28s | %7s | %8s | %9s | %9s | %9s | %9s | %6s |\n", "Run", "Clients", "Requests",
              "Per second", "Median ms", "p99 ms", "Max ms", "Errors");
  std::printf("|%s|---:|---:|---:|---:|---:|---:|---:|\n", std::string(30, '-').c_str());
  const Figures alone = run(port, network, 1, seconds / 2, 0);
  print("one client", 1, alone);
  const Figures loaded = run(port, network, clients, seconds, serverPid);
  print("all clients, SIGHUP halfway", clients, loaded);
  std::printf("\nthe slowest request began %.2f s into the run (the SIGHUP: %.2f s)\n",
              loaded.mostAt, seconds / 2);
  std::printf("\nmedian latency under load / alone: %.2f; throughput under load / alone: %.2f\n",
              loaded.median / alone.median, loaded.perSecond / alone.perSecond);
  std::printf("\n| %-8s | %8s | %15s | %15s | %12s | %12s |\n", "Endpoint", "Requests",
              "Median ms alone", "Median ms load", "p99 ms alone", "p99 ms load");
  std::printf("|---|---:|---:|---:|---:|---:|\n");
  const auto at = [](const std::vector<double>& sorted, std::size_t percent) {
    return sorted.empty() ? 0.0
                          : sorted[std::min(sorted.size() - 1, sorted.size() * percent / 100)];
  };
  for (const auto& [endpoint, latencies] : loaded.byEndpoint) {
    const auto found = alone.byEndpoint.find(endpoint);
    const std::vector<double> none;
    const std::vector<double>& single = found == alone.byEndpoint.end() ? none : found->second;
    std::printf("| %-8s | %8zu | %15.2f | %15.2f | %12.2f | %12.2f |\n", endpoint.c_str(),
                latencies.size(), at(single, 50), at(latencies, 50), at(single, 99),
                at(latencies, 99));
  }
  return alone.errors + loaded.errors == 0 ? 0 : 1;
}
