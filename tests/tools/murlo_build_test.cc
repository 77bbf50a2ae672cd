// murlo build and murlo dump, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace murlo {
namespace {

using test::readFile;
using test::runMurlo;

TEST(MurloBuildTest, SampleNetworkRoundTripsByteForByte) {
  const std::string sample = MURLO_SAMPLE_DB;
  ASSERT_TRUE(std::filesystem::exists(sample)) << sample;
  test::TempFile scratch("");
  const std::string source = scratch.dir() + "/sample.tt";
  const std::string rebuilt = scratch.dir() + "/rebuilt.db";
  const auto dump = runMurlo({"dump", sample, source});
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(dump.err, "");  // no warnings for a file build wrote
  const auto build = runMurlo({"build", source, rebuilt});
  ASSERT_EQ(build.status, 0) << build.err;
  EXPECT_EQ(readFile(rebuilt), readFile(sample));
}

TEST(MurloBuildTest, AMistakeIsRefusedWithItsLineAndNothingIsWritten) {
  test::TempFile source(
      "station 甲 J\nstation 乙 Y\n"
      "train K1 class 1 columns F rate D\n"
      "  甲   -    08:00  0\n"
      "  乙  25:00   -   10\n"
      "end\n",
      "bad.tt");
  const std::string out = source.dir() + "/bad.db";
  const auto result = runMurlo({"build", source.path(), out});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find(source.path() + ":5: error: the arrival 25:00"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("nothing written"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out));
}

// Every error of a file in one run, up to 20 and a count of the rest;
// warnings on standard error, and the database written all the same.
TEST(MurloBuildTest, ErrorsAllAtOnceAndWarningsBuild) {
  std::string manyErrors = "station 甲 J\nstation 乙 Y\n";
  for (int i = 0; i < 25; ++i) manyErrors += "stasion 丙 B\n";
  const std::string train =
      "train K1 class 1 columns F rate D\n 甲 - 08:00 0\n 乙 09:00 - 10\nend\n";
  struct Case {
    const char* name;
    std::string source;
    int status;
    std::vector<std::string> err;  // parts of standard error
    const char* out;               // part of standard output
  } cases[] = {
      {"one line, three errors",
       "station 甲 J\nstation 乙 Y\ntrain K1 class 1 columns F rate D\n 甲 - 08:00 0\n"
       " 丙 25:00 - 1O\nend\n",
       1,
       {"s.tt:5: error: the station 丙 is not declared\n",
        "s.tt:5: error: the arrival 25:00 is not a time", "s.tt:5: error: the distance 1O",
        "murlo: 3 errors; nothing written"},
       ""},
      {"more than 20 errors",
       manyErrors,
       1,
       {"s.tt:22: error: unknown keyword 'stasion'", "s.tt: ... and 5 more errors\n",
        "murlo: 25 errors; nothing written"},
       ""},
      {"a train given twice and a station never called at",
       "station 甲 J\nstation 丙 B\nstation 乙 Y\n" + train + train,
       0,
       {"s.tt:2: warning: no train calls at 丙, so the database leaves it out\n",
        "s.tt:8: warning: the train K1 repeats the one on line 4"},
       ": 2 stations, 2 trains from "},
  };
  for (const Case& c : cases) {
    test::TempFile source(c.source, "s.tt");
    const std::string out = source.dir() + "/s.db";
    const auto result = runMurlo({"build", source.path(), out});
    EXPECT_EQ(result.status, c.status) << c.name << "\n" << result.err;
    for (const std::string& part : c.err) {
      EXPECT_NE(result.err.find(part), std::string::npos) << c.name << ": " << part << " in\n"
                                                          << result.err;
    }
    EXPECT_NE(result.out.find(c.out), std::string::npos) << c.name << ": " << result.out;
    EXPECT_EQ(std::filesystem::exists(out), c.status == 0) << c.name;
  }
}

TEST(MurloBuildTest, DumpOfABrokenFileWarns) {
  PlainSections plain = test::workedExampleSections();
  plain.sections[6] = "00000000080000000009093000000137O0001000023300000000001050000013";
  test::TempFile db(test::packOrFail(plain));
  const auto result = runMurlo({"dump", db.path(), db.dir() + "/out.tt"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.err.find("warning: train T1/T2, stop 2: station index 9"), std::string::npos)
      << result.err;
  EXPECT_NE(readFile(db.dir() + "/out.tt").find("# warning:"), std::string::npos);
}

}  // namespace
}  // namespace murlo
