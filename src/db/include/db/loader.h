// Loading a database file into a TimetableDb.
#ifndef MURLO_DB_LOADER_H_
#define MURLO_DB_LOADER_H_

#include <cstdint>
#include <memory>
#include <span>

#include "db/extension_format.h"
#include "db/file_reader.h"
#include "db/sections.h"
#include "db/timetable_db.h"

namespace murlo {

// The loader's results, as the C export returns them.
enum class LoadResult : int32_t {
  kLoaded = 1,
  kCannotOpen = -1,
  kCannotSize = -2,
  kFailed = -3,  // a short read, exhausted memory, any failure while building
};

// Reads the tables of de-scrambled sections: a zero byte ends a section's
// text; list sections are split into tokens at their separator, a run of
// separators counting as one, so no token is empty; section 5's tokens
// alternate name, abbreviation. Unterminated sections leave their tables
// empty. The lists' entries stay where the texts lie, in `storage`, which
// the lists share. May throw std::bad_alloc, and std::length_error for a list
// entry beyond the first 4 GiB of the file.
TableLists readTableLists(const SectionTexts& texts, const std::shared_ptr<const char[]>& storage);

// De-scrambles `file` in place and reads its tables over a copy of it (the
// tables do not refer to `file`). May throw as above.
TimetableDb parseDatabase(std::span<char> file);

// A file's tables and what its extension says (ExtensionState::kAbsent for a
// file without one).
struct ParsedFile {
  TimetableDb tables;
  ExtensionRead extension;
};

// De-scrambles `file` in place and reads its tables (as parseDatabase) and
// its extension, checked against the tables' counts. May throw as above.
ParsedFile parseDatabaseFile(std::span<char> file);

// Reads the file at `path`: its tables into `db`, which keeps the file's
// bytes (no text is copied), and its extension into `extension` (empty when
// it has none). A damaged extension fails the load (kFailed): it is never
// half-read, nor the file read as though it had none. `db` and `extension`
// change only when the result is kLoaded. With `inFile`, the extension's
// stop records are left where the file holds them (RecordsInFile, its
// bytes shared with `db`). Never throws.
LoadResult loadDatabaseFile(const NativePath& path, TimetableDb& db, NetworkExtension& extension,
                            RecordsInFile* inFile = nullptr);

}  // namespace murlo

#endif  // MURLO_DB_LOADER_H_
