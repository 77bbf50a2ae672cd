// The murlo query commands (stations, at, direct, number, stops, header), run
// as a user runs them, against databases made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "db/timetable_builder.h"
#include "db/writer.h"
#include "murloppc.h"
#include "support/test_support.h"

namespace murlo {
namespace {

using test::CommandResult;
using test::runMurlo;

// ---- A small JSON reader, to check --json output as a script reads it ----

struct Json {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
  std::string text;  // a string's value, a number's or a literal's spelling
  std::vector<Json> items;
  std::map<std::string, Json> members;
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  // The one value of the whole text (blanks around it allowed).
  std::optional<Json> document() {
    auto value = read();
    skipBlanks();
    if (!value || pos_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void skipBlanks() {
    while (pos_ < text_.size() &&
           std::string_view(" \t\r\n").find(text_[pos_]) != std::string_view::npos)
      ++pos_;
  }
  bool take(char c) {
    skipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) return ++pos_, true;
    return false;
  }
  std::optional<std::string> readString() {
    if (!take('"')) return std::nullopt;
    std::string s;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      char c = text_[pos_++];
      if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
      if (c == '\\') {
        if (pos_ >= text_.size()) return std::nullopt;
        const char e = text_[pos_++];
        const std::string_view simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
        if (const auto k = simple.find(e); k != std::string_view::npos) {
          c = meaning[k];
        } else if (e == 'u' && pos_ + 4 <= text_.size()) {
          const unsigned code =
              static_cast<unsigned>(std::stoul(std::string(text_.substr(pos_, 4)), nullptr, 16));
          pos_ += 4;
          if (code >= 0x80) return std::nullopt;  // murlo escapes control characters only
          c = static_cast<char>(code);
        } else {
          return std::nullopt;
        }
      }
      s += c;
    }
    if (!take('"')) return std::nullopt;
    return s;
  }
  std::optional<Json> read() {
    skipBlanks();
    Json value;
    if (pos_ >= text_.size()) return std::nullopt;
    const char c = text_[pos_];
    if (c == '{') {
      value.kind = Json::Kind::kObject;
      ++pos_;
      if (take('}')) return value;
      do {
        auto key = readString();
        if (!key || !take(':') || value.members.count(*key) != 0) return std::nullopt;
        auto member = read();
        if (!member) return std::nullopt;
        value.members[*key] = std::move(*member);
      } while (take(','));
      return take('}') ? std::optional<Json>(value) : std::nullopt;
    }
    if (c == '[') {
      value.kind = Json::Kind::kArray;
      ++pos_;
      if (take(']')) return value;
      do {
        auto item = read();
        if (!item) return std::nullopt;
        value.items.push_back(std::move(*item));
      } while (take(','));
      return take(']') ? std::optional<Json>(value) : std::nullopt;
    }
    if (c == '"') {
      auto s = readString();
      if (!s) return std::nullopt;
      value.kind = Json::Kind::kString;
      value.text = *s;
      return value;
    }
    const std::size_t begin = pos_;
    while (pos_ < text_.size() &&
           std::string_view("-+.eE0123456789truefalsn").find(text_[pos_]) != std::string_view::npos)
      ++pos_;
    value.text = std::string(text_.substr(begin, pos_ - begin));
    if (value.text == "null") return value;
    if (value.text == "true" || value.text == "false") return value.kind = Json::Kind::kBool, value;
    char* end = nullptr;
    std::strtod(value.text.c_str(), &end);
    if (value.text.empty() || *end != '\0') return std::nullopt;
    value.kind = Json::Kind::kNumber;
    return value;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// The value at a dotted path ("trains.0.fares.hard_seat") written compactly:
// strings quoted, numbers and literals as spelt, "[n]" for an array of n
// items, "{n}" for an object of n members, "missing" when there is none.
std::string at(const Json& root, std::string_view path) {
  const Json* node = &root;
  while (!path.empty()) {
    const std::size_t dot = path.find('.');
    const std::string step(path.substr(0, dot));
    path = dot == std::string_view::npos ? "" : path.substr(dot + 1);
    if (node->kind == Json::Kind::kArray) {
      const std::size_t i = std::stoul(step);
      if (i >= node->items.size()) return "missing";
      node = &node->items[i];
    } else if (node->kind == Json::Kind::kObject && node->members.count(step) != 0) {
      node = &node->members.at(step);
    } else {
      return "missing";
    }
  }
  switch (node->kind) {
    case Json::Kind::kString: return "\"" + node->text + "\"";
    case Json::Kind::kArray: return "[" + std::to_string(node->items.size()) + "]";
    case Json::Kind::kObject: return "{" + std::to_string(node->members.size()) + "}";
    case Json::Kind::kNull: return "null";
    default: return node->text;
  }
}

// ---- Databases ----

// A network in which 北京 -> 济南 needs a change at 天津, and 南京 -> 上海
// runs apart from it: T1 北京 -> 天津, K2 天津 -> 济南, D3 南京 -> 上海.
std::string changeNetworkBytes() {
  const std::vector<StationSpec> stations = {{test::gbk("北京"), "BJ"},
                                             {test::gbk("天津"), "TJ"},
                                             {test::gbk("济南"), "JN"},
                                             {test::gbk("南京"), "NJ"},
                                             {test::gbk("上海"), "SH"}};
  const std::vector<TrainSpec> trains = {
      {"T1", '1', 'F', 'D', {test::stopAt(0, "-", "08:00", 0), test::stopAt(1, "09:30", "-", 137)}},
      {"K2", '3', 'F', 'D', {test::stopAt(1, "-", "10:00", 0), test::stopAt(2, "13:00", "-", 300)}},
      {"D3", '0', 'F', 'D', {test::stopAt(3, "-", "07:00", 0), test::stopAt(4, "09:00", "-", 300)}},
  };
  PlainSections plain;
  const auto error = plainSectionsOf(buildTimetable("CHANGE", stations, trains), plain);
  EXPECT_FALSE(error.has_value()) << (error ? error->message() : "");
  return test::packOrFail(plain);
}

// A network with a station group: the city 北京市 of 北京 and 北京南 (30
// minutes apart). G1 北京南 08:00 -> 上海 13:00; from 北京 to 天津 D1 06:00,
// T1 09:00 and K1 18:00, so that the next direct trains from a time differ
// from the day's order; X1 天津 10:36 -> 上海 12:50, six minutes after T1
// arrives, where 天津's own change time is 5 minutes; G2 上海 08:00 -> 北京南
// 12:00, for K1 from 北京 after a walk.
std::string groupNetworkBytes() {
  const std::vector<StationSpec> stations = {{test::gbk("北京"), "BJ"},
                                             {test::gbk("北京南"), "BJN"},
                                             {test::gbk("上海"), "SH"},
                                             {test::gbk("天津"), "TJ"}};
  // A train of class 0 (1 for T1, 3 for K1) between two stations.
  const auto train = [](const char* number, char classCode, int32_t from, const char* leaves,
                        int32_t to, const char* arrives, int32_t km) {
    TrainSpec trainSpec{number, classCode, 'F', 'D', {}};
    trainSpec.stops = {test::stopAt(from, "-", leaves, 0), test::stopAt(to, arrives, "-", km)};
    return trainSpec;
  };
  const std::vector<TrainSpec> trains = {
      train("G1", '0', 1, "08:00", 2, "13:00", 1300),
      train("D1", '0', 0, "06:00", 3, "07:00", 137),
      train("T1", '1', 0, "09:00", 3, "10:30", 137),
      train("K1", '3', 0, "18:00", 3, "19:30", 137),
      train("X1", '0', 3, "10:36", 2, "12:50", 1160),
      train("G2", '0', 2, "08:00", 1, "12:00", 1300),
  };
  NetworkSpec network;
  network.changeTimes.push_back({StationIndex(3), 5});
  network.groups.push_back(
      {GroupKind::kCity, test::gbk("北京市"), 30, {StationIndex(0), StationIndex(1)}});
  std::string file;
  const auto error = writeDatabaseBytes(buildTableLists("GROUPS", stations, trains),
                                        buildExtension(trains, network), file);
  EXPECT_FALSE(error.has_value()) << (error ? error->message() : "");
  return file;
}

class MurloQueryTest : public ::testing::Test {
 protected:
  // murlo with `args` on the worked example (北京 and 天津; T1/T2 北京 08:00
  // -> 天津 09:30, K5 天津 23:30 -> 北京 01:05).
  CommandResult murlo(std::vector<std::string> args) const {
    args.insert(args.end(), {"--db", example_.path()});
    return runMurlo(args);
  }
  CommandResult murloOnChangeNetwork(std::vector<std::string> args) const {
    args.insert(args.end(), {"--db", change_.path()});
    return runMurlo(args);
  }
  CommandResult murloOnGroupNetwork(std::vector<std::string> args) const {
    args.insert(args.end(), {"--db", groups_.path()});
    return runMurlo(args);
  }

  // The library's own result text for the worked example, asked in this
  // process through the C interface.
  std::string libraryText(int32_t (*query)(const murlo_char16*, murlo_char16*, size_t, size_t*),
                          std::string_view argument) const {
    loadExample();
    std::vector<murlo_char16> buffer(4096);
    EXPECT_GE(query(test::utf16(argument).c_str(), buffer.data(), buffer.size(), nullptr), 0);
    return test::utf8Of(buffer.data());
  }
  void loadExample() const {
    ASSERT_EQ(murlo_load_database(test::utf16(example_.path()).c_str()), 1);
  }

  test::TempFile example_{test::packOrFail(test::workedExampleSections())};
  test::TempFile change_{changeNetworkBytes()};
  test::TempFile groups_{groupNetworkBytes()};
};

// ---- Tables ----

TEST_F(MurloQueryTest, TablesLineUpByDisplayWidth) {
  const std::string header =
      "Index  Train  From  Departs  To    Arrives  Runs from  Runs to  Class  Duration  "
      "Hard seat  Soft seat  Hard sleeper  Soft sleeper";
  const std::string rule =
      "-----  -----  ----  -------  ----  -------  ---------  -------  -----  --------  "
      "---------  ---------  ------------  ------------";
  // Up to the fares (FaresLineUpUnderTheirHeaders checks those).
  const std::string t1 =
      "    0  T1/T2  北京  08:00    天津  09:30    北京       天津     特快   01:30     ~";
  // K5 arrives after midnight: +1.
  const std::string k5 =
      "    1  K5     天津  23:30    北京  01:05+1  天津       北京     普快   01:35     ~";
  // at: the times at the station beside the run, in order of those times.
  const std::string atHeader =
      "Index  Train  Arrives  Departs  Runs from   Runs to       Class  Duration  ~";
  const std::string atRule =
      "-----  -----  -------  -------  ----------  ------------  -----  --------  ~";
  const std::string atK5 =
      "    1  K5     01:05+1  -        天津 23:30  北京 01:05+1  普快   01:35     ~";
  const std::string atT1 =
      "    0  T1/T2  -        08:00    北京 08:00  天津 09:30    特快   01:30     ~";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> lines;  // the output's lines; a line ending in
                                     // "~" is compared up to the "~" only
  } cases[] = {
      {"stations",
       {"stations"},
       {"Station  Abbreviation", "-------  ------------", "北京     BJ", "天津     TJ"}},
      {"stations by abbreviation",
       {"stations", "T"},
       {"Station  Abbreviation", "-------  ------------", "天津     TJ"}},
      {"at", {"at", "北京"}, {atHeader, atRule, atK5, atT1}},
      {"number, the library's order", {"number", "5", "--order", "index"}, {header, rule, k5}},
      {"direct", {"direct", "北京", "天津"}, {header, rule, t1}},
      {"number without its letter", {"number", "5"}, {header, rule, k5}},
      {"stops",
       {"stops", "1", "天津", "北京"},
       {"   Station  Arrives  Departs   km", "   -------  -------  -------  ---",
        ">  天津     -        23:30      0", ">  北京     01:05+1  -        137", "",
        "Run time of the whole train: 01:35", "> marks the journey from 天津 to 北京."}},
      {"boarding where alighting",
       {"stops", "1", "北京", "北京"},
       {"Station  Arrives  Departs   km", "-------  -------  -------  ---",
        "天津     -        23:30      0", "北京     01:05+1  -        137", "",
        "Run time of the whole train: 01:35",
        "No stop is marked: the journey from 北京 to 北京 goes nowhere."}},
      {"header", {"header"}, {"EXAMPLE-01"}},
      {"nothing found", {"number", "Z99"}, {"No train runs under the number Z99."}},
      {"no abbreviation matches", {"stations", "Q"}, {"No station abbreviation begins with Q."}},
  };
  for (const Case& c : cases) {
    const CommandResult result = murlo(c.args);
    EXPECT_EQ(result.status, 0) << c.name << ": " << result.err;
    EXPECT_EQ(result.err, "") << c.name;
    const auto lines = test::splitTerminated(result.out, '\n');
    ASSERT_EQ(lines.size(), c.lines.size()) << c.name << ":\n" << result.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string& want = c.lines[i];
      if (!want.empty() && want.back() == '~') {
        EXPECT_EQ(lines[i].substr(0, want.size() - 1), want.substr(0, want.size() - 1)) << c.name;
        EXPECT_NE(lines[i].back(), ' ') << c.name << ": trailing blanks";
      } else {
        EXPECT_EQ(lines[i], want) << c.name << ", line " << i;
      }
    }
  }
}

TEST_F(MurloQueryTest, FaresLineUpUnderTheirHeaders) {
  // Each table row ends in the four fare fields of the library's line, right
  // aligned under "Hard seat", "Soft seat", "Hard sleeper", "Soft sleeper";
  // K5 offers the hard seat only, so three of its columns show "-".
  const auto rows = test::splitTerminated(murlo({"at", "北京", "--order", "index"}).out, '\n');
  const auto lines = test::splitTerminated(murlo({"at", "北京", "--raw"}).out, '*');
  ASSERT_EQ(rows.size(), 4u);
  ASSERT_EQ(lines.size(), 3u);  // two lines and the "\n" after them
  const std::size_t widths[] = {9, 9, 12, 12};
  for (std::size_t t = 0; t < 2; ++t) {
    const auto fields = test::splitTerminated(lines[t] + "|", '|');
    ASSERT_EQ(fields.size(), 16u) << lines[t];
    std::string tail;
    for (std::size_t f = 0; f < 4; ++f) {
      std::string fare = fields[12 + f];
      fare.erase(0, fare.find_first_not_of(' '));
      fare.erase(fare.find_last_not_of(' ') + 1);
      tail += "  " + std::string(widths[f] - fare.size(), ' ') + fare;
    }
    const std::string& row = rows[2 + t];
    ASSERT_GE(row.size(), tail.size());
    EXPECT_EQ(row.substr(row.size() - tail.size()), tail) << row;
    if (t == 1) {
      EXPECT_EQ(tail.substr(tail.size() - 1), "-");
    }
  }
}

TEST_F(MurloQueryTest, DirectWithoutATrainProposesChangeStations) {
  const CommandResult change = murloOnChangeNetwork({"direct", "北京", "济南"});
  EXPECT_EQ(change.status, 0) << change.err;
  EXPECT_EQ(change.out,
            "No direct train from 北京 to 济南.\n\n"
            "Proposed change stations\n"
            "------------------------\n"
            "天津\n");
  const CommandResult none = murloOnChangeNetwork({"direct", "北京", "上海"});
  EXPECT_EQ(none.status, 0) << none.err;
  EXPECT_EQ(none.out, "No direct train from 北京 to 上海, and no change station to propose.\n");
  EXPECT_EQ(murloOnChangeNetwork({"direct", "北京", "济南", "--raw"}).out, "天津|\n");
  EXPECT_EQ(murloOnChangeNetwork({"direct", "北京", "上海", "--raw"}).out, "\n");

  const auto json =
      JsonReader(murloOnChangeNetwork({"direct", "北京", "济南", "--json"}).out).document();
  ASSERT_TRUE(json);
  EXPECT_EQ(at(*json, "count"), "0");
  EXPECT_EQ(at(*json, "trains"), "[0]");
  EXPECT_EQ(at(*json, "change_stations"), "[1]");
  EXPECT_EQ(at(*json, "change_stations.0"), "\"天津\"");
}

// The next direct trains from a time, and station groups where a station
// is expected: the output (or standard error's first line) of each command.
TEST_F(MurloQueryTest, NextDirectTrainsAndStationGroups) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out;  // standard output, whole; or with a status, the error
  } cases[] = {
      {"the day's order",
       {"direct", "北京", "天津", "--columns", "train,departs"},
       0,
       "Train  Departs\n-----  -------\nD1     06:00\nT1     09:00\nK1     18:00\n"},
      {"the next from 08:00, round the clock",
       {"direct", "北京", "天津", "--at", "0800", "--columns", "train,departs"},
       0,
       "From 北京 to 天津, in order of departure from 08:00:\n"
       "Train  Departs\n-----  -------\nT1     09:00\nK1     18:00\nD1     06:00\n"},
      {"--at names its time in JSON", {"direct", "北京", "天津", "--at", "18:00", "--json"}, 0, ""},
      {"--at with the library's text",
       {"direct", "北京", "天津", "--at", "08:00", "--raw"},
       2,
       "--at orders the trains, --raw prints the library's text as it stands"},
      {"--at with the library's order",
       {"direct", "北京", "天津", "--at", "08:00", "--order", "index"},
       2,
       "--at lists the trains by departure"},
      {"a group where one station is needed",
       {"direct", "北京市", "上海"},
       1,
       "北京市 is a group of 2 stations: 北京, 北京南; give the origin station by its name"},
      {"a group taken loosely", {"departures", "北京市"}, 1, "北京市 is a group of 2 stations"},
      {"a walk within a group",
       {"plan", "上海", "天津", "--at", "08:00"},
       0,
       "Journeys from 上海 to 天津 leaving from 08:00, at most 3 changes of 10 minutes or more "
       "where a station has no change time of its own:\n\n"
       "08:00 -> 19:30  11:30  1 change\n"
       "  G2  上海  08:00  北京南  12:00\n"
       "      walk to 北京, 30 min, wait 5 h 30 min\n"
       "  K1  北京  18:00  天津    19:30\n"},
      {"stations lists no group",
       {"stations"},
       0,
       "Station  Abbreviation\n-------  ------------\n北京     BJ\n北京南   BJN\n上海     SH\n"
       "天津     TJ\n"},
  };
  for (const Case& c : cases) {
    const CommandResult result = murloOnGroupNetwork(c.args);
    EXPECT_EQ(result.status, c.status) << c.name << ": " << result.err;
    if (c.status != 0) {
      EXPECT_EQ(result.err.rfind("murlo: " + c.out, 0), 0u) << c.name << ": " << result.err;
    } else if (!c.out.empty()) {
      EXPECT_EQ(result.out, c.out) << c.name;
    } else {
      const auto json = JsonReader(result.out).document();
      ASSERT_TRUE(json) << c.name << ": " << result.out;
      EXPECT_EQ(at(*json, "at"), "\"18:00\"") << c.name;
      EXPECT_EQ(at(*json, "trains.0.number"), "\"K1\"") << c.name;
      EXPECT_EQ(at(*json, "trains.2.number"), "\"T1\"") << c.name;
    }
  }
}

