#include "murloppc.h"

#include "api/version.h"

extern "C" MURLO_EXPORT const char* murlo_version(void) { return MURLO_VERSION_TEXT; }
