// The extension after a file's seventh section: what the sections cannot say
// (network_extension.h), in tagged blocks that a later version may add to.
// See docs/file-format.md.
#ifndef MURLO_DB_EXTENSION_FORMAT_H_
#define MURLO_DB_EXTENSION_FORMAT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "db/network_extension.h"

namespace murlo {

// The first bytes of an extension. Bytes after the seventh terminator that
// do not begin with them are ignored, as every reader of the sections
// ignores them.
inline constexpr std::string_view kExtensionMagic = "MURLOEXT";
inline constexpr uint16_t kExtensionVersion = 1;

// The blocks of version 1 (the calendar came later in version 1: a reader
// without it refuses a file that has one, as it must). A block whose tag a reader does not know is
// skipped when its flags say it may be, and refuses the file otherwise.
enum class ExtensionBlock : uint16_t {
  kTrainCalls = 1,
  kStationGroups = 2,
  kTransfers = 3,
  kChangeTimes = 4,
  kServiceCalendar = 5,
  kStationWords = 6,  // may be skipped: names as written, coordinates, wheelchair access
  kTrainWords = 7,    // may be skipped: lines, headsigns, directions, numbers, platforms
  kFares = 8,         // the tariff a file uses and the network's own fares
  kMoreTrains = 9,    // trains and stations after the sections' (never skipped)
};
inline constexpr uint16_t kBlockMayBeSkipped = 1;

// The bytes of `extension`, magic to checksum; nothing for an empty one.
// REQUIRES: every value fits its field (validExtension holds).
std::string encodeExtension(const NetworkExtension& extension);

enum class ExtensionState {
  kAbsent,   // no extension: the sections say everything
  kRead,     // read whole and checked
  kDamaged,  // begins as an extension but breaks a rule: never used
};
struct ExtensionRead {
  ExtensionState state = ExtensionState::kAbsent;
  NetworkExtension extension;
  std::string problem;  // kDamaged: what is wrong, one line
};

// Where an extension's stop records lie in the file it was read from, for
// a reader that keeps the file's bytes: block 1's by train (as
// NetworkExtension::trains), block 9's by train (as MoreTrains::trains).
// Read so, block 9's records are not copied: each MoreTrain::stopRecords
// stays empty.
struct RecordsInFile {
  std::shared_ptr<const char[]> file;  // the bytes they lie in
  std::size_t size = 0;
  std::vector<std::string_view> trainCalls;
  std::vector<std::string_view> moreTrains;
};

// Reads the bytes after a file's seventh terminator. The extension must be
// whole (its checksum right, nothing after it), of a version this reader
// knows, and name only trains and stations of the sections (the given
// counts) or of its own block 9. With `inFile`, where its stop records lie
// in `trailer` too (RecordsInFile). May throw std::bad_alloc.
ExtensionRead readExtension(std::string_view trailer, int32_t trainCount, int32_t stationCount,
                            RecordsInFile* inFile = nullptr);

// The problem readExtension would find with `extension` written and read
// back against these counts, or "" when there is none.
std::string extensionProblem(const NetworkExtension& extension, int32_t trainCount,
                             int32_t stationCount);

}  // namespace murlo

#endif  // MURLO_DB_EXTENSION_FORMAT_H_
