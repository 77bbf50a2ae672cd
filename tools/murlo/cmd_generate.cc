// murlo generate SIZE OUT.
#include "commands.h"

namespace murlo::tool {

int runGenerate(Args) { return fail("generate: not yet available"); }

}  // namespace murlo::tool
