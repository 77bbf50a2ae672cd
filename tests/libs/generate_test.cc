// murlo generate: the synthetic networks keep every limit of the format, have
// the shape they promise, come out the same for the same seed and survive the
// source format unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/loader.h"
#include "generate/network_generator.h"
#include "generate/service_patterns.h"
#include "query/direct_trains.h"
#include "query/trains_at_station.h"
#include "support/test_support.h"
#include "timetable_source/timetable_source.h"

namespace murlo {
namespace {

using generate::NetworkSize;
using source::Timetable;

std::string compiled(const Timetable& timetable) {
  std::string file;
  const auto error = source::compileTimetable(timetable, file);
  EXPECT_FALSE(error.has_value()) << (error ? error->message() : "");
  return file;
}

// Each size generated once per test program, when first asked for.
const Timetable& network(NetworkSize size) {
  static std::map<NetworkSize, Timetable> networks;
  auto it = networks.find(size);
  if (it == networks.end()) it = networks.emplace(size, generate::generateNetwork(size, 1)).first;
  return it->second;
}

struct SizeCase {
  const char* name;
  NetworkSize size;
  std::size_t stations;
  std::size_t trains;
};

class GeneratedNetworkTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(GeneratedNetworkTest, HasTheCountsOfItsSize) {
  const Timetable& t = network(GetParam().size);
  EXPECT_EQ(t.stations.size(), GetParam().stations);
  EXPECT_EQ(t.trains.size(), GetParam().trains);
}

TEST_P(GeneratedNetworkTest, KeepsEveryLimitOfTheFormat) {
  const Timetable& t = network(GetParam().size);
  ASSERT_LE(t.stations.size(), 10000u);
  ASSERT_LE(t.trains.size(), 10000u);
  EXPECT_LE(t.header.size(), 10u);

  std::set<std::string> names;
  for (const StationSpec& station : t.stations) {
    EXPECT_GE(station.name.size(), 4u);
    EXPECT_LE(station.name.size(), 11u) << station.abbreviation;
    EXPECT_TRUE(names.insert(station.name).second) << "repeated name " << station.abbreviation;
  }

  std::vector<int> calls(t.stations.size(), 0);
  std::set<std::string> numbers;
  for (const TrainSpec& train : t.trains) {
    const std::string& number = train.number;
    EXPECT_FALSE(number.empty());
    EXPECT_LE(number.size(), 19u) << number;
    EXPECT_EQ(number.find('O'), std::string::npos) << number;
    EXPECT_TRUE(std::all_of(number.begin(), number.end(), [](char c) {
      return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/';
    })) << number;
    EXPECT_NE(number.front(), '/');
    EXPECT_NE(number.back(), '/');
    for (std::size_t begin = 0; begin <= number.size();) {
      const std::size_t end = std::min(number.find('/', begin), number.size());
      EXPECT_TRUE(numbers.insert(number.substr(begin, end - begin)).second)
          << "number used twice: " << number;
      begin = end + 1;
    }
    EXPECT_NE(std::string("123467890AB").find(train.classCode), std::string::npos) << number;
    EXPECT_NE(std::string("123456789ABCDEF").find(train.fareColumnCode), std::string::npos);
    EXPECT_TRUE(train.fareRateCode >= 'D' && train.fareRateCode <= 'X') << number;

    ASSERT_GE(train.stops.size(), 2u) << number;
    ASSERT_LE(train.stops.size(), 100u) << number;
    EXPECT_EQ(train.stops.front().distanceKm, 0) << number;
    // The unused times are stored as 00:00, as a source's "-" is.
    EXPECT_EQ(train.stops.front().arrival, 0) << number;
    EXPECT_EQ(train.stops.back().departure, 0) << number;
    for (std::size_t k = 0; k < train.stops.size(); ++k) {
      const StopSpec& stop = train.stops[k];
      ASSERT_GE(stop.station, 0);
      ASSERT_LT(static_cast<std::size_t>(stop.station), t.stations.size());
      ++calls[static_cast<std::size_t>(stop.station)];
      EXPECT_TRUE(stop.arrival >= 0 && stop.arrival < 1440) << number;
      EXPECT_TRUE(stop.departure >= 0 && stop.departure < 1440) << number;
      EXPECT_LE(stop.distanceKm, 9999) << number;
      if (k > 0) {
        // Consecutive stops are distinct stations a positive distance apart.
        EXPECT_GT(stop.distanceKm, train.stops[k - 1].distanceKm) << number;
        EXPECT_NE(stop.station, train.stops[k - 1].station) << number;
      }
    }
  }
  for (std::size_t s = 0; s < calls.size(); ++s) {
    EXPECT_GT(calls[s], 0) << "no train calls at station " << t.stations[s].abbreviation;
  }
}

// An abbreviation has one capital per character of the name, and a character
// always gives the same initial: they are the name's pinyin initials.
TEST_P(GeneratedNetworkTest, AbbreviationsAreTheInitialsOfTheNames) {
  const Timetable& t = network(GetParam().size);
  std::map<std::string, char> initialOf;
  for (const StationSpec& station : t.stations) {
    ASSERT_EQ(station.name.size() % 2, 0u);
    ASSERT_EQ(station.abbreviation.size(), station.name.size() / 2) << station.abbreviation;
    for (std::size_t k = 0; k < station.abbreviation.size(); ++k) {
      const char initial = station.abbreviation[k];
      EXPECT_TRUE(initial >= 'A' && initial <= 'Z');
      // No pinyin syllable begins with I, U or V.
      EXPECT_EQ(std::string("IUV").find(initial), std::string::npos);
      const auto [it, fresh] = initialOf.emplace(station.name.substr(2 * k, 2), initial);
      EXPECT_EQ(it->second, initial) << station.abbreviation;
      EXPECT_GE(static_cast<unsigned char>(station.name[2 * k]), 0x81);  // a GBK lead byte
    }
  }
}

// dump writes the network as source with no warning, and the source parses
// without error into the same timetable and the same file. (The maximal
// network is left to the limit checks above: its round trip takes half a
// minute in the sanitizer build.)
class SourceRoundTripTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SourceRoundTripTest, GivesTheSameTimetableAndFile) {
  const Timetable& t = network(GetParam().size);
  const std::string file = compiled(t);
  std::vector<std::string> warnings;
  const std::string text = source::dumpSource(test::loadBytes(file), warnings);
  EXPECT_TRUE(warnings.empty()) << warnings.front();

