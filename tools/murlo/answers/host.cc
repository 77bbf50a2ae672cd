#include "answers/host.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "text/utf8.h"

#ifndef MURLO_SAMPLE_DB_BUILD
#error "MURLO_SAMPLE_DB_BUILD must name the sample database in the build tree"
#endif
#ifndef MURLO_SAMPLE_DB_INSTALLED
#error "MURLO_SAMPLE_DB_INSTALLED must name the sample database relative to murlo"
#endif

namespace murlo::tool {

namespace fs = std::filesystem;

std::optional<LibraryText> toLibraryText(std::string_view utf8) {
  std::u16string units;
  if (!utf8ToUtf16(utf8, units)) return std::nullopt;
  return LibraryText(units.begin(), units.end());
}

std::string toUtf8(const LibraryText& text) {
  const std::u16string units(text.begin(), text.end());
  std::string utf8;
  utf16ToUtf8(units, utf8);
  return utf8;
}

bool defaultDatabaseFromEnvironment() {
  const char* named = std::getenv("MURLO_DB");
  return named != nullptr && *named != '\0';
}

std::string defaultDatabasePath() {
  return defaultDatabaseFromEnvironment() ? std::getenv("MURLO_DB") : sampleDatabasePath();
}

std::string defaultDatabaseNote() {
  return defaultDatabaseFromEnvironment() ? " (named by MURLO_DB)"
                                          : " (the sample network; name a database with --db FILE)";
}

std::string sampleDatabasePath() {
  std::error_code ec;
  const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path installed =
        (executable.parent_path() / MURLO_SAMPLE_DB_INSTALLED).lexically_normal();
    if (fs::is_regular_file(installed, ec)) return installed.string();
  }
  return MURLO_SAMPLE_DB_BUILD;
}

Status loadDatabase(const std::string& path) {
  const auto cannot = [](std::string message) {
    return Status(Status::Kind::kCannotLoad, std::move(message));
  };
  const auto path16 = toLibraryText(path);
  if (!path16) return cannot("the database path " + path + " is not valid UTF-8");
  switch (const int32_t result = murlo_load_database(path16->c_str())) {
    case 1: return Status();
    case -1: return cannot("cannot open the database " + path);
    case -2: return cannot("cannot determine the size of the database " + path);
    case -3:
      return cannot("cannot load the database " + path + ": reading it failed or memory ran out");
    case MURLO_OUT_OF_MEMORY:
      return Status(Status::Kind::kOutOfMemory,
                    "cannot load the database " + path + ": out of memory");
    default:
      return cannot("cannot load the database " + path + ": unexpected result " +
                    std::to_string(result));
  }
}

}  // namespace murlo::tool
