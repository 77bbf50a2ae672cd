// Reading and writing the files of murlo's file commands so that no slip
// loses a file: an output never replaces one of the command's inputs, never
// replaces a file of another kind (unless forced), never replaces anything
// but a regular file (not even forced: no device, FIFO, socket, directory or
// symbolic link), and is written to a temporary file beside it and renamed
// into place only when complete, so a failure or an interrupt leaves the old
// file whole. Only regular files are read, and nothing is opened in a way
// that could wait (a FIFO). "-" is standard input or standard output.
#ifndef MURLO_TOOLS_MURLO_FILES_FILES_H_
#define MURLO_TOOLS_MURLO_FILES_FILES_H_

#include <string>
#include <string_view>
#include <vector>

#include "answers/status.h"

namespace murlo::tool {

// "-": standard input or output.
inline bool isStandardStream(std::string_view path) { return path == "-"; }

// The bytes of the file (or of standard input for "-"), or why not (kFile).
// Anything but a regular file (a directory, a FIFO, a device) is refused.
Result<std::string> readFile(const std::string& path);

// What an output holds, and so which existing file it may replace.
enum class OutputKind {
  kDatabase,  // replaces only a database file (or an empty file)
  kSource,    // replaces only a timetable source murlo wrote (or an empty file)
  kAny,       // replaces any regular file (the plain sections of unpack)
};

// The plan of one command's outputs, checked before any work is done.
class OutputPlan {
 public:
  // `inputs` are the files the command reads; a directory among them stands
  // for every file directly inside it. `force` lets an output replace a file
  // of another kind (never an input).
  OutputPlan(std::vector<std::string> inputs, bool force);

  // Adds an output. A kFile status when it would replace an input or
  // another output of the plan, is anything but a regular file (a symbolic
  // link included), or (without force) would replace a file of another kind.
  Status add(const std::string& path, OutputKind kind);

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
// file in the same folder, renamed over `path` once complete; a replaced file
// keeps its permissions. Refuses, as OutputPlan::add does, anything at `path`
// but a regular file, looking again just before the rename, which never
// follows a link. A kFile status on failure, the old file untouched and the
// temporary file removed.
Status writeFile(const std::string& path, const std::string& bytes);

// Whether `bytes` are a database file as the writer writes them: seven
// terminated sections whose plain texts pack back into exactly these bytes
// (so every file murlo pack, build, generate or import-gtfs writes counts,
// whatever its codes).
bool isDatabaseFile(std::string bytes);
// Whether `bytes` are a timetable source murlo wrote (its first line says
// so), or empty: a source written by hand is not replaced without --force.
bool isWrittenSource(std::string_view bytes);
// Whether `bytes` read as a timetable source: UTF-8 text without control
// characters whose first line that is neither blank nor a comment begins
// with header, station or train (an empty or all-comment text counts).
bool isSourceText(std::string_view bytes);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_FILES_FILES_H_
