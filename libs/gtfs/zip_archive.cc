#include "gtfs/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "gtfs/feed_error.h"

namespace murlo::gtfs {
namespace {

constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;
constexpr std::size_t kChunk = 1 << 16;

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void readAt(std::FILE* file, uint64_t offset, unsigned char* buffer, std::size_t n,
            const std::string& what) {
  if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()) ||
      fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0 ||
      std::fread(buffer, 1, n, file) != n) {
    throw FeedError("cannot read " + what + " (a truncated zip file?)");
  }
}

class EntrySource : public ByteSource {
 public:
  EntrySource(std::FILE* file, std::string what, const ZipEntry& entry, uint64_t dataOffset)
      : file_(file),
        what_(std::move(what)),
        entry_(entry),
        offset_(dataOffset),
        compressedLeft_(entry.compressedSize) {
    if (entry_.method == 8) {
      stream_ = std::make_unique<z_stream>();
      std::memset(stream_.get(), 0, sizeof(z_stream));
      if (inflateInit2(stream_.get(), -MAX_WBITS) != Z_OK) {
        stream_.reset();
        throw FeedError(what_ + ": cannot start inflating");
      }
      input_.resize(kChunk);
    }
  }
  ~EntrySource() override {
    if (stream_) inflateEnd(stream_.get());
  }
  EntrySource(const EntrySource&) = delete;
  EntrySource& operator=(const EntrySource&) = delete;

  uint64_t size() const override { return entry_.size; }

  std::size_t read(char* buffer, std::size_t capacity) override {
    if (finished_ || capacity == 0) return 0;
    const std::size_t produced =
        entry_.method == 8 ? inflateInto(buffer, capacity) : copyInto(buffer, capacity);
    produced_ += produced;
    if (produced_ > entry_.size) {
      throw FeedError(what_ + ": holds more bytes than its declared size " +
                      std::to_string(entry_.size));
    }
    crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(buffer), static_cast<uInt>(produced));
    if (finished_) verify();
    return produced;
  }

 private:
  std::size_t copyInto(char* buffer, std::size_t capacity) {
    const auto n = static_cast<std::size_t>(std::min<uint64_t>(capacity, compressedLeft_));
    readAt(file_, offset_, reinterpret_cast<unsigned char*>(buffer), n, what_);
    offset_ += n;
    compressedLeft_ -= n;
    if (compressedLeft_ == 0) finished_ = true;
    return n;
  }

  std::size_t inflateInto(char* buffer, std::size_t capacity) {
    z_stream& z = *stream_;
    const auto room = static_cast<uInt>(std::min<std::size_t>(capacity, kChunk * 4));
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = room;
    while (z.avail_out == room && !finished_) {
      if (z.avail_in == 0 && compressedLeft_ > 0) {
        const auto n = static_cast<std::size_t>(std::min<uint64_t>(kChunk, compressedLeft_));
        readAt(file_, offset_, input_.data(), n, what_);
        offset_ += n;
        compressedLeft_ -= n;
        z.next_in = input_.data();
        z.avail_in = static_cast<uInt>(n);
      }
      const int status = inflate(&z, Z_NO_FLUSH);
      if (status == Z_STREAM_END) {
        finished_ = true;
      } else if (status == Z_BUF_ERROR && z.avail_in == 0 && compressedLeft_ == 0) {
        throw FeedError(what_ + ": the compressed data ends too soon");
      } else if (status != Z_OK && status != Z_BUF_ERROR) {
        throw FeedError(what_ + ": corrupt compressed data" +
                        (z.msg != nullptr ? std::string(" (") + z.msg + ")" : std::string()));
      }
    }
    return room - z.avail_out;
  }

  void verify() const {
    if (produced_ != entry_.size) {
      throw FeedError(what_ + ": holds " + std::to_string(produced_) + " bytes, not its declared " +
                      std::to_string(entry_.size));
    }
    if (crc_ != entry_.crc) throw FeedError(what_ + ": the CRC does not match (corrupt data)");
  }

  std::FILE* file_;
  std::string what_;
  ZipEntry entry_;
  uint64_t offset_;
  uint64_t compressedLeft_;
  uint64_t produced_ = 0;
  uLong crc_ = crc32(0L, Z_NULL, 0);
  bool finished_ = false;
  std::unique_ptr<z_stream> stream_;
  std::vector<unsigned char> input_;
};

}  // namespace

