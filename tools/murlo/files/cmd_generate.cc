// murlo generate SIZE OUT [--seed N] [--source].
#include <charconv>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "db/timetable_builder.h"
#include "files/file_command.h"
#include "files/files.h"
#include "generate/network_generator.h"
#include "timetable_source/timetable_source.h"

namespace murlo::tool {
namespace {

const OptionSpec kSeedOption = {"--seed", "N",
                                "the random seed, 0 to 18446744073709551615 (default 1)"};
const OptionSpec kSourceOption = {"--source", "", "write timetable source instead of a database"};

}  // namespace

const std::vector<const OptionSpec*>& generateOptions() {
  static const std::vector<const OptionSpec*> options = {&kSeedOption, &kSourceOption,
                                                         &kForceOption};
  return options;
}

int runGenerate(const CommandLine& line) {
  const Command& self = line.command();
  uint64_t seed = 1;
  if (const auto value = line.value(kSeedOption)) {
    const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), seed);
    if (value->empty() || error != std::errc() || end != value->data() + value->size()) {
      return usageError(
          self, "--seed takes a whole number from 0 to 18446744073709551615, not '" + *value + "'");
    }
  }
  const bool asSource = line.flag(kSourceOption);
  const auto size = generate::networkSizeNamed(line.operand(0));
  if (!size) {
    return usageError(self, "unknown size '" + line.operand(0) + "' (small, national or maximal)");
  }
  const std::string& out = line.operand(1);
  OutputPlan plan({}, line.flag(kForceOption));
  if (const Status added = plan.add(out, asSource ? OutputKind::kSource : OutputKind::kDatabase);
      !added.ok()) {
    return reportFailure(line.command(), added);
  }

  const source::Timetable timetable = generate::generateNetwork(*size, seed);
  std::string bytes;
  if (asSource) {
    std::vector<std::string> warnings;
    bytes =
        source::dumpSource(buildTableLists(timetable.header, timetable.stations, timetable.trains),
                           buildExtension(timetable.trains, timetable.network), warnings);
    if (!warnings.empty()) return fail("generate: " + warnings.front());
  } else if (const auto packError = source::compileTimetable(timetable, bytes)) {
    return fail("generate: " + packError->message());
  }
  if (const Status written = writeFile(out, bytes); !written.ok()) {
    return reportFailure(line.command(), written);
  }
  return summary(plan, "Generated " + (isStandardStream(out) ? std::string("the network") : out) +
                           ": " + counted(timetable.stations.size(), "station") + ", " +
                           counted(timetable.trains.size(), "train") + " (" +
                           std::string(generate::nameOf(*size)) + ", seed " + std::to_string(seed) +
                           ")");
}

}  // namespace murlo::tool
