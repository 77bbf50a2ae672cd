#include "gtfs/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "gtfs/feed_error.h"

namespace murlo::gtfs {
namespace {

class FileSource : public ByteSource {
 public:
  FileSource(std::FILE* file, std::string path, uint64_t size)
      : file_(file), path_(std::move(path)), size_(size) {}
  ~FileSource() override { std::fclose(file_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::size_t read(char* buffer, std::size_t capacity) override {
    const std::size_t got = std::fread(buffer, 1, capacity, file_);
    if (got == 0 && std::ferror(file_)) throw FeedError("cannot read " + path_);
    return got;
  }
  uint64_t size() const override { return size_; }

 private:
  std::FILE* file_;
  std::string path_;
  uint64_t size_;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string text) : text_(std::move(text)) {}
  std::size_t read(char* buffer, std::size_t capacity) override {
    const std::size_t n = std::min(capacity, text_.size() - position_);
    std::memcpy(buffer, text_.data() + position_, n);
    position_ += n;
    return n;
  }
  uint64_t size() const override { return text_.size(); }

 private:
  std::string text_;
  std::size_t position_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> openFileSource(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    if (std::filesystem::exists(path, error)) throw FeedError(path + " is not a regular file");
    return nullptr;
  }
  const uint64_t size = std::filesystem::file_size(path, error);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    throw FeedError("cannot open " + path + ": " + std::strerror(errno));
  }
  return std::make_unique<FileSource>(file, path, error ? 0 : size);
}

std::unique_ptr<ByteSource> memorySource(std::string text) {
  return std::make_unique<MemorySource>(std::move(text));
}

}  // namespace murlo::gtfs
