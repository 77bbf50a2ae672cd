// The commands of murlo: what each takes and what it does. The command line
// is read by one parser (command_line.cc); each command's run function gets
// what it said.
#ifndef MURLO_TOOLS_MURLO_CLI_COMMANDS_H_
#define MURLO_TOOLS_MURLO_CLI_COMMANDS_H_

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "answers/parameters.h"
#include "answers/status.h"

namespace murlo::tool {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command could not do its work
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

// The exit status of a failure of `kind` (kExitOk for kOk): kExitUsage for
// a value the command line gave that is not taken (kBadParameter) or that
// the library refuses (kInvalidArgument), else kExitFailure.
int exitStatusOf(Status::Kind kind);

// One option: "--name", or "--name VALUE" when it has a value name.
struct OptionSpec {
  std::string_view name;       // "--db"
  std::string_view valueName;  // "FILE"; empty for a flag
  std::string_view help;       // for "murlo COMMAND --help"; lines after the first indented
  bool repeatable = false;     // a value option that may be given more than once
  // The entry of the table of parameters its value is checked against
  // (readOption), when it has one.
  const Parameter* parameter = nullptr;
};

// Options that may also stand before the command (murlo --json direct A B).
extern const OptionSpec kDatabaseOption;  // --db FILE
extern const OptionSpec kJsonOption;      // --json
extern const OptionSpec kRawOption;       // --raw
extern const OptionSpec kOrderOption;     // --order time|index
extern const OptionSpec kNoFaresOption;   // --no-fares
extern const OptionSpec kForceOption;     // --force
// The table columns of the train lists.
extern const OptionSpec kColumnsOption;  // --columns LIST
extern const OptionSpec kModeOption;     // --mode 0|1 (direct)
extern const OptionSpec kNameOption;     // --name PART (stations)
// Boards and journeys.
extern const OptionSpec kAtOption;            // --at HH:MM
extern const OptionSpec kDirectAtOption;      // --at HH:MM (direct: the order from a time)
extern const OptionSpec kQuestionDateOption;  // --date DATE
extern const OptionSpec kBeforeOption;        // --before HH:MM (plan)
extern const OptionSpec kArriveByOption;      // --arrive-by HH:MM (plan)
extern const OptionSpec kBoardLimitOption;    // --limit N (departures, arrivals)
extern const OptionSpec kJourneyLimitOption;  // --limit N (plan)
extern const OptionSpec kChangesOption;       // --changes N
extern const OptionSpec kChangeTimeOption;    // --change-time MIN
// murlo serve.
extern const OptionSpec kHostOption;       // --host HOST
extern const OptionSpec kPortOption;       // --port PORT
extern const OptionSpec kThreadsOption;    // --threads N
extern const OptionSpec kAccessLogOption;  // --access-log FILE|-
extern const OptionSpec kCacheOption;      // --cache MIB

class CommandLine;

struct Command {
  std::string_view name;
  std::string_view usage;    // "pack DIR OUT"
  std::string_view summary;  // one line
  std::string_view help;     // further paragraphs for "murlo help COMMAND"
  std::string_view example;  // one or more command lines
  std::vector<const OptionSpec*> options;
  std::size_t minOperands = 0;
  std::size_t maxOperands = 0;
  bool query = false;  // loads a database and answers a question
  int (*run)(const CommandLine& line) = nullptr;
  // The exit statuses for its help, when not those of every query or file
  // command.
  std::string_view exitStatus = "";
};

// What the command line said to one command, values not yet checked.
class CommandLine {
 public:
  CommandLine(const Command& command, std::vector<std::string> operands,
              std::map<const OptionSpec*, std::vector<std::string>> values,
              std::map<const OptionSpec*, int> flags)
      : command_(command),
        operands_(std::move(operands)),
        values_(std::move(values)),
        flags_(std::move(flags)) {}

  const Command& command() const { return command_; }
  const std::vector<std::string>& operands() const { return operands_; }
  const std::string& operand(std::size_t i) const { return operands_[i]; }

  bool flag(const OptionSpec& option) const;
  // The value of a value option (given at most once unless repeatable: the
  // last), or nothing.
  std::optional<std::string> value(const OptionSpec& option) const;
  // Every value of a repeatable option, in command-line order.
  std::vector<std::string> values(const OptionSpec& option) const;

 private:
  const Command& command_;
  std::vector<std::string> operands_;
  std::map<const OptionSpec*, std::vector<std::string>> values_;
  std::map<const OptionSpec*, int> flags_;
};

// Runs the whole command line (argv after the program name).
int runCommandLine(const std::vector<std::string>& args);

// Prints "murlo: <message>" on standard error and returns kExitFailure.
int fail(std::string_view message);
// Prints "murlo: <message>" and the command's usage line; returns kExitUsage.
int usageError(const Command& command, std::string_view message);
// Says why `command` failed on standard error and returns the exit status
// of the failure: a value not taken (kBadParameter) with the usage line, as
// usageError; several trains listed in a table below the message; any
// other failure as fail.
int reportFailure(const Command& command, const Status& status);

// Reads the value of `option` against its entry of the table of parameters
// (option.parameter) into `value`, which keeps its default when the option
// is not given: the number, the minute of the day, or the place of the word
// among the choices. A kBadParameter status when the value is not taken.
Status readOption(const CommandLine& line, const OptionSpec& option, int& value);

// The commands (main.cc), and the one named `name` or nullptr.
const std::vector<Command>& allCommands();
const Command* findCommand(std::string_view name);

// Queries through the library (cmd_query.cc, cmd_stops.cc, cmd_plan.cc,
// cmd_header.cc).
int runStations(const CommandLine& line);
int runAt(const CommandLine& line);
int runDirect(const CommandLine& line);
int runNumber(const CommandLine& line);
int runDepartures(const CommandLine& line);
int runArrivals(const CommandLine& line);
int runPlan(const CommandLine& line);
int runStops(const CommandLine& line);
int runHeader(const CommandLine& line);

// The database as a web page and a JSON API (cmd_serve.cc).
int runServe(const CommandLine& line);

// Database files (cmd_pack.cc, cmd_build.cc).
int runPack(const CommandLine& line);
int runUnpack(const CommandLine& line);
int runBuild(const CommandLine& line);
int runDump(const CommandLine& line);

// Networks from elsewhere (cmd_generate.cc, cmd_import_gtfs.cc).
int runGenerate(const CommandLine& line);
int runImportGtfs(const CommandLine& line);
int runGtfsInfo(const CommandLine& line);
const std::vector<const OptionSpec*>& generateOptions();
const std::vector<const OptionSpec*>& importGtfsOptions();

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_CLI_COMMANDS_H_
