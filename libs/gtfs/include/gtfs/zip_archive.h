// Reading a zip archive: its central directory, and each entry as a stream,
// stored or deflated. Zip64 archives, encrypted entries and other
// compression methods are refused with a clear error.
#ifndef MURLO_GTFS_ZIP_ARCHIVE_H_
#define MURLO_GTFS_ZIP_ARCHIVE_H_

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gtfs/byte_source.h"

namespace murlo::gtfs {

struct ZipEntry {
  std::string name;
  uint16_t flags = 0;   // general purpose bits; bit 0 is encryption
  uint16_t method = 0;  // 0 stored, 8 deflated
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t size = 0;
  uint32_t localHeaderOffset = 0;
};

class ZipArchive {
 public:
  // Reads the central directory of the zip file at `path`. Throws FeedError
  // when it cannot be opened, is not a zip file or is a zip64 archive.
  explicit ZipArchive(const std::string& path);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  const std::vector<ZipEntry>& entries() const { return entries_; }
  // The entry named exactly `name`, or nullptr.
  const ZipEntry* find(std::string_view name) const;
  // A stream of the entry's bytes, checked against its size and CRC as it
  // ends. Throws FeedError for an encrypted entry, an unknown method or
  // an entry that does not lie within the file.
  std::unique_ptr<ByteSource> open(const ZipEntry& entry) const;

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  uint64_t fileSize_ = 0;
  std::vector<ZipEntry> entries_;
};

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_ZIP_ARCHIVE_H_
