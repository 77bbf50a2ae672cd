// The one command-line parser of murlo (CLI11): global options before the
// command, the command's own options and operands after it, help, and the
// messages of a wrong command line.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cassert>
#include <iostream>
#include <string>

#include "answers/ascii_text.h"
#include "answers/host.h"
#include "answers/text_table.h"
#include "answers/visible_text.h"
#include "cli/commands.h"
#include "cli/did_you_mean.h"
#include "murloppc.h"

namespace murlo::tool {
namespace {

// The options that `murlo help` lists as standing before the command as
// well as after it; any option of the command may stand there too.
const std::vector<const OptionSpec*>& globalOptions() {
  static const std::vector<const OptionSpec*> options = {
      &kDatabaseOption, &kJsonOption, &kRawOption, &kOrderOption, &kNoFaresOption, &kForceOption};
  return options;
}

const OptionSpec* findGlobal(std::string_view name) {
  for (const OptionSpec* option : globalOptions()) {
    if (option->name == name) return option;
  }
  return nullptr;
}

const OptionSpec* findOption(const std::vector<const OptionSpec*>& options, std::string_view name) {
  for (const OptionSpec* option : options) {
    if (option->name == name) return option;
  }
  return nullptr;
}

// Whether the words of `args` before `end` are options of `command` (or
// global options), each with its value where it takes one.
bool optionsOf(const Command& command, const std::vector<std::string>& args, std::size_t end) {
  for (std::size_t at = 0; at < end;) {
    const std::string& arg = args[at];
    if (arg.size() < 2 || arg[0] != '-') return false;
    const std::string name = arg.substr(0, arg.find('='));
    const OptionSpec* option = findOption(command.options, name);
    if (option == nullptr) option = findGlobal(name);
    if (option == nullptr) return false;
    at += !option->valueName.empty() && name == arg ? 2u : 1u;
    if (at > end) return false;
  }
  return true;
}

// Where the command stands: the first word that names a command whose own
// options are all the words before it ("murlo --limit 1 departures 天津").
std::optional<std::size_t> commandPosition(const std::vector<std::string>& args) {
  for (std::size_t at = 0; at < args.size(); ++at) {
    const Command* command = findCommand(args[at]);
    if (command != nullptr && optionsOf(*command, args, at)) return at;
  }
  return std::nullopt;
}

std::string optionLabel(const OptionSpec& option) {
  std::string label(option.name);
  if (!option.valueName.empty()) label += " " + std::string(option.valueName);
  return label;
}

// Two columns: labels, then their help (continuation lines indented).
void printOptionTable(std::ostream& out,
                      const std::vector<std::pair<std::string, std::string_view>>& rows) {
  std::size_t width = 0;
  for (const auto& [label, help] : rows) width = std::max(width, label.size());
  for (const auto& [label, help] : rows) {
    out << "  " << label << std::string(width - label.size() + 2, ' ');
    std::size_t begin = 0;
    for (bool first = true; begin <= help.size(); first = false) {
      std::size_t end = help.find('\n', begin);
      if (end == std::string_view::npos) end = help.size();
      if (!first) out << std::string(width + 4, ' ');
      out << help.substr(begin, end - begin) << '\n';
      begin = end + 1;
    }
  }
}

constexpr std::string_view kQueryExitStatus =
    "Exit status:\n"
    "  0  the query ran, also when it found nothing\n"
    "  1  the query failed: unknown station, unknown train, the same station\n"
    "     as origin and destination, a database that cannot be loaded\n"
    "  2  the command line is wrong: missing or extra arguments, an unknown\n"
    "     option, a value out of range, an argument that is not valid UTF-8\n";
constexpr std::string_view kFileExitStatus =
    "Exit status:\n"
    "  0  the output is written (one summary line says what)\n"
    "  1  nothing was written: the input is wrong, or an output would replace\n"
    "     an input, a file of another kind or anything but a regular file\n"
    "  2  the command line is wrong\n";

void printCommandHelp(const Command& command, std::ostream& out) {
  std::string summary(command.summary);
  if (!summary.empty()) summary[0] = asciiUpper(summary[0]);
  out << "usage: murlo " << command.usage << " [OPTIONS]\n\n" << summary << ".\n";
  if (!command.help.empty()) out << '\n' << command.help;
  std::vector<std::pair<std::string, std::string_view>> rows;
  for (const OptionSpec* option : command.options)
    rows.emplace_back(optionLabel(*option), option->help);
  rows.emplace_back("-h, --help", "show this help");
  out << "\nOptions:\n";
  printOptionTable(out, rows);
  out << "\nExample:\n"
      << command.example << "\n\n"
      << (!command.exitStatus.empty() ? command.exitStatus
          : command.query             ? kQueryExitStatus
                                      : kFileExitStatus);
}

void printCommandList(std::ostream& out, bool queries) {
  std::vector<std::pair<std::string, std::string_view>> rows;
  for (const Command& command : allCommands()) {
    if (command.query == queries) rows.emplace_back(std::string(command.usage), command.summary);
  }
  printOptionTable(out, rows);
}

void printHelp(std::ostream& out) {
  out << "usage: murlo COMMAND [ARGS...] [OPTIONS]\n"
         "       murlo help COMMAND\n"
         "       murlo --version\n\n"
         "Ask a railway timetable database: stations, trains at a station, direct\n"
         "trains, departure boards, journeys with changes, trains by number, a\n"
         "train's stops. Make and read database files.\n\n"
         "Queries:\n";
  printCommandList(out, true);
  out << "\nFiles:\n";
  printCommandList(out, false);
  out << "\nOptions that may stand before or after the command:\n";
  std::vector<std::pair<std::string, std::string_view>> rows;
  for (const OptionSpec* option : globalOptions())
    rows.emplace_back(optionLabel(*option), option->help);
  printOptionTable(out, rows);
  out << "\nThe database is --db FILE, else the file MURLO_DB names, else the bundled\n"
         "sample network (murlo --version shows which).\n"
         "\nExit status: 0 on success, 1 when a command fails, 2 for a wrong command line.\n";
}

void printShortUsage(std::ostream& out) {
  out << "usage: murlo COMMAND [ARGS...] [OPTIONS]\n"
         "commands:";
  for (const Command& command : allCommands()) out << ' ' << command.name;
  out << " help\n"
         "try 'murlo direct 北京 上海' on the bundled sample, or 'murlo help' for more\n";
}

std::vector<std::string> commandNames() {
  std::vector<std::string> names;
  for (const Command& command : allCommands()) names.emplace_back(command.name);
  names.emplace_back("help");
  return names;
}

std::vector<std::string> optionNames(const std::vector<const OptionSpec*>& options) {
  std::vector<std::string> names;
  for (const OptionSpec* option : options) names.emplace_back(option->name);
  names.emplace_back("--help");
  return names;
}

int unknownCommand(std::string_view word) {
  std::cerr << "murlo: unknown command '" << word << "'" << didYouMean(word, commandNames())
            << " (see murlo help)\n";
  return kExitUsage;
}

// "murlo help [COMMAND]".
int runHelp(const std::vector<std::string>& operands) {
  if (operands.empty()) {
    printHelp(std::cout);
    return kExitOk;
  }
  const Command* command = findCommand(operands[0]);
  if (command == nullptr) {
    if (operands[0] == "help") {
      std::cout << "usage: murlo help [COMMAND]\n\nThe help of COMMAND, or of murlo.\n";
      return kExitOk;
    }
    return unknownCommand(operands[0]);
  }
  printCommandHelp(*command, std::cout);
  return kExitOk;
}

// The message of a CLI11 parse error in murlo's words.
std::string parseErrorMessage(const CLI::ParseError& error) {
  const std::string what = error.what();
  const std::string missing = ": 1 required TEXT missing";
  if (what.size() > missing.size() &&
      what.compare(what.size() - missing.size(), missing.size(), missing) == 0) {
    return what.substr(0, what.size() - missing.size()) + " needs a value";
  }
  return what;
}

std::string operandCount(const Command& command) {
  const auto number = [](std::size_t n) { return std::to_string(n); };
  if (command.minOperands == command.maxOperands) {
    return number(command.minOperands) + (command.minOperands == 1 ? " argument" : " arguments");
  }
  return number(command.minOperands) +
         (command.maxOperands == command.minOperands + 1 ? " or " : " to ") +
         number(command.maxOperands) + " arguments";
}

// Ok when every argument is valid UTF-8; else which one is not, counted
// from the command (or from the first argument when there is no command
// before it).
Status checkArgumentsAreText(const std::vector<std::string>& args) {
  std::size_t commandAt = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!toLibraryText(args[i])) {
      const std::size_t number = commandAt == 0 ? i + 1 : i - commandAt + 1;
      return Status::badParameter("", "argument " + std::to_string(number) + " is not valid UTF-8");
    }
    if (commandAt == 0 && findCommand(args[i]) != nullptr) commandAt = i + 1;
  }
  return Status();
}

}  // namespace

