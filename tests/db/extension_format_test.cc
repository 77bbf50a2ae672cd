// The extension after the seventh section: what a writer puts there loads
// back whole, the sections never offer a ride the rules forbid, and a
// damaged extension is refused, never half-read.
#include "db/extension_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "db/crc32.h"
#include "db/loader.h"
#include "db/network_tables.h"
#include "db/timetable_builder.h"
#include "db/writer.h"
#include "support/test_support.h"

namespace murlo {
namespace {

struct GeneratedNetwork {
  std::vector<StationSpec> stations;
  std::vector<TrainSpec> trains;
  NetworkSpec network;
  // What the sections hold at most: all of it, or (for a calendar with a
  // sections day) a few, so that block 9 holds the other trains and
  // stations, as it does beyond the sections' 10,000.
  SectionsLimits limits;
};

GeneratedNetwork generate(std::mt19937& random) {
  const auto below = [&](int n) {
    return static_cast<int32_t>(random() % static_cast<unsigned>(n));
  };
  GeneratedNetwork net;
  const int stations = 3 + below(12);
  for (int s = 0; s < stations; ++s)
    net.stations.push_back({"S" + std::to_string(s), "A" + std::to_string(s)});
  // Train 0 calls everywhere (a station needs a call in the sections).
  TrainSpec sweeper{"G0", '1', 'F', 'D', {}};
  for (int s = 0; s < stations; ++s) sweeper.stops.push_back({s, 60 * s, 60 * s + 1, 10 * s});
  net.trains.push_back(sweeper);
  const int trains = 2 + below(8);
  for (int t = 1; t < trains; ++t) {
    TrainSpec train{"G" + std::to_string(t + 1), '1', 'F', 'D', {}};
    const int stops = 2 + below(6);
    int32_t minute = below(1440);
    for (int k = 0; k < stops; ++k) {
      StopSpec stop{below(stations), minute, (minute + below(5)) % 1440, 10 * k, true, true};
      // One call in three restricted; the ends keep what a ride needs.
      if (below(3) == 0) {
        stop.board = below(2) == 0;
        stop.alight = !stop.board || below(2) == 0;
      }
      if (k == 0) stop.board = true;
      if (k + 1 == stops) stop.alight = true;
      minute = (stop.departure + 1 + below(90)) % 1440;
      train.stops.push_back(stop);
    }
    net.trains.push_back(train);
  }
  for (int g = below(3); g > 0; --g) {
    StationGroup group{below(2) == 0 ? GroupKind::kComplex : GroupKind::kCity,
                       "Group" + std::to_string(g),
                       below(60),
                       {}};
    for (int s = 0; s < stations; ++s)
      if (below(3) == 0 || group.members.size() < 2) group.members.emplace_back(s);
    net.network.groups.push_back(group);
  }
  for (int n = below(4); n > 0; --n) {
    const bool oneTrain = below(2) == 0;
    net.network.transfers.push_back({StationIndex(below(stations)), StationIndex(below(stations)),
                                     static_cast<TransferKind>(below(3)), below(30),
                                     oneTrain ? TrainIndex(below(trains)) : kAnyTrain, kAnyTrain});
  }
  for (int s = 0; s < stations; ++s)
    if (below(4) == 0) net.network.changeTimes.push_back({StationIndex(s), below(20)});
  // Two networks in three run on days of a period: a few patterns, some
  // shared, the period's length any number of bits a byte.
  if (below(3) != 0) {
    ServiceCalendar& calendar = net.network.calendar;
    calendar.firstDay = 20000 + below(3000);
    calendar.dayCount = 1 + below(70);
    calendar.timeZone = below(2) == 0 ? "" : "Asia/Shanghai";
    calendar.sectionsDay = below(2) == 0 ? -1 : below(calendar.dayCount);
    for (int p = 1 + below(4); p > 0; --p) {
      DayPattern pattern = DayPattern::none(calendar.dayCount);
      for (int d = 0; d < calendar.dayCount; ++d) pattern.set(d, below(2) == 0);
      calendar.patterns.push_back(pattern);
    }
    for (int t = 0; t < trains; ++t)
      calendar.trainPatterns.push_back(
          static_cast<uint32_t>(below(static_cast<int>(calendar.patterns.size()))));
    if (calendar.sectionsDay >= 0 && below(2) == 0) {
      net.limits.trains = static_cast<std::size_t>(below(trains));
      net.limits.stations = static_cast<std::size_t>(stations);
      for (int more = below(3); more > 0; --more) {
        const auto s = static_cast<int32_t>(net.stations.size());
        net.stations.push_back({"M" + std::to_string(s), "M" + std::to_string(s)});
        net.trains.back().stops.back().station = s;  // a train of block 9 calls there
      }
    }
  }
  // One network in three has fares of its own, one in six none at all.
  if (below(2) == 0) {
    NetworkFares& fares = net.network.fares;
    fares.tariff = below(3) == 0 ? Tariff::kNone : Tariff::kNetwork;
    for (int r = below(3); r > 0; --r)
      fares.routes.push_back({"R" + std::to_string(r), static_cast<uint16_t>(below(13))});
    for (int z = below(4); z > 0; --z) fares.zones.push_back("Z" + std::to_string(z));
    const auto refTo = [&](std::size_t n) {
      return n == 0 || below(2) == 0 ? kNoFareRef
                                     : static_cast<uint32_t>(below(static_cast<int>(n)));
    };
    if (fares.tariff == Tariff::kNetwork) {
      for (int p = 1 + below(3); p > 0; --p)
        fares.products.push_back({"F" + std::to_string(p), static_cast<uint32_t>(below(100000)),
                                  below(2) == 0 ? "USD" : "JPY",
                                  static_cast<uint8_t>(below(2) * 2)});
      for (int r = below(5); r > 0; --r)
        fares.rules.push_back(
            {static_cast<uint32_t>(below(static_cast<int>(fares.products.size()))),
             refTo(fares.routes.size()), refTo(fares.zones.size()), refTo(fares.zones.size()),
             refTo(fares.zones.size())});
    }
    if (!fares.zones.empty())
      for (std::size_t s = 0; s < net.stations.size(); ++s)
        fares.stationZones.push_back(refTo(fares.zones.size()));
    if (!fares.routes.empty())
      for (int t = 0; t < trains; ++t) fares.trainRoutes.push_back(refTo(fares.routes.size()));
  }
  // Two networks in three speak their own words: names with spaces and
  // any script, lines with and without colours, trains with and without a
  // line, headsigns and platforms.
  if (below(3) != 0) {
    NetworkWords& words = net.network.words;
    const char* names[] = {"125 St", "Zürich HB", "北京 西", "Times Sq-42 St", "São Paulo"};
    for (int s = 0; s < stations; ++s) {
      if (below(2) == 0) continue;
      std::optional<GeoPoint> where;
      if (below(2) == 0)
        where = GeoPoint{below(180'000'001) - 90'000'000, below(360'000'001) - 180'000'000};
      words.stations.push_back(
          {StationIndex(s), names[below(5)], where, static_cast<Wheelchair>(below(3))});
    }
    for (int l = below(4); l > 0; --l) {
      const auto colour = [&]() -> std::optional<Rgb> {
        if (below(2) == 0) return std::nullopt;
        return static_cast<Rgb>(below(0x1000000));
      };
      words.lines.push_back({below(2) == 0 ? "" : "L" + std::to_string(l),
                             below(2) == 0 ? "" : "Lexington Av Express", below(1800), colour(),
                             colour()});
    }
    for (int t = 0; t < trains; ++t) {
      if (below(3) == 0) continue;
      TrainWords train{TrainIndex(t),
                       words.lines.empty() || below(3) == 0
                           ? kNoLine
                           : below(static_cast<int>(words.lines.size())),
                       below(2) == 0 ? "" : "Crown Hts-Utica Av",
                       below(3) - 1,
                       below(2) == 0 ? "" : std::to_string(below(9999)),
                       static_cast<Wheelchair>(below(3)),
                       {}};
      for (int k = below(5); k > 0; --k) train.platforms.push_back(below(2) == 0 ? "" : "Track 1A");
      words.trains.push_back(train);
    }
  }
  return net;
}

DatabaseParts built(const GeneratedNetwork& net) {
  return buildDatabase("EXT", net.stations, net.trains, net.network, SectionCalls::kAllowedRides,
                       net.limits);
}

// Generated networks load back with the extension they were written with;
// every ride the sections offer is allowed; without restrictions or network
// facts the file is exactly the sections.
TEST(ExtensionFormatTest, GeneratedNetworksLoadBackWhole) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 300; ++round) {
    const GeneratedNetwork net = generate(random);
    const auto [lists, extension] = built(net);
    std::string file;
    const auto error = writeDatabaseBytes(lists, extension, file);
    ASSERT_FALSE(error) << round << " " << error->message();
    const std::string written = file;  // parsing de-scrambles `file` in place

    ParsedFile parsed = parseDatabaseFile(std::span<char>(file.data(), file.size()));
    ASSERT_EQ(parsed.extension.state,
              extension.empty() ? ExtensionState::kAbsent : ExtensionState::kRead)
        << parsed.extension.problem;
    EXPECT_EQ(parsed.extension.extension, extension) << round;
    EXPECT_EQ(parsed.tables.trainCount() + static_cast<int32_t>(extension.more.trains.size()),
              static_cast<int32_t>(net.trains.size()));

    // The network view holds every train whole, block 9's after the
    // sections' own, with the rule of each call.
    if (!extension.empty()) {
      const TimetableDb view = networkTables(parsed.tables, parsed.extension.extension);
      ASSERT_EQ(view.trainCount(), static_cast<int32_t>(net.trains.size())) << round;
      ASSERT_EQ(view.stationCount(), static_cast<int32_t>(net.stations.size())) << round;
      for (std::size_t t = 0; t < net.trains.size(); ++t) {
        const TrainIndex train(static_cast<int32_t>(t));
        const std::optional<TrainView> whole = view.train(train);
        ASSERT_TRUE(whole) << round << " " << t;
        EXPECT_EQ(whole->number, net.trains[t].number);
        const std::vector<StopSpec>& stops = net.trains[t].stops;
        ASSERT_EQ(whole->stops.size(), static_cast<int32_t>(stops.size())) << round << " " << t;
        for (StopPosition k(0); whole->stops.holds(k); ++k) {
          const StopSpec& stop = stops[k.slot()];
          EXPECT_EQ(whole->stops[k].stationIndex(), StationIndex(stop.station));
          EXPECT_EQ(whole->stops[k].departureMinutes(), stop.departure);
          EXPECT_EQ(view.callRule(train, k), (CallRule{stop.board, stop.alight}));
        }
      }
      // Loaded with its stop records left in the file (as a load reads
      // them): the same view, block 9's records not copied.
      if (round % 10 == 0) {
        const test::TempFile saved(written);
        const NativePath path(saved.path().begin(), saved.path().end());  // ASCII
        TimetableDb tables;
        NetworkExtension read;
        RecordsInFile inFile;
        ASSERT_EQ(loadDatabaseFile(path, tables, read, &inFile), LoadResult::kLoaded);
        ASSERT_EQ(inFile.moreTrains.size(), extension.more.trains.size());
        for (const MoreTrain& more : read.more.trains) EXPECT_TRUE(more.stopRecords.empty());
        EXPECT_EQ(networkTables(tables, read, &inFile), view) << round;
      }
    }

    // The sections' rides: each pair of kept calls, allowed by the rules.
    for (std::size_t t = 0; t < net.trains.size(); ++t) {
      std::vector<CallRule> rules;
      for (const StopSpec& stop : net.trains[t].stops) rules.push_back({stop.board, stop.alight});
      std::vector<bool> kept = legacyCalls(rules);
      bool open = true;
      for (const CallRule& rule : rules) open = open && rule.board && rule.alight;
      if (open) kept.assign(rules.size(), true);
      for (std::size_t i = 0; i < kept.size(); ++i) {
        for (std::size_t j = i + 1; j < kept.size(); ++j) {
          if (kept[i] && kept[j]) {
            EXPECT_TRUE(rules[i].board && rules[j].alight) << round;
          }
        }
      }
    }
  }
  const GeneratedNetwork plain{
      {{"A", "A"}, {"B", "B"}}, {{"T1", '1', 'F', 'D', {{0, 0, 60, 0}, {1, 90, 90, 50}}}}, {}, {}};
  const TableLists lists = buildTableLists("P", plain.stations, plain.trains);
  std::string withNone;
  ASSERT_FALSE(writeDatabaseBytes(lists, buildExtension(plain.trains, {}), withNone));
  PlainSections sections;
  ASSERT_FALSE(plainSectionsOf(lists, sections));
  EXPECT_EQ(withNone, test::packOrFail(sections));
}

