// The command line of murlo import-gtfs.
#ifndef MURLO_GTFS_IMPORT_OPTIONS_H_
#define MURLO_GTFS_IMPORT_OPTIONS_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "gtfs/importer.h"

namespace murlo::gtfs {

struct ImportCommandLine {
  ImportOptions options;
  std::string out;                        // the database file
  std::optional<std::string> sourcePath;  // --source FILE
  bool quiet = false;                     // no progress
  bool verbose = false;                   // every warning
};

// FEED OUT --date YYYYMMDD [--route-type N[,N...]] [--agency ID] ...
// (options as "--name value" or "--name=value", anywhere). Nothing, with
// `error` set to one line, when the command line is wrong.
std::optional<ImportCommandLine> parseImportCommandLine(std::span<const std::string_view> args,
                                                        std::string& error);

// The help text of the options.
extern const char* const kImportHelp;

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_IMPORT_OPTIONS_H_