// A journey question's time: leaving from it, the latest leaving before it,
// the latest arriving by it (from a day before or two); a group's name as
// an end. Each case: the departures of the journeys, with their days.
TEST_F(MurloQueryTest, JourneysFromBeforeAndArrivingByATime) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::pair<const char*, std::string>> values;  // path, value
  } cases[] = {
      {"leaving from",
       {"plan", "北京", "天津", "--at", "08:00", "--limit", "2"},
       {{"at", "\"08:00\""},
        {"count", "2"},
        {"journeys.0.departure", "\"09:00\""},
        {"journeys.1.departure", "\"18:00\""}}},
      // Each train of each day leaves later and arrives later than the one
      // before it: none beats another.
      {"leaving before",
       {"plan", "北京", "天津", "--before", "09:00", "--limit", "2"},
       {{"at", "null"},
        {"before", "\"09:00\""},
        {"count", "2"},
        {"journeys.0.departure", "\"18:00\""},
        {"journeys.0.departure_day", "-1"},
        {"journeys.1.departure", "\"06:00\""},
        {"journeys.1.departure_day", "0"}}},
      {"arriving by",
       {"plan", "北京", "天津", "--arrive-by", "10:30", "--limit", "2"},
       {{"at", "null"},
        {"arrive_by", "\"10:30\""},
        {"count", "2"},
        {"journeys.0.departure", "\"06:00\""},
        {"journeys.1.departure", "\"09:00\""},
        {"journeys.1.arrival", "\"10:30\""},
        {"journeys.1.arrival_day", "0"}}},
      {"arriving by, the latest",
       {"plan", "北京", "天津", "--arrive-by", "10:29", "--limit", "1"},
       {{"count", "1"}, {"journeys.0.departure", "\"06:00\""}}},
      // From either member; at 天津 its own change time, not 10 minutes.
      {"a group as the origin",
       {"plan", "北京市", "上海", "--at", "07:00"},
       {{"from", "\"北京市\""},
        {"count", "2"},  // not D1 the next morning: T1 that day makes X1 as well
        {"journeys.0.rides.0.train.number", "\"G1\""},
        {"journeys.0.rides.0.train.from", "\"北京南\""},
        {"journeys.1.rides.0.train.number", "\"T1\""},
        {"journeys.1.rides.1.wait_minutes", "6"},
        {"change_time", "10"},
        {"own_change_times", "1"}}},
      {"a walk",
       {"plan", "上海", "天津", "--at", "08:00", "--change-time", "20"},
       {{"least_change_time", "20"},
        {"journeys.0.rides.0.walk", "null"},
        {"journeys.0.rides.1.walk.from", "\"北京南\""},
        {"journeys.0.rides.1.walk.to", "\"北京\""},
        {"journeys.0.rides.1.walk.minutes", "30"},
        {"journeys.0.rides.1.wait_minutes", "330"}}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("--json");
    const CommandResult result = murloOnGroupNetwork(args);
    EXPECT_EQ(result.status, 0) << c.name << ": " << result.err;
    const auto json = JsonReader(result.out).document();
    ASSERT_TRUE(json) << c.name << ": not JSON: " << result.out;
    for (const auto& [path, value] : c.values)
      EXPECT_EQ(at(*json, path), value) << c.name << ": " << path;
  }
  const CommandResult both =
      murloOnGroupNetwork({"plan", "北京", "天津", "--at", "08:00", "--before", "09:00"});
  EXPECT_EQ(both.status, 2);
  EXPECT_EQ(both.err.rfind("murlo: give at most one of --at, --before and --arrive-by\n", 0), 0u)
      << both.err;
}

