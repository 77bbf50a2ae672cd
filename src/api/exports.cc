// The C exports. Each converts its arguments, runs the core on the current
// database and converts the result; no C++ exception gets past this file.
#include <memory>
#include <new>
#include <string>

#include "api/boundary.h"
#include "api/current_db.h"
#include "api/native_path.h"
#include "db/loader.h"
#include "murloppc.h"

using murlo::TimetableDb;

extern "C" {

MURLO_EXPORT int32_t x01f38d60978350e2(const murlo_char16* path) {
  try {
    murlo::NativePath nativePath;
    if (path == nullptr || !murlo::toNativePath(murlo::argumentUnits(path), nativePath)) {
      return static_cast<int32_t>(murlo::LoadResult::kCannotOpen);
    }
    auto fresh = std::make_shared<TimetableDb>();
    const murlo::LoadResult result = murlo::loadDatabaseFile(nativePath, *fresh);
    if (result == murlo::LoadResult::kLoaded) murlo::replaceCurrentDb(std::move(fresh));
    return static_cast<int32_t>(result);
  } catch (...) {
    return static_cast<int32_t>(murlo::LoadResult::kFailed);
  }
}

MURLO_EXPORT int32_t x01o23jow83032hwe31h(murlo_char16* output) {
  try {
    const std::shared_ptr<const TimetableDb> db = murlo::currentDb();
    murlo::Utf16Result(db->headerText).writeTo(output);
    return 1;
  } catch (...) {
    // Only memory can run out here; ten bytes convert into the caller's
    // eleven units without help, so write at least the empty text.
    if (output != nullptr) output[0] = 0;
    return 1;
  }
}

}  // extern "C"
