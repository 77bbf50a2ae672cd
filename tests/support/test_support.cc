#include "support/test_support.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif
#if defined(MURLO_BIN_PATH)
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>

#include "db/loader.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo {

void PrintTo(QueryStatus status, std::ostream* out) {
  switch (status) {
    case QueryStatus::kOk: *out << "kOk"; return;
    case QueryStatus::kUnknownStation: *out << "kUnknownStation"; return;
    case QueryStatus::kUnknownOrigin: *out << "kUnknownOrigin"; return;
    case QueryStatus::kUnknownDestination: *out << "kUnknownDestination"; return;
    case QueryStatus::kSameStation: *out << "kSameStation"; return;
    case QueryStatus::kArgumentOutOfRange: *out << "kArgumentOutOfRange"; return;
    case QueryStatus::kDateOutsidePeriod: *out << "kDateOutsidePeriod"; return;
  }
  *out << "QueryStatus " << static_cast<int>(status);
}

}  // namespace murlo

namespace murlo::test {

PlainSections workedExampleSections() {
  PlainSections plain;
  plain.header = "EXAMPLE-01";
  plain.sections = {"13",
                    "F8",
                    "DD",
                    "T1/T2OK5",
                    gbk("北京 BJ 天津 TJ"),
                    "000000000101O000001000100",
                    "00000000080000000001093000000137O00010000233000000000010500000137"};
  return plain;
}

TimetableDb workedExampleDb() { return loadBytes(packOrFail(workedExampleSections())); }

std::vector<std::string> entriesOf(const TextList& list) {
  std::vector<std::string> entries;
  for (std::size_t i = 0; i < list.size(); ++i) entries.emplace_back(list[i]);
  return entries;
}

TextList listOf(const std::vector<std::string>& entries) { return TextList::copyOf(entries); }

TextList appended(const TextList& list, std::string_view entry) {
  std::vector<std::string> entries = entriesOf(list);
  entries.emplace_back(entry);
  return listOf(entries);
}

std::string gbk(std::string_view utf8) {
  std::u16string units;
  EXPECT_TRUE(utf8ToUtf16(utf8, units)) << utf8;
  std::string bytes;
  EXPECT_TRUE(utf16ToGbk(units, bytes)) << utf8;
  return bytes;
}

std::basic_string<murlo_char16> utf16(std::string_view utf8) {
  std::u16string units;
  EXPECT_TRUE(utf8ToUtf16(utf8, units)) << utf8;
  return std::basic_string<murlo_char16>(units.begin(), units.end());
}

std::string utf8Of(const murlo_char16* text) {
  std::u16string units;
  for (const murlo_char16* p = text; *p != 0; ++p) units.push_back(static_cast<char16_t>(*p));
  std::string bytes;
  utf16ToUtf8(units, bytes);
  return bytes;
}

std::vector<std::string> splitTerminated(std::string_view text, char terminator) {
  std::vector<std::string> parts;
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t end = text.find(terminator, begin);
    if (end == std::string_view::npos) {
      parts.emplace_back(text.substr(begin));
      break;
    }
    parts.emplace_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return parts;
}

QueryResult gbkText(const Utf16Answer& result) {
  QueryResult text{.status = result.status, .count = result.count};
  for (const Utf16Piece& piece : result.pieces) {
    EXPECT_TRUE(utf16ToGbk(piece.str(), text.text)) << "a piece GBK cannot hold";
    if (result.terminator != 0) text.text += static_cast<char>(result.terminator);
  }
  return text;
}

Outcome outcomeOf(const QueryResult& result) { return Outcome(result.status, result.count); }
Outcome outcomeOf(const Utf16Answer& result) { return Outcome(result.status, result.count); }

void PrintTo(const Outcome& outcome, std::ostream* out) {
  if (outcome.status != QueryStatus::kOk) {
    PrintTo(outcome.status, out);
    if (outcome.count != 0) *out << " with count " << outcome.count;
  } else {
    *out << outcome.count;
  }
}

int32_t exportCode(const QueryResult& result) {
  switch (result.status) {
    case QueryStatus::kOk: return result.count;
    case QueryStatus::kUnknownStation:
    case QueryStatus::kUnknownOrigin: return -1;
    case QueryStatus::kUnknownDestination: return -2;
    case QueryStatus::kSameStation: return -3;
    case QueryStatus::kArgumentOutOfRange: return MURLO_INVALID_ARGUMENT;
    case QueryStatus::kDateOutsidePeriod: break;  // the text operations take no date
  }
  return -100;  // no status gives it
}

std::string withoutFares(std::string_view line) {
  std::size_t at = 0;
  for (int field = 0; field < 12 && at != std::string_view::npos; ++field) {
    at = line.find('|', at == 0 ? 0 : at + 1);
  }
  return std::string(line.substr(0, at));
}

StopSpec stopAt(int32_t station, std::string_view arrival, std::string_view departure, int32_t km) {
  const auto minutes = [](std::string_view hhmm) {
    if (hhmm == "-") return 0;
    return ((hhmm[0] - '0') * 10 + (hhmm[1] - '0')) * 60 + (hhmm[3] - '0') * 10 + (hhmm[4] - '0');
  };
  return StopSpec{station, minutes(arrival), minutes(departure), km};
}

std::string packOrFail(const PlainSections& plain) {
  std::string file;
  const auto error = packDatabase(plain, file);
  EXPECT_FALSE(error.has_value()) << (error ? error->message() : "");
  return file;
}

TimetableDb loadBytes(std::string bytes) {
  return parseDatabase(std::span<char>(bytes.data(), bytes.size()));
}

namespace {

// A path from UTF-8 text and back: the narrow encoding of std::filesystem is
// the ANSI code page on Windows, and the test paths hold Chinese names.
std::filesystem::path pathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

#if defined(MURLO_BIN_PATH)
// runMurlo runs the tool through the POSIX shell (popen); only the builds
// with the murlo command (native ones) have it and its tests.
namespace {

std::string shellQuoted(const std::string& arg) {
  std::string quoted = "'";
  for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

CommandResult runMurlo(const std::vector<std::string>& args, const std::vector<std::string>& env,
                       const std::string& input) {
  const std::string bin = MURLO_BIN_PATH;
  CommandResult result;
  TempFile errors("", "stderr.txt");
  TempFile in(input, "stdin.txt");
  std::string command = "env -u COLUMNS -u MURLO_DB";
  for (const std::string& setting : env) command += " " + shellQuoted(setting);
  command += " " + shellQuoted(bin);
  for (const std::string& arg : args) command += " " + shellQuoted(arg);
  command += " 2>" + shellQuoted(errors.path()) + " <" + shellQuoted(in.path());
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.err = readFile(errors.path());
  return result;
}
#endif  // MURLO_BIN_PATH

std::string readFile(const std::string& path) {
  std::ifstream in(pathOf(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

std::string freshDirectory() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "murlo-test";
  if (info != nullptr) name += std::string("-") + info->test_suite_name() + "-" + info->name();
  static int counter = 0;  // several temporary files in one test
  name += "-" + std::to_string(++counter);
  // Other processes of the same tests run at the same time (ctest -j); a
  // suite-wide file has no test name, so the process keeps the names apart.
#if defined(_WIN32)
  name += "-" + std::to_string(::_getpid());
#else
  name += "-" + std::to_string(::getpid());
#endif
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return pathText(dir);
}

}  // namespace

TempFile::TempFile(std::string_view bytes, std::string_view name)
    : dir_(freshDirectory()), path_(pathText(pathOf(dir_) / pathOf(name))) {
  std::ofstream out(pathOf(path_), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TempFile::~TempFile() {
  std::error_code ignored;
  std::filesystem::remove_all(pathOf(dir_), ignored);
}

}  // namespace murlo::test
