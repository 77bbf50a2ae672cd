// murlo pack DIR OUT and murlo unpack FILE DIR.
#include <filesystem>
#include <span>
#include <string>

#include "cli/commands.h"
#include "db/extension_format.h"
#include "db/loader.h"
#include "db/sections.h"
#include "db/writer.h"
#include "files/file_command.h"
#include "files/files.h"

namespace murlo::tool {
namespace {

namespace fs = std::filesystem;

std::string sectionFile(int section) { return "section" + std::to_string(section) + ".txt"; }

// The extension after the seventh section, as its bytes stand.
constexpr const char* kExtensionFile = "extension.bin";

}  // namespace

int runPack(const CommandLine& line) {
  const fs::path dir(line.operand(0));
  const std::string& out = line.operand(1);
  std::error_code ec;
  if (!fs::exists(dir, ec)) return fail("cannot open " + dir.string() + ": no such directory");
  if (!fs::is_directory(dir, ec)) {
    return fail(dir.string() +
                " is not a directory (pack takes a folder of header.bin, section1.txt ... "
                "section7.txt and an optional extension.bin)");
  }
  OutputPlan plan({dir.string()}, line.flag(kForceOption));
  if (const Status added = plan.add(out, OutputKind::kDatabase); !added.ok()) {
    return reportFailure(line.command(), added);
  }
  PlainSections plain;
  const auto header = readFile((dir / "header.bin").string());
  if (!header.ok()) return reportFailure(line.command(), header.status());
  plain.header = *header;
  for (int s = 1; s <= kSectionCount; ++s) {
    const auto text = readFile((dir / sectionFile(s)).string());
    if (!text.ok()) return reportFailure(line.command(), text.status());
    plain.sections[static_cast<std::size_t>(s - 1)] = *text;
  }
  std::string file;
  if (const auto packError = packDatabase(plain, file)) {
    return fail("cannot pack " + dir.string() + ": " + packError->message());
  }
  // extension.bin, when there, goes after the sections as it stands, once
  // checked against the tables they hold.
  const fs::path extensionPath = dir / kExtensionFile;
  if (fs::exists(extensionPath, ec)) {
    const auto extension = readFile(extensionPath.string());
    if (!extension.ok()) return reportFailure(line.command(), extension.status());
    std::string copy = file;
    const TimetableDb tables = parseDatabase(std::span<char>(copy.data(), copy.size()));
    const ExtensionRead read =
        readExtension(*extension, tables.trainCount(), tables.stationCount());
    if (read.state != ExtensionState::kRead) {
      return fail("cannot pack " + dir.string() + ": " + kExtensionFile + ": " +
                  (read.state == ExtensionState::kAbsent
                       ? std::string("not an extension (it does not begin with ") +
                             std::string(kExtensionMagic) + ")"
                       : read.problem));
    }
    file += *extension;
  }
  if (const Status written = writeFile(out, file); !written.ok()) {
    return reportFailure(line.command(), written);
  }
  return summary(plan, "Packed " + (isStandardStream(out) ? std::string("the database") : out) +
                           " from " + dir.string() + ": " + counted(file.size(), "byte"));
}

int runUnpack(const CommandLine& line) {
  const std::string& in = line.operand(0);
  const fs::path dir(line.operand(1));
  std::error_code ec;
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
    return fail(dir.string() + " exists and is not a directory; nothing written");
  }
  OutputPlan plan({in}, false);
  std::vector<std::string> outputs = {(dir / "header.bin").string()};
  for (int s = 1; s <= kSectionCount; ++s) outputs.push_back((dir / sectionFile(s)).string());
  for (const std::string& output : outputs) {
    if (const Status added = plan.add(output, OutputKind::kAny); !added.ok()) {
      return reportFailure(line.command(), added);
    }
  }
  const std::string extensionOutput = (dir / kExtensionFile).string();
  if (const Status added = plan.add(extensionOutput, OutputKind::kAny); !added.ok()) {
    return reportFailure(line.command(), added);
  }
  auto file = readFile(in);
  if (!file.ok()) return reportFailure(line.command(), file.status());
  std::string copy = *file;
  const ParsedFile parsed = parseDatabaseFile(std::span<char>(copy.data(), copy.size()));
  const SectionTexts texts = descrambleSections(*file);
  if (texts.terminated < kSectionCount) {
    return fail(fileName(in) + " holds " + std::to_string(texts.terminated) +
                " terminated sections, not seven: not a complete database file");
  }
  if (parsed.extension.state == ExtensionState::kDamaged) {
    return fail(fileName(in) + ": " + parsed.extension.problem + "; nothing written");
  }
  const bool hasExtension = parsed.extension.state == ExtensionState::kRead;
  fs::create_directories(dir, ec);
  if (ec) return fail("cannot create " + dir.string() + ": " + ec.message());
  if (const Status written = writeFile(outputs[0], std::string(texts.header)); !written.ok()) {
    return reportFailure(line.command(), written);
  }
  for (int s = 1; s <= kSectionCount; ++s) {
    const std::string text(texts.sections[static_cast<std::size_t>(s - 1)]);
    if (const Status written = writeFile(outputs[static_cast<std::size_t>(s)], text);
        !written.ok()) {
      return reportFailure(line.command(), written);
    }
  }
  if (hasExtension) {
    if (const Status written = writeFile(extensionOutput, std::string(texts.trailer));
        !written.ok()) {
      return reportFailure(line.command(), written);
    }
  } else if (fs::is_regular_file(fs::symlink_status(extensionOutput, ec))) {
    // Left from an earlier unpack, it would go into the next pack.
    fs::remove(extensionOutput, ec);
    if (ec) return fail("cannot remove " + extensionOutput + ": " + ec.message());
  }
  return summary(plan, "Unpacked " + fileName(in) + " into " + dir.string() +
                           ": header.bin and section1.txt ... section7.txt" +
                           (hasExtension ? " and extension.bin" : ""));
}

}  // namespace murlo::tool
