// A stream of bytes read in chunks: a file of a feed folder, or an entry of
// a feed zip being inflated.
#ifndef MURLO_GTFS_BYTE_SOURCE_H_
#define MURLO_GTFS_BYTE_SOURCE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace murlo::gtfs {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills up to `capacity` bytes of `buffer`; returns how many, 0 only at
  // the end. Throws FeedError when the bytes cannot be read.
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
  // The number of bytes the stream holds in all (for progress reports).
  virtual uint64_t size() const = 0;
};

// The file at `path`, or nullptr when it does not exist. Throws FeedError
// when it exists but cannot be opened.
std::unique_ptr<ByteSource> openFileSource(const std::string& path);

// The bytes of `text` (tests, and small files already in memory).
std::unique_ptr<ByteSource> memorySource(std::string text);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_BYTE_SOURCE_H_
