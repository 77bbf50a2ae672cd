// murlo import-gtfs FEED OUT [--date DATE | --from DATE --to DATE] [options].
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "files/file_command.h"
#include "files/files.h"
#include "gtfs/feed_error.h"
#include "gtfs/field_values.h"
#include "gtfs/importer.h"
#include "gtfs/service_day.h"
#include "gtfs/service_period.h"
#include "gtfs/train_table.h"
#include "text/gbk_codec.h"
#include "text/utf8.h"

namespace murlo::tool {
namespace {

const OptionSpec kDateOption = {
    "--date", "DATE",
    "only the trains of this date (YYYY-MM-DD or YYYYMMDD), without days\n"
    "(default: the feed's whole period, each train with the days it runs)"};
const OptionSpec kFromOption = {"--from", "DATE",
                                "with --to: the trains of these dates, with their days"};
const OptionSpec kToOption = {"--to", "DATE", "the last date of --from"};
const OptionSpec kRouteTypeOption = {
    "--route-type", "LIST",
    "only routes of these types, such as 2 or 2,109 (a basic type also\n"
    "takes its extended types: 2 takes 100-199); may be repeated",
    true};
const OptionSpec kAgencyOption = {
    "--agency", "NAME", "only routes of this agency (agency_id or agency_name); may be repeated",
    true};
const OptionSpec kSourceFileOption = {"--source", "FILE",
                                      "also write the timetable source, for review"};
const OptionSpec kClassOption = {"--class", "C",
                                 "class code of every train (default: 9, or B, 6, 7 for route\n"
                                 "types 101, 102, 103)"};
const OptionSpec kFareColumnsOption = {"--columns", "F",
                                       "fare-column code (default 8: hard seat only)"};
const OptionSpec kRateOption = {"--rate", "R", "fare-rate code (default D: 1.00)"};
const OptionSpec kHeaderOption = {
    "--header", "TEXT", "the database header (default: the (first) date imported, YYYYMMDD)"};
const OptionSpec kAllCallsOption = {
    "--all-calls", "",
    "keep every call in the seven sections, even where the feed forbids\n"
    "boarding or alighting (hosts that read only them then offer rides it\n"
    "forbids; the extension still holds each call's rule)"};
const OptionSpec kShortNamesOption = {
    "--short-names", "",
    "names of at most 11 bytes, for hosts with fixed fields (default: whole\n"
    "names, up to 100 bytes)"};
const OptionSpec kAbbreviationsOption = {
    "--abbreviations", "initials|stop-code",
    "initials: of the name's words; stop-code: the feed's stop_code where\n"
    "it is letters and digits (default: the stop codes when every station\n"
    "has one of at most 10 letters and digits and no two are alike, else\n"
    "the initials)"};
const OptionSpec kQuietOption = {"--quiet", "", "no progress lines (shown only on a terminal)"};
const OptionSpec kVerboseOption = {"--verbose", "",
                                   "every warning, not the first five of each kind"};

std::string percentOf(uint64_t part, uint64_t whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%",
                whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return text;
}

// What the boarding rules cost hosts that read only the seven sections, or
// with --all-calls what keeping every call there offers that the feed
// forbids. The extension offers every allowed ride and no other.
std::string ridesPhrase(const gtfs::RideTally& rides, bool allCalls) {
  if (allCalls) {
    const uint64_t offered = rides.offered + rides.forbidden;
    return "every call kept: " + std::to_string(rides.forbidden) + " of the " +
           std::to_string(offered) + " rides offered are forbidden by the feed (" +
           percentOf(rides.forbidden, offered) + ") for hosts that read only the sections";
  }
  return "the sections hide " + std::to_string(rides.hidden()) + " of " +
         std::to_string(rides.allowed) + " allowed rides (" +
         percentOf(rides.hidden(), rides.allowed) + ") from hosts that read only them" +
         (rides.hidden() == 0 ? "" : ", the extension offers them");
}

// "; transfers.txt: 2 with a minimum time, 1 timed, 1 forbidden, 1 change
// time, 1 station group".
std::string networkPhrase(const gtfs::ImportResult& result) {
  const gtfs::NetworkCounts& n = result.network;
  if (!result.transfersFile && n.groups == 0) return "";
  return "; transfers.txt: " + std::to_string(n.minimumTime) + " with a minimum time, " +
         std::to_string(n.timed) + " timed, " + std::to_string(n.forbidden) + " forbidden, " +
         counted(n.changeTimes, "change time") + ", " + counted(n.groups, "station group");
}

// "; fares: 3 of fare_attributes.txt (1 dropped), 12 rules (2 dropped),
// zones of 40 stations", or "; no fares" for a feed without them.
std::string faresPhrase(const gtfs::FareCounts& f) {
  if (f.fares == 0) {
    return f.faresFile ? "; no fares (" + counted(f.faresDropped, "fare") +
                             " of fare_attributes.txt dropped)"
                       : "; no fares";
  }
  std::string phrase = "; fares: " + std::to_string(f.fares) + " of fare_attributes.txt";
  if (f.faresDropped > 0) phrase += " (" + std::to_string(f.faresDropped) + " dropped)";
  phrase += ", " + counted(f.rules, "rule");
  if (f.rulesDropped > 0) phrase += " (" + std::to_string(f.rulesDropped) + " dropped)";
  return phrase + ", zones of " + counted(f.zonedStations, "station");
}

// "Hidden from hosts that read only the sections: rides from Harlem (88
// trains), rides to Harlem (70 trains), ... and 3 more; the extension offers
// them.", or nothing when the sections hide no ride.
std::string hiddenLine(const std::vector<gtfs::HiddenRides>& hidden) {
  constexpr std::size_t kListed = 6;
  struct Entry {
    const std::string* station;
    bool from;
    std::size_t trains;
  };
  std::vector<Entry> entries;
  for (const gtfs::HiddenRides& h : hidden) {
    if (h.trainsFrom > 0) entries.push_back({&h.station, true, h.trainsFrom});
    if (h.trainsTo > 0) entries.push_back({&h.station, false, h.trainsTo});
  }
  if (entries.empty()) return "";
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.trains > b.trains; });
  std::string line = "Hidden from hosts that read only the sections:";
  for (std::size_t i = 0; i < entries.size() && i < kListed; ++i) {
    line += std::string(i == 0 ? " " : ", ") + (entries[i].from ? "rides from " : "rides to ") +
            *entries[i].station + " (" + counted(entries[i].trains, "train") + ")";
  }
  if (entries.size() > kListed)
    line += " and " + std::to_string(entries.size() - kListed) + " more";
  return line + "; the extension offers them.";
}