// ---- --raw: the library's text unchanged ----

TEST_F(MurloQueryTest, RawPrintsTheLibraryTextUnchanged) {
  loadExample();
  const auto direct = [](std::string_view from, std::string_view to, int32_t mode) {
    std::vector<murlo_char16> buffer(4096);
    EXPECT_GT(murlo_direct_trains(test::utf16(from).c_str(), test::utf16(to).c_str(), mode,
                                  buffer.data(), buffer.size(), nullptr),
              0);
    return test::utf8Of(buffer.data());
  };
  const auto stops = [](uint32_t train, std::string_view from, std::string_view to) {
    std::vector<murlo_char16> list(4096), time(16);
    EXPECT_GT(
        murlo_train_stops(train, test::utf16(from).c_str(), test::utf16(to).c_str(), list.data(),
                          list.size(), nullptr, time.data(), time.size(), nullptr),
        0);
    return test::utf8Of(list.data()) + "\n" + test::utf8Of(time.data());
  };
  const auto board = [](auto* query, std::string_view station, int32_t after, int32_t limit) {
    std::vector<murlo_char16> buffer(4096);
    EXPECT_GE(
        query(test::utf16(station).c_str(), after, limit, buffer.data(), buffer.size(), nullptr),
        0);
    return test::utf8Of(buffer.data());
  };
  const auto plan = [](std::string_view from, std::string_view to, int32_t after, int32_t changes,
                       int32_t changeTime, int32_t limit) {
    std::vector<murlo_char16> buffer(4096);
    EXPECT_GE(
        murlo_plan_journeys(test::utf16(from).c_str(), test::utf16(to).c_str(), after, changes,
                            changeTime, limit, buffer.data(), buffer.size(), nullptr),
        0);
    return test::utf8Of(buffer.data());
  };
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string library;  // the library's text
    std::string starts;   // what that text must begin with
  } cases[] = {
      {"all stations", {"stations"}, libraryText(murlo_find_stations, ""), "北京|天津|"},
      {"stations", {"stations", "T"}, libraryText(murlo_find_stations, "T"), "天津|"},
      {"at",
       {"at", "天津"},
       libraryText(murlo_trains_at_station, "天津"),
       "S|0|T1/T2|北京|08:00|天津|09:30|北京|天津|特快|-|01:30|"},
      {"number", {"number", "T2"}, libraryText(murlo_trains_by_number, "T2"), "S|0|T1/T2|"},
      {"direct",
       {"direct", "天津", "北京"},
       direct("天津", "北京", 0),
       "S|1|K5|天津|23:30|北京|01:05|天津|北京|普快|-|01:35|"},
      {"direct, mode 1",
       {"direct", "--mode", "1", "北京", "天津"},
       direct("北京", "天津", 1),
       "H|0|"},
      {"stops",
       {"stops", "0", "北京", "天津"},
       stops(0, "北京", "天津"),
       ">|北京|-|08:00|0*>|天津|09:30|-|137*\n01:30"},
      {"stops, reversed",
       {"stops", "0", "天津", "北京"},
       stops(0, "天津", "北京"),
       ">|北京|-|08:00|0* |天津|"},
      {"header", {"header"}, "EXAMPLE-01", "EXAMPLE-01"},
      {"departures",
       {"departures", "天津", "--at", "08:00"},
       board(murlo_departures, "天津", 480, 20),
       "S|1|K5|天津|23:30|北京|01:05|"},
      {"arrivals, all",
       {"arrivals", "北京", "--at", "01:06", "--limit", "0"},
       board(murlo_arrivals, "北京", 66, 0),
       "S|1|K5|天津|23:30|北京|01:05|"},
      {"plan",
       {"plan", "北京", "天津", "--at", "09:00", "--changes", "1", "--change-time", "5"},
       plan("北京", "天津", 540, 1, 5, 10),
       "J|08:00|09:30|1|0|01:30|1*S|0|T1/T2|北京|08:00|天津|09:30|"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("--raw");
    const CommandResult result = murlo(args);
    EXPECT_EQ(result.status, 0) << c.name << ": " << result.err;
    EXPECT_EQ(result.out, c.library + "\n") << c.name;
    EXPECT_EQ(c.library.rfind(c.starts, 0), 0u) << c.name << ": " << c.library;
  }
}

