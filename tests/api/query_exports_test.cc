// The five query exports and their size-checked twins, through the C
// interface with UTF-16 arguments, on the worked example.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "murloppc.h"
#include "support/test_support.h"

namespace murlo {
namespace {

using test::utf16;
using test::utf8Of;
using Text16 = std::basic_string<murlo_char16>;

class QueryExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::make_unique<test::TempFile>(test::packOrFail(test::workedExampleSections()));
    ASSERT_EQ(x01f38d60978350e2(utf16(file_->path()).c_str()), 1);
  }

  // A buffer filled with a marker, to see what a call wrote.
  static std::vector<murlo_char16> marked(std::size_t units = 4096) {
    return std::vector<murlo_char16>(units, murlo_char16{0x7E7E});
  }
  static bool untouched(const std::vector<murlo_char16>& buffer) {
    for (const murlo_char16 unit : buffer) {
      if (unit != 0x7E7E) return false;
    }
    return true;
  }

  std::unique_ptr<test::TempFile> file_;
};

TEST_F(QueryExportTest, StationsByAbbreviation) {
  auto out = marked();
  EXPECT_EQ(x0189e3js083h2c13(utf16("B").c_str(), out.data()), 1);
  EXPECT_EQ(utf8Of(out.data()), "北京|");
  EXPECT_EQ(x0189e3js083h2c13(utf16("").c_str(), out.data()), 2);
  EXPECT_EQ(utf8Of(out.data()), "北京|天津|");
  // A non-ASCII input is longer in GBK than in UTF-16 units: no match.
  EXPECT_EQ(x0189e3js083h2c13(utf16("北").c_str(), out.data()), 0);
  EXPECT_EQ(utf8Of(out.data()), "");
}

TEST_F(QueryExportTest, NegativeResultsLeaveTheBufferAsGiven) {
  struct Case {
    const char* name;
    int32_t expected;
    int32_t (*call)(murlo_char16*);
  } cases[] = {
      {"unknown station", -1,
       [](murlo_char16* o) { return x01e983hw983402(utf16("上海").c_str(), o); }},
      {"same names", -3,
       [](murlo_char16* o) {
         return x01d897fsd20dj3(utf16("上海").c_str(), utf16("上海").c_str(), o, 0);
       }},
      {"unknown origin first", -1,
       [](murlo_char16* o) {
         return x01d897fsd20dj3(utf16("上海").c_str(), utf16("广州").c_str(), o, 0);
       }},
      {"unknown destination", -2,
       [](murlo_char16* o) {
         return x01d897fsd20dj3(utf16("北京").c_str(), utf16("广州").c_str(), o, 0);
       }},
      {"unconvertible station", -1,
       [](murlo_char16* o) {
         const murlo_char16 bad[] = {0xD800, 0};
         return x01e983hw983402(bad, o);
       }},
      {"unconvertible destination", -2,
       [](murlo_char16* o) {
         const murlo_char16 bad[] = {0x0E01, 0};  // Thai: not in code page 936
         return x01d897fsd20dj3(utf16("北京").c_str(), bad, o, 0);
       }},
      {"unconvertible origin", -1,
       [](murlo_char16* o) {
         const murlo_char16 bad[] = {0x0E01, 0};
         return x01d897fsd20dj3(bad, utf16("北京").c_str(), o, 0);
       }},
  };
  for (const Case& c : cases) {
    auto out = marked();
    EXPECT_EQ(c.call(out.data()), c.expected) << c.name;
    EXPECT_TRUE(untouched(out)) << c.name;
  }
}

TEST_F(QueryExportTest, EveryQueryKind) {
  auto out = marked();
  EXPECT_EQ(x01e983hw983402(utf16("天津").c_str(), out.data()), 2);
  EXPECT_EQ(test::splitTerminated(utf8Of(out.data()), '*').size(), 2u);

  EXPECT_EQ(x01d897fsd20dj3(utf16("北京").c_str(), utf16("天津").c_str(), out.data(), 1), 1);
  EXPECT_EQ(utf8Of(out.data()).rfind("H|0|T1/T2|北京|08:00|天津|09:30|", 0), 0u);

  EXPECT_EQ(x01jhhwe23h9823098(utf16("5").c_str(), out.data()), 1);
  EXPECT_EQ(utf8Of(out.data()).rfind("S|1|K5|", 0), 0u);
  EXPECT_EQ(x01jhhwe23h9823098(utf16("").c_str(), out.data()), 0);
  EXPECT_EQ(utf8Of(out.data()), "");

  auto time = marked(16);
  EXPECT_EQ(x01p2923jh8eh23083d3(1, utf16("天津").c_str(), utf16("北京").c_str(), out.data(),
                                 time.data()),
            2);
  EXPECT_EQ(utf8Of(out.data()), ">|天津|-|23:30|0*>|北京|01:05|-|137*");
  EXPECT_EQ(utf8Of(time.data()), "01:35");

  EXPECT_EQ(x01p2923jh8eh23083d3(2, utf16("天津").c_str(), utf16("北京").c_str(), out.data(),
                                 time.data()),
            0);
  EXPECT_EQ(utf8Of(out.data()), "");
  EXPECT_EQ(utf8Of(time.data()), "");
}

