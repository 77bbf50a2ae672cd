// Many callers at once on a national-scale database (3,000 stations, 10,000
// trains from a seeded generator): every query kind on many threads, each
// answer compared with the single-threaded one; loads that overlap the
// queries, where each query must finish on the database it started with; and
// structured questions of one handle while other handles come and go.
// The tsan preset runs these tests (their names contain "Concurrent") under
// ThreadSanitizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "murloppc.h"
#include "reliability_support.h"
#include "support/test_support.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo::reliability {
namespace {

using Text16 = std::basic_string<murlo_char16>;

struct Network {
  std::vector<StationSpec> stations;
  std::vector<TrainSpec> trains;
};

// Stations on lines of about 30, each line sharing a few junctions with
// others; one train runs every line end to end, the rest run stretches of 3
// to 12 stops in either direction. Names are unique two-character GBK names
// (plus a suffix); abbreviations repeat.
Network generateNetwork(unsigned seed, int stationCount, int trainCount) {
  std::mt19937 random(seed);
  const auto below = [&random](int n) {
    return static_cast<int>(random() % static_cast<unsigned>(n));
  };
  Network network;
  const char* suffixes[] = {"", "\xB6\xAB", "\xCE\xF7", "\xC4\xCF", "\xB1\xB1"};  // 东 西 南 北
  for (int s = 0; s < stationCount; ++s) {
    std::string name;
    name += static_cast<char>(0xB0 + s % 40);
    name += static_cast<char>(0xA1 + (s / 40) % 75);
    name += suffixes[below(5)];
    std::string abbreviation;
    for (int k = 0, letters = 2 + below(2); k < letters; ++k) {
      abbreviation += static_cast<char>('A' + below(26));
    }
    network.stations.push_back({name, abbreviation});
  }

  std::vector<int> order(static_cast<std::size_t>(stationCount));
  for (int s = 0; s < stationCount; ++s) order[static_cast<std::size_t>(s)] = s;
  std::shuffle(order.begin(), order.end(), random);
  std::vector<std::vector<int>> lines;
  for (std::size_t begin = 0; begin < order.size(); begin += 30) {
    std::vector<int> line(
        order.begin() + static_cast<std::ptrdiff_t>(begin),
        order.begin() + static_cast<std::ptrdiff_t>(std::min(order.size(), begin + 30)));
    for (int junction = 0; junction < 4; ++junction) {
      const int shared = below(stationCount);
      if (std::find(line.begin(), line.end(), shared) == line.end()) {
        line.insert(line.begin() + below(static_cast<int>(line.size()) + 1), shared);
      }
    }
    lines.push_back(line);
  }

  const char* prefixes[] = {"", "T", "K", "Z", "D", "G", "Y", "L"};
  const auto addTrain = [&](const std::vector<int>& stops) {
    TrainSpec train;
    train.number = std::string(prefixes[below(8)]) + std::to_string(1 + below(9999));
    if (below(5) == 0) train.number += "/" + std::to_string(1 + below(9999));
    train.classCode = "12346789AB0"[below(11)];
    train.fareColumnCode = "123456789ABCDEF"[below(15)];
    train.fareRateCode = static_cast<char>('D' + below(21));
    int minute = below(1440);
    int km = 0;
    for (const int station : stops) {
      const int arrival = minute;
      minute = (minute + below(6)) % 1440;
      train.stops.push_back({station, arrival, minute, km});
      minute = (minute + 10 + below(80)) % 1440;
      km += 5 + below(145);
    }
    network.trains.push_back(train);
  };
  for (const auto& line : lines) addTrain(line);
  while (static_cast<int>(network.trains.size()) < trainCount) {
    const auto& line = lines[static_cast<std::size_t>(below(static_cast<int>(lines.size())))];
    const int length = std::min(static_cast<int>(line.size()), 3 + below(10));
    const int first = below(static_cast<int>(line.size()) - length + 1);
    std::vector<int> stops(line.begin() + first, line.begin() + first + length);
    if (below(2) == 0) std::reverse(stops.begin(), stops.end());
    addTrain(stops);
  }
  return network;
}

std::string fileOf(const Network& network, const std::string& header) {
  PlainSections plain;
  const auto error =
      plainSectionsOf(buildTimetable(header, network.stations, network.trains), plain);
  EXPECT_FALSE(error.has_value()) << (error ? error->message() : "");
  return test::packOrFail(plain);
}

Text16 utf16Of(std::string_view gbkText) {
  std::u16string units;
  gbkToUtf16(gbkText, units);
  return Text16(units.begin(), units.end());
}

struct Answer {
  int32_t result = 0;
  Text16 text;
  Text16 runTime;
  friend bool operator==(const Answer&, const Answer&) = default;
};

// One query of any kind with its arguments, asked through the sized exports.
struct Query {
  // 0 stations, 1 trains at, 2 direct, 3 stops, 4 by number, 5 header,
  // 6 departures, 7 arrivals, 8 journeys
  int kind = 0;
  Text16 first;
  Text16 second;
  uint32_t train = 0;
  int32_t mode = 0;

