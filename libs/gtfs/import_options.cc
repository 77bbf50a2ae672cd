#include "gtfs/import_options.h"

#include <vector>

#include "gtfs/field_values.h"
#include "gtfs/service_day.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo::gtfs {
namespace {

bool oneOf(std::string_view value, std::string_view allowed) {
  return value.size() == 1 && allowed.find(value[0]) != std::string_view::npos;
}

std::optional<std::vector<int32_t>> routeTypes(std::string_view list) {
  std::vector<int32_t> types;
  std::size_t begin = 0;
  while (begin <= list.size()) {
    std::size_t end = list.find(',', begin);
    if (end == std::string_view::npos) end = list.size();
    const auto type = toInt(list.substr(begin, end - begin));
    if (!type || *type < 0) return std::nullopt;
    types.push_back(*type);
    begin = end + 1;
  }
  return types;
}

}  // namespace

const char* const kImportHelp =
    "FEED is a GTFS feed: a zip file or an unpacked folder. The trips that run\n"
    "on the date (calendar.txt and calendar_dates.txt) become the trains of the\n"
    "database OUT; every station they call at becomes a station.\n"
    "\n"
    "Options (as --name value or --name=value):\n"
    "  --date YYYYMMDD     the service date (required)\n"
    "  --route-type LIST   only routes of these types, such as 2 or 2,109 (a basic\n"
    "                      type also takes its extended types: 2 takes 100-199)\n"
    "  --agency NAME       only routes of this agency (agency_id or agency_name);\n"
    "                      repeat it for more than one\n"
    "  --source FILE       also write the timetable source, for review\n"
    "  --class C           class code of every train (default: 9, or B, 6, 7 for\n"
    "                      route types 101, 102, 103)\n"
    "  --columns F         fare-column code (default 8: hard seat only)\n"
    "  --rate R            fare-rate code (default D: 1.00)\n"
    "  --header TEXT       the database header (default: the date, YYYYMMDD)\n"
    "  --all-calls         keep every call, even where the feed forbids boarding\n"
    "                      or alighting (trains then offer rides it forbids)\n"
    "  --short-names       names of at most 11 bytes, for hosts with fixed fields\n"
    "                      (default: whole names, up to 100 bytes)\n"
    "  --abbreviations A   initials (default: the initials of the name's words)\n"
    "                      or stop-code (the feed's stop_code where it is letters\n"
    "                      and digits)\n"
    "  --quiet             no progress lines\n"
    "  --verbose           every warning, not the first five of each kind\n"
    "\n"
    "What the import changed, split or dropped is reported on standard error;\n"
    "one summary line on standard output says what was built. See\n"
    "docs/gtfs-import.md.\n";

std::optional<ImportCommandLine> parseImportCommandLine(std::span<const std::string_view> args,
                                                        std::string& error) {
  ImportCommandLine line;
  std::vector<std::string> operands;
  bool dateGiven = false;
  std::optional<std::string> header;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg.size() < 2 || arg.substr(0, 2) != "--") {
      operands.emplace_back(arg);
      continue;
    }
    if (arg == "--quiet" || arg == "--verbose") {
      (arg == "--quiet" ? line.quiet : line.verbose) = true;
      continue;
    }
    if (arg == "--all-calls" || arg == "--short-names") {
      (arg == "--all-calls" ? line.options.runs.allCalls : line.options.stations.shortNames) = true;
      continue;
    }
    std::string_view name = arg;
    std::string value;
    if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
      name = arg.substr(0, equals);
      value = std::string(arg.substr(equals + 1));
    } else {
      static constexpr std::string_view kValued[] = {"--date",   "--route-type", "--agency",
                                                     "--source", "--class",      "--columns",
                                                     "--rate",   "--header",     "--abbreviations"};
      bool known = false;
      for (const std::string_view k : kValued) known = known || k == name;
      if (!known) {
        error = "unknown option " + std::string(arg);
        return std::nullopt;
      }
      if (i + 1 == args.size()) {
        error = std::string(name) + " needs a value";
        return std::nullopt;
      }
      value = std::string(args[++i]);
    }
    if (name == "--date") {
      const auto date = parseDate(value);
      if (!date) {
        error = "--date takes a date YYYYMMDD, not '" + value + "'";
        return std::nullopt;
      }
      line.options.filter.date = *date;
      dateGiven = true;
    } else if (name == "--route-type") {
      const auto types = routeTypes(value);
      if (!types) {
        error = "--route-type takes route types such as 2 or 2,109, not '" + value + "'";
        return std::nullopt;
      }
      line.options.filter.routeTypes.insert(line.options.filter.routeTypes.end(), types->begin(),
                                            types->end());
    } else if (name == "--agency") {
      line.options.filter.agencies.push_back(value);
    } else if (name == "--source") {
      line.sourcePath = value;
    } else if (name == "--class") {
      if (!oneOf(value, "123467890AB")) {
        error = "--class takes one of 1 2 3 4 6 7 8 9 0 A B, not '" + value + "'";
        return std::nullopt;
      }
      line.options.classCode = value[0];
    } else if (name == "--columns") {
      if (!oneOf(value, "123456789ABCDEF")) {
        error = "--columns takes a hexadecimal digit 1 to F, not '" + value + "'";
        return std::nullopt;
      }
      line.options.fareColumnCode = value[0];
    } else if (name == "--rate") {
      if (!oneOf(value, "DEFGHIJKLMNOPQRSTUVWX")) {
        error = "--rate takes a letter D to X, not '" + value + "'";
        return std::nullopt;
      }
      line.options.fareRateCode = value[0];
    } else if (name == "--abbreviations") {
      if (value != "initials" && value != "stop-code") {
        error = "--abbreviations takes initials or stop-code, not '" + value + "'";
        return std::nullopt;
      }
      line.options.stations.abbreviations =
          value == "initials" ? Abbreviations::kInitials : Abbreviations::kStopCode;
    } else if (name == "--header") {
      std::u16string units;
      std::string gbk;
      if (!utf8ToUtf16(value, units) || !utf16ToGbk(units, gbk) || gbk.size() > 10 ||
          gbk.find('\0') != std::string::npos) {
        error = "--header takes at most 10 bytes of text in GBK (five Chinese characters)";
        return std::nullopt;
      }
      header = value;
    } else {
      error = "unknown option " + std::string(name);
      return std::nullopt;
    }
  }
  if (operands.size() != 2) {
    error = "import-gtfs takes a feed and an output file";
    return std::nullopt;
  }
  if (!dateGiven) {
    error = "import-gtfs needs --date YYYYMMDD";
    return std::nullopt;
  }
  line.options.feed = operands[0];
  line.out = operands[1];
  if (header) {
    line.options.header = *header;
  } else {
    const std::string date = formatDate(line.options.filter.date);
    line.options.header = date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2);
  }
  return line;
}

}  // namespace murlo::gtfs
