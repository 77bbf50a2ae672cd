// The murlo tool's file commands, run as a user runs them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "db/file_format.h"
#include "db/writer.h"
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

  // The sample's extension goes to extension.bin and back after the
  // sections; pack replaces the file it wrote, extension and all. Unpacking
  // a file without one leaves no extension.bin for the next pack.
  const std::string sampleDir = scratch.dir() + "/sample";
  const std::string sample = scratch.dir() + "/sample.db";
  ASSERT_EQ(runMurlo({"unpack", MURLO_SAMPLE_DB, sampleDir}).status, 0);
  EXPECT_TRUE(fs::exists(sampleDir + "/extension.bin"));
  for (int time = 0; time < 2; ++time) {
    const auto packed = runMurlo({"pack", sampleDir, sample});
    ASSERT_EQ(packed.status, 0) << packed.err;
  }
  EXPECT_EQ(readFile(sample), readFile(MURLO_SAMPLE_DB));
  ASSERT_EQ(runMurlo({"unpack", db, sampleDir}).status, 0);
  EXPECT_FALSE(fs::exists(sampleDir + "/extension.bin"));
}

TEST(MurloPackTest, ErrorsAreOneLineAndAStatus) {
  test::TempFile scratch("");
  fs::copy(exampleDir(), scratch.dir() + "/bad");
  {
    std::ofstream section(scratch.dir() + "/bad/section7.txt", std::ios::binary);
    section << "0000%";
  }
  // The sample with its extension's last byte changed, and that extension
  // beside the sample's sections.
  std::string damaged = readFile(MURLO_SAMPLE_DB);
  damaged.back() = static_cast<char>(damaged.back() ^ 1);
  std::ofstream(scratch.dir() + "/damaged.db", std::ios::binary) << damaged;
  ASSERT_EQ(runMurlo({"unpack", MURLO_SAMPLE_DB, scratch.dir() + "/extended"}).status, 0);
  {
    std::string extension = readFile(scratch.dir() + "/extended/extension.bin");
    extension.back() = static_cast<char>(extension.back() ^ 1);
    std::ofstream(scratch.dir() + "/extended/extension.bin", std::ios::binary) << extension;
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
      {"damaged extension unpacked",
       {"unpack", scratch.dir() + "/damaged.db", scratch.dir() + "/out"},
       1,
       "damaged.db: damaged extension: checksum mismatch; nothing written"},
      {"damaged extension dumped",
       {"dump", scratch.dir() + "/damaged.db", scratch.dir() + "/out.tt"},
       1,
       "damaged extension: checksum mismatch"},
      {"damaged extension packed",
       {"pack", scratch.dir() + "/extended", scratch.dir() + "/x.db"},
       1,
       "extension.bin: damaged extension: checksum mismatch"},
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
  EXPECT_FALSE(fs::exists(scratch.dir() + "/out.tt"));
  EXPECT_FALSE(fs::exists(scratch.dir() + "/out"));
}

// Pack replaces a database it wrote itself, whatever its texts (codes of any
// storable byte, as many or as few as there are trains), and still refuses a
// file that only looks like one.
TEST(MurloPackTest, PackReplacesEveryDatabaseItWrote) {
  test::TempFile scratch("");
  std::vector<PlainSections> written;
  PlainSections odd = test::workedExampleSections();
  odd.sections[0] = "1 ";          // a space for a code
  odd.sections[1] = "f";           // fewer codes than trains
  odd.sections[2] = "\xC3\xA9zz";  // more, and not ASCII
  odd.sections[3] = "k1/t2OK5";    // train numbers in small letters
  written.push_back(odd);
  PlainSections empty;  // no header, seven empty sections
  written.push_back(empty);
  std::mt19937 random(22);
  for (int n = 0; n < 6; ++n) {  // any storable bytes at all
    PlainSections plain;
    plain.header = std::string(random() % 11, 'H');
    for (int s = 1; s <= kSectionCount; ++s) {
      std::string& text = plain.sections[static_cast<std::size_t>(s - 1)];
      for (std::size_t length = random() % 40; text.size() < length;) {
        const auto byte = static_cast<uint8_t>(random());
        if (encodeByte(static_cast<Section>(s), byte)) text += static_cast<char>(byte);
      }
    }
    written.push_back(plain);
  }
  const std::string out = scratch.dir() + "/out.db";
  for (std::size_t i = 0; i < written.size(); ++i) {
    const std::string dir = scratch.dir() + "/plain" + std::to_string(i);
    fs::create_directory(dir);
    std::ofstream(dir + "/header.bin", std::ios::binary) << written[i].header;
    for (int s = 1; s <= kSectionCount; ++s) {
      std::ofstream(dir + "/section" + std::to_string(s) + ".txt", std::ios::binary)
          << written[i].sections[static_cast<std::size_t>(s - 1)];
    }
    // Twice: the second pack replaces what the first wrote.
    for (int time = 0; time < 2; ++time) {
      const auto packed = runMurlo({"pack", dir, out});
      EXPECT_EQ(packed.status, 0) << "folder " << i << ": " << packed.err;
    }
    EXPECT_EQ(readFile(out), test::packOrFail(written[i])) << "folder " << i;
  }
  // Seven '%' in a text do not make it a database, nor do bytes after the
  // seventh section, nor an extension there that is damaged.
  std::string damaged = readFile(MURLO_SAMPLE_DB);
  damaged.back() = static_cast<char>(damaged.back() ^ 1);
  for (const std::string& text : {std::string("my notes: 100% 100% 100% 100% 100% 100% 100%\n"),
                                  test::packOrFail(odd) + "\n", damaged}) {
    std::ofstream(out, std::ios::binary) << text;
    const auto refused = runMurlo({"pack", exampleDir(), out});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("is not a database file"), std::string::npos) << refused.err;
    EXPECT_EQ(readFile(out), text);
  }
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
