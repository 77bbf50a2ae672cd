// murlo import-gtfs: reading feeds (CSV, zip, the service calendar), making
// names and numbers storable, distances, and whole imports of the feed in
// tests/data/gtfs/feed, whose trips were counted by hand:
//
// On Wednesday 2026-04-08 the weekday service WK runs: trains 300 (06:00),
// 101, 102, B71 (bus), RE1, SHU twice (a frequencies.txt trip), 401, RE2,
// N09 (23:50 to 25:10) and 777 (24:30), in order of first departure. Monday
// 2026-04-06 is a holiday: WK is removed and SA (train 201) added. On
// Tuesday 2026-04-07 service EX adds train 901. Trips S1-one (one stop),
// S1-bad (unknown stop) and S1-back (times going backwards) never import;
// S1-yard (990) runs to the yard and allows no ride. Train 401 follows a
// shape without distances, may be boarded but not left at Konigsplatz and
// passes the yard without a stop; RE1 may be boarded but not left at Park
// and Ride, which no other train serves: 3 of the day's 45 allowed rides
// (from Konigsplatz to North Harbour Road and Hillside, from Park and Ride
// to the Airport) are hidden from hosts that read only the sections, which
// leave those calls out. transfers.txt gives Harbour Central's platforms a
// change time, joins the two Mills and holds a timed and forbidden
// transfers.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "db/loader.h"
#include "db/network_extension.h"
#include "generate/place_names.h"
#include "generate/random_source.h"
#include "gtfs/boarding_rules.h"
#include "gtfs/byte_source.h"
#include "gtfs/code_points.h"
#include "gtfs/csv_reader.h"
#include "gtfs/distance_unit.h"
#include "gtfs/feed_error.h"
#include "gtfs/feed_files.h"
#include "gtfs/great_circle.h"
#include "gtfs/gtfs_time.h"
#include "gtfs/import_report.h"
#include "gtfs/importer.h"
#include "gtfs/progress.h"
#include "gtfs/service_day.h"
#include "gtfs/service_period.h"
#include "gtfs/shapes.h"
#include "gtfs/station_name.h"
#include "gtfs/train_number.h"
#include "gtfs/zip_archive.h"
#include "support/test_support.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"
#include "timetable_source/timetable_source.h"

namespace murlo {
namespace {

namespace fs = std::filesystem;
using namespace gtfs;
using test::runMurlo;

const std::string kFeed = MURLO_TEST_DATA_DIR "/gtfs/feed";

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// ---------------------------------------------------------------------------
// CSV

// Hands out its text a few bytes at a time, to cross every buffer boundary.
class ChunkSource : public ByteSource {
 public:
  ChunkSource(std::string text, std::size_t chunk) : text_(std::move(text)), chunk_(chunk) {}
  std::size_t read(char* buffer, std::size_t capacity) override {
    const std::size_t n = std::min({capacity, chunk_, text_.size() - at_});
    std::copy_n(text_.data() + at_, n, buffer);
    at_ += n;
    return n;
  }
  uint64_t size() const override { return text_.size(); }

 private:
  std::string text_;
  std::size_t chunk_;
  std::size_t at_ = 0;
};

using Records = std::vector<std::vector<std::string>>;

// Each record's fields by the header's columns, then its line.
Records readAll(const std::string& text, std::size_t chunk) {
  CsvReader reader(std::make_unique<ChunkSource>(text, chunk), "t.txt");
  const std::size_t a = reader.column("a");
  const std::size_t b = reader.column("b");
  Records records;
  while (reader.next()) {
    records.push_back({std::string(reader.field(a)), std::string(reader.field(b)),
                       std::to_string(reader.line())});
  }
  return records;
}

TEST(GtfsCsvTest, ReadsRecordsWhateverTheChunks) {
  struct Case {
    const char* name;
    std::string text;
    Records expected;  // a, b, line
  } cases[] = {
      {"plain", "a,b\n1,2\n3,4\n", {{"1", "2", "2"}, {"3", "4", "3"}}},
      {"crlf and no last line end", "a,b\r\n1,2\r\n3,4", {{"1", "2", "2"}, {"3", "4", "3"}}},
      {"byte order mark",
       "\xEF\xBB\xBF"
       "a,b\n1,2\n",
       {{"1", "2", "2"}}},
      {"columns in any order", "b,x,a\n2,0,1\n", {{"1", "2", "2"}}},
      {"quotes and doubled quotes",
       "a,b\n\"x, y\",\"say \"\"hi\"\"\"\n",
       {{"x, y", "say \"hi\"", "2"}}},
      {"line break inside quotes",
       "a,b\n\"one\ntwo\",2\n3,4\n",
       {{"one\ntwo", "2", "2"}, {"3", "4", "4"}}},
      {"blank lines skipped", "a,b\n\n1,2\n   \n3,4\n", {{"1", "2", "3"}, {"3", "4", "5"}}},
      {"short record", "a,b\n1\n", {{"1", "", "2"}}},
      {"blanks trimmed", "a , b\n 1 ,\t2 \n", {{"1", "2", "2"}}},
      {"lone carriage returns", "a,b\r1,2\r", {{"1", "2", "2"}}},
      {"empty quoted field", "a,b\n\"\",2\n", {{"", "2", "2"}}},
      {"header only", "a,b\n", {}},
      {"empty file", "", {}},
  };
  for (const Case& c : cases) {
    for (const std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{1} << 16}) {
      EXPECT_EQ(readAll(c.text, chunk), c.expected) << c.name << ", chunks of " << chunk;
    }
  }
}

TEST(GtfsCsvTest, MissingColumnsAndBrokenQuotesAreNamed) {
  CsvReader reader(memorySource("a,b\n1,2\n"), "feed/t.txt");
  EXPECT_EQ(reader.column("c"), CsvReader::kMissing);
  ASSERT_TRUE(reader.next());
  EXPECT_EQ(reader.field(CsvReader::kMissing), "");
  try {
    reader.requireColumn("trip_id");
    ADD_FAILURE() << "no error";
  } catch (const FeedError& e) {
    EXPECT_STREQ(e.what(), "feed/t.txt:1: the required column trip_id is missing");
  }

  CsvReader broken(memorySource("a,b\n1,2\n\"3,4\n5,6\n"), "feed/t.txt");
  ASSERT_TRUE(broken.next());
  try {
    broken.next();
    ADD_FAILURE() << "no error";
  } catch (const FeedError& e) {
    EXPECT_STREQ(e.what(), "feed/t.txt:3: a quoted field has no closing quote");
  }
}

// ---------------------------------------------------------------------------
// Zip

void put16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void put32(std::string& out, uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

std::string deflated(const std::string& data) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct ZipItem {
  std::string name;
  std::string data;
  uint16_t method = 8;
  uint16_t flags = 0;
  bool badCrc = false;
};

struct ZipShape {
  bool zip64Locator = false;
  bool countAllOnes = false;
};

std::string makeZip(const std::vector<ZipItem>& items, ZipShape shape = {}) {
  std::string out;
  std::string central;
  for (const ZipItem& item : items) {
    const std::string body = item.method == 8 ? deflated(item.data) : item.data;
    auto crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(item.data.data()),
                                           static_cast<uInt>(item.data.size())));
    if (item.badCrc) crc ^= 1;
    const auto offset = static_cast<uint32_t>(out.size());
    const auto header = [&](std::string& to, bool centralRecord) {
      put32(to, centralRecord ? 0x02014b50 : 0x04034b50);
      if (centralRecord) put16(to, 20);
      put16(to, 20);
      put16(to, item.flags);
      put16(to, item.method);
      put32(to, 0);  // time and date
      put32(to, crc);
      put32(to, static_cast<uint32_t>(body.size()));
      put32(to, static_cast<uint32_t>(item.data.size()));
      put16(to, static_cast<uint32_t>(item.name.size()));
      put16(to, 0);  // extra
      if (centralRecord) {
        put16(to, 0);  // comment
        put16(to, 0);  // disk
        put16(to, 0);  // internal attributes
        put32(to, 0);  // external attributes
        put32(to, offset);
      }
      to += item.name;
    };
    header(out, false);
    out += body;
    header(central, true);
  }
  const auto directoryOffset = static_cast<uint32_t>(out.size());
  out += central;
  if (shape.zip64Locator) {
    put32(out, 0x07064b50);
    out += std::string(16, '\0');
  }
  put32(out, 0x06054b50);
  put32(out, 0);  // disks
  const uint32_t count = shape.countAllOnes ? 0xFFFF : static_cast<uint32_t>(items.size());
  put16(out, count);
  put16(out, count);
  put32(out, static_cast<uint32_t>(central.size()));
  put32(out, directoryOffset);
  put16(out, 0);
  return out;
}

std::string readSource(ByteSource& source) {
  std::string all;
  char buffer[5];
  while (const std::size_t n = source.read(buffer, sizeof buffer)) all.append(buffer, n);
  return all;
}

TEST(GtfsZipTest, ReadsStoredAndDeflatedEntries) {
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "row " + std::to_string(i) + "\n";
  const test::TempFile zip(
      makeZip({{"a.txt", "stored text", 0}, {"b.txt", big, 8}, {"e.txt", "", 8}}), "feed.zip");
  const ZipArchive archive(zip.path());
  ASSERT_EQ(archive.entries().size(), 3u);
  EXPECT_EQ(archive.find("c.txt"), nullptr);
  EXPECT_EQ(readSource(*archive.open(*archive.find("a.txt"))), "stored text");
  EXPECT_EQ(readSource(*archive.open(*archive.find("b.txt"))), big);
  EXPECT_EQ(readSource(*archive.open(*archive.find("e.txt"))), "");
}

TEST(GtfsZipTest, RefusesWhatItCannotRead) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"encrypted", makeZip({{"a.txt", "x", 0, 1}}), "is encrypted"},
      {"another method", makeZip({{"a.txt", "x", 12}}), "compression method 12"},
      {"zip64 locator", makeZip({{"a.txt", "x", 0}}, {true, false}), "zip64"},
      {"zip64 count", makeZip({{"a.txt", "x", 0}}, {false, true}), "zip64"},
      {"wrong crc", makeZip({{"a.txt", "some text", 8, 0, true}}), "CRC does not match"},
      {"truncated", makeZip({{"a.txt", std::string(5000, 'x'), 0}}).substr(0, 4000),
       "no central directory"},
      {"not a zip", "stop_id,stop_name\n1,A\n", "not a zip file"},
      {"too short", "PK", "not a zip file"},
  };
  for (const Case& c : cases) {
    const test::TempFile zip(c.bytes, "feed.zip");
    try {
      const ZipArchive archive(zip.path());
      for (const ZipEntry& entry : archive.entries()) readSource(*archive.open(entry));
      ADD_FAILURE() << c.name << ": no error";
    } catch (const FeedError& e) {
      EXPECT_TRUE(contains(e.what(), c.message)) << c.name << ": " << e.what();
    }
  }
}

TEST(GtfsZipTest, FilesInAFolderOfTheZip) {
  const test::TempFile zip(makeZip({{"gtfs/", "", 0}, {"gtfs/stops.txt", "stop_id\n1\n"}}),
                           "feed.zip");
  const FeedFiles files(zip.path());
  const auto stops = files.open("stops.txt");
  ASSERT_NE(stops, nullptr);
  EXPECT_EQ(readSource(*stops), "stop_id\n1\n");
  EXPECT_EQ(files.open("trips.txt"), nullptr);
  EXPECT_EQ(files.displayName("stops.txt"), zip.path() + ":gtfs/stops.txt");
}

