// murlo build SOURCE OUT and murlo dump DB SOURCE.
#include <iostream>
#include <span>
#include <string>

#include "commands.h"
#include "db/loader.h"
#include "files.h"
#include "timetable_source/timetable_source.h"

namespace murlo::tool {

int runBuild(Args args) {
  const Command& self = *findCommand("build");
  if (args.size() != 2) return usageError(self, "build takes a source file and an output file");
  const std::string sourcePath(args[0]);
  const std::string out(args[1]);

  std::string error;
  const auto text = readFile(sourcePath, error);
  if (!text) return fail(error);
  source::Timetable timetable;
  const std::vector<source::Diagnostic> errors = source::parseSource(*text, timetable);
  for (const source::Diagnostic& diagnostic : errors) {
    std::cerr << sourcePath << ':';
    if (diagnostic.line > 0) std::cerr << diagnostic.line << ':';
    std::cerr << " error: " << diagnostic.message << '\n';
  }
  if (!errors.empty()) {
    return fail(std::to_string(errors.size()) + (errors.size() == 1 ? " error" : " errors") +
                "; nothing written");
  }
  std::string file;
  if (const auto packError = source::compileTimetable(timetable, file)) {
    return fail(sourcePath + ": " + packError->message());
  }
  if (!writeFile(out, file, error)) return fail(error);
  return kExitOk;
}

int runDump(Args args) {
  const Command& self = *findCommand("dump");
  if (args.size() != 2) return usageError(self, "dump takes a database file and an output file");
  const std::string dbPath(args[0]);
  const std::string out(args[1]);

  std::string error;
  auto bytes = readFile(dbPath, error);
  if (!bytes) return fail(error);
  const TimetableDb db = parseDatabase(std::span<char>(bytes->data(), bytes->size()));
  std::vector<std::string> warnings;
  const std::string text = source::dumpSource(db, warnings);
  for (const std::string& warning : warnings) {
    std::cerr << dbPath << ": warning: " << warning << '\n';
  }
  if (!writeFile(out, text, error)) return fail(error);
  return kExitOk;
}

}  // namespace murlo::tool