  Answer ask() const {
    std::size_t capacity = 1 << 14;
    while (true) {
      std::vector<murlo_char16> out(capacity, 0);
      std::vector<murlo_char16> time(64, 0);
      std::size_t needed = 0;
      Answer answer;
      switch (kind) {
        case 0:
          answer.result = murlo_find_stations(first.c_str(), out.data(), capacity, &needed);
          break;
        case 1:
          answer.result = murlo_trains_at_station(first.c_str(), out.data(), capacity, &needed);
          break;
        case 2:
          answer.result = murlo_direct_trains(first.c_str(), second.c_str(), mode, out.data(),
                                              capacity, &needed);
          break;
        case 3:
          answer.result = murlo_train_stops(train, first.c_str(), second.c_str(), out.data(),
                                            capacity, &needed, time.data(), time.size(), nullptr);
          break;
        case 4:
          answer.result = murlo_trains_by_number(first.c_str(), out.data(), capacity, &needed);
          break;
        case 6:
          answer.result = murlo_departures(first.c_str(), mode, 30, out.data(), capacity, &needed);
          break;
        case 7:
          answer.result = murlo_arrivals(first.c_str(), mode, 0, out.data(), capacity, &needed);
          break;
        case 8:
          answer.result =
              murlo_plan_journeys(first.c_str(), second.c_str(), mode, 3, 10,
                                  static_cast<int32_t>(train), out.data(), capacity, &needed);
          break;
        default: answer.result = murlo_header_text(out.data(), capacity, &needed); break;
      }
      if (answer.result == MURLO_BUFFER_TOO_SMALL) {
        capacity = std::max(needed, 2 * capacity);  // another database may answer the retry
        continue;
      }
      answer.text = out.data();
      answer.runTime = time.data();
      return answer;
    }
  }

