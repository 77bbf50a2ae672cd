// Reading and writing the files of murlo's file commands so that no slip
// loses a file: an output never replaces one of the command's inputs, never
// replaces a file of another kind (unless forced), and is written to a
// temporary file beside it and renamed into place only when complete, so a
// failure or an interrupt leaves the old file whole. "-" is standard input
// or standard output.
#ifndef MURLO_TOOLS_MURLO_FILES_H_
#define MURLO_TOOLS_MURLO_FILES_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murlo::tool {

// "-": standard input or output.
inline bool isStandardStream(std::string_view path) { return path == "-"; }

// The bytes of the file (or of standard input for "-"), or nothing with
// `error` set to one line saying why. A directory is refused.
std::optional<std::string> readFile(const std::string& path, std::string& error);

// What an output holds, and so which existing file it may replace.
enum class OutputKind {
  kDatabase,  // replaces only a database file (or an empty file)
  kSource,    // replaces only a timetable source (or an empty file)
  kAny,       // replaces any file (the plain sections of unpack)
};

// The plan of one command's outputs, checked before any work is done.
class OutputPlan {
 public:
  // `inputs` are the files the command reads; a directory among them stands
  // for every file directly inside it. `force` lets an output replace a file
  // of another kind (never an input).
  OutputPlan(std::vector<std::string> inputs, bool force);

  // Adds an output. False, with `error` set, when it would replace an input
  // or another output of the plan, is a directory, or (without force) would
  // replace a file of another kind.
  bool add(const std::string& path, OutputKind kind, std::string& error);

  // True when an output is standard output (summary lines then go to
  // standard error).
  bool writesStandardOutput() const { return standardOutput_; }

 private:
  std::vector<std::string> inputs_;
  std::vector<std::string> outputs_;
  bool force_;
  bool standardOutput_ = false;
};

// Writes `bytes` to `path` (standard output for "-") through a temporary
// file in the same folder, renamed over `path` once complete; a symbolic link
// is followed, and a replaced file keeps its permissions. Returns false with
// `error` set, the old file untouched and the temporary file removed.
bool writeFile(const std::string& path, const std::string& bytes, std::string& error);

// Whether `bytes` are a database file: a header and seven terminated
// sections, the first three of one printable code per train, the fourth of
// train numbers.
bool isDatabaseFile(std::string bytes);
// Whether `bytes` read as a timetable source: UTF-8 text without control
// characters whose first line that is neither blank nor a comment begins
// with header, station or train (an empty or all-comment text counts).
bool isSourceText(std::string_view bytes);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_FILES_H_