ZipArchive::ZipArchive(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) throw FeedError("cannot open " + path + ": " + std::strerror(errno));
  try {
    if (fseeko(file_, 0, SEEK_END) != 0) throw FeedError("cannot read " + path);
    const off_t end = ftello(file_);
    if (end < 0) throw FeedError("cannot read " + path);
    fileSize_ = static_cast<uint64_t>(end);
    if (fileSize_ < kEndSize) throw FeedError(path + " is not a zip file (too short)");

    // The end record lies within the last 22 + 65535 bytes (its comment).
    const auto tailSize =
        static_cast<std::size_t>(std::min<uint64_t>(fileSize_, kEndSize + kMaxComment));
    std::vector<unsigned char> tail(tailSize);
    const uint64_t tailStart = fileSize_ - tailSize;
    readAt(file_, tailStart, tail.data(), tailSize, path);
    std::size_t at = tailSize - kEndSize + 1;
    bool found = false;
    while (at-- > 0) {
      if (le32(&tail[at]) == kEndSignature && at + kEndSize + le16(&tail[at + 20]) <= tailSize) {
        found = true;
        break;
      }
    }
    if (!found) throw FeedError(path + " is not a zip file (no central directory)");
    const unsigned char* endRecord = &tail[at];
    const uint64_t endOffset = tailStart + at;
    if (endOffset >= kZip64LocatorSize) {
      unsigned char locator[4];
      readAt(file_, endOffset - kZip64LocatorSize, locator, 4, path);
      if (le32(locator) == kZip64LocatorSignature) {
        throw FeedError(path +
                        " is a zip64 archive, which import-gtfs does not read; "
                        "repack it as a plain zip or unpack it to a folder");
      }
    }
    const uint16_t disk = le16(endRecord + 4);
    const uint16_t directoryDisk = le16(endRecord + 6);
    const uint16_t count = le16(endRecord + 10);
    const uint32_t directorySize = le32(endRecord + 12);
    const uint32_t directoryOffset = le32(endRecord + 16);
    if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
      throw FeedError(path +
                      " is a zip64 archive, which import-gtfs does not read; "
                      "repack it as a plain zip or unpack it to a folder");
    }
    if (disk != 0 || directoryDisk != 0) {
      throw FeedError(path + " is a multi-part zip archive, which import-gtfs does not read");
    }
    if (uint64_t{directoryOffset} + directorySize > endOffset) {
      throw FeedError(path + ": the central directory lies outside the file (truncated?)");
    }
    std::vector<unsigned char> directory(directorySize);
    readAt(file_, directoryOffset, directory.data(), directorySize, path);
    std::size_t p = 0;
    for (uint16_t i = 0; i < count; ++i) {
      if (p + kCentralSize > directory.size() || le32(&directory[p]) != kCentralSignature) {
        throw FeedError(path + ": the central directory is damaged at entry " +
                        std::to_string(i + 1));
      }
      const unsigned char* record = &directory[p];
      ZipEntry entry;
      entry.flags = le16(record + 8);
      entry.method = le16(record + 10);
      entry.crc = le32(record + 16);
      entry.compressedSize = le32(record + 20);
      entry.size = le32(record + 24);
      const std::size_t nameLength = le16(record + 28);
      const std::size_t extraLength = le16(record + 30);
      const std::size_t commentLength = le16(record + 32);
      entry.localHeaderOffset = le32(record + 42);
      const std::size_t next = p + kCentralSize + nameLength + extraLength + commentLength;
      if (next > directory.size()) {
        throw FeedError(path + ": the central directory is damaged at entry " +
                        std::to_string(i + 1));
      }
      entry.name.assign(reinterpret_cast<const char*>(record + kCentralSize), nameLength);
      if (entry.compressedSize == 0xFFFFFFFF || entry.size == 0xFFFFFFFF ||
          entry.localHeaderOffset == 0xFFFFFFFF) {
        throw FeedError(path + ": the entry " + entry.name +
                        " needs zip64, which import-gtfs does not read; unpack the feed "
                        "to a folder");
      }
      entries_.push_back(std::move(entry));
      p = next;
    }
  } catch (...) {
    std::fclose(file_);
    throw;
  }
}

ZipArchive::~ZipArchive() { std::fclose(file_); }

const ZipEntry* ZipArchive::find(std::string_view name) const {
  for (const ZipEntry& entry : entries_) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

std::unique_ptr<ByteSource> ZipArchive::open(const ZipEntry& entry) const {
  const std::string what = path_ + ":" + entry.name;
  if ((entry.flags & 1U) != 0) {
    throw FeedError(what + " is encrypted; import-gtfs reads only unencrypted zip entries");
  }
  if (entry.method != 0 && entry.method != 8) {
    throw FeedError(what + " uses compression method " + std::to_string(entry.method) +
                    "; import-gtfs reads stored and deflated entries only");
  }
  if (entry.method == 0 && entry.compressedSize != entry.size) {
    throw FeedError(what + ": a stored entry whose sizes differ (damaged zip)");
  }
  if (uint64_t{entry.localHeaderOffset} + kLocalSize > fileSize_) {
    throw FeedError(what + " lies outside the file (a truncated zip file?)");
  }
  unsigned char local[kLocalSize];
  readAt(file_, entry.localHeaderOffset, local, kLocalSize, what);
  if (le32(local) != kLocalSignature) throw FeedError(what + ": no local header (damaged zip)");
  const uint64_t data =
      uint64_t{entry.localHeaderOffset} + kLocalSize + le16(local + 26) + le16(local + 28);
  if (data + entry.compressedSize > fileSize_) {
    throw FeedError(what + " lies outside the file (a truncated zip file?)");
  }
  return std::make_unique<EntrySource>(file_, what, entry, data);
}

}  // namespace murlo::gtfs