// ---------------------------------------------------------------------------
// The service calendar, times

std::chrono::year_month_day date(const char* text) { return *parseDate(text); }

TEST(GtfsServiceDayTest, PatternsAndExceptions) {
  struct Case {
    const char* name;
    const char* day;
    bool onWeekday;
    const char* start;
    const char* end;
    int exception;  // 0: none, for the day
    bool runs;
  } cases[] = {
      {"pattern in range", "20260408", true, "20260101", "20261231", 0, true},
      {"not that weekday", "20260408", false, "20260101", "20261231", 0, false},
      {"first day counts", "20260408", true, "20260408", "20261231", 0, true},
      {"last day counts", "20260408", true, "20260101", "20260408", 0, true},
      {"after the range", "20260408", true, "20260101", "20260407", 0, false},
      {"removed", "20260408", true, "20260101", "20261231", 2, false},
      {"added", "20260408", false, "20260101", "20261231", 1, true},
      {"added outside the range", "20270101", true, "20260101", "20261231", 1, true},
  };
  for (const Case& c : cases) {
    // The exception wins whichever comes first.
    for (const bool exceptionFirst : {false, true}) {
      ServiceDay d(date(c.day));
      if (exceptionFirst && c.exception != 0) d.addException("S", date(c.day), c.exception);
      d.addPattern("S", c.onWeekday, date(c.start), date(c.end));
      if (!exceptionFirst && c.exception != 0) d.addException("S", date(c.day), c.exception);
      d.addException("S", date("20000101"), 2);  // another day: no effect
      EXPECT_EQ(d.runs("S"), c.runs) << c.name;
      EXPECT_EQ(d.count(), c.runs ? 1u : 0u) << c.name;
      EXPECT_FALSE(d.runs("other")) << c.name;
    }
  }
}

TEST(GtfsServiceDayTest, DatesAndWeekdays) {
  EXPECT_EQ(ServiceDay(date("20260408")).weekdayColumn(), "wednesday");
  EXPECT_EQ(ServiceDay(date("20260412")).weekdayColumn(), "sunday");
  EXPECT_EQ(formatDate(date("20260408")), "2026-04-08");
  EXPECT_TRUE(parseDate("20240229"));
  for (const char* bad :
       {"20250229", "20261301", "20260400", "2026048", "2026-4-8", "", "x0260408"}) {
    EXPECT_FALSE(parseDate(bad)) << bad;
  }
}

TEST(GtfsTimeTest, FeedTimesAndMinutesOfTheDay) {
  struct Case {
    const char* text;
    int32_t seconds;  // -1: not a time
    int32_t minute;
  } cases[] = {
      {"07:05:09", 7 * 3600 + 5 * 60 + 9, 7 * 60 + 5},
      {"7:05:09", 7 * 3600 + 5 * 60 + 9, 7 * 60 + 5},
      {"23:59:59", 86399, 1439},
      {"24:00:00", 86400, 0},
      {"25:10:30", 90630, 70},
      {"49:01:00", 49 * 3600 + 60, 61},
      {"24:60:00", -1, 0},
      {"12:00:60", -1, 0},
      {"1:2:3", -1, 0},
      {"12:00", -1, 0},
      {"-1:00:00", -1, 0},
      {"1000:00:00", -1, 0},
      {"", -1, 0},
  };
  for (const Case& c : cases) {
    const auto seconds = parseGtfsTime(c.text);
    EXPECT_EQ(seconds.value_or(-1), c.seconds) << c.text;
    if (seconds) {
      EXPECT_EQ(minuteOfDay(*seconds), c.minute) << c.text;
    }
  }
}

// ---------------------------------------------------------------------------
// Names and numbers

TEST(GtfsNamesTest, CleanNamesAreStorableTokens) {
  struct Case {
    const char* in;
    const char* out;
    std::size_t changes;
  } cases[] = {
      {"Harbour Central", "Harbour_Central", 0},
      {"  two   spaces\tand tab ", "two_spaces_and_tab", 0},
      {"Market Straße", "Market_Strasse", 1},
      {"Łódź Fabryczna", "Lódz_Fabryczna", 2},  // ó is in code page 936
      {"Hillside \xF0\x9F\x9A\x89", "Hillside", 1},
      {"北京西", "北京西", 0},
      {"Zürich", "Zürich", 0},  // ü is in code page 936
      {"100% Park", "100_Park", 1},
      {"Pier \"A\"", "Pier_'A'", 0},
      {"#5 Pier", "5_Pier", 0},
      {"Main#2", "Main#2", 0},
      {"end", "End", 0},
      {"Line\x01"
       "feed",
       "Linefeed", 1},
      {"bad \xFF byte", "bad_byte", 1},
      {"\xF0\x9F\x9A\x89", "", 1},
  };
  for (const Case& c : cases) {
    const CleanName clean = cleanName(c.in);
    EXPECT_EQ(clean.text, c.out) << c.in;
    EXPECT_EQ(clean.changes.size(), c.changes) << c.in;
  }
}

TEST(GtfsNamesTest, ShortenedToElevenBytes) {
  const std::unordered_set<std::string> common = {"Caltrain", "Station"};
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"Short", "Short"},
      {"Exactly_11b", "Exactly_11b"},
      {"San_Francisco", "San_Francis"},
      {"San_Francisco_Caltrain", "San_Francis"},
      {"22nd_St_Caltrain", "22nd_St"},
      {"Caltrain_Station", "Caltrain"},  // one word always stays
      {"Harbour_Central", "Harbo_Centr"},
      {"Universitatsklinikum", "Universitat"},
      {"a_b_c_d_e_f_g_h", "a_b_c_d_e_f"},
      {"北京西站南广场", "北京西站南"},
      {"Zürich_Hauptbahnhof", "Züri_Haupt"},  // ü is two bytes
  };
  for (const Case& c : cases) {
    const std::string out = shortenName(c.in, common);
    EXPECT_EQ(out, c.out) << c.in;
    EXPECT_LE(gbkLength(out), kMaxNameBytes) << c.in;
  }
  EXPECT_EQ(commonWords({"A_Station", "B_Station", "C", "D_Station"}),
            (std::unordered_set<std::string>{"Station"}));
  EXPECT_TRUE(commonWords({"A_Station", "B_Station", "C_Station"}).empty());  // too few names
}

TEST(GtfsNamesTest, Abbreviations) {
  struct Case {
    const char* name;
    const char* initials;
  } cases[] = {
      {"Central_Station", "CS"},
      {"North_Harbour_Road", "NHR"},
      {"San_Francisco_Caltrain", "SFC"},
      {"22nd_St", "2S"},
      {"Hastings-on-Hudson", "HOH"},
      {"Harlem-125_St", "H1S"},
      {"Łódź_Fabryczna", "LF"},
      {"(North)_Gate", "NG"},
      {"St_Mary's", "SM"},
      {"中山路", "ZSL"},
      {"北京西_Airport", "BJXA"},
      {"Москва_Central", "C"},
      {"Alpha_Beta_Gamma_Delta_Epsilon_Zeta_Eta_Theta_Iota_Kappa_Lambda", "ABGDEZETIK"},
  };
  for (const Case& c : cases) EXPECT_EQ(initialsOf(c.name), c.initials) << c.name;
  EXPECT_EQ(stopCodeAbbreviation("hbf"), "HBF");
  EXPECT_EQ(stopCodeAbbreviation("0NY"), "0NY");
  EXPECT_EQ(stopCodeAbbreviation("HBF-1"), "");
  EXPECT_EQ(stopCodeAbbreviation(""), "");
}

// The generator's place names carry their pinyin initials: the initials the
// GBK order gives never differ from them; characters of the second level
// (such as 兖, yan) have none.
TEST(GtfsNamesTest, PinyinInitialsAgreeWithTheGeneratorsNames) {
  generate::PlaceNames names;
  generate::RandomSource random(17);
  std::set<char32_t> characters, withoutInitial;
  for (int i = 0; i < 3000; ++i) {
    const generate::PlaceName place = names.fresh(random, 2 + i % 3);
    std::u16string units;
    std::string utf8;
    gbkToUtf16(place.name, units);
    utf16ToUtf8(units, utf8);
    const std::vector<char32_t> points = decodeUtf8(utf8);
    ASSERT_EQ(points.size(), place.abbreviation.size()) << utf8;
    for (std::size_t k = 0; k < points.size(); ++k) {
      characters.insert(points[k]);
      const char initial = pinyinInitial(points[k]);
      if (initial == 0) {
        withoutInitial.insert(points[k]);
        EXPECT_GE(static_cast<unsigned char>(gbkOf(points[k])[0]), 0xD8) << utf8;
      } else {
        EXPECT_EQ(initial, place.abbreviation[k]) << utf8 << " " << k;
      }
    }
  }
  EXPECT_GT(characters.size(), 300u);
  EXPECT_LT(withoutInitial.size(), 20u);
  EXPECT_EQ(pinyinInitial(U'A'), 0);
  EXPECT_EQ(pinyinInitial(0x1F689), 0);
}

TEST(GtfsNumbersTest, CleanNumbers) {
  struct Case {
    const char* in;
    const char* out;
    bool letterO, changed, shortened;
  } cases[] = {
      {"101", "101", false, false, false},
      {"K1/K2", "K1/K2", false, false, false},
      {"NO 9", "N09", true, true, false},
      {"o12", "012", true, true, false},
      {"re 5", "RE5", false, true, false},
      {"ÉX-1", "EX1", false, true, false},
      {"/A//B/", "A/B", false, false, false},
      {"123456789/123456789/123", "123456789/123456789", false, false, true},
      {"12345678901234567890123", "1234567890123456789", false, false, true},
      {"—", "", false, true, false},
  };
  for (const Case& c : cases) {
    const CleanNumber clean = cleanNumber(c.in);
    EXPECT_EQ(clean.text, c.out) << c.in;
    EXPECT_EQ(clean.letterO, c.letterO) << c.in;
    EXPECT_EQ(clean.changed, c.changed) << c.in;
    EXPECT_EQ(clean.shortened, c.shortened) << c.in;
  }
  EXPECT_EQ(countedNumber("S1", 7, 3), "S1007");
  EXPECT_EQ(countedNumber("RE", 12, 1), "RE12");
  EXPECT_EQ(countedNumber("A/B", 1, 1), "AB1");
  EXPECT_EQ(countedNumber("ABCDEFGHIJKLMNPQRSTU", 42, 2), "ABCDEFGHIJKLMNPQR42");
}

// ---------------------------------------------------------------------------
// Boarding rules