  Timetable parsed;
  const auto errors = source::parseSource(text, parsed);
  ASSERT_TRUE(errors.empty()) << "line " << errors[0].line << ": " << errors[0].message;
  EXPECT_EQ(parsed.header, t.header);
  ASSERT_EQ(parsed.stations.size(), t.stations.size());
  for (std::size_t s = 0; s < t.stations.size(); ++s) {
    EXPECT_EQ(parsed.stations[s].name, t.stations[s].name);
    EXPECT_EQ(parsed.stations[s].abbreviation, t.stations[s].abbreviation);
  }
  ASSERT_EQ(parsed.trains.size(), t.trains.size());
  for (std::size_t i = 0; i < t.trains.size(); ++i) {
    const TrainSpec& a = parsed.trains[i];
    const TrainSpec& b = t.trains[i];
    EXPECT_EQ(a.number, b.number);
    EXPECT_EQ(a.classCode, b.classCode);
    EXPECT_EQ(a.fareColumnCode, b.fareColumnCode);
    EXPECT_EQ(a.fareRateCode, b.fareRateCode);
    ASSERT_EQ(a.stops.size(), b.stops.size()) << b.number;
    for (std::size_t k = 0; k < b.stops.size(); ++k) {
      EXPECT_EQ(a.stops[k].station, b.stops[k].station);
      EXPECT_EQ(a.stops[k].arrival, b.stops[k].arrival);
      EXPECT_EQ(a.stops[k].departure, b.stops[k].departure);
      EXPECT_EQ(a.stops[k].distanceKm, b.stops[k].distanceKm);
    }
  }
  EXPECT_EQ(compiled(parsed), file);
}

constexpr SizeCase kSmall{"small", NetworkSize::kSmall, 300, 1000};
constexpr SizeCase kNational{"national", NetworkSize::kNational, 3000, 10000};
constexpr SizeCase kMaximal{"maximal", NetworkSize::kMaximal, 10000, 10000};

INSTANTIATE_TEST_SUITE_P(Sizes, GeneratedNetworkTest,
                         ::testing::Values(kSmall, kNational, kMaximal), test::CaseName());
INSTANTIATE_TEST_SUITE_P(Sizes, SourceRoundTripTest, ::testing::Values(kSmall, kNational),
                         test::CaseName());

TEST(GenerateTest, TheSameSeedGivesTheSameFile) {
  const std::string once = compiled(generate::generateNetwork(NetworkSize::kSmall, 42));
  const std::string again = compiled(generate::generateNetwork(NetworkSize::kSmall, 42));
  EXPECT_EQ(once, again);
  EXPECT_NE(compiled(generate::generateNetwork(NetworkSize::kSmall, 43)), once);
}

// What the benchmarks rely on: trains of typical length, busy hubs, numbers
// shared by several trains, trains past midnight.
TEST(GenerateTest, NationalHasTheShapeOfARailway) {
  const Timetable& t = network(NetworkSize::kNational);
  std::vector<std::size_t> stops;
  std::vector<int> calls(t.stations.size(), 0);
  int multiNumbered = 0;
  int overnight = 0;
  std::set<char> prefixes;
  for (const TrainSpec& train : t.trains) {
    stops.push_back(train.stops.size());
    if (train.number.find('/') != std::string::npos) ++multiNumbered;
    prefixes.insert(train.number[0] >= 'A' ? train.number[0] : '#');
    bool pastMidnight = false;
    for (std::size_t k = 0; k < train.stops.size(); ++k) {
      ++calls[static_cast<std::size_t>(train.stops[k].station)];
      if (k > 0 && train.stops[k].arrival < train.stops[k - 1].departure) pastMidnight = true;
    }
    overnight += pastMidnight ? 1 : 0;
  }
  std::sort(stops.begin(), stops.end());
  const std::size_t median = stops[stops.size() / 2];
  EXPECT_GE(median, 15u);
  EXPECT_LE(median, 20u);
  EXPECT_EQ(stops.front(), 2u);
  EXPECT_GE(stops.back(), 60u);
  EXPECT_GE(multiNumbered, 300);
  EXPECT_GE(overnight, 1000);
  EXPECT_EQ(prefixes, (std::set<char>{'#', 'C', 'D', 'G', 'K', 'L', 'S', 'T', 'Y', 'Z'}));

  std::sort(calls.begin(), calls.end());
  EXPECT_GE(calls.back(), 400);              // the busiest hub
  EXPECT_GE(calls[calls.size() - 30], 200);  // thirty hubs with hundreds of calls
  EXPECT_LE(calls[calls.size() / 2], 60);    // most stations are minor

  // Some stations are a city's compass station: 北京 has 北京西.
  std::set<std::string> names;
  for (const StationSpec& station : t.stations) names.insert(station.name);
  int compass = 0;
  for (const StationSpec& station : t.stations) {
    if (station.name.size() == 6 && names.count(station.name.substr(0, 4)) != 0) ++compass;
  }
  EXPECT_GE(compass, 20);
}

TEST(GenerateTest, MaximalRunsTrainsUpToTheStopLimit) {
  const Timetable& t = network(NetworkSize::kMaximal);
  const auto longest = std::max_element(
      t.trains.begin(), t.trains.end(),
      [](const TrainSpec& a, const TrainSpec& b) { return a.stops.size() < b.stops.size(); });
  EXPECT_EQ(longest->stops.size(), 100u);
}

// The benchmarks load networks from files: the file, read and kept as the
// tables' storage, gives the same tables and answers as the bytes parsed in
// memory.
TEST(GenerateTest, ANetworkLoadsFromItsFileAsFromMemory) {
  const Timetable& t = network(NetworkSize::kSmall);
  const std::string file = compiled(t);
  test::TempFile onDisk(file);
  std::shared_ptr<const LoadedDatabase> fromFile;
  ASSERT_EQ(loadDatabase(onDisk.path(), fromFile), LoadResult::kLoaded);
  const LoadedDatabase& loaded = *fromFile;
  const LoadedDatabase parsed(test::loadBytes(file));
  EXPECT_TRUE(loaded.tables() == parsed.tables());
  for (std::size_t s = 0; s < t.stations.size(); s += 17) {
    const std::string& name = t.stations[s].name;
    EXPECT_EQ(test::gbkText(trainsAtStation(loaded, name)).text,
              test::gbkText(trainsAtStation(parsed, name)).text);
    const std::string& other = t.stations[(s * 7 + 3) % t.stations.size()].name;
    EXPECT_EQ(directTrains(loaded, name, other, 0).text, directTrains(parsed, name, other, 0).text);
  }
}

TEST(GenerateTest, SizesAreNamed) {
  EXPECT_EQ(generate::networkSizeNamed("national"), NetworkSize::kNational);
  EXPECT_EQ(generate::nameOf(NetworkSize::kMaximal), "maximal");
  EXPECT_FALSE(generate::networkSizeNamed("huge").has_value());
  EXPECT_EQ(generate::generateNetwork(NetworkSize::kNational, 12345).header, "GEN-N2345");
}

TEST(GenerateTest, RefusesAShapeItCannotBuild) {
  const generate::NetworkShape tooManyLines{3000, 10, 150, 4000, 3000};
  EXPECT_THROW(generate::generateNetwork(tooManyLines, 1, ""), std::invalid_argument);
  const generate::NetworkShape oneHub{10, 10, 1, 100, 100};
  EXPECT_THROW(generate::generateNetwork(oneHub, 1, ""), std::invalid_argument);
  const generate::NetworkShape tooBig{kMaxNetworkStations + 1, 10, 10, 100, 100};
  EXPECT_THROW(generate::generateNetwork(tooBig, 1, ""), std::invalid_argument);
  // More stations than two hubs' one line can call at (it once looped).
  const generate::NetworkShape tooManyStations{10001, 10, 2, 100, 100};
  EXPECT_THROW(generate::generateNetwork(tooManyStations, 1, ""), std::invalid_argument);
}

TEST(GenerateCommandTest, WritesADatabaseAndTheSameNetworkAsSource) {
  test::TempFile scratch("");
  const std::string db = scratch.dir() + "/small.db";
  const std::string tt = scratch.dir() + "/small.tt";
  const std::string rebuilt = scratch.dir() + "/rebuilt.db";
  ASSERT_EQ(test::runMurlo({"generate", "small", db, "--seed", "7"}).status, 0);
  const auto source = test::runMurlo({"generate", "--source", "small", tt, "--seed", "7"});
  ASSERT_EQ(source.status, 0) << source.err;
  const auto build = test::runMurlo({"build", tt, rebuilt});
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_EQ(test::readFile(rebuilt), test::readFile(db));
  EXPECT_EQ(test::readFile(db), compiled(generate::generateNetwork(NetworkSize::kSmall, 7)));

  const auto header = test::runMurlo({"header", db});
  EXPECT_EQ(header.status, 0) << header.err;
  EXPECT_EQ(header.out, "GEN-S7\n");
}

TEST(GenerateCommandTest, RefusesAWrongCommandLine) {
  test::TempFile scratch("");
  const std::string out = scratch.dir() + "/x.db";
  EXPECT_EQ(test::runMurlo({"generate", "huge", out}).status, 2);
  EXPECT_EQ(test::runMurlo({"generate", "small"}).status, 2);
  EXPECT_EQ(test::runMurlo({"generate", "small", out, "--seed", "x1"}).status, 2);
  EXPECT_EQ(test::runMurlo({"generate", "small", out, "--seed"}).status, 2);
  EXPECT_EQ(test::runMurlo({"generate", "small", out, "--fast"}).status, 2);
  EXPECT_EQ(test::readFile(out), "");
  EXPECT_EQ(test::runMurlo({"generate", "small", scratch.dir() + "/no/such/dir/x.db"}).status, 1);
}

// The days generated trains run: a calendar of 30,000 trains over 180 days
// (beyond the sections' 10,000), the same for the same seed, with the shape
// of a real timetable: few shared patterns, every train on some day,
// working days busier than Sundays and holidays, and some trains on one date.
TEST(GeneratedCalendarTest, RealisticServicePatterns) {
  const generate::CalendarShape shape;  // 180 days from Monday 2026-01-05
  const generate::GeneratedCalendar generated = generate::generateCalendar(30000, shape, 5);
  const ServiceCalendar& calendar = generated.calendar;
  ASSERT_EQ(calendar.trainPatterns.size(), 30000u);
  EXPECT_EQ(calendar.dayCount, 180);
  EXPECT_EQ(calendar.sectionsDay, -1);
  EXPECT_EQ(generated.holidays.size(), 6u);
  EXPECT_EQ(calendar, generate::generateCalendar(30000, shape, 5).calendar);
  EXPECT_NE(calendar, generate::generateCalendar(30000, shape, 6).calendar);
  EXPECT_LE(calendar.patterns.size(), 9u + 180u);  // the kinds, seasons and single dates
  std::vector<std::size_t> perDay(180, 0);
  std::size_t singleDay = 0;
  for (std::size_t t = 0; t < 30000; ++t) {
    int days = 0;
    for (int32_t d = 0; d < 180; ++d) {
      if (calendar.runsOn(TrainIndex(static_cast<int32_t>(t)), d)) {
        ++days;
        ++perDay[static_cast<std::size_t>(d)];
      }
    }
    ASSERT_GT(days, 0) << t;
    singleDay += days == 1;
  }
  EXPECT_GT(singleDay, 300u);
  const auto holiday = [&](int32_t d) {
    return std::count(generated.holidays.begin(), generated.holidays.end(), d) > 0;
  };
  for (int32_t week = 0; week < 25; ++week) {
    const int32_t wednesday = 7 * week + 2, sunday = 7 * week + 6;
    // A holiday runs as a Sunday.
    EXPECT_EQ(perDay[static_cast<std::size_t>(wednesday)] >
                  perDay[static_cast<std::size_t>(sunday)] * 3 / 2,
              !holiday(wednesday))
        << "week " << week;
  }
  // A network's trains by their kind: temporary trains (L) run on fewer
  // days than fast ones (G).
  const Timetable& small = network(NetworkSize::kSmall);
  const ServiceCalendar byKind = generate::generateCalendar(small, shape, 5).calendar;
  ASSERT_EQ(byKind.trainPatterns.size(), small.trains.size());
  std::map<char, std::pair<int, int>> daysAndTrains;  // by the number's first letter
  for (std::size_t t = 0; t < small.trains.size(); ++t) {
    auto& [days, trains] = daysAndTrains[small.trains[t].number.front()];
    ++trains;
    for (int32_t d = 0; d < 180; ++d) days += byKind.runsOn(TrainIndex(static_cast<int32_t>(t)), d);
  }
  ASSERT_GT(daysAndTrains['L'].second, 0);
  const auto average = [&](char kind) {
    return static_cast<double>(daysAndTrains[kind].first) / daysAndTrains[kind].second;
  };
  EXPECT_LT(average('L'), average('G') / 2);
}

}  // namespace
}  // namespace murlo