TEST_F(QueryExportTest, SizedCallsReportTheirSizeAndRefuseSmallBuffers) {
  const Text16 expected = utf16("北京|天津|");
  std::size_t needed = 0;
  // Size query: no buffer.
  EXPECT_EQ(murlo_find_stations(utf16("").c_str(), nullptr, 0, &needed), MURLO_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, expected.size() + 1);

  auto out = marked(expected.size());
  EXPECT_EQ(murlo_find_stations(utf16("").c_str(), out.data(), out.size(), &needed),
            MURLO_BUFFER_TOO_SMALL);
  EXPECT_TRUE(untouched(out));

  out = marked(expected.size() + 1);
  EXPECT_EQ(murlo_find_stations(utf16("").c_str(), out.data(), out.size(), nullptr), 2);
  EXPECT_EQ(Text16(out.data()), expected);

  // A negative result stays what it is and reports no size.
  needed = 99;
  out = marked(8);
  EXPECT_EQ(
      murlo_direct_trains(utf16("北京").c_str(), utf16("x").c_str(), 0, out.data(), 8, &needed),
      -2);
  EXPECT_EQ(needed, 99u);
  EXPECT_TRUE(untouched(out));

  // Both outputs of the stop list must fit, or neither is written.
  auto stops = marked(64);
  auto time = marked(5);
  std::size_t stopsNeeded = 0;
  std::size_t timeNeeded = 0;
  EXPECT_EQ(murlo_train_stops(0, utf16("北京").c_str(), utf16("天津").c_str(), stops.data(),
                              stops.size(), &stopsNeeded, time.data(), time.size(), &timeNeeded),
            MURLO_BUFFER_TOO_SMALL);
  EXPECT_TRUE(untouched(stops));
  EXPECT_TRUE(untouched(time));
  EXPECT_EQ(timeNeeded, 6u);
  EXPECT_EQ(stopsNeeded, utf16(">|北京|-|08:00|0*>|天津|09:30|-|137*").size() + 1);

  auto header = marked(10);
  EXPECT_EQ(murlo_header_text(header.data(), header.size(), &needed), MURLO_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, 11u);
  header = marked(11);
  EXPECT_EQ(murlo_header_text(header.data(), header.size(), &needed), 1);
  EXPECT_EQ(utf8Of(header.data()), "EXAMPLE-01");
}

TEST_F(QueryExportTest, StationListGivesNamesWithAbbreviations) {
  const Text16 expected = utf16("北京|BJ*天津|TJ*");
  std::size_t needed = 0;
  EXPECT_EQ(murlo_station_list(nullptr, 0, &needed), MURLO_BUFFER_TOO_SMALL);
  EXPECT_EQ(needed, expected.size() + 1);
  auto out = marked(expected.size());
  EXPECT_EQ(murlo_station_list(out.data(), out.size(), &needed), MURLO_BUFFER_TOO_SMALL);
  EXPECT_TRUE(untouched(out));
  out = marked(expected.size() + 1);
  EXPECT_EQ(murlo_station_list(out.data(), out.size(), nullptr), 2);
  EXPECT_EQ(Text16(out.data()), expected);
}

// Every query kind from several threads at once, each result checked against
// the single-threaded answer.
TEST_F(QueryExportTest, ConcurrentQueriesAgreeWithSingleThreadedAnswers) {
  const auto ask = [](int kind) {
    std::vector<murlo_char16> out(4096);
    std::vector<murlo_char16> time(32);
    int32_t result = 0;
    switch (kind) {
      case 0: result = x0189e3js083h2c13(utf16("B").c_str(), out.data()); break;
      case 1: result = x01e983hw983402(utf16("北京").c_str(), out.data()); break;
      case 2:
        result = x01d897fsd20dj3(utf16("天津").c_str(), utf16("北京").c_str(), out.data(), 0);
        break;
      case 3:
        result = x01p2923jh8eh23083d3(0, utf16("北京").c_str(), utf16("天津").c_str(), out.data(),
                                      time.data());
        break;
      default: result = x01jhhwe23h9823098(utf16("T2").c_str(), out.data()); break;
    }
    return std::to_string(result) + "#" + utf8Of(out.data()) + "#" + utf8Of(time.data());
  };
  std::vector<std::string> expected;
  for (int kind = 0; kind < 5; ++kind) expected.push_back(ask(kind));

  std::vector<std::thread> threads;
  std::vector<int> mismatches(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 200; ++round) {
        const int kind = (t + round) % 5;
        if (ask(kind) != expected[static_cast<std::size_t>(kind)])
          ++mismatches[static_cast<std::size_t>(t)];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 8; ++t)
    EXPECT_EQ(mismatches[static_cast<std::size_t>(t)], 0) << "thread " << t;
}

}  // namespace
}  // namespace murlo
