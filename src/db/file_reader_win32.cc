#include <utility>

#include "db/file_reader.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace murlo {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

ReadStatus readWholeFile(const NativePath& path, FileBytes& bytes) {
  // Read access, no sharing while it is open; a directory does not open
  // (that would need FILE_FLAG_BACKUP_SEMANTICS).
  FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return ReadStatus::kCannotOpen;

  // The size without its high-order word; all ones is the failure value.
  const DWORD size = ::GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return ReadStatus::kCannotSize;

  // One byte more than the size, so that an empty file still has a buffer.
  auto data = std::make_unique_for_overwrite<char[]>(std::size_t{size} + 1);
  DWORD got = 0;
  if (!::ReadFile(file.get(), data.get(), size, &got, nullptr) || got != size) {
    return ReadStatus::kReadFailed;
  }
  bytes.data = std::move(data);
  bytes.size = size;
  return ReadStatus::kOk;
}

}  // namespace murlo