// ---- --json: the same fields for scripts ----

TEST_F(MurloQueryTest, JsonCarriesTheFields) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::pair<const char*, std::string>> values;  // path, value
  } cases[] = {
      {"stations",
       {"stations"},
       {{"abbreviation", "\"\""},
        {"count", "2"},
        {"stations", "[2]"},
        {"stations.0", "\"北京\""},
        {"stations.1", "\"天津\""}}},
      {"quotes in an argument",
       {"stations", "a\"b\\"},
       {{"abbreviation", "\"a\"b\\\""}, {"count", "0"}, {"stations", "[0]"}}},
      {"at, the library's order",
       {"at", "北京", "--order", "index"},
       {{"station", "\"北京\""},
        {"count", "2"},
        {"trains", "[2]"},
        {"trains.0.index", "0"},
        {"trains.0.marker", "\"S\""},
        {"trains.0.number", "\"T1/T2\""},
        {"trains.0.from", "\"北京\""},
        {"trains.0.departure", "\"08:00\""},
        {"trains.0.to", "\"天津\""},
        {"trains.0.arrival", "\"09:30\""},
        {"trains.0.first_station", "\"北京\""},
        {"trains.0.last_station", "\"天津\""},
        {"trains.0.class", "\"特快\""},
        {"trains.0.journey_time", "\"01:30\""},
        {"trains.0.fares", "{4}"},
        {"trains.1.index", "1"},
        {"trains.1.number", "\"K5\""},
        {"trains.1.fares.soft_seat", "null"},
        {"trains.1.fares.hard_sleeper", "null"},
        {"trains.1.fares.soft_sleeper", "null"}}},
      {"direct",
       {"direct", "北京", "天津", "--mode", "1"},
       {{"from", "\"北京\""},
        {"to", "\"天津\""},
        {"count", "1"},
        {"trains.0.marker", "\"H\""},
        {"trains.0.journey_time", "\"01:30\""},
        {"change_stations", "[0]"}}},
      {"number",
       {"number", "K5"},
       {{"number", "\"K5\""},
        {"count", "1"},
        {"trains.0.index", "1"},
        {"trains.0.arrival", "\"01:05\""}}},
      {"nothing found", {"number", "Z99"}, {{"count", "0"}, {"trains", "[0]"}}},
      {"stops",
       {"stops", "0", "北京", "天津"},
       {{"train", "0"},
        {"from", "\"北京\""},
        {"to", "\"天津\""},
        {"count", "2"},
        {"run_time", "\"01:30\""},
        {"stops", "[2]"},
        {"stops.0.on_journey", "true"},
        {"stops.0.station", "\"北京\""},
        {"stops.0.arrival", "null"},
        {"stops.0.departure", "\"08:00\""},
        {"stops.0.km", "0"},
        {"stops.1.arrival", "\"09:30\""},
        {"stops.1.departure", "null"},
        {"stops.1.km", "137"}}},
      {"stops, off the journey",
       {"stops", "0", "天津", "北京"},
       {{"stops.0.on_journey", "true"}, {"stops.1.on_journey", "false"}}},
      {"header", {"header"}, {{"header", "\"EXAMPLE-01\""}}},
      {"departures",
       {"departures", "天津", "--at", "08:00", "--limit", "5"},
       {{"station", "\"天津\""},
        {"at", "\"08:00\""},
        {"limit", "5"},
        {"count", "1"},
        {"trains.0.number", "\"K5\""},
        {"trains.0.departure", "\"23:30\""},
        {"trains.0.arrival_day", "1"}}},
      // K5 leaves the next day at 23:30: the days count from the one asked
      // about (02:00), its train's from the day it set out.
      {"plan",
       {"plan", "天津", "北京", "--at", "02:00"},
       {{"from", "\"天津\""},
        {"to", "\"北京\""},
        {"at", "\"02:00\""},
        {"max_changes", "3"},
        {"change_time", "10"},
        {"own_change_times", "0"},
        {"limit", "10"},
        {"count", "1"},
        {"journeys.0.departure", "\"23:30\""},
        {"journeys.0.arrival", "\"01:05\""},
        {"journeys.0.departure_day", "0"},
        {"journeys.0.arrival_day", "1"},
        {"journeys.0.duration", "\"01:35\""},
        {"journeys.0.changes", "0"},
        {"journeys.0.rides", "[1]"},
        {"journeys.0.rides.0.wait_minutes", "null"},
        {"journeys.0.rides.0.arrival_day", "1"},
        {"journeys.0.rides.0.train.index", "1"},
        {"journeys.0.rides.0.train.arrival_day", "1"}}},
      {"plan, the next day",
       {"plan", "北京", "天津", "--at", "09:00"},
       {{"journeys.0.departure_day", "1"},
        {"journeys.0.arrival_day", "1"},
        {"journeys.0.rides.0.departure_day", "1"},
        {"journeys.0.rides.0.train.departure_day", "0"}}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.push_back("--json");
    const CommandResult result = murlo(args);
    EXPECT_EQ(result.status, 0) << c.name << ": " << result.err;
    ASSERT_FALSE(result.out.empty()) << c.name;
    EXPECT_EQ(result.out.find('\n'), result.out.size() - 1) << c.name << ": one line";
    const auto json = JsonReader(result.out).document();
    ASSERT_TRUE(json) << c.name << ": not JSON: " << result.out;
    EXPECT_EQ(at(*json, "database"), "\"" + example_.path() + "\"") << c.name;
    for (const auto& [path, value] : c.values)
      EXPECT_EQ(at(*json, path), value) << c.name << ": " << path;
  }
  // Fares are whole yuan, as numbers.
  const auto json = JsonReader(murlo({"at", "北京", "--json", "--order", "index"}).out).document();
  ASSERT_TRUE(json);
  for (const char* fare : {"hard_seat", "soft_seat", "hard_sleeper", "soft_sleeper"}) {
    const std::string value = at(*json, std::string("trains.0.fares.") + fare);
    EXPECT_EQ(value.find_first_not_of("0123456789"), std::string::npos) << fare << ": " << value;
  }
}

