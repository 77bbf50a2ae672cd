// The subcommands of murlo. Each takes the arguments after its name and
// returns the process's exit status.
#ifndef MURLO_TOOLS_MURLO_COMMANDS_H_
#define MURLO_TOOLS_MURLO_COMMANDS_H_

#include <span>
#include <string_view>

namespace murlo::tool {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command could not do its work
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

using Args = std::span<const std::string_view>;

struct Command {
  std::string_view name;
  std::string_view usage;    // "pack DIR OUT"
  std::string_view summary;  // one line
  std::string_view help;     // further paragraphs for "murlo COMMAND --help"
  int (*run)(Args args);
};

// Queries through the library (cmd_query.cc).
int runStations(Args args);
int runAt(Args args);
int runDirect(Args args);
int runNumber(Args args);
int runStops(Args args);
int runHeader(Args args);
// Help text shared by the query commands: --db, --raw, --json.
extern const char* const kQueryOptionsHelp;

// Database files (cmd_pack.cc, cmd_build.cc, cmd_dump.cc).
int runPack(Args args);
int runUnpack(Args args);
int runBuild(Args args);
int runDump(Args args);

// Networks from elsewhere (cmd_generate.cc, cmd_import_gtfs.cc, cmd_gtfs_info.cc).
int runGenerate(Args args);
int runImportGtfs(Args args);
int runGtfsInfo(Args args);

// Prints "murlo: <message>" on standard error and returns kExitFailure.
int fail(std::string_view message);
// Prints "murlo: <message>" and the command's usage line; returns kExitUsage.
int usageError(const Command& command, std::string_view message);

// The command named `name`, or nullptr.
const Command* findCommand(std::string_view name);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_COMMANDS_H_