  // The same question asked of a handle, its answer described.
  std::string askStructured(const murlo_db* db) const {
    std::string a;
    std::string b;
    utf16ToUtf8(std::u16string(first.begin(), first.end()), a);
    utf16ToUtf8(std::u16string(second.begin(), second.end()), b);
    murlo_stations* stations = nullptr;
    murlo_rides* rides = nullptr;
    murlo_stops* stops = nullptr;
    murlo_journeys* journeys = nullptr;
    switch (kind) {
      case 0: return describeAndFree(murlo_db_stations(db, a.c_str(), &stations), &stations);
      case 1: return describeAndFree(murlo_db_trains_at_station(db, a.c_str(), &rides), &rides);
      case 2:
        return describeAndFree(murlo_db_direct_trains(db, a.c_str(), b.c_str(), &rides), &rides);
      case 3:
        return describeAndFree(murlo_db_train_stops(db, train, a.c_str(), b.c_str(), &stops),
                               &stops);
      case 4: return describeAndFree(murlo_db_trains_by_number(db, a.c_str(), &rides), &rides);
      case 6: return describeAndFree(murlo_db_departures(db, a.c_str(), mode, 30, &rides), &rides);
      case 7: return describeAndFree(murlo_db_arrivals(db, a.c_str(), mode, 0, &rides), &rides);
      case 8:
        return describeAndFree(murlo_db_plan_journeys(db, a.c_str(), b.c_str(), mode, 3, 10,
                                                      static_cast<int32_t>(train), &journeys),
                               &journeys);
      default: return murlo_db_header(db);
    }
  }
};

// Queries of every kind, with arguments drawn from the network.
std::vector<Query> queriesOn(const Network& network, unsigned seed) {
  std::mt19937 random(seed);
  const auto below = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  const auto station = [&](std::size_t s) { return utf16Of(network.stations[s].name); };
  std::vector<Query> queries;
  for (int i = 0; i < 30; ++i) {
    const std::string& abbreviation = network.stations[below(network.stations.size())].abbreviation;
    queries.push_back({0, utf16Of(abbreviation.substr(0, 1 + below(2))), {}, 0, 0});
  }
  for (int i = 0; i < 40; ++i) {
    queries.push_back({1, station(below(network.stations.size())), {}, 0, 0});
  }
  for (int i = 0; i < 60; ++i) {
    // Half along one train (a direct answer), half anywhere (change stations).
    const TrainSpec& train = network.trains[below(network.trains.size())];
    const std::size_t from = below(train.stops.size() - 1);
    const std::size_t to = from + 1 + below(train.stops.size() - from - 1);
    Query query{2, station(static_cast<std::size_t>(train.stops[from].station)),
                station(static_cast<std::size_t>(train.stops[to].station)), 0,
                static_cast<int32_t>(below(2))};
    if (i % 2 == 1) query.second = station(below(network.stations.size()));
    queries.push_back(query);
  }
  for (int i = 0; i < 40; ++i) {
    const std::size_t t = below(network.trains.size() + 20);
    Query query{3, {}, {}, static_cast<uint32_t>(t), 0};
    if (t < network.trains.size()) {
      const auto& stops = network.trains[t].stops;
      query.first = station(static_cast<std::size_t>(stops[below(stops.size())].station));
      query.second = station(static_cast<std::size_t>(stops[below(stops.size())].station));
    }
    queries.push_back(query);
  }
  for (int i = 0; i < 30; ++i) {
    std::string number = network.trains[below(network.trains.size())].number;
    number = number.substr(0, number.find('/'));
    if (i % 2 == 0 && !number.empty() && (number[0] < '0' || number[0] > '9')) number.erase(0, 1);
    queries.push_back({4, utf16Of(number), {}, 0, 0});
  }
  // Boards and journeys: `mode` holds the minute, `train` the limit.
  for (int i = 0; i < 20; ++i) {
    const auto minute = static_cast<int32_t>(below(1440));
    queries.push_back({6 + i % 2, station(below(network.stations.size())), {}, 0, minute});
  }
  for (int i = 0; i < 16; ++i) {
    queries.push_back({8, station(below(network.stations.size())),
                       station(below(network.stations.size())), static_cast<uint32_t>(i % 4),
                       static_cast<int32_t>(below(1440))});
  }
  queries.push_back({5, {}, {}, 0, 0});
  std::shuffle(queries.begin(), queries.end(), random);
  return queries;
}

std::vector<Answer> answersOf(const std::vector<Query>& queries) {
  std::vector<Answer> answers;
  for (const Query& query : queries) answers.push_back(query.ask());
  return answers;
}

int32_t load(const test::TempFile& file) {
  return murlo_load_database(test::utf16(file.path()).c_str());
}

class ConcurrentQueries : public ::testing::Test {
 protected:
  // The national network and a smaller one, as files, built once per process.
  static void SetUpTestSuite() {
    national_ = new Network(generateNetwork(20261208, 3000, 10000));
    nationalFile_ = new test::TempFile(fileOf(*national_, "NATIONAL"), "national.db");
    regional_ = new Network(generateNetwork(7, 300, 1000));
    regionalFile_ = new test::TempFile(fileOf(*regional_, "REGIONAL"), "regional.db");
  }
  static void TearDownTestSuite() {
    delete nationalFile_;
    delete national_;
    delete regionalFile_;
    delete regional_;
  }

  static constexpr int kThreads = 6;