// How the trains' km were measured: "km along shapes (4 trips), great-circle (6)".
std::string kmPhrase(const gtfs::RunTotals& totals) {
  std::string phrase;
  bool first = true;
  const auto add = [&](std::size_t count, const char* how) {
    if (count == 0) return;
    phrase += std::string(first ? "km " : ", ") + how + " (" + std::to_string(count) +
              (first ? (count == 1 ? " trip)" : " trips)") : ")");
    first = false;
  };
  add(totals.tripsByFeed, "by shape_dist_traveled");
  add(totals.tripsAlongShapes, "along shapes");
  add(totals.tripsByGreatCircle, "great-circle");
  return phrase;
}

// "2026-04-08"; for a period "2026-01-01 to 2026-06-30 (181 days; 6 day
// patterns; time zone Europe/Berlin)", or when it did not fit "2026-04-07,
// the busiest day of 2026-01-01 to ...".
std::string daysPhrase(const gtfs::ImportOptions& options, const gtfs::ImportResult& result) {
  if (result.dayCount == 0) return gtfs::formatDate(options.filter.date);
  const ServiceCalendar& calendar = result.calendar;
  const std::string zone =
      calendar.timeZone.empty() ? "no time zone" : "time zone " + calendar.timeZone;
  const std::string period =
      gtfs::formatDate(result.firstDate) + " to " +
      gtfs::formatDate(gtfs::dateOfDay(gtfs::civilDayOf(result.firstDate), result.dayCount - 1)) +
      " (" + counted(static_cast<std::size_t>(result.dayCount), "day") +
      (result.periodCut ? ", the feed's first ones" : "");
  if (result.periodTrains > 0) {
    return gtfs::formatDate(gtfs::dateOfDay(calendar.firstDay, 0)) + " only, the busiest day of " +
           period + "; " + zone + ")";
  }
  return period + "; " + counted(calendar.patterns.size(), "day pattern") + "; " + zone + ")";
}

bool oneOf(std::string_view value, std::string_view allowed) {
  return value.size() == 1 && allowed.find(value[0]) != std::string_view::npos;
}

