// murlo: the command-line host of the Murloppc engine.
#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

#include "commands.h"
#include "host.h"
#include "murloppc.h"

namespace murlo::tool {
namespace {

const Command kCommands[] = {
    {"stations", "stations ABBR", "station names whose abbreviation begins with ABBR",
     kQueryOptionsHelp, runStations},
    {"at", "at STATION", "every train calling at STATION, each for its whole run",
     kQueryOptionsHelp, runAt},
    {"direct", "direct FROM TO [--mode 1]", "direct trains from FROM to TO, or change stations",
     kQueryOptionsHelp, runDirect},
    {"number", "number NUMBER", "trains running under NUMBER, with or without its letters",
     kQueryOptionsHelp, runNumber},
    {"stops", "stops TRAIN FROM TO", "the stop list of train TRAIN with FROM to TO marked",
     kQueryOptionsHelp, runStops},
    {"header", "header [FILE]", "the database's header text",
     "Loads the database (FILE, or --db FILE, or the sample network) through the\n"
     "library, as a host would, and prints its header text.\n",
     runHeader},
    {"build", "build SOURCE OUT", "compile a timetable source into a database file",
     "Checks every rule of the source format (docs/timetable-source.md) and writes\n"
     "OUT only when there is no error. Errors name the file and line.\n",
     runBuild},
    {"dump", "dump DB SOURCE", "write a database file as timetable source",
     "Writes any database file the library loads as timetable source; building\n"
     "the dump gives the same file byte for byte. What breaks the format's rules\n"
     "is reported as warnings on standard error and in the dump.\n",
     runDump},
    {"generate", "generate SIZE OUT [--seed N] [--source]",
     "write a synthetic network of a chosen size",
     "SIZE is small (300 stations, 1,000 trains), national (3,000 stations,\n"
     "10,000 trains) or maximal (10,000 stations, 10,000 trains of up to 100\n"
     "stops). The same seed always gives the same network. OUT is a database\n"
     "file, or timetable source with --source.\n",
     runGenerate},
    {"import-gtfs", "import-gtfs FEED OUT --date YYYYMMDD",
     "build a database from a GTFS feed (zip or folder)",
     "Selects the trips that run on the date and writes them as a database.\n"
     "See docs/gtfs-import.md for the options.\n",
     runImportGtfs},
    {"gtfs-info", "gtfs-info FEED [--json]",
     "what a GTFS feed holds: agencies, routes, dates, stations, calls",
     "Reads the whole feed (a zip file or a folder) and prints its agencies, its\n"
     "routes by route_type, the dates its trips run on with the busiest, the\n"
     "stations called at, the calls that restrict boarding or alighting, and\n"
     "its shapes; --json prints one JSON object. Pick --date, --route-type and\n"
     "--agency for import-gtfs from it.\n",
     runGtfsInfo},
    {"pack", "pack DIR OUT", "write a database file from a header and seven plain sections",
     "DIR holds header.bin (the raw header, at most ten bytes) and section1.txt ...\n"
     "section7.txt (the plain GBK text of each section, without its terminator).\n"
     "Text that the file format cannot store is refused with its section and offset.\n",
     runPack},
    {"unpack", "unpack FILE DIR", "write a database file's header and plain sections to DIR",
     "The inverse of pack: pack DIR OUT then unpack OUT DIR gives back DIR byte for\n"
     "byte. DIR is created when it does not exist.\n",
     runUnpack},
};

void printHelp() {
  std::cout << "usage: murlo COMMAND [ARGS...]\n"
               "       murlo COMMAND --help\n"
               "       murlo --version\n\n"
               "Commands:\n";
  for (const Command& command : kCommands) {
    std::cout << "  " << command.usage;
    for (std::size_t pad = command.usage.size(); pad < 18; ++pad) std::cout << ' ';
    std::cout << "  " << command.summary << '\n';
  }
  std::cout << "\nExit status: 0 on success, 1 when a command fails, 2 for a wrong command line.\n";
}

}  // namespace

const Command* findCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

int fail(std::string_view message) {
  std::cerr << "murlo: " << message << '\n';
  return kExitFailure;
}

int usageError(const Command& command, std::string_view message) {
  std::cerr << "murlo: " << message << "\nusage: murlo " << command.usage << '\n';
  return kExitUsage;
}

int run(const std::vector<std::string_view>& args) {
  if (args.empty()) {
    printHelp();
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printHelp();
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::cout << "murlo " << murlo_version() << '\n'
              << "default database: " << defaultDatabasePath() << '\n';
    return kExitOk;
  }
  const Command* command = findCommand(args[0]);
  if (command == nullptr) {
    std::cerr << "murlo: unknown command '" << args[0] << "' (see murlo --help)\n";
    return kExitUsage;
  }
  const Args rest(args.data() + 1, args.size() - 1);
  for (const std::string_view arg : rest) {
    if (arg == "--help" || arg == "-h") {
      std::cout << "usage: murlo " << command->usage << "\n\n"
                << command->summary << ".\n\n"
                << command->help;
      return kExitOk;
    }
  }
  return command->run(rest);
}

}  // namespace murlo::tool

int main(int argc, char** argv) {
  try {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    const int status = murlo::tool::run(args);
    std::cout.flush();
    return std::cout ? status : murlo::tool::kExitFailure;
  } catch (const std::exception& e) {
    return murlo::tool::fail(e.what());
  }
}