// Calls written as R (regular), P (boarding only), D (alighting only) and N
// (neither), each at a station of its own. A boarding-only call hides the
// rides from it, an alighting-only one the rides to it, one of neither hides
// nothing; the trip's origin and terminus are kept where they allow it.
TEST(GtfsBoardingTest, KeptCallsOfferOnlyAllowedRides) {
  struct Case {
    const char* calls;
    const char* kept;  // "" when the trip allows no ride
    uint64_t allowed, hidden;
  } cases[] = {
      {"RRRR", "1111", 6, 0}, {"RPRR", "1011", 5, 2}, {"RRDR", "1101", 5, 2},
      {"RNRR", "1011", 3, 0}, {"PPRR", "1011", 5, 2}, {"RRDD", "1101", 5, 2},
      {"PPDD", "1001", 4, 3}, {"NRRN", "0110", 1, 0}, {"DRRP", "0110", 1, 0},
      {"NNNN", "", 0, 0},     {"DP", "", 0, 0},       {"R", "", 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<gtfs::CallRule> calls;
    for (const char* p = c.calls; *p != '\0'; ++p) {
      calls.push_back(
          {*p == 'R' || *p == 'P', *p == 'R' || *p == 'D', static_cast<int32_t>(p - c.calls)});
    }
    const std::vector<bool> kept = keptCalls(calls);
    std::string keptText;
    for (const bool k : kept) keptText += k ? '1' : '0';
    EXPECT_EQ(keptText, c.kept) << c.calls;
    const RideTally tally = tallyRides(calls, kept);
    EXPECT_EQ(tally.allowed, c.allowed) << c.calls;
    EXPECT_EQ(tally.hidden(), c.hidden) << c.calls;
    EXPECT_EQ(tally.forbidden, 0u) << c.calls;
    // Keeping every call offers every ride, the forbidden ones included.
    const RideTally all = tallyRides(calls, std::vector<bool>(calls.size(), true));
    const uint64_t n = calls.size();
    EXPECT_EQ(all.offered + all.forbidden, n * (n - 1) / 2) << c.calls;
    EXPECT_EQ(all.hidden(), 0u) << c.calls;
  }
  EXPECT_EQ(parseBoarding(""), Boarding::kRegular);
  EXPECT_EQ(parseBoarding("1"), Boarding::kNone);
  EXPECT_EQ(parseBoarding("3"), Boarding::kWithDriver);
  EXPECT_FALSE(parseBoarding("4"));
  EXPECT_TRUE(allows(Boarding::kByPhone));
}

// ---------------------------------------------------------------------------
// Distances, report, progress, command line

TEST(GtfsDistanceTest, GreatCircleAndUnits) {
  EXPECT_NEAR(greatCircleKm({0, 0}, {1, 0}), 111.195, 0.001);
  EXPECT_NEAR(greatCircleKm({50, 8}, {50, 8.07}), 5.003, 0.001);
  EXPECT_NEAR(greatCircleKm({0, 0}, {0, 180}), 20015.1, 0.1);
  struct Case {
    std::vector<double> ratios;
    double expected, low, high;
    const char* unit;  // "" for none
  } cases[] = {
      {{1000.2, 999.9, 1001}, 1.0, 0.9, 1.12, "m"},
      {{1.0}, 1.0, 0.9, 1.12, "km"},
      {{0.6214}, 1.0, 0.9, 1.12, "mi"},
      {{3281}, 1.0, 0.9, 1.12, "ft"},
      {{500}, 1.0, 0.9, 1.12, ""},
      {{1.094, 1.05, 5.0}, 1.08, 0.85, 2.0, "km"},
      {{1094, 1200, 1010}, 1.08, 0.85, 2.0, "m"},
      {{0.7}, 1.08, 0.85, 2.0, "mi"},
      {{}, 1.0, 0.9, 1.12, ""},
  };
  for (const Case& c : cases) {
    const auto unit = guessUnit(c.ratios, c.expected, c.low, c.high);
    EXPECT_EQ(unit ? std::string(unit->name) : "", c.unit) << c.ratios.size();
  }
}

// Stops projected in order onto a path that runs out along the equator and
// back: the third stop, beside the first, lies on the way back.
TEST(GtfsDistanceTest, AlongAPathInOrder) {
  ShapePath path;
  for (const double longitude : {0.0, 0.05, 0.1, 0.05, 0.0}) {
    path.km.push_back(path.points.empty()
                          ? 0
                          : path.km.back() + greatCircleKm(path.points.back(), {0, longitude}));
    path.points.push_back({0, longitude});
  }
  const double degree = greatCircleKm({0, 0}, {0, 1});
  struct Case {
    std::vector<std::optional<Position>> stops;
    std::vector<double> km;  // empty: not along the path
  } cases[] = {
      {{Position{0.001, 0.02}, Position{-0.001, 0.08}, Position{0.001, 0.02}},
       {0, 0.06 * degree, 0.16 * degree}},
      {{Position{0, 0.02}, std::nullopt, Position{0, 0.1}}, {0, 0, 0.08 * degree}},
      {{Position{0, 0.02}, Position{0.02, 0.05}}, {}},  // 2 km beside the path
  };
  for (const Case& c : cases) {
    const auto km = kmAlongPath(path, c.stops);
    ASSERT_EQ(km.has_value(), !c.km.empty()) << c.stops.size();
    if (!km) continue;
    ASSERT_EQ(km->size(), c.km.size());
    for (std::size_t i = 0; i < c.km.size(); ++i) EXPECT_NEAR((*km)[i], c.km[i], 0.01) << i;
  }
}

TEST(GtfsReportTest, FirstExamplesThenACount) {
  ImportReport report;
  for (int i = 1; i <= 7; ++i) report.warn("trips dropped: x", "trip " + std::to_string(i));
  report.warn("names changed", "station A");
  EXPECT_EQ(report.count("trips dropped: x"), 7u);
  EXPECT_EQ(report.total(), 8u);
  std::ostringstream few;
  report.print(few, false, 2);
  EXPECT_EQ(few.str(),
            "murlo: warning: trip 1 (trips dropped: x)\n"
            "murlo: warning: trip 2 (trips dropped: x)\n"
            "murlo: warning: ... and 5 more (trips dropped: x; --verbose lists all)\n"
            "murlo: warning: station A (names changed)\n");
  std::ostringstream all;
  report.print(all, true, 2);
  EXPECT_TRUE(contains(all.str(), "trip 7 (trips dropped: x)"));
}

TEST(GtfsProgressTest, LinesForLargeFilesOnly) {
  std::ostringstream out;
  Progress progress(&out);
  progress.begin("small.txt", 1000);
  progress.update(500, 10);
  progress.end(20);
  EXPECT_EQ(out.str(), "");
  const uint64_t size = uint64_t{100} << 20;
  progress.begin("stop_times.txt", size);
  for (uint64_t done = 0; done < size; done += size / 40) progress.update(done, done / 100);
  progress.end(12345);
  const std::string text = out.str();
  EXPECT_TRUE(contains(text, "murlo: reading stop_times.txt (100 MiB)\n"));
  EXPECT_TRUE(contains(text, "stop_times.txt: 10% ("));
  EXPECT_TRUE(contains(text, "stop_times.txt: 90% ("));
  EXPECT_TRUE(contains(text, "stop_times.txt: done (12345 rows)\n"));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 11);
}

TEST(GtfsOptionsTest, DefaultClassCodes) {
  EXPECT_EQ(defaultClassCode(2), '9');
  EXPECT_EQ(defaultClassCode(101), 'B');
  EXPECT_EQ(defaultClassCode(102), '6');
  EXPECT_EQ(defaultClassCode(103), '7');
}

// ---------------------------------------------------------------------------
// Whole imports through the murlo tool

struct Imported {
  std::shared_ptr<test::TempFile> scratch;  // holds the files
  test::CommandResult run;
  source::Timetable timetable;  // the --source written, parsed back
  std::string db;
};

// Imports `feed` into a fresh directory; `extra` are further arguments.
Imported import(const std::string& feed, const std::string& date,
                const std::vector<std::string>& extra = {}) {
  Imported result;
  result.scratch = std::make_shared<test::TempFile>("");
  const std::string base = result.scratch->dir() + "/import";
  std::vector<std::string> args = {"import-gtfs", feed,       base + ".db",  "--date",
                                   date,          "--source", base + ".src", "--quiet"};
  args.insert(args.end(), extra.begin(), extra.end());
  result.run = runMurlo(args);
  result.db = base + ".db";
  if (result.run.status == 0) {
    const auto errors = source::parseSource(test::readFile(base + ".src"), result.timetable);
    EXPECT_TRUE(errors.empty()) << errors.front().message;
  }
  return result;
}

std::vector<std::string> numbers(const source::Timetable& timetable) {
  std::vector<std::string> out;
  for (const TrainSpec& train : timetable.trains) out.push_back(train.number);
  return out;
}

const TrainSpec* train(const source::Timetable& timetable, const std::string& number) {
  for (const TrainSpec& t : timetable.trains) {
    if (t.number == number) return &t;
  }
  return nullptr;
}

std::vector<int32_t> kms(const TrainSpec* t) {
  std::vector<int32_t> out;
  if (t != nullptr) {
    for (const StopSpec& stop : t->stops) out.push_back(stop.distanceKm);
  }
  return out;
}

// The command line of import-gtfs (read in tools/murlo): options in either
// form and anywhere, repeated filters, and the defaults.
TEST(GtfsOptionsTest, DefaultsAndValues) {
  const Imported imported = import(
      kFeed, "20260408", {"--route-type=2,109", "--agency", "RR", "--agency", "Riverside Bus"});
  ASSERT_EQ(imported.run.status, 0) << imported.run.err;
  EXPECT_EQ(imported.timetable.header, "20260408");
  ASSERT_FALSE(imported.timetable.trains.empty());
  for (const TrainSpec& t : imported.timetable.trains) {
    EXPECT_EQ(t.fareColumnCode, '8') << t.number;
    EXPECT_EQ(t.fareRateCode, 'D') << t.number;
  }
}

// A copy of the test feed in a fresh directory, to change.
class FeedCopy {
 public:
  FeedCopy() : scratch_("") { fs::copy(kFeed, dir()); }
  std::string dir() const { return scratch_.dir() + "/feed"; }
  std::string file(const std::string& name) const { return dir() + "/" + name; }
  // Replaces the last field of each data line of stop_times.txt.
  void mapDistances(double (*change)(double)) const {
    std::istringstream in(test::readFile(file("stop_times.txt")));
    std::string out;
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::size_t comma = line.rfind(',');
      const std::string last = line.substr(comma + 1);
      if (!header && !last.empty()) {
        line = line.substr(0, comma + 1) + std::to_string(change(std::stod(last)));
      }
      header = false;
      out += line + "\n";
    }
    writeText(file("stop_times.txt"), out);
  }

 private:
  test::TempFile scratch_;
};

TEST(GtfsImportTest, ServiceDateSelection) {
  const std::vector<std::string> weekday = {"300", "101", "102", "B71", "RE1", "SHU",
                                            "SHU", "401", "RE2", "N09", "777"};
  std::vector<std::string> tuesday = weekday;
  tuesday.insert(tuesday.begin() + 8, "901");
  struct Case {
    const char* date;
    std::vector<std::string> trains;
  } cases[] = {
      {"20260408", weekday},  // Wednesday
      {"20260406", {"201"}},  // a holiday Monday: weekdays removed, Saturday added
      {"20260407", tuesday},  // an extra service
      {"20260411", {"201"}},  // Saturday
  };
  for (const Case& c : cases) {
    const Imported imported = import(kFeed, c.date);
    ASSERT_EQ(imported.run.status, 0) << c.date << imported.run.err;
    EXPECT_EQ(numbers(imported.timetable), c.trains) << c.date;
  }
  for (const char* none : {"20260412", "20270101"}) {  // a Sunday, after the calendar
    const Imported imported = import(kFeed, none);
    EXPECT_EQ(imported.run.status, 1) << none;
    EXPECT_TRUE(contains(imported.run.err, "no usable trip runs on")) << imported.run.err;
    EXPECT_TRUE(
        contains(imported.run.err,
                 "the feed runs from 2026-01-01 to 2026-12-31, most trips on 2026-04-07 (15)"))
        << imported.run.err;
    EXPECT_FALSE(fs::exists(imported.db)) << none;
  }
}