std::optional<std::vector<int32_t>> routeTypes(std::string_view list) {
  std::vector<int32_t> types;
  std::size_t begin = 0;
  while (begin <= list.size()) {
    std::size_t end = list.find(',', begin);
    if (end == std::string_view::npos) end = list.size();
    const auto type = gtfs::toInt(list.substr(begin, end - begin));
    if (!type || *type < 0) return std::nullopt;
    types.push_back(*type);
    begin = end + 1;
  }
  return types;
}

// The import's options from the command line, or a kBadParameter status
// saying which value is wrong.
Result<gtfs::ImportOptions> importOptions(const CommandLine& line) {
  gtfs::ImportOptions options;
  options.feed = line.operand(0);
  std::optional<std::chrono::year_month_day> date, from, to;
  for (const auto& [option, day] : {std::pair{&kDateOption, &date}, std::pair{&kFromOption, &from},
                                    std::pair{&kToOption, &to}}) {
    const auto text = line.value(*option);
    if (!text) continue;
    // The feed's YYYYMMDD, or YYYY-MM-DD as the questions' --date takes it.
    std::string feedForm(*text);
    if (feedForm.size() == 10 && feedForm[4] == '-' && feedForm[7] == '-') {
      feedForm.erase(7, 1).erase(4, 1);
    }
    *day = gtfs::parseDate(feedForm);
    if (!*day) {
      const std::string name(option->name);
      return Status::badParameter(
          name, name + " takes a date YYYY-MM-DD or YYYYMMDD, not '" + *text + "'");
    }
  }
  if (date && (from || to)) {
    return Status::badParameter("--date",
                                "--date takes one date; --from and --to a range, not both");
  }
  if (from || to) {
    if (!from || !to)
      return Status::badParameter(from ? "--to" : "--from", "--from and --to go together");
    const auto days = (std::chrono::sys_days(*to) - std::chrono::sys_days(*from)).count() + 1;
    if (days < 1 || days > kMaxCalendarDays) {
      return Status::badParameter("--to", "--from and --to take 1 to " +
                                              std::to_string(kMaxCalendarDays) +
                                              " dates, the first not after the last");
    }
    options.days = gtfs::ImportDays::kRange;
    options.filter.date = *from;
    options.filter.lastDate = *to;
  } else if (date) {
    options.filter.date = *date;
  } else {
    options.days = gtfs::ImportDays::kFeedPeriod;
  }
  for (const std::string& list : line.values(kRouteTypeOption)) {
    const auto types = routeTypes(list);
    if (!types) {
      return Status::badParameter(
          "--route-type", "--route-type takes route types such as 2 or 2,109, not '" + list + "'");
    }
    options.filter.routeTypes.insert(options.filter.routeTypes.end(), types->begin(), types->end());
  }
  options.filter.agencies = line.values(kAgencyOption);
  if (const auto code = line.value(kClassOption)) {
    if (!oneOf(*code, "123467890AB")) {
      return Status::badParameter(
          "--class", "--class takes one of 1 2 3 4 6 7 8 9 0 A B, not '" + *code + "'");
    }
    options.classCode = (*code)[0];
  }
  if (const auto code = line.value(kFareColumnsOption)) {
    if (!oneOf(*code, "123456789ABCDEF")) {
      return Status::badParameter(
          "--columns", "--columns takes a hexadecimal digit 1 to F, not '" + *code + "'");
    }
    options.fareColumnCode = (*code)[0];
  }
  if (const auto code = line.value(kRateOption)) {
    if (!oneOf(*code, "DEFGHIJKLMNOPQRSTUVWX")) {
      return Status::badParameter("--rate", "--rate takes a letter D to X, not '" + *code + "'");
    }
    options.fareRateCode = (*code)[0];
  }
  options.runs.allCalls = line.flag(kAllCallsOption);
  options.stations.shortNames = line.flag(kShortNamesOption);
  if (const auto abbreviations = line.value(kAbbreviationsOption)) {
    if (*abbreviations != "initials" && *abbreviations != "stop-code") {
      return Status::badParameter(
          "--abbreviations",
          "--abbreviations takes initials or stop-code, not '" + *abbreviations + "'");
    }
    options.stations.abbreviations = *abbreviations == "initials" ? gtfs::Abbreviations::kInitials
                                                                  : gtfs::Abbreviations::kStopCode;
  }
  if (const auto header = line.value(kHeaderOption)) {
    std::u16string units;
    std::string gbk;
    if (!utf8ToUtf16(*header, units) || !utf16ToGbk(units, gbk) || gbk.size() > 10 ||
        gbk.find('\0') != std::string::npos) {
      return Status::badParameter(
          "--header", "--header takes at most 10 bytes of text in GBK (five Chinese characters)");
    }
    options.header = *header;
  } else if (options.days == gtfs::ImportDays::kOneDate) {
    const std::string text = gtfs::formatDate(options.filter.date);
    options.header = text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
  }  // a period's import begins the header with the first date it writes
  return options;
}

}  // namespace

