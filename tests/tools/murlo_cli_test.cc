// The murlo command line as people type it: one table of command lines with
// their exit status and output, and the rules that keep a slip from losing
// a file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace murlo {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::runMurlo;

// A network whose names are typed loosely: Latin names with "_", one cut to
// fit the file, and two trains under one number.
constexpr const char* kLooseNames =
    "station Central_Stn CS\n"
    "station Harbo_Centr HC\n"
    "station Hillside HS\n"
    "station 北京 BJ\n"
    "station 南京 NJ\n"
    "train K7 class 1 columns F rate D\n"
    "  Central_Stn  -     08:00  0\n"
    "  Harbo_Centr  08:30 08:32  20\n"
    "  Hillside     09:00 -      35\n"
    "end\n"
    "train K7 class 空调快速 columns hard-seat rate 1.5\n"
    "  Hillside     -     23:10  0\n"
    "  Central_Stn  00:20 -      35\n"
    "end\n"
    "train D9 class 0 columns 8 rate D\n"
    "  北京  -  07:00  0\n"
    "  南京  11:00  -  900\n"
    "end\n";

class MurloCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(runMurlo({"pack", MURLO_TEST_DATA_DIR "/worked_example", example_}).status, 0);
    const auto built = runMurlo({"build", "-", loose_}, {}, kLooseNames);
    ASSERT_EQ(built.status, 0) << built.err;
    // A database whose texts would act on a terminal printed raw: a title
    // set by ESC ] ... BEL, a screen cleared by ESC [ 2 J.
    PlainSections plain = test::workedExampleSections();
    plain.header = "A\x1b]0;x\x07\\";
    plain.sections[4] = "X\x1b[2J BJ Y TJ\x07";
    std::ofstream(control_, std::ios::binary) << test::packOrFail(plain);
  }

  test::TempFile scratch_{""};
  const std::string example_ = scratch_.dir() + "/example.db";
  const std::string loose_ = scratch_.dir() + "/loose.db";
  const std::string control_ = scratch_.dir() + "/control.db";
};

