// A UTF-16 path argument as the platform's file functions take it.
#ifndef MURLO_API_NATIVE_PATH_H_
#define MURLO_API_NATIVE_PATH_H_

#include <string_view>

#include "db/file_reader.h"

namespace murlo {

// On Windows the UTF-16 units as they are; elsewhere their UTF-8 form.
// Returns false for a path with an unpaired surrogate (no file has that name
// on a UTF-8 system) or with a zero unit.
bool toNativePath(std::u16string_view utf16, NativePath& path);

}  // namespace murlo

#endif  // MURLO_API_NATIVE_PATH_H_
