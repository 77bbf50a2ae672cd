#include "api/version.h"

#include "murloppc.h"

extern "C" MURLO_EXPORT const char* murlo_version(void) { return MURLO_VERSION_TEXT; }