TEST_F(MurloCliTest, CommandLines) {
  struct Case {
    std::vector<std::string> args;  // "EX", "LOOSE" and "CTRL" stand for the databases
    int status;
    std::string out;  // standard output; a "~" at the end: its beginning only
    std::string err;  // part of standard error ("" for none at all)
    std::vector<std::string> env = {};
  } cases[] = {
      // Usage, help and "did you mean".
      {{}, 2, "", "usage: murlo COMMAND"},
      {{"help", "direct"}, 0, "usage: murlo direct FROM TO [OPTIONS]\n~", ""},
      {{"direct", "--help"}, 0, "usage: murlo direct FROM TO [OPTIONS]\n~", ""},
      {{"stauions"}, 2, "", "unknown command 'stauions'; did you mean stations?"},
      {{"at", "北京", "--jsn"}, 2, "", "unknown option --jsn; did you mean --json?"},
      {{"--json", "build", "a.tt", "b.db"}, 2, "", "build takes no option --json"},
      {{"at", "北京", "--db", "EX", "--order", "sideways"}, 2, "", "--order takes time or index"},
      {{"at", "北京", "--db", "EX", "--columns", "train,speed"}, 2, "", "unknown column 'speed'"},
      // Global options before the command; MURLO_DB.
      {{"--db", "EX", "--raw", "number", "K5"}, 0, "S|1|K5|天津|23:30|北京|01:05|~", ""},
      {{"header"}, 0, "EXAMPLE-01\n", "", {"MURLO_DB=EX"}},
      {{"header", "--db", "LOOSE"}, 0, "\n", "", {"MURLO_DB=EX"}},
      // Stations as people type them.
      {{"stations", "bj", "--db", "EX"},
       0,
       "Station  Abbreviation\n-------  ------------\n北京     BJ\n",
       "also looked for BJ"},
      {{"stations", "--name", "harbo", "--db", "LOOSE"},
       0,
       "Station      Abbreviation\n-----------  ------------\nHarbo_Centr  HC\n",
       ""},
      {{"stations", "--json", "--db", "EX"},
       0,
       "{\"database\":\"EX\",\"abbreviation\":\"\",\"count\":2,\"stations\":[\"北京\",\"天津\"],"
       "\"abbreviations\":[\"BJ\",\"TJ\"],\"pinyin\":[\"Beijing\",\"Tianjin\"]}\n",
       ""},
      {{"direct", "central stn", "HILLSIDE", "--db", "LOOSE", "--columns", "train,departs,arrives"},
       0,
       "Train  Departs  Arrives\n-----  -------  -------\nK7     08:00    09:00\n",
       "taking Central_Stn for \"central stn\""},
      {{"at", "harbour", "--db", "LOOSE", "--columns", "train,arrives,departs,runs-to"},
       0,
       "Train  Arrives  Departs  Runs to\n-----  -------  -------  --------------\n"
       "K7     08:30    08:32    Hillside 09:00\n",
       "taking Harbo_Centr for \"harbour\""},
      {{"at", "京", "--db", "LOOSE"}, 1, "", "\"京\" matches 2 stations: 北京, 南京"},
      // Departure order, +1 past midnight, narrow terminals, no fares.
      {{"at", "Central_Stn", "--db", "LOOSE", "--columns", "index,train,arrives,departs"},
       0,
       "Index  Train  Arrives  Departs\n-----  -----  -------  -------\n"
       "    1  K7     00:20+1  -\n    0  K7     -        08:00\n",
       ""},
      {{"at", "Central_Stn", "--db", "LOOSE", "--order", "index", "--columns", "index"},
       0,
       "Index\n-----\n    0\n    1\n",
       ""},
      {{"number", "K7", "--db", "LOOSE"},
       0,
       "Index  Train  From         Departs  To           Arrives\n"
       "-----  -----  -----------  -------  -----------  -------\n"
       "    0  K7     Central_Stn  08:00    Hillside     09:00\n"
       "    1  K7     Hillside     23:10    Central_Stn  00:20+1\n",
       "",
       {"COLUMNS=60"}},
      {{"direct", "北京", "南京", "--db", "LOOSE", "--no-fares"},
       0,
       "Index  Train  From  Departs  To    Arrives  Runs from  Runs to  Class   Duration\n~",
       ""},
      // stops by number; a number of several trains.
      {{"stops", "K5", "--db", "EX"},
       0,
       "Station  Arrives  Departs   km\n-------  -------  -------  ---\n"
       "天津     -        23:30      0\n北京     01:05+1  -        137\n\n"
       "Run time of the whole train: 01:35\n",
       ""},
      {{"stops", "K7", "--db", "LOOSE"}, 1, "", "2 trains run under the number K7; give the index"},
      {{"stops", "0", "北京", "--db", "EX"}, 2, "", "stops takes 1 or 3 arguments"},
      // Boards and journeys: a change and its wait, times of the next day.
      {{"departures", "central stn", "--db", "LOOSE", "--at", "07:00", "--columns",
        "train,departs,to,arrives"},
       0,
       "Leaving Central_Stn from 07:00:\n"
       "Train  Departs  To        Arrives\n-----  -------  --------  -------\n"
       "K7     08:00    Hillside  09:00\n",
       "taking Central_Stn for \"central stn\""},
      // A board counts its days from the day asked: the train that set out
      // the day before arrives unmarked, and left on the day before.
      {{"arrivals", "Central_Stn", "--db", "LOOSE", "--at", "0015", "--columns",
        "train,arrives,from,departs"},
       0,
       "Arriving at Central_Stn from 00:15:\n"
       "Train  Arrives  From      Departs\n-----  -------  --------  -------\n"
       "K7     00:20    Hillside  23:10-1\n\n"
       "+1 marks a time on the day after the one asked about, +2 two days after, -1 the day "
       "before.\n",
       ""},
      // Abbreviations, numbers and spaces as people type them; options
      // before the command.
      {{"at", " hs ", "--db", "LOOSE", "--columns", "train,arrives"},
       0,
       "Train  Arrives\n-----  -------\nK7     09:00\nK7     -\n",
       "taking Hillside for \"hs\" (its abbreviation)"},
      {{"number", "d9", "--db", "LOOSE", "--columns", "train"},
       0,
       "Train\n-----\nD9\n",
       "taking D9 for \"d9\""},
      {{"number", " ", "--db", "LOOSE"}, 2, "", "give a train number"},
      {{"--limit", "1", "--at", "8:00", "departures", "Central_Stn", "--db", "LOOSE", "--columns",
        "train"},
       0,
       "Leaving Central_Stn from 08:00:\nTrain\n-----\nK7\n",
       ""},
      // A train asked about against its direction.
      {{"stops", "D9", "南京", "北京", "--db", "LOOSE"},
       0,
       "Station  Arrives  Departs   km\n-------  -------  -------  ---\n"
       "北京     -        07:00      0\n南京     11:00    -        900\n\n"
       "Run time of the whole train: 04:00\n"
       "No stop is marked: train 2 does not run from 南京 to 北京: it calls at 北京 before "
       "南京.\n",
       ""},
      {{"plan", "harbour", "Central_Stn", "--db", "LOOSE", "--at", "08:00"},
       0,
       "Journeys from Harbo_Centr to Central_Stn leaving from 08:00, at most 3 changes of 10 "
       "minutes or more:\n\n"
       "08:32 -> 00:20+1  15:48  1 change\n"
       "  K7  Harbo_Centr  08:32  Hillside     09:00\n"
       "      change at Hillside, wait 14 h 10 min\n"
       "  K7  Hillside     23:10  Central_Stn  00:20+1\n\n"
       "+1 marks a time on the day after the one asked about, +2 two days after.\n",
       "taking Harbo_Centr for \"harbour\""},
      {{"plan", "Harbo_Centr", "Central_Stn", "--db", "LOOSE", "--at", "08:00", "--changes", "0"},
       0,
       "No journey from Harbo_Centr to Central_Stn leaves within a day from 08:00 with no "
       "change.\n",
       ""},
      // Numbers the library would refuse (MURLO_INVALID_ARGUMENT) are a usage error.
      {{"plan", "北京", "天津", "--db", "EX", "--changes", "8"},
       2,
       "",
       "--changes takes a whole number from 0 to 7, not 8"},
      {{"plan", "北京", "天津", "--db", "EX", "--change-time", "1440"}, 2, "", "from 0 to 1439"},
      {{"arrivals", "北京", "--db", "EX", "--limit", "-1"}, 2, "", "--limit takes a whole number"},
      {{"departures", "北京", "--db", "EX", "--at", "24:00"},
       2,
       "",
       "--at takes a time of day, HH:MM or HHMM from 00:00 to 23:59, not 24:00"},
      {{"departures", "北京", "--db", "EX", "--at", "495"}, 2, "", "not 495"},  // 04:95
      {{"departures", "北京", "--db", "EX", "--at", "15"}, 2, "", "not 15"},    // no bare minutes
      {{"plan", "北京", "北京站", "--db", "EX"}, 1, "", "unknown destination station \"北京站\""},
      // Control characters of the database show escaped, except in --raw and --json.
      {{"header", "--db", "CTRL"}, 0, "A\\x1b]0;x\\x07\\\\\n", ""},
      {{"header", "--db", "CTRL", "--raw"}, 0, "A\x1b]0;x\x07\\\n", ""},
      {{"stations", "--db", "CTRL"},
       0,
       "Station   Abbreviation\n--------  ------------\nX\\x1b[2J  BJ\nY         TJ\\x07\n",
       ""},
      {{"stations", "--db", "CTRL", "--json"},
       0,
       "{\"database\":\"CTRL\",\"abbreviation\":\"\",\"count\":2,\"stations\":[\"X\\u001b[2J\","
       "\"Y\"],\"abbreviations\":[\"BJ\",\"TJ\\u0007\"],\"pinyin\":[null,null]}\n",
       ""},
      {{"stops", "K5", "--db", "CTRL"},
       0,
       "Station   Arrives  Departs   km\n--------  -------  -------  ---\n"
       "Y         -        23:30      0\nX\\x1b[2J  01:05+1  -        137\n~",
       ""},
      {{"at", "X", "--db", "CTRL", "--columns", "train"},
       0,
       "Train\n-----\nK5\nT1/T2\n",
       "taking X\\x1b[2J for \"X\""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    std::vector<std::string> env = c.env;
    const auto substitute = [&](std::string& text) {
      if (text == "EX") text = example_;
      if (text == "LOOSE") text = loose_;
      if (text == "CTRL") text = control_;
      if (text == "MURLO_DB=EX") text = "MURLO_DB=" + example_;
    };
    for (std::string& arg : args) substitute(arg);
    for (std::string& setting : env) substitute(setting);
    std::string out = c.out;
    for (std::size_t at; (at = out.find("\"EX\"")) != std::string::npos;) {
      out.replace(at, 4, "\"" + example_ + "\"");
    }
    for (std::size_t at; (at = out.find("\"CTRL\"")) != std::string::npos;) {
      out.replace(at, 6, "\"" + control_ + "\"");
    }
    std::string line = "murlo";
    for (const std::string& arg : c.args) line += " " + arg;
    const auto result = runMurlo(args, env);
    EXPECT_EQ(result.status, c.status) << line << "\n" << result.err;
    if (!out.empty() && out.back() == '~') {
      EXPECT_EQ(result.out.substr(0, out.size() - 1), out.substr(0, out.size() - 1)) << line;
    } else {
      EXPECT_EQ(result.out, out) << line;
    }
    if (c.err.empty()) {
      EXPECT_EQ(result.err, "") << line;
    } else {
      EXPECT_NE(result.err.find(c.err), std::string::npos) << line << "\n" << result.err;
    }
  }
}

TEST_F(MurloCliTest, HelpListsOnlyTheCommandsOwnOptions) {
  const auto stations = runMurlo({"help", "stations"});
  EXPECT_NE(stations.out.find("--name PART"), std::string::npos) << stations.out;
  EXPECT_EQ(stations.out.find("--mode"), std::string::npos) << stations.out;
  EXPECT_NE(stations.out.find("Example:\n  murlo stations"), std::string::npos);
  const auto build = runMurlo({"build", "--help"});
  EXPECT_NE(build.out.find("--force"), std::string::npos);
  EXPECT_EQ(build.out.find("--db"), std::string::npos) << build.out;
}

// ---- Nothing lost by a slip ----

class MurloFileSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeText(source_, kLooseNames);
    ASSERT_EQ(runMurlo({"build", source_, database_}).status, 0);
  }
  static void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  // The files of the folder, so that a temporary file left behind shows.
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scratch_.dir())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempFile scratch_{""};
  const std::string source_ = scratch_.dir() + "/s.tt";
  const std::string database_ = scratch_.dir() + "/s.db";
};

