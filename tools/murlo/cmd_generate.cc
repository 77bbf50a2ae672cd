// murlo generate SIZE OUT [--seed N] [--source].
#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "db/timetable_builder.h"
#include "files.h"
#include "generate/network_generator.h"
#include "timetable_source/timetable_source.h"

namespace murlo::tool {

int runGenerate(Args args) {
  const Command& self = *findCommand("generate");
  std::vector<std::string_view> positional;
  uint64_t seed = 1;
  bool asSource = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--source") {
      asSource = true;
    } else if (arg == "--seed") {
      if (i + 1 == args.size()) return usageError(self, "--seed needs a number");
      const std::string_view value = args[++i];
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seed);
      if (error != std::errc() || end != value.data() + value.size()) {
        return usageError(self,
                          "--seed takes a whole number from 0 to 18446744073709551615, not '" +
                              std::string(value) + "'");
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usageError(self, "unknown option '" + std::string(arg) + "'");
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return usageError(self, "generate takes a size and an output file");
  const auto size = generate::networkSizeNamed(positional[0]);
  if (!size) {
    return usageError(
        self, "unknown size '" + std::string(positional[0]) + "' (small, national or maximal)");
  }
  const std::string out(positional[1]);

  const source::Timetable timetable = generate::generateNetwork(*size, seed);
  std::string bytes;
  if (asSource) {
    std::vector<std::string> warnings;
    bytes = source::dumpSource(
        buildTimetable(timetable.header, timetable.stations, timetable.trains), warnings);
    if (!warnings.empty()) return fail("generate: " + warnings.front());
  } else if (const auto packError = source::compileTimetable(timetable, bytes)) {
    return fail("generate: " + packError->message());
  }
  std::string error;
  if (!writeFile(out, bytes, error)) return fail(error);
  return kExitOk;
}

}  // namespace murlo::tool