  static Network* national_;
  static test::TempFile* nationalFile_;
  static Network* regional_;
  static test::TempFile* regionalFile_;
};

Network* ConcurrentQueries::national_ = nullptr;
test::TempFile* ConcurrentQueries::nationalFile_ = nullptr;
Network* ConcurrentQueries::regional_ = nullptr;
test::TempFile* ConcurrentQueries::regionalFile_ = nullptr;

TEST_F(ConcurrentQueries, EveryQueryKindMatchesItsSingleThreadedAnswer) {
  ASSERT_EQ(load(*nationalFile_), 1);
  const std::vector<Query> queries = queriesOn(*national_, 1);
  const std::vector<Answer> expected = answersOf(queries);
  // The answers are not all empty: the network is queried for real.
  EXPECT_GT(std::count_if(expected.begin(), expected.end(),
                          [](const Answer& a) { return a.result > 0 && !a.text.empty(); }),
            static_cast<std::ptrdiff_t>(queries.size() / 2));
  // Loaded afresh, so that the threads also fill the whole-run line cache
  // together, and make the boards and the trains' runs together.
  ASSERT_EQ(load(*nationalFile_), 1);

  HangGuard guard("the concurrent queries", std::chrono::seconds(600));
  std::vector<std::vector<std::size_t>> mismatches(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Each thread asks every query, starting at a different one.
      for (std::size_t k = 0; k < queries.size(); ++k) {
        const std::size_t q =
            (k + static_cast<std::size_t>(t) * queries.size() / kThreads) % queries.size();
        if (!(queries[q].ask() == expected[q]))
          mismatches[static_cast<std::size_t>(t)].push_back(q);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_TRUE(mismatches[static_cast<std::size_t>(t)].empty())
        << "thread " << t << ": " << mismatches[static_cast<std::size_t>(t)].size()
        << " answers differ, the first to query "
        << (mismatches[static_cast<std::size_t>(t)].empty()
                ? 0
                : mismatches[static_cast<std::size_t>(t)][0]);
  }
}

TEST_F(ConcurrentQueries, LoadsThatOverlapQueriesLetEachQueryFinishOnOneDatabase) {
  // The same queries on either database, answered single-threaded.
  std::vector<Query> queries = queriesOn(*national_, 2);
  const std::vector<Query> regionalQueries = queriesOn(*regional_, 3);
  queries.insert(queries.end(), regionalQueries.begin(), regionalQueries.end());
  ASSERT_EQ(load(*regionalFile_), 1);
  const std::vector<Answer> onRegional = answersOf(queries);
  ASSERT_EQ(load(*nationalFile_), 1);
  const std::vector<Answer> onNational = answersOf(queries);

  HangGuard guard("queries during loads", std::chrono::seconds(600));
  std::atomic<bool> loading{true};
  std::atomic<int> loadFailures{0};
  std::vector<std::vector<std::size_t>> mismatches(kThreads);
  std::vector<std::thread> threads;
  threads.emplace_back([&] {
    for (int round = 0; round < 6; ++round) {
      if (load(round % 2 == 0 ? *regionalFile_ : *nationalFile_) != 1) ++loadFailures;
    }
    loading = false;
  });
  for (int t = 0; t < kThreads - 1; ++t) {
    threads.emplace_back([&, t] {
      std::size_t k = static_cast<std::size_t>(t) * 37;
      do {
        for (int batch = 0; batch < 20; ++batch, ++k) {
          const std::size_t q = k % queries.size();
          const Answer answer = queries[q].ask();
          if (!(answer == onNational[q]) && !(answer == onRegional[q])) {
            mismatches[static_cast<std::size_t>(t)].push_back(q);
          }
        }
      } while (loading);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(loadFailures, 0);
  for (int t = 0; t < kThreads - 1; ++t) {
    EXPECT_TRUE(mismatches[static_cast<std::size_t>(t)].empty())
        << "thread " << t << ": " << mismatches[static_cast<std::size_t>(t)].size()
        << " answers from neither database";
  }
  // The last load was the national network's.
  EXPECT_TRUE(answersOf(queries) == onNational);
}

// One file loaded and opened by many threads at once: every load and open
// succeeds (on Windows a reader that kept others out of the file failed the
// others while it read).
TEST_F(ConcurrentQueries, OneFileLoadedAndOpenedByManyThreadsAtOnce) {
  HangGuard guard("loads of one file", std::chrono::seconds(600));
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round) {
        if (t % 2 == 0) {
          if (load(*nationalFile_) != 1) ++failures;
          continue;
        }
        murlo_db* db = nullptr;
        if (murlo_db_open(nationalFile_->path().c_str(), &db) != MURLO_STATUS_OK) ++failures;
        murlo_db_close(db);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
}

// Structured questions of one handle on many threads, while another thread
// opens, asks and closes handles on the other file and loads the process's
// database again and again: every answer is the single-threaded one.
TEST_F(ConcurrentQueries, StructuredQuestionsOfOneHandleMatchTheirSingleThreadedAnswers) {
  const std::vector<Query> queries = queriesOn(*national_, 4);
  const std::vector<Query> regionalQueries = queriesOn(*regional_, 5);
  const auto structuredAnswersOf = [](const std::vector<Query>& asked, const std::string& path) {
    murlo_db* db = nullptr;
    EXPECT_EQ(murlo_db_open(path.c_str(), &db), MURLO_STATUS_OK);
    std::vector<std::string> answers;
    for (const Query& query : asked) answers.push_back(query.askStructured(db));
    murlo_db_close(db);
    return answers;
  };
  const std::vector<std::string> expected = structuredAnswersOf(queries, nationalFile_->path());
  const std::vector<std::string> onRegional =
      structuredAnswersOf(regionalQueries, regionalFile_->path());
  // The answers are not all empty: the network is queried for real.
  EXPECT_GT(std::count_if(expected.begin(), expected.end(),
                          [](const std::string& a) { return a.find('*') != std::string::npos; }),
            static_cast<std::ptrdiff_t>(queries.size() / 2));

  // A fresh handle: the threads make what it keeps together.
  murlo_db* shared = nullptr;
  ASSERT_EQ(murlo_db_open(nationalFile_->path().c_str(), &shared), MURLO_STATUS_OK);
  HangGuard guard("structured questions", std::chrono::seconds(600));
  std::atomic<bool> churning{true};
  std::atomic<int> churnFailures{0};
  std::vector<std::vector<std::size_t>> mismatches(kThreads);
  std::vector<std::thread> threads;
  threads.emplace_back([&] {
    for (std::size_t round = 0; round < 6; ++round) {
      murlo_db* other = nullptr;
      if (murlo_db_open(regionalFile_->path().c_str(), &other) != MURLO_STATUS_OK) {
        ++churnFailures;
        continue;
      }
      for (std::size_t q = round * 20; q < regionalQueries.size() && q < (round + 1) * 20; ++q) {
        if (regionalQueries[q].askStructured(other) != onRegional[q]) ++churnFailures;
      }
      murlo_db_close(other);
      if (load(round % 2 == 0 ? *regionalFile_ : *nationalFile_) != 1) ++churnFailures;
      murlo_db* process = murlo_db_of_process();
      if (process == nullptr) ++churnFailures;
      murlo_db_close(process);
    }
    churning = false;
  });
  for (int t = 0; t < kThreads - 1; ++t) {
    threads.emplace_back([&, t] {
      // Each thread asks every question at least once, starting at a
      // different one.
      std::size_t k = static_cast<std::size_t>(t) * queries.size() / kThreads;
      do {
        for (std::size_t n = 0; n < queries.size(); ++n, ++k) {
          const std::size_t q = k % queries.size();
          if (queries[q].askStructured(shared) != expected[q]) {
            mismatches[static_cast<std::size_t>(t)].push_back(q);
          }
        }
      } while (churning);
    });
  }
  for (std::thread& thread : threads) thread.join();
  murlo_db_close(shared);
  EXPECT_EQ(churnFailures, 0);
  for (int t = 0; t < kThreads - 1; ++t) {
    EXPECT_TRUE(mismatches[static_cast<std::size_t>(t)].empty())
        << "thread " << t << ": " << mismatches[static_cast<std::size_t>(t)].size()
        << " answers differ";
  }
}

}  // namespace
}  // namespace murlo::reliability