// ---- Failures: one line on standard error, a documented status ----

TEST_F(MurloQueryTest, FailuresAreOneLineAndAStatus) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string message;  // standard error's first line, "murlo: " left out
    enum { kExample, kChangeNetwork, kArgsAsGiven } db = kExample;
  } cases[] = {
      {"unknown station", {"at", "北京站"}, 1, "unknown station \"北京站\"; did you mean 北京?"},
      {"pinyin for a name",
       {"at", "Tianjin"},
       1,
       "unknown station \"Tianjin\"; did you mean 天津?"},
      {"abbreviation of no station",
       {"at", "bjx"},
       1,
       "unknown station \"bjx\" (murlo stations ABBR lists station names)"},
      {"nothing close",
       {"at", "上海"},
       1,
       "unknown station \"上海\" (murlo stations ABBR lists station names)"},
      {"unknown origin",
       {"direct", "北京南", "天津"},
       1,
       "unknown origin station \"北京南\"; did you mean 北京?"},
      {"unknown destination",
       {"direct", "北京", "天京"},
       1,
       "unknown destination station \"天京\"; did you mean 天津, 北京?"},
      {"origin reported first",
       {"direct", "上海", "南京"},
       1,
       "unknown origin station \"上海\" (murlo stations ABBR lists station names)"},
      {"similar names",
       {"at", "南京站"},
       1,
       "unknown station \"南京站\"; did you mean 南京?",
       Case::kChangeNetwork},
      {"same station",
       {"direct", "北京", "北京"},
       1,
       "the origin and the destination are the same station (北京)"},
      {"same unknown name",
       {"direct", "上海", "上海"},
       1,
       "the origin and the destination are the same station (上海)"},
      {"unknown boarding station",
       {"stops", "0", "北京站", "天津"},
       1,
       "unknown boarding station \"北京站\"; did you mean 北京?"},
      {"unknown train index", {"stops", "7", "北京", "天津"}, 1, "no train has the index 7 in "},
      {"missing database",
       {"at", "北京", "--db", "/nonexistent/none.db"},
       1,
       "cannot open the database /nonexistent/none.db",
       Case::kArgsAsGiven},
      {"no train of that number",
       {"stops", "Z99", "北京", "天津"},
       1,
       "no train runs under the number Z99 in "},
      {"too few arguments", {"direct", "北京"}, 2, "direct takes 2 arguments, not 1"},
      {"too many arguments", {"at", "北京", "天津"}, 2, "at takes 1 argument, not 2"},
      {"unknown option", {"at", "北京", "--fast"}, 2, "unknown option --fast"},
      {"mode outside direct", {"at", "北京", "--mode", "1"}, 2, "unknown option --mode"},
      {"mode not 0 or 1",
       {"direct", "北京", "天津", "--mode", "2"},
       2,
       "--mode takes 0 or 1, not 2"},
      {"option without value",
       {"number", "K5", "--db"},
       2,
       "--db needs a value",
       Case::kArgsAsGiven},
      {"--db twice", {"number", "K5", "--db", "a.db"}, 2, "give --db once"},
      {"raw and json",
       {"at", "北京", "--raw", "--json"},
       2,
       "give at most one of --raw and --json"},
      {"file and --db", {"header", "other.db"}, 2, "give the database either as FILE or with --db"},
      {"invalid UTF-8", {"at", "\xB1\xB1\xBE\xA9"}, 2, "argument 1 is not valid UTF-8"},
  };
  for (const Case& c : cases) {
    const CommandResult result = c.db == Case::kExample         ? murlo(c.args)
                                 : c.db == Case::kChangeNetwork ? murloOnChangeNetwork(c.args)
                                                                : runMurlo(c.args);
    EXPECT_EQ(result.status, c.status) << c.name << ": " << result.err;
    EXPECT_EQ(result.err.rfind("murlo: " + c.message, 0), 0u) << c.name << ": " << result.err;
    const std::size_t lines =
        static_cast<std::size_t>(std::count(result.err.begin(), result.err.end(), '\n'));
    EXPECT_EQ(lines, c.status == 2 && c.message.find("UTF-8") == std::string::npos ? 2u : 1u)
        << c.name << ": " << result.err;
    EXPECT_EQ(result.out, "") << c.name;
  }
}