// Every cut and every flipped bit of an extension is refused as damaged (or,
// where the magic itself is hit, read as no extension at all); no damaged
// extension is ever read as another one.
TEST(ExtensionFormatTest, DamageIsRefused) {
  std::mt19937 random(7);
  GeneratedNetwork net = generate(random);
  const auto usable = [](const NetworkExtension& extension) {
    return !extension.calendar.empty() && !extension.trains.empty() &&
           !extension.more.trains.empty() && !extension.more.stations.empty() &&
           !extension.fares.rules.empty() && !extension.words.stations.empty() &&
           !extension.words.trains.empty();
  };
  while (!usable(built(net).extension)) net = generate(random);
  const TableLists lists = built(net).lists;
  const TimetableDb tables(lists);
  const std::string extension = encodeExtension(built(net).extension);
  const auto read = [&](std::string_view bytes) {
    return readExtension(bytes, tables.trainCount(), tables.stationCount());
  };
  ASSERT_EQ(read(extension).state, ExtensionState::kRead);
  for (std::size_t cut = 0; cut < extension.size(); ++cut) {
    const ExtensionState state = read(std::string_view(extension).substr(0, cut)).state;
    EXPECT_EQ(state,
              cut < kExtensionMagic.size() ? ExtensionState::kAbsent : ExtensionState::kDamaged)
        << cut;
  }
  EXPECT_EQ(read(extension + "x").state, ExtensionState::kDamaged);
  for (std::size_t at = 0; at < extension.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      std::string flipped = extension;
      flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
      EXPECT_EQ(read(flipped).state,
                at < kExtensionMagic.size() ? ExtensionState::kAbsent : ExtensionState::kDamaged)
          << at << " " << bit;
    }
  }
  // Well formed, but naming what the sections do not have: refused by the
  // writer and by the reader alike.
  const auto withWords = [](NetworkWords words) {
    NetworkExtension withOnlyWords;
    withOnlyWords.words = std::move(words);
    return withOnlyWords;
  };
  struct Case {
    const char* name;
    NetworkExtension extension;
  } cases[] = {
      {"station", {{}, {}, {{StationIndex(99), StationIndex(0)}}, {}, {}, {}, {}, {}}},
      {"train",
       {{},
        {},
        {{StationIndex(0), StationIndex(1), TransferKind::kTimed, 0, TrainIndex(99)}},
        {},
        {},
        {},
        {},
        {}}},
      {"group", {{}, {{GroupKind::kCity, "G", 5, {StationIndex(0)}}}, {}, {}, {}, {}, {}, {}}},
      {"minutes", {{}, {}, {}, {{StationIndex(0), 1440}}, {}, {}, {}, {}}},
      {"words' station", withWords({{{StationIndex(99), "X", {}, {}}}, {}, {}})},
      {"words' train", withWords({{}, {}, {{TrainIndex(99), kNoLine, "", 0, "", {}, {}}}})},
      {"words' line", withWords({{}, {}, {{TrainIndex(0), 3, "", 0, "", {}, {}}}})},
      {"direction", withWords({{}, {}, {{TrainIndex(0), kNoLine, "", 2, "", {}, {}}}})},
      {"name not UTF-8", withWords({{{StationIndex(0), "\xFF", {}, {}}}, {}, {}})},
      {"latitude", withWords({{{StationIndex(0), "X", GeoPoint{90'000'001, 0}, {}}}, {}, {}})},
  };
  // Fares naming what the block does not hold, or breaking its rules.
  const auto withFares = [](Tariff tariff, std::string currency, auto change) {
    Case c{"fares", {}};
    c.extension.fares.tariff = tariff;
    c.extension.fares.products.push_back({"F", 275, std::move(currency), 2});
    change(c.extension.fares);
    return c;
  };
  std::vector<Case> fareCases = {
      withFares(Tariff::kNetwork, "USD",
                [](NetworkFares& f) {
                  f.rules.push_back({0, 0, kNoFareRef, kNoFareRef, kNoFareRef});
                }),
      withFares(Tariff::kNetwork, "usd", [](NetworkFares&) {}),
      withFares(Tariff::kNone, "USD", [](NetworkFares&) {}),
      withFares(Tariff::kNetwork, "USD",
                [](NetworkFares& f) {
                  f.zones = {"Z"};
                  f.stationZones = {0};
                }),
  };
  std::vector<Case> calendarCases;
  const auto withCalendar = [&](const char* name, auto change) {
    NetworkExtension damagedCalendar = built(net).extension;
    change(damagedCalendar.calendar);
    calendarCases.push_back({name, damagedCalendar});
  };
  withCalendar("no days", [](ServiceCalendar& c) { c.dayCount = 0; });
  withCalendar("too many days", [](ServiceCalendar& c) { c.dayCount = kMaxCalendarDays + 1; });
  withCalendar("before 1970", [](ServiceCalendar& c) { c.firstDay = -1; });
  withCalendar("sections' day", [](ServiceCalendar& c) { c.sectionsDay = c.dayCount; });
  withCalendar("time zone", [](ServiceCalendar& c) { c.timeZone = "Asia/Shang hai"; });
  withCalendar("pattern index", [](ServiceCalendar& c) {
    c.trainPatterns.back() = static_cast<uint32_t>(c.patterns.size());
  });
  withCalendar("a train too few", [](ServiceCalendar& c) { c.trainPatterns.pop_back(); });
  withCalendar("bit past the period", [](ServiceCalendar& c) {
    c.patterns[0].bits.push_back(0);
    c.patterns[0].bits.back() = 0x80;
    c.dayCount = 8 * static_cast<int32_t>(c.patterns[0].bits.size()) - 1;
    for (std::size_t p = 1; p < c.patterns.size(); ++p) c.patterns[p].bits.push_back(0);
  });
  for (const Case& c : calendarCases) {
    // A calendar of no days is none: the writer refuses one that says more.
    if (!c.extension.calendar.empty()) {
      EXPECT_EQ(read(encodeExtension(c.extension)).state, ExtensionState::kDamaged) << c.name;
    }
    std::string file = "untouched";
    EXPECT_TRUE(writeDatabaseBytes(lists, c.extension, file)) << c.name;
    EXPECT_EQ(file, "untouched");
  }
  for (const Case& c : fareCases) {
    EXPECT_EQ(read(encodeExtension(c.extension)).state, ExtensionState::kDamaged) << c.name;
    std::string file = "untouched";
    EXPECT_TRUE(writeDatabaseBytes(lists, c.extension, file)) << c.name;
  }
  for (const Case& c : cases) {
    EXPECT_EQ(read(encodeExtension(c.extension)).state, ExtensionState::kDamaged) << c.name;
    std::string file = "untouched";
    EXPECT_TRUE(writeDatabaseBytes(lists, c.extension, file)) << c.name;
    EXPECT_EQ(file, "untouched");
  }
}