bool CommandLine::flag(const OptionSpec& option) const {
  const auto it = flags_.find(&option);
  return it != flags_.end() && it->second > 0;
}

std::optional<std::string> CommandLine::value(const OptionSpec& option) const {
  const auto it = values_.find(&option);
  if (it == values_.end() || it->second.empty()) return std::nullopt;
  return it->second.back();
}

std::vector<std::string> CommandLine::values(const OptionSpec& option) const {
  const auto it = values_.find(&option);
  return it == values_.end() ? std::vector<std::string>{} : it->second;
}

int fail(std::string_view message) {
  std::cerr << "murlo: " << visibleMessage(message) << '\n';
  return kExitFailure;
}

int usageError(const Command& command, std::string_view message) {
  std::cerr << "murlo: " << visibleMessage(message) << "\nusage: murlo " << command.usage
            << "  (see murlo help " << command.name << ")\n";
  return kExitUsage;
}

int exitStatusOf(Status::Kind kind) {
  switch (kind) {
    case Status::Kind::kOk: return kExitOk;
    case Status::Kind::kBadParameter:
    case Status::Kind::kInvalidArgument: return kExitUsage;
    default: return kExitFailure;
  }
}

int reportFailure(const Command& command, const Status& status) {
  switch (status.kind()) {
    case Status::Kind::kOk: return kExitOk;
    case Status::Kind::kBadParameter: return usageError(command, status.message());
    case Status::Kind::kSeveralTrains: {
      std::cerr << "murlo: " << visibleMessage(status.message()) << " (murlo stops INDEX):\n";
      TextTable table(
          {{"Index", Align::kRight}, {"Train"}, {"From"}, {"Departs"}, {"To"}, {"Arrives"}});
      for (const TrainLine& t : status.trains()) {
        table.addRow({std::to_string(t.index), t.number, t.from, t.departure, t.to, t.arrival});
      }
      table.print(std::cerr);
      return exitStatusOf(status.kind());
    }
    default:
      std::cerr << "murlo: " << visibleMessage(status.message()) << '\n';
      return exitStatusOf(status.kind());
  }
}