TEST_F(MurloQueryTest, UsageErrorsShowTheCommandsUsage) {
  const CommandResult result = murlo({"stops", "0", "北京"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err,
            "murlo: stops takes 1 or 3 arguments (TRAIN, or TRAIN FROM TO), not 2\n"
            "usage: murlo stops TRAIN [FROM TO]  (see murlo help stops)\n");
}

TEST_F(MurloQueryTest, ADatabaseWithoutStationsIsNamed) {
  test::TempFile empty("not a timetable");
  const CommandResult result = runMurlo({"at", "北京", "--db", empty.path()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "murlo: unknown station \"北京\": the database " + empty.path() + " has no stations\n");
}

TEST_F(MurloQueryTest, OptionsMayStandAnywhereAfterTheCommand) {
  const std::string expected = murlo({"direct", "北京", "天津", "--mode", "1", "--raw"}).out;
  ASSERT_EQ(expected.rfind("H|0|", 0), 0u) << expected;
  const std::string& db = example_.path();
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"direct", "--raw", "北京", "--mode=1", "天津", "--db", db},
           {"direct", "--db=" + db, "--mode", "1", "北京", "天津", "--raw"},
           {"direct", "--raw", "--db", db, "--mode", "1", "--", "北京", "天津"},
       }) {
    const CommandResult result = runMurlo(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, expected);
  }
  // After "--" everything is an operand.
  const CommandResult operands = runMurlo({"direct", "--db", db, "--", "北京", "天津", "--raw"});
  EXPECT_EQ(operands.status, 2);
  EXPECT_EQ(operands.err.rfind("murlo: direct takes 2 arguments, not 3\n", 0), 0u) << operands.err;
}

