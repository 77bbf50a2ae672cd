// The murlo tool's file commands, run as a user runs them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/test_support.h"

namespace murlo {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::runMurlo;

std::string exampleDir() { return MURLO_TEST_DATA_DIR "/worked_example"; }

TEST(MurloPackTest, PackThenUnpackGivesTheDirectoryBack) {
  test::TempFile scratch("");
  const std::string db = scratch.dir() + "/example.db";
  const std::string out = scratch.dir() + "/unpacked";
  ASSERT_EQ(runMurlo({"pack", exampleDir(), db}).status, 0);
  EXPECT_EQ(readFile(db), test::packOrFail(test::workedExampleSections()));

  const auto unpacked = runMurlo({"unpack", db, out});
  ASSERT_EQ(unpacked.status, 0) << unpacked.err;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(exampleDir())) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(readFile(out + "/" + name), readFile(entry.path().string())) << name;
    ++files;
  }
  EXPECT_EQ(files, 8);

  const auto header = runMurlo({"header", db});
  EXPECT_EQ(header.status, 0) << header.err;
  EXPECT_EQ(header.out, "EXAMPLE-01\n");
}

TEST(MurloPackTest, ErrorsAreOneLineAndAStatus) {
  test::TempFile scratch("");
  fs::copy(exampleDir(), scratch.dir() + "/bad");
  {
    std::ofstream section(scratch.dir() + "/bad/section7.txt", std::ios::binary);
    section << "0000%";
  }
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* message;  // part of the one line on standard error
  } cases[] = {
      {"unstorable byte",
       {"pack", scratch.dir() + "/bad", scratch.dir() + "/x.db"},
       1,
       "section 7, byte 4"},
      {"missing directory",
       {"pack", scratch.dir() + "/none", scratch.dir() + "/x.db"},
       1,
       "cannot open"},
      {"missing database", {"header", scratch.dir() + "/none.db"}, 1, "cannot open"},
      {"not a database",
       {"unpack", scratch.path(), scratch.dir() + "/out"},
       1,
       "not a complete database"},
      {"wrong arguments", {"pack", "only-one"}, 2, "usage: murlo pack DIR OUT"},
      {"unknown command", {"frobnicate"}, 2, "unknown command"},
  };
  for (const Case& c : cases) {
    const auto result = runMurlo(c.args);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << c.name << ": " << result.err;
    EXPECT_EQ(result.out, "") << c.name;
  }
  EXPECT_FALSE(fs::exists(scratch.dir() + "/x.db"));
}

TEST(MurloPackTest, HelpAndVersion) {
  const auto help = runMurlo({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("pack DIR OUT"), std::string::npos);
  const auto commandHelp = runMurlo({"unpack", "--help"});
  EXPECT_EQ(commandHelp.status, 0);
  EXPECT_NE(commandHelp.out.find("usage: murlo unpack FILE DIR"), std::string::npos);
  EXPECT_EQ(runMurlo({"--version"}).out.rfind("murlo 1.", 0), 0u);
}

}  // namespace
}  // namespace murlo
