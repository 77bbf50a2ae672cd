// Writing database files: the loader's inverse.
#ifndef MURLO_DB_WRITER_H_
#define MURLO_DB_WRITER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "db/file_format.h"
#include "db/network_extension.h"
#include "db/timetable_db.h"

namespace murlo {

// A header and the plain texts of the seven sections, without terminators.
struct PlainSections {
  std::string header;  // at most ten bytes, no zero byte
  std::array<std::string, kSectionCount> sections;

  friend bool operator==(const PlainSections&, const PlainSections&) = default;
};

// The `section` of a PackError about the extension after the sections.
inline constexpr int kExtensionPart = kSectionCount + 1;

// Why a text cannot be written. `section` is 0 for the header,
// kExtensionPart for the extension.
struct PackError {
  int section = 0;
  std::size_t offset = 0;  // byte offset within the header or section text
  std::string reason;

  // One line: "section 4, byte 12: ...", "header, byte 3: ..." or
  // "extension: ...".
  std::string message() const;
};

// Scrambles the sections behind the header (padded to ten bytes with zero
// bytes, which end the header text on reading) and terminates each with '%'.
// Refuses, naming section and offset, a header longer than ten bytes or
// holding a zero byte, and any plain byte a section cannot store: '%', a zero
// byte, or a byte its transform would read back as another. On error `file`
// is left unchanged.
std::optional<PackError> packDatabase(const PlainSections& plain, std::string& file);

// The plain sections that load back into `lists`: the code texts as
// they stand, the list entries joined by their separators. Refuses an entry
// that is empty or holds its list's separator (it would not load back as one
// entry) and a station table whose names and abbreviations differ in number.
// The counts are not written: the loader derives them. On error `plain` is
// left unchanged.
std::optional<PackError> plainSectionsOf(const TableLists& lists, PlainSections& plain);
inline std::optional<PackError> plainSectionsOf(const TimetableDb& db, PlainSections& plain) {
  return plainSectionsOf(db.lists(), plain);
}

// The bytes of a whole database file: the sections of `lists` (as
// plainSectionsOf and packDatabase, without the empty call lists of the
// last stations) followed by `extension` when it says anything. Refuses what those refuse, and an
// extension the loader would refuse against these lists (section kExtensionPart). On error `file`
// is left unchanged.
std::optional<PackError> writeDatabaseBytes(const TableLists& lists,
                                            const NetworkExtension& extension, std::string& file);

}  // namespace murlo

#endif  // MURLO_DB_WRITER_H_