// A feed drawn from `seed` whose trips run by weekly patterns, seasons and
// single dates, with holidays that calendar_dates.txt takes from the weekday
// service and gives the Sunday one: every trip has a twin (same calls and
// number) on another service, on days apart (one train) or sharing days
// (two trains those days). Trips of route X have no number. Returns the
// number of trips.
std::size_t writeCalendarFeed(const std::string& dir, uint32_t seed) {
  std::mt19937 random(seed);
  const auto below = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
  fs::create_directories(dir);
  writeText(dir + "/agency.txt", "agency_id,agency_name,agency_timezone\nA,Lines,Europe/Vienna\n");
  writeText(dir + "/routes.txt",
            "route_id,route_type,route_short_name,agency_id\nR,2,R,A\nX,2,X,A\n");
  std::string stops = "stop_id,stop_name,stop_lat,stop_lon\n";
  for (int s = 0; s < 9; ++s) {
    stops += "S" + std::to_string(s) + ",Stop " + std::to_string(s) + ",0," +
             std::to_string(0.05 * s) + "\n";
  }
  writeText(dir + "/stops.txt", stops);
  writeText(dir + "/calendar.txt",
            "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
            "end_date\n"
            "WK,1,1,1,1,1,0,0,20260302,20260426\n"
            "SA,0,0,0,0,0,1,0,20260301,20260430\n"
            "SU,0,0,0,0,0,0,1,20260301,20260430\n"
            "DL,1,1,1,1,1,1,1,20260301,20260430\n"
            "SE,1,0,1,0,1,0,0,20260316,20260403\n");
  // Easter: Friday and Monday run the Sunday service; one Saturday the
  // weekday one; a special train on two dates, one past the weekly ones.
  writeText(dir + "/calendar_dates.txt",
            "service_id,date,exception_type\n"
            "WK,20260403,2\nSU,20260403,1\nWK,20260406,2\nSU,20260406,1\n"
            "WK,20260411,1\nDL,20260322,2\nEX,20260320,1\nEX,20260503,1\n");
  const char* services[] = {"WK", "SA", "SU", "DL", "SE", "EX"};
  std::size_t written = 0;
  std::string trips = "route_id,service_id,trip_id,trip_short_name\n";
  std::string twins;
  std::string times = "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n";
  for (int t = 0; t < 40; ++t) {
    const bool numbered = below(4) != 0;
    const std::string number = numbered ? std::to_string(100 + t) : "";
    const int first = below(6), count = 2 + below(9 - first - 1);
    const bool back = below(2) == 0;
    // Some leave their first stop after 24:00 of their service day.
    // Half-hour starts: runs that leave together, some of them twins.
    const int start = 5 * 60 + 30 * below(40);
    const int service = below(6);
    const int twin = below(6);
    for (int copy = 0; copy < (twin == service ? 1 : 2); ++copy) {
      const std::string id = "t" + std::to_string(t) + (copy == 0 ? "a" : "b");
      ++written;
      // Twins after every first copy, so that a twin stands far from its own.
      (copy == 0 ? trips : twins) += std::string(numbered ? "R," : "X,") +
                                     services[copy == 0 ? service : twin] + "," + id + "," +
                                     number + "\n";
      for (int k = 0; k < count; ++k) {
        const int minute = start + 7 * k;
        char time[32];
        std::snprintf(time, sizeof time, "%02d:%02d:00", minute / 60, minute % 60);
        const int stop = back ? first + count - 1 - k : first + k;
        times += id + "," + time + "," + time + ",S" + std::to_string(stop) + "," +
                 std::to_string(k + 1) + "\n";
      }
    }
  }
  writeText(dir + "/trips.txt", trips + twins);
  writeText(dir + "/stop_times.txt", times);
  return written;
}

