// murlo import-gtfs FEED OUT --date YYYYMMDD.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>

#include "commands.h"
#include "files.h"
#include "gtfs/feed_error.h"
#include "gtfs/import_options.h"
#include "gtfs/importer.h"
#include "gtfs/service_day.h"

namespace murlo::tool {
namespace {

std::string percentOf(uint64_t part, uint64_t whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%",
                whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return text;
}

// What the boarding rules cost, or with --all-calls what keeping every call
// offers that the feed forbids.
std::string ridesPhrase(const gtfs::RideTally& rides, bool allCalls) {
  if (allCalls) {
    const uint64_t offered = rides.offered + rides.forbidden;
    return "every call kept: " + std::to_string(rides.forbidden) + " of the " +
           std::to_string(offered) + " rides offered are forbidden by the feed (" +
           percentOf(rides.forbidden, offered) + ")";
  }
  return "boarding rules hide " + std::to_string(rides.hidden()) + " of " +
         std::to_string(rides.allowed) + " allowed rides (" +
         percentOf(rides.hidden(), rides.allowed) + ")";
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

}  // namespace

int runImportGtfs(Args args) {
  const Command& self = *findCommand("import-gtfs");
  std::string error;
  const auto line = gtfs::parseImportCommandLine(args, error);
  if (!line) {
    const int status = usageError(self, error);
    std::cerr << '\n' << gtfs::kImportHelp;
    return status;
  }

  gtfs::ImportReport report;
  gtfs::Progress progress(line->quiet ? nullptr : &std::cerr);
  gtfs::ImportResult result;
  try {
    result = gtfs::importFeed(line->options, report, progress);
  } catch (const gtfs::FeedError& e) {
    report.print(std::cerr, line->verbose);
    return fail(e.what());
  }
  report.print(std::cerr, line->verbose);
  std::cerr << "murlo: distances: " << result.distances << '\n';
  if (!writeFile(line->out, result.database, error)) return fail(error);
  if (line->sourcePath && !writeFile(*line->sourcePath, result.source, error)) return fail(error);
  std::cout << "Built " << line->out << ": " << result.stations << " stations, " << result.trains
            << " trains, " << result.stops << " stops; trips of "
            << gtfs::formatDate(line->options.filter.date) << " from " << line->options.feed << "; "
            << ridesPhrase(result.totals.rides, line->options.runs.allCalls) << "; "
            << kmPhrase(result.totals);
  if (report.total() > 0) std::cout << " (" << report.total() << " warnings)";
  std::cout << '\n';
  return kExitOk;
}

}  // namespace murlo::tool
