#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "db/file_reader.h"

namespace murlo {
namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

ReadStatus readWholeFile(const NativePath& path, FileBytes& bytes) {
  // Opened without waiting: a FIFO would otherwise block the open until a
  // writer comes, before the check below could refuse it. A regular file
  // reads the same either way.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return ReadStatus::kCannotOpen;

  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return ReadStatus::kCannotSize;
  // Only a regular file can be opened as a database, as on Windows, where a
  // directory does not open for reading.
  if (!S_ISREG(info.st_mode)) return ReadStatus::kCannotOpen;
  if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > kMaxFileBytes) {
    return ReadStatus::kCannotOpen;
  }
  const auto size = static_cast<std::size_t>(info.st_size);

  // One byte more than the size, so that an empty file still has a buffer.
  auto data = std::make_unique_for_overwrite<char[]>(size + 1);
  std::size_t done = 0;
  while (done < size) {  // a single read unless a signal splits it
    const ssize_t got = ::read(file.get(), data.get() + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return ReadStatus::kReadFailed;
    done += static_cast<std::size_t>(got);
  }
  bytes.data = std::move(data);
  bytes.size = size;
  return ReadStatus::kOk;
}

}  // namespace murlo
