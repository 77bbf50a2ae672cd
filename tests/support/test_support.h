// Shared helpers of the test suite: the worked example database and
// temporary files.
#ifndef MURLO_TESTS_SUPPORT_TEST_SUPPORT_H_
#define MURLO_TESTS_SUPPORT_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "db/indexes.h"
#include "db/timetable_builder.h"
#include "db/timetable_db.h"
#include "db/writer.h"
#include "murloppc.h"
#include "query/query_result.h"
#include "query/query_status.h"

namespace murlo {

// Strong indexes print as their numbers in test messages.
template <typename Tag>
void PrintTo(StrongIndex<Tag> index, std::ostream* out) {
  *out << index.value();
}

// Statuses print as their names.
void PrintTo(QueryStatus status, std::ostream* out);

}  // namespace murlo

namespace murlo::test {

// Names a parameterised case after its `name` member.
struct CaseName {
  template <typename Param>
  std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
    return std::string(param.param.name);
  }
};

// The two-station, two-train example network: 北京 (BJ) and 天津 (TJ); train 0
// "T1/T2" 北京 08:00 -> 天津 09:30, 137 km; train 1 "K5" 天津 23:30 -> 北京
// 01:05 the next day. All text GBK.
PlainSections workedExampleSections();
TimetableDb workedExampleDb();

// GBK bytes of UTF-8 text (test literals are UTF-8).
std::string gbk(std::string_view utf8);
// UTF-16 of UTF-8 text, as the C interface takes it.
std::basic_string<murlo_char16> utf16(std::string_view utf8);
// UTF-8 of a zero-terminated UTF-16 result.
std::string utf8Of(const murlo_char16* text);

// The parts of `text` that each end in `terminator` (a trailing part
// without one is returned too, so a missing terminator shows).
std::vector<std::string> splitTerminated(std::string_view text, char terminator);

// An answer of kept UTF-16 pieces as GBK text, each piece followed by the
// answer's terminator; fails the current test where a piece holds what GBK
// cannot (a U+FFFD standing for bytes that formed no character).
QueryResult gbkText(const Utf16Answer& result);

// What a query answered, as one value to expect: its status, and its count
// where the status is kOk. A count or a status converts to it, so that
// EXPECT_EQ(outcomeOf(answer), 2) and EXPECT_EQ(outcomeOf(answer),
// QueryStatus::kSameStation) each check both.
struct Outcome {
  Outcome(int32_t n) : count(n) {}       // NOLINT: implicit by design
  Outcome(QueryStatus s) : status(s) {}  // NOLINT: implicit by design
  Outcome(QueryStatus s, int32_t n) : status(s), count(n) {}
  QueryStatus status = QueryStatus::kOk;
  int32_t count = 0;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};
Outcome outcomeOf(const QueryResult& result);
Outcome outcomeOf(const Utf16Answer& result);
void PrintTo(const Outcome& outcome, std::ostream* out);

// What the text export of the same question returns for `result`: its count,
// or the negative code murloppc.h gives its status (-1 an unknown station or
// origin, -2 an unknown destination, -3 the same station,
// MURLO_INVALID_ARGUMENT).
int32_t exportCode(const QueryResult& result);

// A SegmentLine's first twelve fields, without the fare columns.
std::string withoutFares(std::string_view line);

// A StopSpec from "HH:MM" texts ("-" for a time that is not given).
StopSpec stopAt(int32_t station, std::string_view arrival, std::string_view departure, int32_t km);

// The entries of a list; the list of given entries; a list with one more.
std::vector<std::string> entriesOf(const TextList& list);
TextList listOf(const std::vector<std::string>& entries);
TextList appended(const TextList& list, std::string_view entry);

// Packs `plain`; fails the current test when the writer refuses it.
std::string packOrFail(const PlainSections& plain);
// Loads packed bytes through the loader's in-memory path.
TimetableDb loadBytes(std::string bytes);

// The outcome of running a program.
struct CommandResult {
  int status = -1;  // exit status, -1 when it did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs the murlo tool built beside the tests with `args`, each passed as one
// argument, standard input empty (or `input`), without the COLUMNS and
// MURLO_DB of the environment but with the NAME=VALUE settings of `env`.
// Defined only in builds with the murlo command (for tests/tools).
CommandResult runMurlo(const std::vector<std::string>& args,
                       const std::vector<std::string>& env = {}, const std::string& input = "");

// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);

// A file in a fresh temporary directory, removed with the object.
class TempFile {
 public:
  explicit TempFile(std::string_view bytes, std::string_view name = "db.bin");
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::string& path() const { return path_; }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
  std::string path_;
};

}  // namespace murlo::test

#endif  // MURLO_TESTS_SUPPORT_TEST_SUPPORT_H_