TEST_F(MurloFileSafetyTest, AnOutputNeverReplacesAnInputOrAFileOfAnotherKind) {
  const std::string notes = scratch_.dir() + "/notes.txt";
  const std::string link = scratch_.dir() + "/link.db";
  writeText(notes, "my notes\n");
  fs::create_hard_link(source_, link);
  // Nothing but a regular file is replaced, even with --force, and no file
  // is written through a symbolic link, even one inside unpack's folder. A
  // FIFO is refused at once, as an output and as an input, not waited on.
  const std::string fifo = scratch_.dir() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string symbolic = scratch_.dir() + "/symbolic.db";
  fs::create_symlink(notes, symbolic);
  const std::string planted = scratch_.dir() + "/planted";
  fs::create_directory(planted);
  fs::create_symlink(notes, planted + "/section3.txt");
  const std::string fifoInside = scratch_.dir() + "/fifo-inside";
  fs::create_directory(fifoInside);
  ASSERT_EQ(::mkfifo((fifoInside + "/header.bin").c_str(), 0600), 0);
  // A source written by hand keeps its comments and names: dump replaces
  // only a source murlo wrote.
  const std::string handWritten = scratch_.dir() + "/hand.tt";
  writeText(handWritten, "# my network\n" + std::string(kLooseNames));
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"build", source_, source_}, "is the input"},
      {{"build", source_, link}, "is the input"},  // the same file by another name
      {{"dump", source_, database_}, "is not a timetable source (it is a database file)"},
      {{"dump", database_, source_ + "x", "--force"}, ""},  // a new file: written
      {{"build", source_, notes}, "is not a database file"},
      {{"dump", database_, notes}, "is not a timetable source"},
      {{"dump", notes, scratch_.dir() + "/n.tt"}, "holds no station and no train"},
      {{"build", scratch_.dir(), scratch_.dir() + "/x.db"}, "is a directory"},
      {{"build", source_, scratch_.dir()}, "is a directory"},
      {{"build", database_, scratch_.dir() + "/x.db"},
       "is a database file, not a timetable source"},
      {{"import-gtfs", MURLO_TEST_DATA_DIR "/gtfs/feed", database_, "--date", "20260408",
        "--source", database_},
       "is named for two outputs"},
      {{"dump", database_, handWritten}, "a timetable source that murlo did not write"},
      {{"dump", database_, source_ + "x"}, ""},  // its own dump: replaced
      {{"dump", database_, fifo, "--force"}, "is a FIFO, not a regular file"},
      {{"build", fifo, scratch_.dir() + "/x.db"}, "is a FIFO, not a regular file"},
      {{"header", fifo}, "cannot open the database"},  // the library's loader
      {{"build", source_, symbolic, "--force"}, "is a symbolic link"},
      {{"unpack", database_, planted}, "section3.txt is a symbolic link"},
      {{"unpack", database_, fifoInside}, "header.bin is a FIFO"},
      // Without --force: were the check ever lost, a test run as root must not
      // replace /dev/null (--force is tried on the FIFO above).
      {{"dump", database_, "/dev/null"}, "is a character device"},
  };
  const std::string sourceBefore = readFile(source_);
  const std::string databaseBefore = readFile(database_);
  for (const Case& c : cases) {
    const auto result = runMurlo(c.args);
    if (c.message.empty()) {
      EXPECT_EQ(result.status, 0) << c.args[0] << ": " << result.err;
      continue;
    }
    EXPECT_EQ(result.status, 1) << c.args[0] << " " << c.args[1] << ": " << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_LT(result.err.size(), 400u) << "a short message: " << result.err;
  }
  EXPECT_EQ(readFile(source_), sourceBefore);
  EXPECT_EQ(readFile(database_), databaseBefore);
  EXPECT_EQ(readFile(notes), "my notes\n");
  EXPECT_EQ(readFile(handWritten), "# my network\n" + std::string(kLooseNames));
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_symlink(symbolic));
  EXPECT_FALSE(fs::exists(planted + "/header.bin"));
  EXPECT_FALSE(fs::exists(scratch_.dir() + "/x.db"));
  EXPECT_FALSE(fs::exists(scratch_.dir() + "/n.tt"));
  // --force replaces a file of another kind, never an input.
  EXPECT_EQ(runMurlo({"build", source_, notes, "--force"}).status, 0);
  EXPECT_EQ(readFile(notes), databaseBefore);
  EXPECT_EQ(runMurlo({"build", source_, link, "--force"}).status, 1);
  EXPECT_EQ(runMurlo({"dump", database_, handWritten, "--force"}).status, 0);
}