TEST_F(MurloQueryTest, HeaderTakesTheFileEitherWay) {
  EXPECT_EQ(runMurlo({"header", example_.path()}).out, "EXAMPLE-01\n");
  EXPECT_EQ(runMurlo({"header", "--db", example_.path()}).out, "EXAMPLE-01\n");
  EXPECT_EQ(runMurlo({"header", change_.path()}).out, "CHANGE\n");
}

// ---- Help, version and the bundled sample network ----

TEST_F(MurloQueryTest, HelpDescribesOptionsAndExitStatuses) {
  for (const char* command :
       {"stations", "at", "direct", "number", "stops", "departures", "arrivals", "plan"}) {
    const CommandResult result = runMurlo({command, "--help"});
    EXPECT_EQ(result.status, 0) << command;
    for (const char* text : {"usage: murlo ", "--db FILE", "--raw", "--json", "Exit status",
                             "  0  ", "  1  ", "  2  "}) {
      EXPECT_NE(result.out.find(text), std::string::npos) << command << ": " << text;
    }
  }
}

std::string defaultDatabaseOf(const std::string& versionText) {
  const std::string label = "default database: ";
  const std::size_t begin = versionText.find(label);
  if (begin == std::string::npos) return "";
  const std::size_t end = versionText.find('\n', begin);
  return versionText.substr(begin + label.size(), end - begin - label.size());
}

TEST_F(MurloQueryTest, VersionNamesTheLibraryAndTheDefaultDatabase) {
  const CommandResult result = runMurlo({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.rfind(std::string("murlo ") + murlo_version() + "\n", 0), 0u) << result.out;
  const std::string database = defaultDatabaseOf(result.out);
  EXPECT_TRUE(std::filesystem::path(database).is_absolute()) << result.out;
}

TEST_F(MurloQueryTest, WithoutDbTheSampleNetworkIsUsedFromAnyDirectory) {
  const std::string database = defaultDatabaseOf(runMurlo({"--version"}).out);
  if (!std::filesystem::exists(database)) GTEST_SKIP() << "no sample database at " << database;
  test::TempFile elsewhere("");
  const auto here = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.dir());
  const CommandResult result = runMurlo({"stations", "--json"});
  std::filesystem::current_path(here);
  EXPECT_EQ(result.status, 0) << result.err;
  const auto json = JsonReader(result.out).document();
  ASSERT_TRUE(json) << result.out;
  EXPECT_EQ(at(*json, "database"), "\"" + database + "\"");
  EXPECT_NE(at(*json, "count"), "0");
}

// ---- Dates ----

// A timetable with a calendar: W1 on weekdays, E2 at weekends, S3 on one
// date (a Thursday) alone. The period is wide, so that today lies in it.
constexpr std::string_view kCalendarSource =
    "period 2020-01-01 2029-12-31 zone Asia/Shanghai\n"
    "station Aton AT\n"
    "station Beeby BB\n"
    "train W1 class 1 columns F rate D\n"
    "  days mon-fri\n"
    "  Aton  -  08:00  0\n"
    "  Beeby  09:00  -  100\n"
    "end\n"
    "train E2 class 1 columns F rate D\n"
    "  days sat,sun\n"
    "  Aton  -  10:00  0\n"
    "  Beeby  11:00  -  100\n"
    "end\n"
    "train S3 class 1 columns F rate D\n"
    "  days none also 2026-10-01\n"
    "  Aton  -  12:00  0\n"
    "  Beeby  13:00  -  100\n"
    "end\n";

