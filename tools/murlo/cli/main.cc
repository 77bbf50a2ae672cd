// murlo: the command-line host of the Murloppc engine. The commands, their
// options and their help; command_line.cc reads the command line.
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace murlo::tool {

const OptionSpec kDatabaseOption = {
    "--db", "FILE", "the database to load (default: $MURLO_DB, else the bundled sample)"};
const OptionSpec kJsonOption = {"--json", "", "print the result as one JSON object on one line"};
const OptionSpec kRawOption = {"--raw", "",
                               "print the library's result text unchanged, then a newline"};
const OptionSpec kOrderOption = {"--order", "time|index",
                                 "time: by departure (the default); index: the library's order",
                                 false, &kOrderParameter};
const OptionSpec kNoFaresOption = {"--no-fares", "", "leave the fare columns out of the table"};
const OptionSpec kForceOption = {"--force", "",
                                 "replace an existing file of another kind (never an input,\n"
                                 "never anything but a regular file)"};
const OptionSpec kColumnsOption = {
    "--columns", "LIST",
    "the table's columns, such as train,departs,arrives (murlo help at\n"
    "lists them); the default fits the terminal"};
const OptionSpec kModeOption = {"--mode", "0|1", "1: mark every train line with H (default 0)",
                                false, &kModeParameter};
const OptionSpec kNameOption = {"--name", "PART",
                                "stations whose name contains PART (any letter case)"};
const OptionSpec kAtOption = {"--at", "HH:MM",
                              "from this time of day on (default: now, by the local clock; in the\n"
                              "timetable's time zone where the database has a calendar)",
                              false, &kTimeOfDayParameter};
const OptionSpec kDirectAtOption = {
    "--at", "HH:MM",
    "the next trains from this time of day on: in order of departure\n"
    "from it, round the clock (default 00:00)",
    false, &kTimeOfDayParameter};
const OptionSpec kQuestionDateOption = {
    "--date", "DATE",
    "the day asked about: YYYY-MM-DD (or YYYYMMDD), today or tomorrow in the\n"
    "timetable's time zone (default: today where the database has a calendar)",
    false, &kDateParameter};
const OptionSpec kBeforeOption = {
    "--before", "HH:MM",
    "the latest journeys leaving before this time of day (the page before\n"
    "one that leaves then), instead of --at",
    false, &kBeforeParameter};
const OptionSpec kArriveByOption = {"--arrive-by", "HH:MM",
                                    "the latest journeys arriving by this time of day, instead of\n"
                                    "--at",
                                    false, &kArriveByParameter};
const OptionSpec kBoardLimitOption = {
    "--limit", "N", "at most N trains, 0 for every one (default 20)", false, &kBoardLimitParameter};
const OptionSpec kJourneyLimitOption = {
    "--limit", "N", "at most N journeys, 0 for all of the next 24 hours (default 10)", false,
    &kJourneyLimitParameter};
const OptionSpec kChangesOption = {"--changes", "N", "at most N changes, 0 to 7 (default 3)", false,
                                   &kChangesParameter};
const OptionSpec kChangeTimeOption = {
    "--change-time", "MIN",
    "at least MIN minutes for every change, 0 to 1439 (default: a station's\n"
    "own change time where it has one, else 10)",
    false, &kChangeTimeParameter};
const OptionSpec kHostOption = {"--host", "HOST",
                                "the address to listen on (default 127.0.0.1: this machine only)"};
const OptionSpec kPortOption = {"--port", "PORT", "the port (default 8080; 0 picks a free one)",
                                false, &kPortParameter};
const OptionSpec kThreadsOption = {
    "--threads", "N", "requests answered at once, 1 to 256 (default 8)", false, &kThreadsParameter};
const OptionSpec kAccessLogOption = {
    "--access-log", "FILE",
    "append a JSON object a line per request to FILE (- for standard output)"};
const OptionSpec kCacheOption = {"--cache", "MIB",
                                 "keep answers to questions asked again, up to MIB MiB, 0 to 4096\n"
                                 "(default 64; 0 keeps none)",
                                 false, &kCacheParameter};

namespace {

constexpr std::string_view kStationNames =
    "A station is found by its exact name first; else by the name typed with\n"
    "spaces for \"_\", in another letter case, by its abbreviation (tj), or by\n"
    "a part of it: one match is taken (murlo says which), several are listed. An unknown station "
    "is\n"
    "reported with the closest names, by abbreviation (BJ) and by pinyin\n"
    "initials (beijing) too. A station group's name (the stations of a city\n"
    "or a complex) is taken by plan; where one station is needed its\n"
    "stations are listed to choose from.\n";

constexpr std::string_view kDates =
    "Where the database has a calendar (a period and the days each train\n"
    "runs), the question is for --date, today by default in the timetable's\n"
    "time zone (the database's, else this machine's), and the answer says the\n"
    "date; a date outside the period is refused, naming the period. Without a\n"
    "calendar every train runs every day: --date is taken and said, and\n"
    "changes nothing. --raw answers for no date and takes no --date.\n";

constexpr std::string_view kTrainTable =
    "Trains are listed in order of departure (--order index keeps the\n"
    "library's order). Times past midnight of a run that crossed it are\n"
    "marked +1, counted from the day the train set out. The table fits the\n"
    "terminal (COLUMNS, or its width): columns are dropped from the least\n"
    "needed on. --columns chooses them from index,\n"
    "train, from, departs, to, arrives, runs-from, runs-to, class, duration,\n"
    "hard-seat, soft-seat, hard-sleeper, soft-sleeper (at also: at-arrives,\n"
    "at-departs), fare. The four fare columns are the built-in tariff's, in\n"
    "whole yuan; a network with fares of its own shows its fare (\"$10.75\")\n"
    "instead, and one without fares none.\n";

const std::vector<const OptionSpec*> kListOptions = {
    &kDatabaseOption, &kJsonOption, &kRawOption, &kOrderOption, &kColumnsOption, &kNoFaresOption};

// Two paragraphs: `a` without its last newline, `b` with it.
std::string joined(std::string_view a, std::string_view b) {
  return std::string(a) + "\n\n" + std::string(b);
}

const std::string kAtHelp = joined(
    "Like a departure board: each train with its arrival and departure at\n"
    "STATION (a train calling twice is listed twice), and its whole run.",
    std::string(kTrainTable) + "\n" + std::string(kStationNames));
const std::string kDirectHelp = joined(
    "Each train is shown for the stretch from FROM to TO. When no train runs\n"
    "directly, the change stations the library proposes are listed. With --at\n"
    "the next trains come first: those leaving from that time on, then those\n"
    "leaving before it (the next day's), as on a departure board. With\n"
    "--date, the trains leaving FROM that day (a calendar's days).",
    std::string(kTrainTable) + "\n" + std::string(kDates) + "\n" + std::string(kStationNames));
const std::string kStopsHelp = joined(
    "TRAIN is a train number (T109) or a train index (the Index column of at,\n"
    "direct and number); digits alone are an index. A number that several\n"
    "trains run under lists them: give the index then. Without FROM and TO no\n"
    "stop is marked. Times past midnight are marked +1.",
    kStationNames);
const std::string kBoardHelp = joined(
    "Like a station's board: every call at STATION, in order of its time there\n"
    "from --at on (the current time by default) round the clock, the next 20\n"
    "unless --limit says otherwise, on --date. Departures show\n"
    "where each train goes and when it arrives there, arrivals where it comes\n"
    "from and when it left. +1 marks a time on the day after the one asked\n"
    "about, -1 one on the day before.",
    std::string(kDates) + "\n" + std::string(kStationNames));
const std::string kPlanHelp = joined(
    "Journeys leaving FROM within 24 hours from --at (the current time by\n"
    "default), with at most 3 changes of at least 10 minutes unless --changes\n"
    "and --change-time say otherwise: every one that no other beats (leaving\n"
    "no earlier, arriving no later, with no more changes), in order of\n"
    "departure, the next 10 unless --limit says otherwise. Each is a line\n"
    "(departure, arrival, duration, changes) with its rides below it and the\n"
    "wait of each change between them. +1 marks a time on the day after the\n"
    "one asked about (--date).\n\n"
    "--arrive-by HH:MM asks for the latest journeys arriving by then instead,\n"
    "--before HH:MM for the latest leaving before then: the page before the\n"
    "first journey shown is --before its departure, the page after the last\n"
    "--at one minute after its departure. -1 marks a time on the day before.\n\n"
    "A station's own change time, and the minutes of a transfer or a station\n"
    "group, hold where the database has them (--change-time, given, is the\n"
    "least every change takes); a change between two stations is a walk\n"
    "(\"walk to X, 7 min\"). A station group's name may be FROM or TO: a\n"
    "journey then starts or ends at any of its stations.",
    std::string(kDates) + "\n" + std::string(kStationNames));
const std::string kNumberHelp =
    joined("NUMBER may be typed without its letter (5 for K5) or suffix.", kTrainTable);

}  // namespace

const std::vector<Command>& allCommands() {
  static const std::vector<Command> commands = {
      {"stations",
       "stations [ABBR]",
       "stations whose abbreviation begins with ABBR, or all",
       "Without ABBR every station is listed, with its abbreviation. Lower-case\n"
       "letters are also tried in capitals (murlo says so). Where the network\n"
       "has its own words, --name may also give a line's name: the stations\n"
       "it calls at come after those whose names hold PART.\n",
       "  murlo stations BJ\n  murlo stations --name 京",
       {&kDatabaseOption, &kJsonOption, &kRawOption, &kNameOption},
       0,
       1,
       true,
       runStations},
      {"at", "at STATION", "every train calling at STATION: its times there and its run", kAtHelp,
       "  murlo at 天津", kListOptions, 1, 1, true, runAt},
      {"direct",
       "direct FROM TO",
       "direct trains from FROM to TO, or change stations",
       kDirectHelp,
       "  murlo direct 北京 上海\n  murlo direct 北京 上海 --at 17:00",
       {&kDatabaseOption, &kJsonOption, &kRawOption, &kOrderOption, &kColumnsOption,
        &kNoFaresOption, &kModeOption, &kDirectAtOption, &kQuestionDateOption},
       2,
       2,
       true,
       runDirect},
      {"number", "number NUMBER", "trains running under NUMBER, with or without its letters",
       kNumberHelp, "  murlo number G1", kListOptions, 1, 1, true, runNumber},
      {"departures",
       "departures STATION",
       "the next trains leaving STATION, like a departure board",
       kBoardHelp,
       "  murlo departures 天津 --at 08:00",
       {&kDatabaseOption, &kJsonOption, &kRawOption, &kAtOption, &kQuestionDateOption,
        &kBoardLimitOption, &kColumnsOption, &kNoFaresOption},
       1,
       1,
       true,
       runDepartures},
      {"arrivals",
       "arrivals STATION",
       "the next trains arriving at STATION, like an arrival board",
       kBoardHelp,
       "  murlo arrivals 天津 --at 08:00 --limit 5",
       {&kDatabaseOption, &kJsonOption, &kRawOption, &kAtOption, &kQuestionDateOption,
        &kBoardLimitOption, &kColumnsOption, &kNoFaresOption},
       1,
       1,
       true,
       runArrivals},
      {"plan",
       "plan FROM TO",
       "journeys from FROM to TO with changes, and when they arrive",
       kPlanHelp,
       "  murlo plan 上海 北京西 --at 08:00\n  murlo plan 武清 上海虹桥 --changes 1 --change-time "
       "20",
       {&kDatabaseOption, &kJsonOption, &kRawOption, &kAtOption, &kQuestionDateOption,
        &kBeforeOption, &kArriveByOption, &kChangesOption, &kChangeTimeOption,
        &kJourneyLimitOption},
       2,
       2,
       true,
       runPlan},
      {"stops",
       "stops TRAIN [FROM TO]",
       "the stop list of a train, the journey FROM to TO marked",
       kStopsHelp,
       "  murlo stops G1 北京南 上海虹桥\n  murlo stops 0",
       {&kDatabaseOption, &kJsonOption, &kRawOption},
       1,
       3,
       true,
       runStops},
      {"header",
       "header [FILE]",
       "the database's header text",
       "Loads the database (FILE, or --db FILE, or the default) through the\n"
       "library, as a host would, and prints its header text, control characters\n"
       "escaped (ESC as \\x1b, a backslash as \\\\); --raw prints its bytes as they are.\n",
       "  murlo header network.db",
       {&kDatabaseOption, &kJsonOption, &kRawOption},
       0,
       1,
       true,
       runHeader},
      {"serve",
       "serve",
       "the database as a web page and a JSON API",
       "Serves a page at / (stations as you type, direct trains and journeys\n"
       "with changes, a station's trains, departure and arrival boards, trains\n"
       "by number, stop lists) and the JSON API under /api/\n"
       "(docs/serve.md), on 127.0.0.1 unless --host says otherwise. Prints its URL\n"
       "on standard output and a line per request on standard error. SIGHUP\n"
       "loads the database file again (a file that fails to load leaves the old\n"
       "one serving); SIGINT or SIGTERM stops once the requests under way are\n"
       "answered. Answers to questions asked again are kept (--cache) until\n"
       "the database is loaded again. /healthz, /readyz and /metrics\n"
       "(Prometheus) are for the operator; listening beyond this machine is\n"
       "warned about.\n",
       "  murlo serve --db network.db --port 8080",
       {&kDatabaseOption, &kHostOption, &kPortOption, &kThreadsOption, &kAccessLogOption,
        &kCacheOption},
       0,
       0,
       true,
       runServe,
       "Exit status:\n"
       "  0  stopped by SIGINT or SIGTERM\n"
       "  1  the database cannot be loaded, or the port cannot be listened on\n"
       "  2  the command line is wrong\n"},
      {"build",
       "build SOURCE OUT",
       "compile a timetable source into a database file",
       "Checks every rule of the source format (docs/timetable-source.md) and\n"
       "writes OUT only when there is no error. Every independent error of the\n"
       "file is reported in one pass (the first 20 shown), each naming the file\n"
       "and line and, where it can, the fix. Warnings (a train given twice, a\n"
       "station no train calls at, left out) do not stop the build. SOURCE may\n"
       "be - (standard input), OUT - (standard output). OUT replaces only a\n"
       "database file, never SOURCE.\n",
       "  murlo build network.tt network.db",
       {&kForceOption},
       2,
       2,
       false,
       runBuild},
      {"dump",
       "dump DB SOURCE",
       "write a database file as timetable source",
       "Writes any database file the library loads as timetable source, its\n"
       "extension included (restricted calls, groups, transfers, change times,\n"
       "the period and the days each train runs);\n"
       "building the dump gives the same file byte for byte. What breaks the format's rules\n"
       "is reported as warnings on standard error and in the dump. A file that\n"
       "holds no station and no train is refused (it is hardly a database).\n"
       "SOURCE replaces only a timetable source murlo wrote, not one written by\n"
       "hand, and never DB; - is standard output.\n",
       "  murlo dump network.db network.tt\n  murlo dump network.db - | less",
       {&kForceOption},
       2,
       2,
       false,
       runDump},
      {"generate", "generate SIZE OUT", "write a synthetic network of a chosen size",
       "SIZE is small (300 stations, 1,000 trains), national (3,000 stations,\n"
       "10,000 trains) or maximal (10,000 stations, 10,000 trains of up to 100\n"
       "stops). The same seed always gives the same network. OUT is a database\n"
       "file, or timetable source with --source.\n",
       "  murlo generate small small.db --seed 7", generateOptions(), 2, 2, false, runGenerate},
      {"import-gtfs", "import-gtfs FEED OUT", "build a database from a GTFS feed (zip or folder)",
       "FEED is a GTFS feed: a zip file or an unpacked folder. The trips that run\n"
       "in the feed's whole period (calendar.txt and calendar_dates.txt) become the\n"
       "trains of the database OUT, trips alike on different days one train, with\n"
       "the days each runs and agency.txt's time zone; when they are more trains\n"
       "than a database holds, only those of the busiest day. --date takes the\n"
       "trains of one date, without days; --from and --to those of a range.\n"
       "Every station they call at becomes a station; transfers.txt gives\n"
       "transfers, change times and station complexes. What the import changed,\n"
       "split or dropped is reported on standard error; a summary line says what\n"
       "was built and for which days, a second the stations whose rides the\n"
       "seven sections hide from hosts that read only them. See\n"
       "docs/gtfs-import.md.\n",
       "  murlo import-gtfs feed.zip city.db --source city.tt\n"
       "  murlo import-gtfs feed.zip day.db --date 20260408",
       importGtfsOptions(), 2, 2, false, runImportGtfs},
      {"gtfs-info",
       "gtfs-info FEED",
       "what a GTFS feed holds: agencies, routes, dates, stations",
       "Reads the whole feed (a zip file or a folder) and prints its agencies and\n"
       "time zone, its routes by route_type, the period its trips run in (first\n"
       "and last date, days) and the trips of each date with the busiest, the\n"
       "stations called at, the calls that restrict boarding or alighting, the\n"
       "rows of transfers.txt by type, and its shapes. Pick --date, --route-type\n"
       "and --agency for import-gtfs from it.\n",
       "  murlo gtfs-info feed.zip --json",
       {&kJsonOption},
       1,
       1,
       false,
       runGtfsInfo},
      {"pack",
       "pack DIR OUT",
       "write a database file from a header and seven plain sections",
       "DIR holds header.bin (the raw header, at most ten bytes) and section1.txt ...\n"
       "section7.txt (the plain GBK text of each section, without its terminator),\n"
       "and extension.bin when the file has an extension (written as it stands\n"
       "after the sections, once checked against them). Text that the file format\n"
       "cannot store is refused with its section and offset.\n",
       "  murlo pack tests/data/worked_example example.db",
       {&kForceOption},
       2,
       2,
       false,
       runPack},
      {"unpack",
       "unpack FILE DIR",
       "write a database file's header and plain sections to DIR",
       "The inverse of pack: pack DIR OUT then unpack OUT DIR gives back DIR byte for\n"
       "byte. The extension after the seventh section, if any, goes to extension.bin;\n"
       "a file whose extension is damaged is refused. DIR is created when it does\n"
       "not exist. Its files are written as\n"
       "regular files only: a symbolic link, FIFO or device in their place is refused.\n",
       "  murlo unpack example.db example",
       {},
       2,
       2,
       false,
       runUnpack},
  };
  return commands;
}

}  // namespace murlo::tool

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = murlo::tool::runCommandLine(args);
    std::cout.flush();
    return std::cout ? status : murlo::tool::kExitFailure;
  } catch (const std::exception& e) {
    return murlo::tool::fail(e.what());
  }
}
