// murlo build SOURCE OUT and murlo dump DB SOURCE.
#include <iostream>
#include <span>
#include <string>

#include "answers/visible_text.h"
#include "cli/commands.h"
#include "db/loader.h"
#include "files/file_command.h"
#include "files/files.h"
#include "text/utf8.h"
#include "timetable_source/timetable_source.h"

namespace murlo::tool {
namespace {

// Errors printed before the rest are only counted: a file that is not a
// source at all gives one on nearly every line.
constexpr std::size_t kErrorsShown = 20;

// The first line (1-based) that is not UTF-8 text without control
// characters, or 0 when every line is.
int firstLineThatIsNoText(std::string_view bytes) {
  int line = 1;
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    std::size_t end = bytes.find('\n', begin);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view text = bytes.substr(begin, end - begin);
    std::u16string units;
    if (!utf8ToUtf16(text, units)) return line;
    for (const char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if ((byte < 0x20 && c != '\t' && c != '\r' && c != '\f') || byte == 0x7F) return line;
    }
    ++line;
    begin = end + 1;
  }
  return 0;
}

void printDiagnostics(const std::string& file, const std::vector<source::Diagnostic>& diagnostics,
                      std::string_view kind, std::size_t limit) {
  std::size_t shown = 0;
  for (const source::Diagnostic& diagnostic : diagnostics) {
    if (shown++ == limit) {
      std::cerr << file << ": ... and " << diagnostics.size() - limit << " more " << kind << "s\n";
      break;
    }
    std::cerr << file << ':';
    if (diagnostic.line > 0) std::cerr << diagnostic.line << ':';
    std::cerr << ' ' << kind << ": " << diagnostic.message << '\n';
  }
}

}  // namespace

int runBuild(const CommandLine& line) {
  const std::string& sourcePath = line.operand(0);
  const std::string& out = line.operand(1);
  const std::string name = fileName(sourcePath);
  OutputPlan plan({sourcePath}, line.flag(kForceOption));
  if (const Status added = plan.add(out, OutputKind::kDatabase); !added.ok()) {
    return reportFailure(line.command(), added);
  }
  const auto text = readFile(sourcePath);
  if (!text.ok()) return reportFailure(line.command(), text.status());
  if (const int bad = firstLineThatIsNoText(*text); bad > 0) {
    if (isDatabaseFile(*text)) {
      return fail(name + " is a database file, not a timetable source (murlo dump " + sourcePath +
                  " SOURCE writes its source); nothing written");
    }
    return fail(name + ":" + std::to_string(bad) +
                ": not UTF-8 text: this is no timetable source; nothing written");
  }
  source::Timetable timetable;
  std::vector<source::Diagnostic> warnings;
  const std::vector<source::Diagnostic> errors = source::parseSource(*text, timetable, &warnings);
  printDiagnostics(name, warnings, "warning", warnings.size());
  printDiagnostics(name, errors, "error", kErrorsShown);
  if (!errors.empty()) {
    return fail(std::to_string(errors.size()) + (errors.size() == 1 ? " error" : " errors") +
                "; nothing written");
  }
  std::string file;
  if (const auto packError = source::compileTimetable(timetable, file)) {
    return fail(name + ": " + packError->message());
  }
  if (const Status written = writeFile(out, file); !written.ok()) {
    return reportFailure(line.command(), written);
  }
  return summary(plan,
                 "Built " + (isStandardStream(out) ? std::string("the database") : out) + ": " +
                     counted(timetable.stations.size(), "station") + ", " +
                     counted(timetable.trains.size(), "train") + " from " + name +
                     (warnings.empty() ? "" : " (" + counted(warnings.size(), "warning") + ")"));
}

int runDump(const CommandLine& line) {
  const std::string& dbPath = line.operand(0);
  const std::string& out = line.operand(1);
  const std::string name = fileName(dbPath);
  const bool force = line.flag(kForceOption);
  OutputPlan plan({dbPath}, force);
  if (const Status added = plan.add(out, OutputKind::kSource); !added.ok()) {
    return reportFailure(line.command(), added);
  }
  auto bytes = readFile(dbPath);
  if (!bytes.ok()) return reportFailure(line.command(), bytes.status());
  const bool readsAsSource = isSourceText(*bytes);
  const ParsedFile parsed = parseDatabaseFile(std::span<char>(bytes->data(), bytes->size()));
  const TimetableDb& db = parsed.tables;
  // A damaged extension is never half-read, nor the file dumped as though
  // it had none: the source would build a file that lacks it.
  if (parsed.extension.state == ExtensionState::kDamaged) {
    return fail(name + ": " + parsed.extension.problem + "; nothing written");
  }
  if (!force && db.stationCount() == 0 && db.trainCount() == 0) {
    return fail(name + " holds no station and no train" +
                (readsAsSource ? " (it reads as a timetable source: murlo build SOURCE DB "
                                 "compiles one)"
                               : "") +
                "; nothing written (--force dumps it all the same)");
  }
  std::vector<std::string> warnings;
  const std::string text = source::dumpSource(db.lists(), parsed.extension.extension, warnings);
  for (const std::string& warning : warnings) {
    std::cerr << name << ": warning: " << visibleMessage(warning) << '\n';
  }
  if (const Status written = writeFile(out, text); !written.ok()) {
    return reportFailure(line.command(), written);
  }
  return summary(plan,
                 "Wrote " + (isStandardStream(out) ? std::string("the source") : out) + ": " +
                     counted(static_cast<std::size_t>(db.stationCount()), "station") + ", " +
                     counted(static_cast<std::size_t>(db.trainCount()), "train") + " from " + name +
                     (warnings.empty() ? "" : " (" + counted(warnings.size(), "warning") + ")"));
}

}  // namespace murlo::tool
