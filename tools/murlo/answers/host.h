// murlo as a host of the library: text in the library's form, the database
// it loads, and where the bundled sample network lives.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_HOST_H_
#define MURLO_TOOLS_MURLO_ANSWERS_HOST_H_

#include <optional>
#include <string>
#include <string_view>

#include "answers/status.h"
#include "murloppc.h"

namespace murlo::tool {

// Zero-terminated UTF-16 as the library takes and gives text.
using LibraryText = std::basic_string<murlo_char16>;

// The UTF-16 form of `utf8`, or nothing when it is not valid UTF-8.
std::optional<LibraryText> toLibraryText(std::string_view utf8);
// The UTF-8 form of a library text (an unpaired surrogate becomes U+FFFD).
std::string toUtf8(const LibraryText& text);

// The database loaded without --db: the file the environment variable
// MURLO_DB names when it is set and not empty, else the bundled sample
// network (sampleDatabasePath).
std::string defaultDatabasePath();
// Whether defaultDatabasePath() comes from MURLO_DB.
bool defaultDatabaseFromEnvironment();
// What a failure to load the default database adds to its message: which
// file it is and why that one.
std::string defaultDatabaseNote();

// The bundled sample network: the file installed beside murlo
// (MURLO_SAMPLE_DB_INSTALLED, relative to the executable's directory) when it
// exists, else the one in the build tree (MURLO_SAMPLE_DB_BUILD).
std::string sampleDatabasePath();

// Loads the database file at `path` through the library: ok, or why it
// failed (kCannotLoad or kOutOfMemory, the message naming the path).
Status loadDatabase(const std::string& path);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_HOST_H_
