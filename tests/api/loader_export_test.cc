// The loader and header exports through the C interface, with UTF-16 paths.
// Each test runs in a process of its own (one ctest entry per test), so the
// process-wide database starts empty in every test.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>

#include "murloppc.h"
#include "support/test_support.h"

namespace murlo {
namespace {

using test::TempFile;
using test::utf16;
using test::utf8Of;

int32_t load(const std::string& utf8Path) { return x01f38d60978350e2(utf16(utf8Path).c_str()); }

std::string header() {
  murlo_char16 out[11];
  std::fill(std::begin(out), std::end(out), murlo_char16{'#'});
  EXPECT_EQ(x01o23jow83032hwe31h(out), 1);
  return utf8Of(out);
}

TEST(LoaderExportTest, HeaderIsEmptyBeforeAnyLoad) { EXPECT_EQ(header(), ""); }

TEST(LoaderExportTest, LoadsTheWorkedExampleByAChinesePath) {
  TempFile file(test::packOrFail(test::workedExampleSections()), "时刻表.db");
  EXPECT_EQ(load(file.path()), 1);
  EXPECT_EQ(header(), "EXAMPLE-01");
}

TEST(LoaderExportTest, ResultCodes) {
  TempFile file("0123456789");
  // Larger than any database can be (256 MiB): refused before it is read,
  // and a sparse file takes no room on the disk.
  TempFile huge("", "huge.db");
  std::filesystem::resize_file(huge.path(), (std::uintmax_t{256} << 20) + 1);
  struct Case {
    const char* name;
    std::string path;
    int32_t result;
  } cases[] = {
    {"missing file", file.dir() + "/missing.db", -1},
    {"directory", file.dir(), -1},
    {"empty path", "", -1},
    {"ten bytes only", file.path(), 1},
    {"a file over 256 MiB", huge.path(), -1},
#if !defined(_WIN32)
    // Refused at once, not waited on for a writer.
    {"a FIFO",
     ::mkfifo((file.dir() + "/fifo.db").c_str(), 0600) == 0 ? file.dir() + "/fifo.db" : "", -1},
#endif
  };
  for (const Case& c : cases) EXPECT_EQ(load(c.path), c.result) << c.name;
  EXPECT_EQ(x01f38d60978350e2(nullptr), -1);
  const murlo_char16 unpaired[] = {u'/', 0xD800, u'x', 0};
  EXPECT_EQ(x01f38d60978350e2(unpaired), -1);
}

TEST(LoaderExportTest, FailedLoadKeepsThePreviousDatabase) {
  TempFile file(test::packOrFail(test::workedExampleSections()));
  ASSERT_EQ(load(file.path()), 1);
  EXPECT_EQ(load(file.dir() + "/missing.db"), -1);
  EXPECT_EQ(header(), "EXAMPLE-01");
}

TEST(LoaderExportTest, SecondLoadReplacesTheDatabaseWhole) {
  TempFile first(test::packOrFail(test::workedExampleSections()), "first.db");
  PlainSections other;
  other.header = "OTHER";
  TempFile second(test::packOrFail(other), "second.db");
  ASSERT_EQ(load(first.path()), 1);
  ASSERT_EQ(load(second.path()), 1);
  EXPECT_EQ(header(), "OTHER");
  ASSERT_EQ(load(first.path()), 1);
  EXPECT_EQ(header(), "EXAMPLE-01");
}

TEST(LoaderExportTest, HeaderBytesThatFormNoCharacterBecomeReplacements) {
  PlainSections plain;
  plain.header =
      "AB\xFF"
      "C";
  TempFile file(test::packOrFail(plain));
  ASSERT_EQ(load(file.path()), 1);
  EXPECT_EQ(header(),
            "AB\xEF\xBF\xBD"
            "C");
}

}  // namespace
}  // namespace murlo
