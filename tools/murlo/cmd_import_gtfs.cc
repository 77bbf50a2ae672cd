// murlo import-gtfs FEED OUT --date YYYYMMDD.
#include "commands.h"

namespace murlo::tool {

int runImportGtfs(Args) { return fail("import-gtfs: not yet available"); }

}  // namespace murlo::tool