// Each train as its number (X for a counted one) and calls, in order.
std::vector<std::string> trainKeyList(const source::Timetable& timetable,
                                      const std::vector<bool>& which) {
  std::vector<std::string> keys;
  for (std::size_t t = 0; t < timetable.trains.size(); ++t) {
    if (!which[t]) continue;
    const TrainSpec& train = timetable.trains[t];
    std::string key = train.number.front() == 'X' ? "X" : train.number;
    for (const StopSpec& stop : train.stops) {
      key += " " + timetable.stations[static_cast<std::size_t>(stop.station)].name + "@" +
             std::to_string(stop.arrival) + "-" + std::to_string(stop.departure);
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

std::multiset<std::string> trainKeys(const source::Timetable& timetable,
                                     const std::vector<bool>& which) {
  const std::vector<std::string> keys = trainKeyList(timetable, which);
  return {keys.begin(), keys.end()};
}

// The whole period's (or a range's) trains that run on a date are those a
// one-day import of that date gives, for every date.
TEST(GtfsImportTest, PeriodImportRunsTheTrainsOfEachDate) {
  test::TempFile scratch("");
  struct Case {
    uint32_t seed;
    const char* from;  // nullptr: the feed's whole period
    const char* to;
  } cases[] = {{1, nullptr, nullptr},
               {2, nullptr, nullptr},
               {3, nullptr, nullptr},
               {4, "20260330", "20260412"}};
  for (const Case& c : cases) {
    const std::string dir = scratch.dir() + "/feed" + std::to_string(c.seed);
    const std::size_t feedTrips = writeCalendarFeed(dir, c.seed);
    ImportOptions options;
    options.feed = dir;
    options.header = "T";
    if (c.from != nullptr) {
      options.days = ImportDays::kRange;
      options.filter.date = *parseDate(c.from);
      options.filter.lastDate = *parseDate(c.to);
    } else {
      options.days = ImportDays::kFeedPeriod;
    }
    ImportReport report;
    Progress progress(nullptr);
    const ImportResult whole = importFeed(options, report, progress);
    source::Timetable wholeTrains;
    ASSERT_TRUE(source::parseSource(whole.source, wholeTrains).empty());
    const ServiceCalendar& calendar = whole.calendar;
    ASSERT_EQ(calendar.trainPatterns.size(), wholeTrains.trains.size()) << c.seed;
    EXPECT_EQ(calendar.sectionsDay, -1);
    EXPECT_EQ(calendar.timeZone, "Europe/Vienna");
    EXPECT_EQ(formatDate(dateOfDay(calendar.firstDay, 0)),
              c.from != nullptr ? "2026-03-30" : "2026-03-01");
    EXPECT_EQ(calendar.dayCount, c.from != nullptr ? 14 : 64);  // to 2026-05-03
    // A one-day import's trains by service day: those that leave after
    // 24:00 (shown before 05:00, where no other leaves) run the day after.
    std::vector<std::multiset<std::string>> sameDay, nextDay;
    std::vector<std::vector<std::string>> sameDayOrder;
    for (int32_t day = 0; day < calendar.dayCount; ++day) {
      ImportOptions one = options;
      one.days = ImportDays::kOneDate;
      one.filter.date = dateOfDay(calendar.firstDay, day);
      source::Timetable oneDay;
      try {
        ImportReport ignored;
        const ImportResult result = importFeed(one, ignored, progress);
        ASSERT_TRUE(source::parseSource(result.source, oneDay).empty());
      } catch (const FeedError&) {  // no trip that day
      }
      std::vector<bool> late(oneDay.trains.size());
      for (std::size_t t = 0; t < late.size(); ++t) {
        late[t] = oneDay.trains[t].stops.front().departure < 5 * 60;
      }
      std::vector<bool> early(late.size());
      std::transform(late.begin(), late.end(), early.begin(), [](bool b) { return !b; });
      sameDay.push_back(trainKeys(oneDay, early));
      nextDay.push_back(trainKeys(oneDay, late));
      sameDayOrder.push_back(trainKeyList(oneDay, early));
    }
    std::size_t late = 0;
    for (int32_t day = 0; day < calendar.dayCount; ++day) {
      std::vector<bool> runs(wholeTrains.trains.size());
      for (std::size_t t = 0; t < runs.size(); ++t) {
        runs[t] = calendar.runsOn(TrainIndex(static_cast<int32_t>(t)), day);
      }
      std::multiset<std::string> expected = sameDay[static_cast<std::size_t>(day)];
      if (day > 0) {
        late += nextDay[static_cast<std::size_t>(day - 1)].size();
        expected.merge(nextDay[static_cast<std::size_t>(day - 1)]);
      }
      EXPECT_EQ(trainKeys(wholeTrains, runs), expected)
          << "seed " << c.seed << ", " << formatDate(dateOfDay(calendar.firstDay, day));
      // In the same order: trains leaving together are listed alike.
      for (std::size_t t = 0; t < runs.size(); ++t) {
        runs[t] = runs[t] && wholeTrains.trains[t].stops.front().departure >= 5 * 60;
      }
      EXPECT_EQ(trainKeyList(wholeTrains, runs), sameDayOrder[static_cast<std::size_t>(day)])
          << "seed " << c.seed << ", " << formatDate(dateOfDay(calendar.firstDay, day));
    }
    EXPECT_GT(late, 0U) << "trains leaving after 24:00 of their service day";
    if (c.from == nullptr) {
      EXPECT_LT(wholeTrains.trains.size(), feedTrips) << "twins on days apart are one train";
    }
  }
  // The summary says the period and the time zone.
  const std::string out = scratch.dir() + "/whole.db";
  const auto run = runMurlo({"import-gtfs", scratch.dir() + "/feed1", out, "--quiet"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(contains(run.out, "trips of 2026-03-01 to 2026-05-03 (64 days; "));
  EXPECT_TRUE(contains(run.out, "day patterns; time zone Europe/Vienna) from ")) << run.out;
}

// The feed's own words reach the answers: a table shows names as written,
// the line and headsign and the platform; --json adds them as fields, the
// line with its colour, and the stations' wheelchair access. (What else they hold is the API
// test's.)
TEST(GtfsImportTest, AnswersSpeakTheFeedsOwnWords) {
  const Imported imported = import(kFeed, "20260408");
  ASSERT_EQ(imported.run.status, 0) << imported.run.err;
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> shown;
  } cases[] = {
      {{"direct", "Harbour Central", "hillside"},
       {"Harbour Central", "Hillside 🚉", "S1 Hillside", "Platform"}},
      {{"direct", "harbour central", "HILLSIDE", "--json"},
       {R"("line":{"short_name":"S1","long_name":"Harbour - Hillside","route_type":2,)"
        R"("colour":"#008D4F","text_colour":"#FFFFFF"})",
        R"("headsign":"Hillside","own_number":"101","wheelchair":"yes")",
        R"("from_as_written":"Harbour Central","to_as_written":"Hillside 🚉")",
        R"("from_platform":"1")"}},
      {{"departures", "Konigsplatz", "--at", "09:00", "--json"},
       {R"("from_as_written":"Königsplatz")"}},
      // A station's wheelchair access: a platform's own wheelchair_boarding
      // where its parent station gives none (HBF), else the station's.
      {{"stations", "--name", "harbour central", "--json"}, {R"("wheelchair":["yes"])"}},
      {{"stations", "--name", "konigsplatz", "--json"}, {R"("wheelchair":["no"])"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--db", imported.db});
    const auto run = runMurlo(args);
    ASSERT_EQ(run.status, 0) << run.err;
    for (const std::string& part : c.shown) EXPECT_TRUE(contains(run.out, part)) << run.out;
  }
}

TEST(GtfsImportTest, SummaryAndWhatWasLeftOut) {
  const Imported imported = import(kFeed, "20260408");
  ASSERT_EQ(imported.run.status, 0) << imported.run.err;
  EXPECT_TRUE(contains(imported.run.out, ": 13 stations, 11 trains, 35 stops; trips of 2026-04-08"))
      << imported.run.out;
  // The second line names the stations whose rides the sections hide, the
  // third what the network's own words kept and dropped (the route colour
  // "blue" is no RRGGBB).
  EXPECT_EQ(std::count(imported.run.out.begin(), imported.run.out.end(), '\n'), 3);
  EXPECT_TRUE(contains(imported.run.out,
                       "\nIn its own words: names as written: 13, coordinates: 13, lines: 4, "
                       "headsigns: 4, platforms: 12; dropped (not UTF-8 text or RRGGBB): 1.\n"))
      << imported.run.out;
  EXPECT_TRUE(contains(imported.run.out,
                       "\nHidden from hosts that read only the sections: rides from Konigsplatz "
                       "(1 train), rides from Park_and_Ride (1 train); the extension offers "
                       "them.\n"))
      << imported.run.out;
  const std::string& err = imported.run.err;
  EXPECT_TRUE(contains(err, "stop_times.txt:40: trip S1-bad: stop NOPE is not in stops.txt"));
  EXPECT_TRUE(contains(err, "trips.txt:13: trip S1-one: 1 stop time (trips dropped"));
  EXPECT_TRUE(contains(err, "stop_times.txt:42: trip S1-back (trips dropped: times go backwards)"));
  EXPECT_TRUE(
      contains(err, "stop_times.txt:48: trip S1-yard (trips dropped: the feed allows no ride"));
  EXPECT_TRUE(contains(imported.run.out,
                       "; the sections hide 3 of 45 allowed rides (6.7 %) from hosts that read "
                       "only them, the extension offers them; transfers.txt: 3 with a minimum "
                       "time, 1 timed, 2 forbidden, 1 change time, 1 station group;"))
      << imported.run.out;
  const Imported allCalls = import(kFeed, "20260408", {"--all-calls"});
  EXPECT_TRUE(contains(allCalls.run.out,
                       "; every call kept: 7 of the 52 rides offered are forbidden by the feed"))
      << allCalls.run.out;
}

TEST(GtfsImportTest, DirectTrainsMatchAHandCount) {
  const Imported imported = import(kFeed, "20260408");
  ASSERT_EQ(imported.run.status, 0) << imported.run.err;
  const Imported allCalls = import(kFeed, "20260408", {"--all-calls"});
  ASSERT_EQ(allCalls.run.status, 0) << allCalls.run.err;
  // Train 401 may be boarded but not left at Konigsplatz and passes the
  // yard. murlo answers from the extension, which holds each call's rule:
  // both imports offer every ride the feed allows and none it forbids
  // (--all-calls changes only what hosts reading the sections see).
  struct Case {
    const char* from;
    const char* to;
    std::vector<std::string> trains;
  } cases[] = {
      {"Harbour_Central", "Hillside", {"101", "401"}},
      {"Hillside", "Harbour_Central", {"102", "N09"}},
      {"Harbour_Central", "Konigsplatz", {"300", "101", "SHU", "SHU", "777"}},
      {"Konigsplatz", "Harbour_Central", {"102"}},
      {"Konigsplatz", "Hillside", {"101", "401"}},
      {"Konigsplatz", "North_Harbour_Road", {"401"}},
      {"Harbour_Central", "North_Harbour_Road", {"401"}},
      {"Market_Strasse", "Harbour_Central", {"102", "N09"}},
      {"Harbour_Central", "Airport", {"RE1"}},
      {"Airport", "Mill2", {"RE2"}},
      {"Universitatsklinikum", "Universitatsbibliothek", {"RE2"}},
      {"Depot", "中山路", {"B71"}},
      {"Mill", "Mill2", {}},
      {"Park_and_Ride", "Airport", {"RE1"}},  // boarding only
      {"Harbour_Central", "Park_and_Ride", {}},
  };
  for (const Case& c : cases) {
    for (const Imported* db : {&imported, &allCalls}) {
      const auto result = runMurlo({"direct", c.from, c.to, "--db", db->db, "--raw"});
      ASSERT_EQ(result.status, 0) << c.from << " " << c.to << result.err;
      std::vector<std::string> found;
      for (const std::string& line : test::splitTerminated(result.out, '*')) {
        const auto fields = test::splitTerminated(line, '|');
        if (fields.size() > 2) found.push_back(fields[2]);
      }
      EXPECT_EQ(found, c.trains) << c.from << " -> " << c.to << (db == &allCalls ? " all" : "");
    }
  }
  // A yard whose calls allow neither boarding nor alighting is no station,
  // but a stop of the sections that keep every call.
  EXPECT_EQ(imported.timetable.stations.size() + 1, allCalls.timetable.stations.size());
}

// The file's extension read back: every call of a train with restricted
// calls and its rule, while the sections keep only calls whose rides the
// feed allows (every call with --all-calls); a station only such left-out
// calls serve comes last; transfers.txt as transfers, change times (the
// largest of a station's platform changes) and a complex of the two Mills
// (rows between them rounded up to 7 minutes). Rows naming an unknown stop
// or trip, or staying on board, are dropped.
TEST(GtfsImportTest, ExtensionHoldsEveryCallAndTheTransfers) {
  const std::set<std::string> transfers = {"Mill>Mill2 minimum 7",
                                           "Mill2>Mill minimum 7",
                                           "Konigsplatz>North_Harbour_Road minimum 0",
                                           "Airport>Airport timed 0 RE1>RE2",
                                           "Market_Strasse>Market_Strasse forbidden 0",
                                           "Hillside>Hillside forbidden 0 101>N09"};
  struct Case {
    std::vector<std::string> args;
    bool everyCallInSections;
    std::map<std::string, std::string>
        rules;                        // per train: R both, P boarding, D alighting, N neither
    const char* lastOnlyInExtension;  // "" when the sections call at every station
  } cases[] = {
      {{}, false, {{"401", "RPRR"}, {"RE1", "RPR"}}, "Park_and_Ride"},
      {{"--all-calls"}, true, {{"401", "RPNRR"}, {"RE1", "RPR"}, {"990", "NN"}}, ""},
  };
  for (const Case& c : cases) {
    const Imported imported = import(kFeed, "20260408", c.args);
    ASSERT_EQ(imported.run.status, 0) << imported.run.err;
    for (const char* warning : {"transfers.txt:10: from NOPE to KP (transfers dropped: unknown",
                                "transfers.txt:11: from HS to HS (transfers ignored: staying on",
                                "trip X-none (transfers dropped: unknown trip_id)"}) {
      EXPECT_TRUE(contains(imported.run.err, warning)) << warning << "\n" << imported.run.err;
    }
    std::string bytes = test::readFile(imported.db);
    const ParsedFile file = parseDatabaseFile(std::span<char>(bytes.data(), bytes.size()));
    ASSERT_EQ(file.extension.state, ExtensionState::kRead) << file.extension.problem;
    const NetworkExtension& extension = file.extension.extension;
    const TimetableDb& db = file.tables;
    const auto station = [&](StationIndex s) { return std::string(*db.stationName(s)); };
    const auto train = [&](TrainIndex t) { return std::string(*db.trainNumber(t)); };

    std::map<std::string, std::string> rules;
    for (const TrainCalls& calls : extension.trains) {
      std::string& text = rules[train(calls.train)];
      for (const murlo::CallRule& rule : calls.rules) {
        text += rule.board ? (rule.alight ? 'R' : 'P') : (rule.alight ? 'D' : 'N');
      }
      const std::string_view sections = db.lists().trainStopLists[calls.train.slot()];
      if (c.everyCallInSections) {
        EXPECT_EQ(sections, calls.stopRecords) << text;
        continue;
      }
      // The sections' stops are calls of the extension, in order, and every
      // ride between two of them is one the rules allow.
      std::vector<std::size_t> at;
      for (std::size_t k = 0; k * 16 < calls.stopRecords.size(); ++k) {
        const std::size_t next = at.size() * 16;
        if (next < sections.size() &&
            sections.substr(next, 16) == std::string_view(calls.stopRecords).substr(k * 16, 16)) {
          at.push_back(k);
        }
      }
      ASSERT_EQ(at.size() * 16, sections.size()) << text;
      for (std::size_t i = 0; i < at.size(); ++i) {
        for (std::size_t j = i + 1; j < at.size(); ++j) {
          EXPECT_TRUE(calls.rules[at[i]].board && calls.rules[at[j]].alight)
              << text << ": a forbidden ride from call " << at[i] << " to " << at[j];
        }
      }
    }
    EXPECT_EQ(rules, c.rules);
    const auto last = StationIndex(db.stationCount() - 1);
    if (*c.lastOnlyInExtension != '\0') {
      EXPECT_EQ(station(last), c.lastOnlyInExtension);
      EXPECT_EQ(db.lists().stationCallLists.size(), last.slot());
    } else {
      EXPECT_EQ(db.lists().stationCallLists.size(), last.slot() + 1);
    }

    std::set<std::string> found;
    for (const Transfer& t : extension.transfers) {
      const char* kind = t.kind == TransferKind::kTimed       ? "timed"
                         : t.kind == TransferKind::kForbidden ? "forbidden"
                                                              : "minimum";
      std::string text =
          station(t.from) + ">" + station(t.to) + " " + kind + " " + std::to_string(t.minutes);
      if (t.fromTrain != kAnyTrain) text += " " + train(t.fromTrain) + ">" + train(t.toTrain);
      found.insert(text);
    }
    EXPECT_EQ(found, transfers);
    ASSERT_EQ(extension.changeTimes.size(), 1u);
    EXPECT_EQ(station(extension.changeTimes[0].station), "Harbour_Central");
    EXPECT_EQ(extension.changeTimes[0].minutes, 5);
    ASSERT_EQ(extension.groups.size(), 1u);
    const StationGroup& mills = extension.groups[0];
    EXPECT_EQ(mills.kind, GroupKind::kComplex);
    EXPECT_EQ(mills.name, "Mill");
    EXPECT_EQ(mills.minutes, 7);
    ASSERT_EQ(mills.members.size(), 2u);
    EXPECT_EQ(station(mills.members[0]) + " " + station(mills.members[1]), "Mill Mill2");
  }
}

TEST(GtfsImportTest, TimesPastMidnight) {
  const Imported imported = import(kFeed, "20260408");
  ASSERT_EQ(imported.run.status, 0) << imported.run.err;
  const TrainSpec* night = train(imported.timetable, "N09");
  ASSERT_NE(night, nullptr);
  ASSERT_EQ(night->stops.size(), 3u);
  EXPECT_EQ(night->stops[0].departure, 23 * 60 + 50);
  EXPECT_EQ(night->stops[1].arrival, 20);  // 24:20:00
  EXPECT_EQ(night->stops[1].departure, 21);
  EXPECT_EQ(night->stops[2].arrival, 70);  // 25:10:00
  // 24:30 departs after 23:50 on the service day: the last train.
  EXPECT_EQ(imported.timetable.trains.back().number, "777");
  EXPECT_EQ(imported.timetable.trains.back().stops[0].departure, 30);
  // The day-rollover rule recovers the journey's length.
  const auto direct =
      runMurlo({"direct", "Hillside", "Harbour_Central", "--db", imported.db, "--raw"});
  EXPECT_TRUE(
      contains(direct.out, "|N09|Hillside|23:50|Harbour_Central|01:10|Hillside|Harbour_Central|"));
  EXPECT_TRUE(contains(direct.out, "|-|01:20|")) << direct.out;
}

TEST(GtfsImportTest, DistancesFromShapesAndFromCoordinates) {
  const std::vector<int32_t> alongShape = {0, 5, 11, 16, 22};
  const std::vector<int32_t> straight = {0, 5, 10, 15, 20};
  // Train 401's shape has no distances: it is measured along the shape's
  // points, which make a detour, unless shapes.txt is gone (its call at
  // Park and Ride, 5 km out, for boarding only).
  const std::vector<int32_t> detour = {0, 5, 16, 31};
  const std::vector<int32_t> direct = {0, 5, 14, 25};
  struct Case {
    const char* name;
    double (*change)(double);  // applied to the distances of stop_times.txt and shapes.txt
    bool dropShapes;
    const char* how;
    std::vector<int32_t> km101, km401;
  } cases[] = {
      {"metres, told by the shapes", nullptr, false,
       "shape_dist_traveled in m, from 2 shapes in shapes.txt for 2 trips; along shapes for 1 "
       "trip; great-circle between stops for 7 trips",
       alongShape, detour},
      {"metres, told by the stops", nullptr, true,
       "shape_dist_traveled in m, from the stops of 2 trips", alongShape, direct},
      {"kilometres", [](double d) { return d / 1000; }, false, "in km, from 2 shapes", alongShape,
       detour},
      {"miles", [](double d) { return d / 1609.344; }, false, "in mi, from 2 shapes", alongShape,
       detour},
      {"feet", [](double d) { return d / 0.3048; }, false, "in ft, from 2 shapes", alongShape,
       detour},
      {"no unit fits, along the shapes", [](double d) { return d * 7; }, false,
       "along shapes for 3 trips", alongShape, detour},
      {"no unit fits, no shapes", [](double d) { return d * 7; }, true,
       "great-circle between stops for 10 trips", straight, direct},
  };
  for (const Case& c : cases) {
    FeedCopy feed;
    if (c.change != nullptr) {
      feed.mapDistances(c.change);
      std::string shapes = test::readFile(feed.file("shapes.txt"));
      std::istringstream in(shapes);
      std::string out, line;
      std::getline(in, line);
      out = line + "\n";
      while (std::getline(in, line)) {
        const std::size_t comma = line.rfind(',');
        const std::string last = line.substr(comma + 1);
        out += line.substr(0, comma + 1) +
               (last.empty() ? "" : std::to_string(c.change(std::stod(last)))) + "\n";
      }
      writeText(feed.file("shapes.txt"), out);
    }
    if (c.dropShapes) fs::remove(feed.file("shapes.txt"));
    const Imported imported = import(feed.dir(), "20260408", {"--verbose"});
    ASSERT_EQ(imported.run.status, 0) << c.name << imported.run.err;
    EXPECT_TRUE(contains(imported.run.err, c.how)) << c.name << ": " << imported.run.err;
    EXPECT_EQ(kms(train(imported.timetable, "101")), c.km101) << c.name;
    EXPECT_EQ(kms(train(imported.timetable, "401")), c.km401) << c.name;
    // Trips without distances or shapes are measured along their stops' coordinates.
    EXPECT_EQ(kms(train(imported.timetable, "N09")), (std::vector<int32_t>{0, 10, 20})) << c.name;
  }
}

TEST(GtfsImportTest, InconsistentDistancesFallBackToTheShapeOrCoordinates) {
  for (const bool withShapes : {true, false}) {
    FeedCopy feed;
    std::string times = test::readFile(feed.file("stop_times.txt"));
    const std::string mill = "S1-101,,,MA,40,,,16424.3";
    times.replace(times.find(mill), mill.size(), "S1-101,,,MA,40,,,3000.0");  // decreasing
    writeText(feed.file("stop_times.txt"), times);
    if (!withShapes) fs::remove(feed.file("shapes.txt"));
    const Imported imported = import(feed.dir(), "20260408");
    ASSERT_EQ(imported.run.status, 0) << imported.run.err;
    EXPECT_EQ(kms(train(imported.timetable, "101")),
              withShapes ? (std::vector<int32_t>{0, 5, 11, 16, 22})
                         : (std::vector<int32_t>{0, 5, 10, 15, 20}));
    EXPECT_EQ(kms(train(imported.timetable, "102")), (std::vector<int32_t>{0, 5, 11, 16, 22}));
    EXPECT_TRUE(contains(imported.run.err, withShapes
                                               ? "trip S1-101 (trips measured along their shape"
                                               : "trip S1-101 (trips measured along coordinates"))
        << imported.run.err;
  }
}

TEST(GtfsImportTest, NamesAndNumbersMadeStorable) {
  // Per station in stops.txt order: the whole name, the name cut to 11
  // bytes, the initials and the stop_code abbreviation.
  const std::vector<std::vector<std::string>> expected = {
      {"Harbour_Central", "Harbo_Centr", "HC", "HBF"},
      {"Konigsplatz", "Konigsplatz", "K", "K"},
      {"Market_Strasse", "Marke_Stras", "MS", "MS"},
      {"Mill", "Mill", "M", "M"},
      {"Hillside", "Hillside", "H", "H"},
      {"Mill2", "Mill2", "M", "M"},
      {"Airport", "Airport", "A", "7"},
      {"Universitatsklinikum", "Universitat", "U", "U"},
      {"Universitatsbibliothek", "Universita2", "U", "U"},
      {"中山路", "中山路", "ZSL", "ZSL"},
      {"Depot", "Depot", "D", "D"},
      {"North_Harbour_Road", "Nor_Har_Roa", "NHR", "NHR"}};
  // Stop codes riders know, to write into a copy of the feed (in capitals,
  // the abbreviations they give), and the same with a fault that makes the
  // initials the default: two alike, one too long, one missing.
  const std::vector<std::string> codes = {"hbf", "KPL", "MST", "MIA", "HIL", "MIB",
                                          "AIR", "UKL", "UBI", "ZSL", "DEP", "N7"};
  const std::vector<std::string> upper = {"HBF", "KPL", "MST", "MIA", "HIL", "MIB",
                                          "AIR", "UKL", "UBI", "ZSL", "DEP", "N7"};
  std::vector<std::string> twoAlike = codes, tooLong = codes, missing = codes;
  twoAlike[5] = "mia";
  tooLong[5] = "MILLNORTH01";
  missing[5] = "";
  std::vector<std::string> tooLongTaken = upper;
  tooLongTaken[5] = "MILLNORTH01";
  struct Case {
    std::vector<std::string> args;
    std::size_t name, abbreviation;  // columns of `expected`
    std::vector<const char*> warnings;
    std::vector<std::string> codes = {};          // stop_code of each station; none: the feed's
    std::vector<std::string> abbreviations = {};  // instead of the column
    const char* out = "";                         // part of the summary
  } cases[] = {
      {{}, 0, 2, {"station MB: 'Mill' as 'Mill2' (station names: numbered"}},
      {{"--short-names"},
       1,
       2,
       {"station HBF: 'Harbour_Central' as 'Harbo_Centr'",
        "'Universitatsbibliothek' as 'Universita2'"}},
      {{"--abbreviations", "stop-code"},
       0,
       3,
       {"station KP: stop_code '' (abbreviations: no stop_code of letters and digits"}},
      // By default the stop codes when they can all serve, else the initials.
      {{}, 0, 2, {}, codes, upper, "; stop codes as abbreviations"},
      {{}, 0, 2, {}, twoAlike},
      {{}, 0, 2, {}, tooLong},
      {{}, 0, 2, {}, missing},
      {{"--abbreviations", "initials"}, 0, 2, {}, codes},
      {{"--abbreviations", "stop-code"}, 0, 2, {}, tooLong, tooLongTaken, "; stop codes as"},
  };
  const std::vector<std::string> ids = {"HBF", "KP", "MS", "MA", "HS", "MB",
                                        "AP",  "UK", "UB", "ZS", "DP", "NHR"};
  for (const Case& c : cases) {
    FeedCopy feed;
    if (!c.codes.empty()) {
      std::string stops = test::readFile(feed.file("stops.txt"));
      for (std::size_t s = 0; s < ids.size(); ++s) {  // stop_id,stop_name,stop_code,...
        const std::size_t row = stops.find("\n" + ids[s] + ",");
        const std::size_t code = stops.find(',', row + ids[s].size() + 2) + 1;
        stops.replace(code, stops.find(',', code) - code, c.codes[s]);
      }
      writeText(feed.file("stops.txt"), stops);
    }
    const Imported imported = import(feed.dir(), "20260408", c.args);
    ASSERT_EQ(imported.run.status, 0) << imported.run.err;
    // Park and Ride, which only a boarding-only call serves, comes last.
    ASSERT_EQ(imported.timetable.stations.size(), expected.size() + 1);
    EXPECT_EQ(imported.timetable.stations.back().name,
              c.name == 0 ? "Park_and_Ride" : "Par_and_Rid");
    for (std::size_t s = 0; s < expected.size(); ++s) {
      EXPECT_EQ(imported.timetable.stations[s].name, test::gbk(expected[s][c.name])) << s;
      EXPECT_EQ(imported.timetable.stations[s].abbreviation,
                c.abbreviations.empty() ? expected[s][c.abbreviation] : c.abbreviations[s])
          << s << " " << (c.codes.empty() ? "" : c.codes[s]);
    }
    EXPECT_TRUE(contains(imported.run.out, c.out)) << c.out << "\n" << imported.run.out;
    EXPECT_EQ(contains(imported.run.out, "stop codes as"), std::string(c.out) != "")
        << imported.run.out;
    for (const char* warning : c.warnings) {
      EXPECT_TRUE(contains(imported.run.err, warning)) << warning << "\n" << imported.run.err;
    }
  }
  const Imported imported = import(kFeed, "20260408");
  const std::string& err = imported.run.err;
  for (const char* warning :
       {"station KP 'Königsplatz': ö as o", "station MS 'Market Straße': ß as ss",
        "U+1F689 dropped",
        "trip NX-1: 'NO 9' as 'N09' (train numbers: letter O written as digit 0)",
        "trip B7-1: 'B7 1' as 'B71'"}) {
    EXPECT_TRUE(contains(err, warning)) << warning << "\n" << err;
  }
  // The source keeps each station's name and stop_id as the feed writes them.
  const std::string source = test::readFile(imported.scratch->dir() + "/import.src");
  EXPECT_TRUE(contains(source, "names long\n")) << source;
  EXPECT_TRUE(
      contains(source, "# stop_id NHR: North Harbour  Road\nstation North_Harbour_Road NHR\n"))
      << source;
  // Platforms 1 and 2 of Harbour Central are one station; train 300 calls
  // at both in turn and so at the station once, leaving from platform 2.
  const TrainSpec* loop = train(imported.timetable, "300");
  ASSERT_NE(loop, nullptr);
  ASSERT_EQ(loop->stops.size(), 2u);
  EXPECT_EQ(loop->stops[0].departure, 6 * 60 + 3);
}

TEST(GtfsInfoTest, FactsOfTheTestFeed) {
  const auto text = runMurlo({"gtfs-info", kFeed});
  ASSERT_EQ(text.status, 0) << text.err;
  for (const char* line : {
           "  RR  Riverside Rail\n",
           "Time zone: Europe/Berlin\n",
           "Routes: 4, trips: 16\n",
           "  route_type 2 rail: 2 routes, 13 trips\n",
           "  route_type 109 railway service: 1 route, 2 trips\n",
           "Dates: 2026-01-01 to 2026-12-31, 365 dates\n",
           "Busiest: 2026-04-07 (15) 2026-01-01 (14)",
           "Stations: 14 called at (17 rows in stops.txt)\n",
           "Calls: 49; boarding only 2, alighting only 0, neither 3,",
           "Transfers: 11 rows; recommended 2, timed 2, minimum time 4, forbidden 2, staying on "
           "board 1, other 0; 6 within one station, 4 between trips; 1 complex of stations of "
           "one name\n",
           "Shapes: 3 shapes, 24 points, with shape_dist_traveled; 4 trips follow one;",
           // The Easter Monday holiday: the Saturday service instead.
           "2026-04-06     1    15    14    14    14     1     0\n",
       }) {
    EXPECT_TRUE(contains(text.out, line)) << line << "\n" << text.out;
  }
  const auto json = runMurlo({"gtfs-info", "--json", kFeed});
  ASSERT_EQ(json.status, 0) << json.err;
  for (const char* part :
       {"\"busiest\":[{\"date\":\"2026-04-07\",\"trips\":15}", "\"stations\":14,",
        "\"calls\":{\"total\":49,\"boarding_only\":2,\"alighting_only\":0,\"neither\":3,",
        "{\"date\":\"2026-04-11\",\"trips\":1}"}) {
    EXPECT_TRUE(contains(json.out, part)) << part << "\n" << json.out;
  }
  EXPECT_EQ(runMurlo({"gtfs-info"}).status, 2);
  EXPECT_EQ(runMurlo({"gtfs-info", kFeed, "--fast"}).status, 2);
  EXPECT_EQ(runMurlo({"gtfs-info", "/nonexistent/feed"}).status, 1);
}

// The feed's own classes and fares: a ride's class is its route type; its
// fare the cheapest that fare_rules.txt gives it by route and zones, in
// euros; a fare finer than a cent and a rule of a route not imported are
// dropped. Without fare_attributes.txt no ride has a fare and no table shows
// a fare column.
TEST(GtfsImportTest, FaresOfTheFeedOrNone) {
  FeedCopy noFares;
  fs::remove(noFares.file("fare_attributes.txt"));
  fs::remove(noFares.file("fare_rules.txt"));
  const Imported fares = import(kFeed, "20260408");
  const Imported none = import(noFares.dir(), "20260408");
  ASSERT_EQ(fares.run.status, 0) << fares.run.err;
  ASSERT_EQ(none.run.status, 0) << none.run.err;
  EXPECT_TRUE(contains(fares.run.out,
                       "; fares: 3 of fare_attributes.txt (1 dropped), 4 rules (1 dropped), "
                       "zones of 10 stations;"))
      << fares.run.out;
  EXPECT_TRUE(contains(none.run.out, "; no fares;")) << none.run.out;
  struct Case {
    const char* from;
    const char* to;
    const char* className;
    const char* json;  // the first train's fare
    const char* table;
  } cases[] = {
      {"Harbour_Central", "Konigsplatz", "Rail",
       R"("fare":{"amount":250,"currency":"EUR","digits":2,"text":"€2.50"})", "€2.50"},
      {"Harbour_Central", "Hillside", "Rail", R"("fare":{"amount":410,"currency":"EUR")", "€4.10"},
      {"Harbour_Central", "Airport", "Rail", R"("fare":{"amount":1200,)", "€12.00"},
      {"Depot", "中山路", "Bus", R"("fare":null)", "Bus"},
      {"Park_and_Ride", "Airport", "Rail", R"("fare":{"amount":1200,)", "€12.00"},
  };
  for (const Case& c : cases) {
    const auto json = runMurlo({"direct", c.from, c.to, "--db", fares.db, "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(contains(json.out, c.json)) << c.from << " " << c.to << "\n" << json.out;
    EXPECT_TRUE(contains(json.out, "\"class\":\"" + std::string(c.className) + "\""));
    EXPECT_TRUE(contains(json.out, R"("fares":{"hard_seat":null,"soft_seat":null,)"));
    const auto table = runMurlo({"direct", c.from, c.to, "--db", fares.db});
    EXPECT_TRUE(contains(table.out, c.table)) << table.out;
    EXPECT_FALSE(contains(table.out, "Hard seat")) << table.out;
    const auto without = runMurlo({"direct", c.from, c.to, "--db", none.db, "--json"});
    EXPECT_TRUE(contains(without.out, R"("fare":null)")) << without.out;
    EXPECT_FALSE(contains(without.out, "EUR")) << without.out;
    const auto plain = runMurlo({"direct", c.from, c.to, "--db", none.db});
    EXPECT_FALSE(contains(plain.out, "Fare")) << plain.out;
    EXPECT_FALSE(contains(plain.out, "Hard seat")) << plain.out;
  }
  // Bus 7 calls at no zone: a table of its rides has no fare column.
  EXPECT_FALSE(contains(runMurlo({"direct", "Depot", "中山路", "--db", fares.db}).out, "Fare"));
  // A journey's fare where every ride has one.
  const auto plan =
      runMurlo({"plan", "Konigsplatz", "Airport", "--at", "06:00", "--db", fares.db, "--json"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  EXPECT_TRUE(contains(
      plan.out, R"(}}],"fare":{"amount":1450,"currency":"EUR","digits":2,"text":"€14.50"}})"))
      << plan.out;
}

TEST(GtfsImportTest, DumpsAndBuildsBackByteForByte) {
  // Park and Ride, served only by a boarding-only call, has its calls in the
  // extension alone, and comes last.
  const Imported imported = import(kFeed, "20260408");
  ASSERT_EQ(imported.run.status, 0) << imported.run.err;
  test::TempFile scratch("");
  const auto dump = runMurlo({"dump", imported.db, scratch.dir() + "/dump.src"});
  EXPECT_EQ(dump.status, 0);
  EXPECT_EQ(dump.err, "");
  const auto build = runMurlo({"build", scratch.dir() + "/dump.src", scratch.dir() + "/again.db"});
  EXPECT_EQ(build.status, 0) << build.err;
  // The boarding rules of trains 401, RE1 and 990 and the transfers make an
  // extension after the sections; a dump and the --source both build back
  // into the whole file.
  const std::string db = test::readFile(imported.db);
  ASSERT_NE(db.find("MURLOEXT"), std::string::npos);
  EXPECT_EQ(test::readFile(scratch.dir() + "/again.db"), db);
  std::string fromSource;
  EXPECT_FALSE(source::compileTimetable(imported.timetable, fromSource));
  EXPECT_EQ(fromSource, db);
  // With --all-calls (every station called at in the sections) the
  // --source holds the sections' calls and builds the same sections.
  const Imported allCalls = import(kFeed, "20260408", {"--all-calls"});
  ASSERT_EQ(allCalls.run.status, 0) << allCalls.run.err;
  const std::string allCallsDb = test::readFile(allCalls.db);
  std::string compiled;
  EXPECT_FALSE(source::compileTimetable(allCalls.timetable, compiled));
  EXPECT_EQ(compiled, allCallsDb.substr(0, allCallsDb.find("MURLOEXT")));
}

TEST(GtfsImportTest, ZippedFeedGivesTheSameDatabase) {
  std::vector<ZipItem> flat, inFolder;
  for (const auto& entry : fs::directory_iterator(kFeed)) {
    const std::string name = entry.path().filename().string();
    const std::string data = test::readFile(entry.path().string());
    flat.push_back({name, data, static_cast<uint16_t>(name == "stops.txt" ? 0 : 8)});
    inFolder.push_back({"export/" + name, data});
  }
  const Imported folder = import(kFeed, "20260408");
  ASSERT_EQ(folder.run.status, 0) << folder.run.err;
  for (const auto& items : {flat, inFolder}) {
    const test::TempFile zip(makeZip(items), "feed.zip");
    const Imported zipped = import(zip.path(), "20260408");
    ASSERT_EQ(zipped.run.status, 0) << zipped.run.err;
    EXPECT_EQ(test::readFile(zipped.db), test::readFile(folder.db));
  }
}

TEST(GtfsImportTest, RouteTypeAndAgencyFilters) {
  const std::vector<std::string> rail = {"300", "101", "102", "RE1", "SHU",
                                         "SHU", "401", "RE2", "N09", "777"};
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> trains;
  } cases[] = {
      {"rail takes its extended types", {"--route-type", "2"}, rail},
      {"exact types", {"--route-type=109,3"}, {"B71", "RE1", "RE2"}},
      {"bus", {"--route-type", "3"}, {"B71"}},
      {"agency by name", {"--agency", "Riverside Bus"}, {"B71"}},
      {"agency by id", {"--agency", "RR"}, rail},
      {"both", {"--agency", "RR", "--route-type", "109"}, {"RE1", "RE2"}},
  };
  for (const Case& c : cases) {
    const Imported imported = import(kFeed, "20260408", c.args);
    ASSERT_EQ(imported.run.status, 0) << c.name << imported.run.err;
    EXPECT_EQ(numbers(imported.timetable), c.trains) << c.name;
  }
  const Imported bus = import(kFeed, "20260408", {"--route-type", "3"});
  EXPECT_EQ(bus.timetable.stations.size(), 2u);  // stations no train calls at are left out
}

TEST(GtfsImportTest, CodesAndHeaderFromOptions) {
  const Imported imported = import(
      kFeed, "20260408", {"--class", "A", "--columns", "C", "--rate", "F", "--header", "RIVER-26"});
  ASSERT_EQ(imported.run.status, 0) << imported.run.err;
  EXPECT_EQ(imported.timetable.header, "RIVER-26");
  for (const TrainSpec& t : imported.timetable.trains) {
    EXPECT_EQ(t.classCode, 'A');
    EXPECT_EQ(t.fareColumnCode, 'C');
    EXPECT_EQ(t.fareRateCode, 'F');
  }
  const Imported defaults = import(kFeed, "20260408");
  EXPECT_EQ(defaults.timetable.header, "20260408");
  EXPECT_EQ(defaults.timetable.trains.front().classCode, '9');
  EXPECT_EQ(defaults.timetable.trains.front().fareColumnCode, '8');
  EXPECT_EQ(defaults.timetable.trains.front().fareRateCode, 'D');
}

// A feed of one route running daily: `stops` is stops.txt's rows after its
// header (stop_id,stop_name,stop_lat,stop_lon); each trip calls at its stops
// a minute apart from 06:00.
struct SyntheticTrip {
  std::string id;
  std::vector<std::string> stops;
};
void writeSyntheticFeed(const std::string& dir, const std::string& stops,
                        const std::vector<SyntheticTrip>& trips) {
  fs::create_directories(dir);
  writeText(dir + "/routes.txt", "route_id,route_type,route_short_name\nR,2,R\n");
  writeText(dir + "/calendar.txt",
            "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
            "end_date\nD,1,1,1,1,1,1,1,20260101,20261231\n");
  writeText(dir + "/stops.txt", "stop_id,stop_name,stop_lat,stop_lon\n" + stops);
  std::string tripRows = "route_id,service_id,trip_id\n";
  std::string times = "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n";
  for (const SyntheticTrip& trip : trips) {
    tripRows += "R,D," + trip.id + "\n";
    for (std::size_t k = 0; k < trip.stops.size(); ++k) {
      const std::size_t minutes = 6 * 60 + k;
      char time[48];
      std::snprintf(time, sizeof time, "%02zu:%02zu:00", minutes / 60, minutes % 60);
      times += trip.id + "," + time + "," + time + "," + trip.stops[k] + "," +
               std::to_string(k + 1) + "\n";
    }
  }
  writeText(dir + "/trips.txt", tripRows);
  writeText(dir + "/stop_times.txt", times);
}

std::string stopRows(int count, double step, bool alongEquator) {
  std::string rows;
  for (int i = 0; i < count; ++i) {
    const double position = i * step;
    rows += "P" + std::to_string(i) + ",Place " + std::to_string(i) + "," +
            std::to_string(alongEquator ? 0.0 : position) + "," +
            std::to_string(alongEquator ? position : 0.0) + "\n";
  }
  return rows;
}

std::vector<std::string> stopIds(int first, int count) {
  std::vector<std::string> ids;
  for (int i = first; i < first + count; ++i) ids.push_back("P" + std::to_string(i));
  return ids;
}

TEST(GtfsImportTest, LongTripsAreSplitAndFarOnesCut) {
  test::TempFile scratch("");
  const std::string dir = scratch.dir() + "/feed";
  // 250 stops 1.1 km apart; and stops a quarter of the earth apart.
  writeSyntheticFeed(
      dir,
      stopRows(250, 0.01, false) +
          "F0,Far 0,0,0\nF1,Far 1,0,60\nF2,Far 2,0,120\nF3,Far 3,0,180\nG0,Gone 0,0,0\nG1,Gone "
          "1,0,95\n",
      {{"long", stopIds(0, 250)}, {"far", {"F0", "F1", "F2", "F3"}}, {"gone", {"G0", "G1"}}});
  const Imported imported = import(dir, "20260408");
  ASSERT_EQ(imported.run.status, 0) << imported.run.err;
  const auto& trains = imported.timetable.trains;
  ASSERT_EQ(trains.size(), 4u);  // three parts of "long", one of "far"
  std::vector<std::size_t> sizes;
  for (const TrainSpec& t : trains) sizes.push_back(t.stops.size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{100, 2, 100, 52}));
  // The parts overlap at the stop where they meet, each measured from its start.
  EXPECT_EQ(trains[2].stops.front().station, trains[0].stops.back().station);
  EXPECT_EQ(trains[0].stops.back().arrival, 6 * 60 + 99);
  EXPECT_EQ(trains[2].stops.front().departure, 6 * 60 + 99);
  EXPECT_EQ(trains[2].stops.front().distanceKm, 0);
  EXPECT_EQ(trains[3].stops.front().station, trains[2].stops.back().station);
  EXPECT_EQ(kms(&trains[1]), (std::vector<int32_t>{0, 6672}));
  const std::string& err = imported.run.err;
  EXPECT_TRUE(
      contains(err, "trip long: 250 stops as 3 trains R1 (trips split: more than 100 stops)"))
      << err;
  EXPECT_TRUE(contains(err, "trip far: 20015 km, ends after 2 of 4 stops (trains cut"));
  EXPECT_TRUE(contains(err, "trip gone: 10564 km (trains dropped: more than 9999 km"));
}

TEST(GtfsImportTest, DatabaseCapacityIsReported) {
  test::TempFile scratch("");
  {  // 10,001 trips
    std::vector<SyntheticTrip> trips;
    for (int i = 0; i < 10001; ++i) trips.push_back({"t" + std::to_string(i), {"P0", "P1"}});
    writeSyntheticFeed(scratch.dir() + "/trains", stopRows(2, 0.01, false), trips);
    const Imported imported = import(scratch.dir() + "/trains", "20260408");
    ASSERT_EQ(imported.run.status, 0) << imported.run.err;
    EXPECT_EQ(imported.timetable.trains.size(), 10000u);
    EXPECT_TRUE(contains(
        imported.run.err,
        "trip t10000: train R10001 (trains dropped: a database holds at most 10000 trains)"))
        << imported.run.err;
    EXPECT_TRUE(contains(imported.run.out, "2 stations, 10000 trains, 20000 stops"));
    // The whole year's trips, every day alike, are more trains than the
    // sections hold: they hold the busiest (first) day's first 10,000, the
    // extension the other, the summary says so, and dump and build give
    // back the same file.
    const auto whole =
        runMurlo({"import-gtfs", scratch.dir() + "/trains", scratch.dir() + "/year.db", "--quiet"});
    ASSERT_EQ(whole.status, 0) << whole.err;
    EXPECT_TRUE(contains(whole.out,
                         "2 stations, 10001 trains, 20002 stops; trips of 2026-01-01 "
                         "to 2026-12-31 (365 days"))
        << whole.out;
    EXPECT_TRUE(contains(whole.out,
                         "The seven sections hold 10000 trains of the busiest day, 2026-01-01, "
                         "for hosts that read them alone; the extension holds the other 1 "
                         "train."))
        << whole.out;
    const std::string year = scratch.dir() + "/year";
    ASSERT_EQ(runMurlo({"dump", year + ".db", year + ".src"}).status, 0);
    ASSERT_EQ(runMurlo({"build", year + ".src", year + "2.db"}).status, 0);
    EXPECT_EQ(test::readFile(year + "2.db"), test::readFile(year + ".db"));
  }
  {  // 101 trips of 100 stations each
    std::vector<SyntheticTrip> trips;
    for (int i = 0; i < 101; ++i) trips.push_back({"t" + std::to_string(i), stopIds(i * 100, 100)});
    writeSyntheticFeed(scratch.dir() + "/stations", stopRows(10100, 0.001, false), trips);
    const Imported imported = import(scratch.dir() + "/stations", "20260408");
    ASSERT_EQ(imported.run.status, 0) << imported.run.err;
    EXPECT_EQ(imported.timetable.stations.size(), 10000u);
    EXPECT_TRUE(
        contains(imported.run.err,
                 "trip t100: train R101 (trains dropped: a database holds at most 10000 stations)"))
        << imported.run.err;
    EXPECT_TRUE(contains(imported.run.out, "10000 stations, 100 trains, 10000 stops"));
  }
}

TEST(GtfsImportTest, ErrorsNameTheFileAndLine) {
  struct Case {
    const char* name;
    void (*breakFeed)(const FeedCopy&);
    std::vector<std::string> args;  // after FEED OUT
    int status;
    const char* message;
  } cases[] = {
      {"no stops.txt",
       [](const FeedCopy& f) { fs::remove(f.file("stops.txt")); },
       {"--date", "20260408"},
       1,
       "stops.txt: the feed has no stops.txt"},
      {"no calendar",
       [](const FeedCopy& f) {
         fs::remove(f.file("calendar.txt"));
         fs::remove(f.file("calendar_dates.txt"));
       },
       {"--date", "20260408"},
       1,
       "neither calendar.txt nor calendar_dates.txt"},
      {"missing column",
       [](const FeedCopy& f) { writeText(f.file("trips.txt"), "route_id,service_id\nS1,WK\n"); },
       {"--date", "20260408"},
       1,
       "trips.txt:1: the required column trip_id is missing"},
      {"open quote",
       [](const FeedCopy& f) {
         writeText(f.file("stops.txt"), test::readFile(f.file("stops.txt")) + "XX,\"Open,1,1\n");
       },
       {"--date", "20260408"},
       1,
       "stops.txt:20: a quoted field has no closing quote"},
      {"unknown agency",
       [](const FeedCopy&) {},
       {"--date", "20260408", "--agency", "Ferry"},
       1,
       "no agency has the id or name Ferry (the feed has: Riverside Rail, Riverside Bus)"},
      // Without --date the whole period is imported; a range needs both ends.
      {"range without end",
       [](const FeedCopy&) {},
       {"--from", "20260401"},
       2,
       "--from and --to go together"},
      {"range backwards",
       [](const FeedCopy&) {},
       {"--from", "20260408", "--to", "20260407"},
       2,
       "the first not after the last"},
      {"date and range",
       [](const FeedCopy&) {},
       {"--date", "20260408", "--from", "20260401", "--to", "20260408"},
       2,
       "not both"},
      {"empty range",
       [](const FeedCopy&) {},
       {"--from", "2027-01-01", "--to", "20270131"},  // either form of a date
       1,
       "no usable trip runs from 2027-01-01 to 2027-01-31"},
      {"bad date", [](const FeedCopy&) {}, {"--date", "20260230"}, 2, "--date takes a date"},
      {"bad ISO date", [](const FeedCopy&) {}, {"--date", "2026-02-30"}, 2, "--date takes a date"},
      {"bad class",
       [](const FeedCopy&) {},
       {"--date", "20260408", "--class", "5"},
       2,
       "--class takes one of"},
      {"bad route type",
       [](const FeedCopy&) {},
       {"--date", "20260408", "--route-type", "rail"},
       2,
       "--route-type takes"},
      {"long header",
       [](const FeedCopy&) {},
       {"--date", "20260408", "--header", "ELEVEN-BYTE"},
       2,
       "--header takes at most 10 bytes"},
      {"unknown option",
       [](const FeedCopy&) {},
       {"--date", "20260408", "--fast"},
       2,
       "unknown option --fast"},
  };
  for (const Case& c : cases) {
    FeedCopy feed;
    c.breakFeed(feed);
    const std::string out = feed.dir() + "/../out.db";
    std::vector<std::string> args = {"import-gtfs", feed.dir(), out};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto result = runMurlo(args);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_TRUE(contains(result.err, c.message)) << c.name << ": " << result.err;
    EXPECT_EQ(result.out, "") << c.name;
    EXPECT_FALSE(fs::exists(out)) << c.name;
  }
  const auto missing =
      runMurlo({"import-gtfs", "/nonexistent/feed", "/tmp/x.db", "--date", "20260408"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(contains(missing.err, "cannot open /nonexistent/feed")) << missing.err;
  const test::TempFile text("not a zip", "feed.zip");
  const auto notZip =
      runMurlo({"import-gtfs", text.path(), text.dir() + "/x.db", "--date", "20260408"});
  EXPECT_EQ(notZip.status, 1);
  EXPECT_TRUE(contains(notZip.err, "is not a zip file")) << notZip.err;
}

// Damaged feeds and zip files are refused or read, never a crash (the
// sanitizers watch): bytes changed, CSV punctuation inserted, files cut.
TEST(GtfsImportTest, DamagedFeedsNeverCrash) {
  std::mt19937 random(20260408);
  const auto pick = [&](std::size_t n) {
    return static_cast<std::size_t>(std::uniform_int_distribution<std::size_t>(0, n - 1)(random));
  };
  const auto damage = [&](std::string bytes) {
    if (bytes.empty()) return bytes;
    const std::size_t edits = 1 + pick(4);
    for (std::size_t e = 0; e < edits && !bytes.empty(); ++e) {
      const std::size_t at = pick(bytes.size());
      switch (pick(4)) {
        case 0: bytes[at] = static_cast<char>(pick(256)); break;
        case 1: bytes.insert(at, 1, ",\"\n\r"[pick(4)]); break;
        case 2: bytes.resize(at); break;
        default: bytes.erase(at, 1 + pick(8)); break;
      }
    }
    return bytes;
  };
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kFeed))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  const auto tryImport = [](const std::string& feed, int round) {
    ImportOptions options;
    options.feed = feed;
    options.filter.date = *parseDate("20260408");
    ImportReport report;
    Progress progress(nullptr);
    try {
      importFeed(options, report, progress);
    } catch (const FeedError& e) {
      // Refused with a message: fine, unless the import itself broke a rule.
      EXPECT_FALSE(contains(e.what(), "internal error")) << "round " << round << ": " << e.what();
    } catch (const std::exception& e) {
      ADD_FAILURE() << "round " << round << ": " << e.what();
    }
  };
  for (int round = 0; round < 150; ++round) {
    FeedCopy feed;
    const std::string file = feed.file(names[pick(names.size())]);
    writeText(file, damage(test::readFile(file)));
    tryImport(feed.dir(), round);
  }
  std::vector<ZipItem> items;
  for (const std::string& name : names) items.push_back({name, test::readFile(kFeed + "/" + name)});
  const std::string zip = makeZip(items);
  for (int round = 0; round < 150; ++round) {
    const test::TempFile damaged(damage(zip), "feed.zip");
    tryImport(damaged.path(), round);
  }
}

}  // namespace
}  // namespace murlo
