// murlo pack DIR OUT and murlo unpack FILE DIR.
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "db/sections.h"
#include "db/writer.h"
#include "files/file_command.h"
#include "files/files.h"

namespace murlo::tool {
namespace {

namespace fs = std::filesystem;

std::string sectionFile(int section) { return "section" + std::to_string(section) + ".txt"; }

}  // namespace

int runPack(const CommandLine& line) {
  const fs::path dir(line.operand(0));
  const std::string& out = line.operand(1);
  std::error_code ec;
  if (!fs::exists(dir, ec)) return fail("cannot open " + dir.string() + ": no such directory");
  if (!fs::is_directory(dir, ec)) {
    return fail(dir.string() +
                " is not a directory (pack takes a folder of header.bin and section1.txt ... "
                "section7.txt)");
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
  auto file = readFile(in);
  if (!file.ok()) return reportFailure(line.command(), file.status());
  const SectionTexts texts = descrambleSections(*file);
  if (texts.terminated < kSectionCount) {
    return fail(fileName(in) + " holds " + std::to_string(texts.terminated) +
                " terminated sections, not seven: not a complete database file");
  }
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
  return summary(plan, "Unpacked " + fileName(in) + " into " + dir.string() +
                           ": header.bin and section1.txt ... section7.txt");
}

}  // namespace murlo::tool
