// murlo import-gtfs FEED OUT --date YYYYMMDD.
#include <iostream>
#include <string>

#include "commands.h"
#include "files.h"
#include "gtfs/feed_error.h"
#include "gtfs/import_options.h"
#include "gtfs/importer.h"
#include "gtfs/service_day.h"

namespace murlo::tool {

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
            << gtfs::formatDate(line->options.filter.date) << " from " << line->options.feed;
  if (report.total() > 0) std::cout << " (" << report.total() << " warnings)";
  std::cout << '\n';
  return kExitOk;
}

}  // namespace murlo::tool
