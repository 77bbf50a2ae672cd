// murlo pack DIR OUT and murlo unpack FILE DIR.
#include <filesystem>
#include <string>

#include "commands.h"
#include "db/sections.h"
#include "db/writer.h"
#include "files.h"

namespace murlo::tool {
namespace {

std::string sectionFile(int section) { return "section" + std::to_string(section) + ".txt"; }

}  // namespace

int runPack(Args args) {
  const Command& self = *findCommand("pack");
  if (args.size() != 2) return usageError(self, "pack takes a directory and an output file");
  const std::filesystem::path dir(args[0]);
  const std::string out(args[1]);

  std::string error;
  PlainSections plain;
  const auto header = readFile((dir / "header.bin").string(), error);
  if (!header) return fail(error);
  plain.header = *header;
  for (int s = 1; s <= kSectionCount; ++s) {
    const auto text = readFile((dir / sectionFile(s)).string(), error);
    if (!text) return fail(error);
    plain.sections[static_cast<std::size_t>(s - 1)] = *text;
  }
  std::string file;
  if (const auto packError = packDatabase(plain, file)) {
    return fail("cannot pack " + dir.string() + ": " + packError->message());
  }
  if (!writeFile(out, file, error)) return fail(error);
  return kExitOk;
}

int runUnpack(Args args) {
  const Command& self = *findCommand("unpack");
  if (args.size() != 2) return usageError(self, "unpack takes a database file and a directory");
  const std::string in(args[0]);
  const std::filesystem::path dir(args[1]);

  std::string error;
  auto file = readFile(in, error);
  if (!file) return fail(error);
  const SectionTexts texts = descrambleSections(*file);
  if (texts.terminated < kSectionCount) {
    return fail(in + " holds " + std::to_string(texts.terminated) +
                " terminated sections, not seven: not a complete database file");
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return fail("cannot create " + dir.string() + ": " + ec.message());
  if (!writeFile((dir / "header.bin").string(), std::string(texts.header), error))
    return fail(error);
  for (int s = 1; s <= kSectionCount; ++s) {
    const std::string text(texts.sections[static_cast<std::size_t>(s - 1)]);
    if (!writeFile((dir / sectionFile(s)).string(), text, error)) return fail(error);
  }
  return kExitOk;
}

}  // namespace murlo::tool