// The checksum is the CRC-32 of zip and PNG for every length and alignment
// (the long runs are folded a lane at a time where the processor can),
// bit for bit as its definition computes it.
TEST(ExtensionFormatTest, ChecksumIsZipCrc32) {
  const auto byDefinition = [](std::string_view bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (const char byte : bytes) {
      c ^= static_cast<uint8_t>(byte);
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
  };
  EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
  std::mt19937 random(11);
  std::string bytes(5000, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random());
  for (std::size_t length = 0; length < bytes.size(); length += length < 300 ? 1 : 97) {
    const std::size_t start = random() % 16;
    const std::string_view part = std::string_view(bytes).substr(start, length);
    EXPECT_EQ(crc32(part), byDefinition(part)) << start << " " << length;
  }
}

// Stop records of block 1 (four-digit stations) and of block 9 (six) are
// refused for the first fault a plain reading of their digits finds: a byte
// that is not a digit anywhere, else a station past the count, else an hour
// past 23 or a minute past 59.
TEST(ExtensionFormatTest, StopRecordsAreCheckedAsTheirDigitsRead) {
  std::mt19937 random(5);
  const auto below = [&](int n) {
    return static_cast<int32_t>(random() % static_cast<unsigned>(n));
  };
  const auto digits = [](int32_t value, int width) {
    std::string text(static_cast<std::size_t>(width), '0');
    for (int i = width - 1; i >= 0; --i, value /= 10)
      text[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    return text;
  };
  for (int round = 0; round < 2000; ++round) {
    const bool wide = round % 2 == 1;
    const int width = wide ? kWideIndexDigits : kIndexDigits;
    // Block 9 adds a few stations of its own to the sections'.
    const int32_t sectionsStations = 1 + below(kMaxStations);
    const int32_t stations = sectionsStations + (wide ? below(300) : 0);
    std::string records;
    std::string expected;
    const int stops = 2 + below(4);
    for (int k = 0; k < stops; ++k) {
      // (A station of 10,000 reads as 0000 in four digits.)
      const int32_t station = std::max(0, stations - 3 + below(4)) % (wide ? 1000000 : 10000);
      const int32_t hours[] = {18 + below(7), 18 + below(7)};
      const int32_t minutes[] = {50 + below(11), 50 + below(11)};
      records += digits(station, width) + digits(hours[0], 2) + digits(minutes[0], 2) +
                 digits(hours[1], 2) + digits(minutes[1], 2) + digits(below(10000), 4);
      if (!expected.empty()) continue;
      if (station >= stations) {
        expected = "a stop names no station";
      } else if (hours[0] > 23 || hours[1] > 23 || minutes[0] > 59 || minutes[1] > 59) {
        expected = "a stop's time is not a time of day";
      }
    }
    if (below(8) == 0) {
      const char strangers[] = {'/', ':', ' ', '\0', static_cast<char>(0xB0)};
      records[static_cast<std::size_t>(below(static_cast<int>(records.size())))] =
          strangers[below(5)];
      expected = "a stop record holds a byte that is not a digit";
    }
    NetworkExtension extension;
    if (wide) {
      extension.more.stations.resize(static_cast<std::size_t>(stations - sectionsStations),
                                     MoreStation{"M", "M"});
      extension.more.trains.push_back(
          {"G1", '1', 'F', 'D', records, std::vector<CallRule>(static_cast<std::size_t>(stops))});
    } else {
      extension.trains.push_back(
          {TrainIndex(0), records, std::vector<CallRule>(static_cast<std::size_t>(stops))});
    }
    EXPECT_EQ(extensionProblem(extension, 1, sectionsStations), expected)
        << round << " " << records << " of " << stations;
  }
}

}  // namespace
}  // namespace murlo