Status readOption(const CommandLine& line, const OptionSpec& option, int& value) {
  assert(option.parameter != nullptr);  // an option read by readOption names its entry
  const auto given = line.value(option);
  if (!given) return Status();
  const Result<int> read = readParameter(*option.parameter, option.name, *given, Quoting::kAsTyped);
  if (!read.ok()) return read.status();
  value = *read;
  return Status();
}

const Command* findCommand(std::string_view name) {
  for (const Command& command : allCommands()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

int runCommandLine(const std::vector<std::string>& args) {
  // Before the command is known: no usage line to add.
  if (const Status status = checkArgumentsAreText(args); !status.ok()) {
    std::cerr << "murlo: " << status.message() << '\n';
    return exitStatusOf(status.kind());
  }
  if (args.empty()) {
    printShortUsage(std::cerr);
    return kExitUsage;
  }
  // The command: the first word that is neither an option before it nor the
  // value of one. The options before it are read as if they stood after it.
  if (const auto position = commandPosition(args); position && *position > 0) {
    std::vector<std::string> reordered(args.begin() + static_cast<long>(*position),
                                       args.begin() + static_cast<long>(*position) + 1);
    reordered.insert(reordered.end(), args.begin(), args.begin() + static_cast<long>(*position));
    reordered.insert(reordered.end(), args.begin() + static_cast<long>(*position) + 1, args.end());
    return runCommandLine(reordered);
  }
  std::size_t at = 0;
  while (at < args.size() && args[at].size() > 1 && args[at][0] == '-') {
    const std::string& arg = args[at];
    if (arg == "--help" || arg == "-h") return runHelp({});
    if (arg == "--version") {
      std::cout << "murlo " << murlo_version() << '\n'
                << "default database: " << defaultDatabasePath() << '\n';
      return kExitOk;
    }
    const std::string name = arg.substr(0, arg.find('='));
    const OptionSpec* global = findGlobal(name);
    if (global == nullptr) {
      std::vector<std::string> names = optionNames(globalOptions());
      names.emplace_back("--version");
      std::cerr << "murlo: unknown option " << name << didYouMean(name, names)
                << " before the command (see murlo help)\n";
      return kExitUsage;
    }
    at += !global->valueName.empty() && name == arg ? 2u : 1u;
  }
  if (at >= args.size()) {
    printShortUsage(std::cerr);
    return kExitUsage;
  }
  if (args[at] == "help") return runHelp({args.begin() + static_cast<long>(at) + 1, args.end()});
  const Command* command = findCommand(args[at]);
  if (command == nullptr) return unknownCommand(args[at]);

  CLI::App app{"", "murlo"};
  app.set_help_flag();
  std::map<const OptionSpec*, std::vector<std::string>> rootValues, values;
  std::map<const OptionSpec*, int> rootFlags, flags;
  const auto declare = [](CLI::App& to, const OptionSpec* option, auto& valueMap, auto& flagMap) {
    const std::string name(option->name);
    if (option->valueName.empty()) {
      to.add_flag(name, flagMap[option]);
    } else {
      to.add_option(name, valueMap[option])
          ->expected(1)
          ->allow_extra_args(false)
          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    }
  };
  for (const OptionSpec* option : globalOptions()) declare(app, option, rootValues, rootFlags);
  CLI::App* sub = app.add_subcommand(std::string(command->name));
  sub->set_help_flag();
  sub->allow_extras();
  int help = 0;
  sub->add_flag("-h,--help", help);
  std::vector<std::string> operands;
  sub->add_option("operands", operands);
  for (const OptionSpec* option : command->options) declare(*sub, option, values, flags);
  std::vector<const char*> argv = {"murlo"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& error) {
    return usageError(*command, parseErrorMessage(error));
  }
  if (help > 0) {
    printCommandHelp(*command, std::cout);
    return kExitOk;
  }
  for (const std::string& extra : sub->remaining()) {
    if (extra == "--") continue;
    const std::string name = extra.substr(0, extra.find('='));
    if (findGlobal(name) != nullptr) {
      return usageError(*command, std::string(command->name) + " takes no option " + name);
    }
    return usageError(*command,
                      "unknown option " + name + didYouMean(name, optionNames(command->options)));
  }
  for (const OptionSpec* option : globalOptions()) {
    const bool given = !rootValues[option].empty() || rootFlags[option] > 0;
    if (!given) continue;
    if (std::find(command->options.begin(), command->options.end(), option) ==
        command->options.end()) {
      return usageError(
          *command, std::string(command->name) + " takes no option " + std::string(option->name));
    }
    auto& into = values[option];
    into.insert(into.begin(), rootValues[option].begin(), rootValues[option].end());
    flags[option] += rootFlags[option];
  }
  for (const auto& [option, given] : values) {
    if (given.size() > 1 && !option->repeatable) {
      return usageError(*command, "give " + std::string(option->name) + " once");
    }
  }
  if (operands.size() < command->minOperands || operands.size() > command->maxOperands) {
    return usageError(*command, std::string(command->name) + " takes " + operandCount(*command) +
                                    ", not " + std::to_string(operands.size()));
  }
  const CommandLine line(*command, std::move(operands), std::move(values), std::move(flags));
  return command->run(line);
}

}  // namespace murlo::tool