// The train numbers of a --json answer (a journey's by its rides), sorted.
std::vector<std::string> trainNumbersOf(const Json& answer) {
  std::vector<std::string> numbers;
  const auto add = [&](const Json& trains) {
    for (const Json& train : trains.items) numbers.push_back(train.members.at("number").text);
  };
  if (answer.members.count("trains") != 0) add(answer.members.at("trains"));
  if (answer.members.count("journeys") != 0) {
    for (const Json& journey : answer.members.at("journeys").items) {
      for (const Json& ride : journey.members.at("rides").items) {
        numbers.push_back(ride.members.at("train").members.at("number").text);
      }
    }
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

TEST_F(MurloQueryTest, QuestionsAreAskedForADateOfTheTimetablesPeriod) {
  test::TempFile source(kCalendarSource, "calendar.tt");
  const std::string calendar = source.dir() + "/calendar.db";
  const CommandResult built = runMurlo({"build", source.path(), calendar});
  ASSERT_EQ(built.status, 0) << built.err;
  const std::vector<std::string> board = {"departures", "Aton", "--at", "00:00", "--json"};
  const std::vector<std::string> direct = {"direct", "Aton", "Beeby", "--json"};
  const std::vector<std::string> plan = {"plan", "Aton", "Beeby", "--at", "00:00", "--json"};
  const auto with = [](std::vector<std::string> args, std::vector<std::string> more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  struct Case {
    std::vector<std::string> args;
    std::string database;
    int status;
    std::string date;                 // the answer's; "" none
    std::vector<std::string> trains;  // when status 0 and a date is given
    std::string said;                 // in standard error
  } cases[] = {
      {with(board, {"--date", "2026-09-23"}), calendar, 0, "2026-09-23", {"W1"}, ""},
      {with(board, {"--date", "20260926"}), calendar, 0, "2026-09-26", {"E2"}, ""},
      {with(direct, {"--date", "2026-10-01"}), calendar, 0, "2026-10-01", {"S3", "W1"}, ""},
      {with(direct, {"--date", "2026-10-04", "--at", "09:00"}),
       calendar,
       0,
       "2026-10-04",
       {"E2"},
       ""},
      {with(plan, {"--date", "2026-09-27"}), calendar, 0, "2026-09-27", {"E2"}, ""},
      {with(plan, {"--date", "2029-12-31"}), calendar, 0, "2029-12-31", {"W1"}, ""},
      {with({"arrivals", "Beeby", "--at", "00:00", "--json"}, {"--date", "2026-10-01"}),
       calendar,
       0,
       "2026-10-01",
       {"S3", "W1"},
       ""},
      {with(board, {"--date", "2030-01-05"}),
       calendar,
       2,
       "",
       {},
       "--date 2030-01-05 is outside the timetable's period 2020-01-01 to 2029-12-31"},
      {with(plan, {"--date", "2019-12-31"}),
       calendar,
       2,
       "",
       {},
       "is outside the timetable's period 2020-01-01 to 2029-12-31"},
      {with(direct, {"--date", "2026-02-30"}), calendar, 2, "", {}, "--date takes a date"},
      {with(direct, {"--date", "next week"}), calendar, 2, "", {}, "--date takes a date"},
      {{"direct", "Aton", "Beeby", "--raw", "--date", "2026-10-01"}, calendar, 2, "", {}, "--raw"},
      // A timetable without a calendar: every train every day, the date said.
      {{"direct", "北京", "天津", "--json", "--date", "2026-09-26"},
       example_.path(),
       0,
       "2026-09-26",
       {"T1/T2"},
       "every train every day"},
      {{"direct", "北京", "天津", "--json"}, example_.path(), 0, "", {"T1/T2"}, ""},
  };
  for (const Case& c : cases) {
    const std::string shown = ::testing::PrintToString(c.args);
    const CommandResult result = runMurlo(with(c.args, {"--db", c.database}));
    EXPECT_EQ(result.status, c.status) << shown << result.err;
    EXPECT_NE(result.err.find(c.said), std::string::npos) << shown << result.err;
    if (c.status != 0) continue;
    const auto json = JsonReader(result.out).document();
    ASSERT_TRUE(json) << shown << result.out;
    EXPECT_EQ(json->members.count("date") != 0 ? json->members.at("date").text : "", c.date)
        << shown;
    EXPECT_EQ(trainNumbersOf(*json), c.trains) << shown;
  }
  // Today and tomorrow are dates in the timetable's time zone, a day apart
  // (asked again when midnight passed between them).
  for (int attempt = 0; attempt < 2; ++attempt) {
    const auto today =
        JsonReader(runMurlo(with(board, {"--date", "today", "--db", calendar})).out).document();
    const auto unasked = JsonReader(runMurlo(with(board, {"--db", calendar})).out).document();
    const auto tomorrow =
        JsonReader(runMurlo(with(board, {"--date", "tomorrow", "--db", calendar})).out).document();
    ASSERT_TRUE(today && unasked && tomorrow);
    const std::string first = today->members.at("date").text;
    const std::string next = tomorrow->members.at("date").text;
    if (unasked->members.at("date").text != first && attempt == 0) continue;
    EXPECT_EQ(unasked->members.at("date").text, first);
    ASSERT_EQ(first.size(), 10u);
    EXPECT_LT(first, next);
    // The day after: the next day of the month, or the first of a month.
    EXPECT_TRUE(next.substr(8) == "01" ||
                std::stoi(next.substr(8)) == std::stoi(first.substr(8)) + 1)
        << first << " " << next;
    break;
  }
}

// A network in its own words: every caption, table and message names its
// stations as written where the sections' names differ, and --json adds
// them beside the sections' names (a database without words prints as it
// did: the tests above).
TEST_F(MurloQueryTest, StationsAreNamedAsWrittenEverywhere) {
  test::TempFile source(
      "station Aton AT\n"
      "named Aton \"Aton Süd\"\n"
      "station Beeby BB\n"
      "named Beeby \"Beeby Market Hall\"\n"
      "station Ceton CT\n"
      "named Ceton \"Ceton Öst\"\n"
      "train R10 class 1 columns F rate D\n"
      "  Aton   -      08:00  0\n"
      "  Beeby  09:00  -      100\n"
      "end\n"
      "train B20 class 1 columns F rate D\n"
      "  Beeby  -      09:30  0\n"
      "  Ceton  10:00  -      20\n"
      "end\n"
      "station Deton DT\n"
      "train C30 class 1 columns F rate D\n"
      "  Deton  -      10:10  0\n"
      "  Ceton  10:20  -      5\n"
      "end\n"
      "group complex Cetons 5 Ceton Deton\n",
      "words.tt");
  const std::string db = source.dir() + "/words.db";
  const CommandResult built = runMurlo({"build", source.path(), db});
  ASSERT_EQ(built.status, 0) << built.err;
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> shown;  // in standard output, or error when it fails
    bool fails = false;
  } cases[] = {
      {{"direct", "Aton", "Ceton"},
       {"No direct train from Aton Süd to Ceton Öst.\n", "\nBeeby Market Hall\n"}},
      {{"direct", "aton sud", "Beeby", "--at", "07:00"},
       {"From Aton Süd to Beeby Market Hall, in"}},
      {{"direct", "Aton", "Ceton", "--json"},
       {R"("from":"Aton","from_as_written":"Aton Süd","to":"Ceton","to_as_written":"Ceton Öst")",
        R"("change_stations":["Beeby"],"change_stations_as_written":["Beeby Market Hall"])"}},
      {{"stops", "R10", "Aton", "Beeby"},
       {">  Aton Süd ", "> marks the journey from Aton Süd to Beeby Market Hall."}},
      {{"stops", "B20", "Aton", "Ceton"}, {"train 1 does not call at Aton Süd."}},
      {{"stops", "R10", "--json"}, {R"("station":"Aton","station_as_written":"Aton Süd")"}},
      {{"plan", "Aton", "Ceton", "--at", "07:00"},
       {"Journeys from Aton Süd to Ceton Öst leaving from 07:00", "R10  Aton Süd ",
        "B20  Beeby Market Hall  09:30  Ceton Öst ", "change at Beeby Market Hall, wait"}},
      {{"plan", "Aton", "Ceton", "--json"},
       {R"("from":"Aton","from_as_written":"Aton Süd","to":"Ceton","to_as_written":"Ceton Öst")"}},
      {{"departures", "Aton", "--at", "07:00"}, {"Leaving Aton Süd from 07:00:"}},
      {{"departures", "Ceton", "--at", "07:00"}, {"No train leaves Ceton Öst."}},
      {{"departures", "Aton", "--json"}, {R"("station":"Aton","station_as_written":"Aton Süd")"}},
      {{"at", "Ceton", "--json"}, {R"("station":"Ceton","station_as_written":"Ceton Öst")"}},
      {{"stations"}, {"Aton Süd ", "Beeby Market Hall "}},
      {{"direct", "aton sud", "Aton"}, {"the same station (Aton Süd)"}, true},
      {{"departures", "Cetons"}, {"Cetons is a group of 2 stations: Ceton Öst, Deton;"}, true},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--db", db});
    const CommandResult run = runMurlo(args);
    const std::string shown = ::testing::PrintToString(c.args);
    EXPECT_EQ(run.status != 0, c.fails) << shown << run.err;
    const std::string& text = c.fails ? run.err : run.out;
    for (const std::string& part : c.shown)
      EXPECT_NE(text.find(part), std::string::npos) << shown << "\n" << text;
  }
}

}  // namespace
}  // namespace murlo