TEST_F(MurloFileSafetyTest, AFailureLeavesTheOldFileWholeAndNoTemporaryFile) {
  const std::vector<std::string> before = files();
  const std::string databaseBefore = readFile(database_);
  const std::string broken = scratch_.dir() + "/broken.tt";
  writeText(broken, "station 甲 J\ntrain K1 class 1 columns F rate D\n 甲 - 25:00 0\nend\n");
  EXPECT_EQ(runMurlo({"build", broken, database_}).status, 1);
  // A folder that cannot be written: the temporary file cannot be made.
  const std::string locked = scratch_.dir() + "/locked";
  fs::create_directory(locked);
  writeText(locked + "/old.db", databaseBefore);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  const auto refused = runMurlo({"build", source_, locked + "/old.db"});
  fs::permissions(locked, fs::perms::owner_all);
  if (::geteuid() != 0) {  // root writes anywhere
    EXPECT_EQ(refused.status, 1) << refused.err;
  }
  EXPECT_EQ(readFile(locked + "/old.db"), databaseBefore);
  EXPECT_EQ(readFile(database_), databaseBefore);
  std::vector<std::string> after = files();
  after.erase(std::remove(after.begin(), after.end(), "broken.tt"), after.end());
  after.erase(std::remove(after.begin(), after.end(), "locked"), after.end());
  EXPECT_EQ(after, before);
  // A complete write replaces the file and leaves nothing else.
  const auto rebuilt = runMurlo({"build", source_, database_});
  EXPECT_EQ(rebuilt.status, 0) << rebuilt.err;
  EXPECT_EQ(rebuilt.out, "Built " + database_ + ": 5 stations, 3 trains from " + source_ + "\n");
  EXPECT_EQ(readFile(database_), databaseBefore);
}

TEST_F(MurloFileSafetyTest, ADashIsStandardInputAndOutput) {
  const auto dumped = runMurlo({"dump", database_, "-"});
  EXPECT_EQ(dumped.status, 0) << dumped.err;
  EXPECT_EQ(dumped.out.rfind("# Timetable source written by murlo dump.\n", 0), 0u);
  EXPECT_NE(dumped.err.find("Wrote the source: 5 stations, 3 trains"), std::string::npos);
  const auto rebuilt = runMurlo({"build", "-", "-"}, {}, dumped.out);
  EXPECT_EQ(rebuilt.status, 0) << rebuilt.err;
  EXPECT_EQ(rebuilt.out, readFile(database_));
}

}  // namespace
}  // namespace murlo