const std::vector<const OptionSpec*>& importGtfsOptions() {
  static const std::vector<const OptionSpec*> options = {
      &kDateOption,          &kFromOption,       &kToOption,       &kRouteTypeOption,
      &kAgencyOption,        &kSourceFileOption, &kClassOption,    &kFareColumnsOption,
      &kRateOption,          &kHeaderOption,     &kAllCallsOption, &kShortNamesOption,
      &kAbbreviationsOption, &kQuietOption,      &kVerboseOption,  &kForceOption};
  return options;
}

int runImportGtfs(const CommandLine& line) {
  const auto options = importOptions(line);
  if (!options.ok()) return reportFailure(line.command(), options.status());
  const std::string& out = line.operand(1);
  const auto sourcePath = line.value(kSourceFileOption);
  OutputPlan plan({options->feed}, line.flag(kForceOption));
  if (const Status added = plan.add(out, OutputKind::kDatabase); !added.ok()) {
    return reportFailure(line.command(), added);
  }
  if (sourcePath) {
    if (const Status added = plan.add(*sourcePath, OutputKind::kSource); !added.ok()) {
      return reportFailure(line.command(), added);
    }
  }

  const bool verbose = line.flag(kVerboseOption);
  const bool progressShown = !line.flag(kQuietOption) && standardErrorIsTerminal();
  gtfs::ImportReport report;
  gtfs::Progress progress(progressShown ? &std::cerr : nullptr);
  gtfs::ImportResult result;
  try {
    result = gtfs::importFeed(*options, report, progress);
  } catch (const gtfs::FeedError& e) {
    report.print(std::cerr, verbose);
    return fail(e.what());
  }
  report.print(std::cerr, verbose);
  if (progressShown || verbose) std::cerr << "murlo: distances: " << result.distances << '\n';
  if (const Status written = writeFile(out, result.database); !written.ok()) {
    return reportFailure(line.command(), written);
  }
  if (sourcePath) {
    if (const Status written = writeFile(*sourcePath, result.source); !written.ok()) {
      return reportFailure(line.command(), written);
    }
  }
  std::string line1 =
      "Built " + (isStandardStream(out) ? std::string("the database") : out) + ": " +
      counted(result.stations, "station") + ", " + counted(result.trains, "train") + ", " +
      counted(result.stops, "stop") + "; trips of " + daysPhrase(*options, result) + " from " +
      options->feed + "; " + ridesPhrase(result.totals.rides, options->runs.allCalls) +
      networkPhrase(result) + faresPhrase(result.fares) + "; " + kmPhrase(result.totals) +
      (result.stopCodeAbbreviations ? "; stop codes as abbreviations" : "");
  if (report.total() > 0) line1 += " (" + counted(report.total(), "warning") + ")";
  if (const std::string hidden = hiddenLine(result.hidden); !hidden.empty()) {
    line1 += "\n" + hidden;
  }
  if (!result.words.empty()) line1 += "\nIn its own words: " + result.words + ".";
  if (result.moreTrains > 0 || result.moreStations > 0) {
    line1 +=
        "\nThe seven sections hold " + counted(result.sectionsTrains, "train") +
        " of the busiest day, " +
        gtfs::formatDate(gtfs::dateOfDay(result.calendar.firstDay, result.calendar.sectionsDay)) +
        ", for hosts that read them alone; the extension holds the other " +
        counted(result.moreTrains, "train") +
        (result.moreStations > 0 ? " and " + counted(result.moreStations, "station") : "") + ".";
  }
  if (result.periodTrains > 0) {
    line1 += "\nThe period did not fit: its trips make " + counted(result.periodTrains, "train") +
             " at " + counted(result.periodStations, "station") + ", a database holds " +
             std::to_string(murlo::kMaxNetworkTrains) +
             " of each; only its busiest day was written. Narrow it with --from and --to, "
             "--route-type or --agency.";
  }
  return summary(plan, line1);
}

}  // namespace murlo::tool
