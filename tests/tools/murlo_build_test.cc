// murlo build and murlo dump, run as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

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
