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
  // Read access, shared with other readers only: other threads and
  // processes load the same file at the same time (as on POSIX systems),
  // while no one writes it as it is read. A directory does not open (that
  // would need FILE_FLAG_BACKUP_SEMANTICS).
  FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return ReadStatus::kCannotOpen;

  // Only a file on a disk: a pipe or a device (CON, COM1) is refused before
  // it is read, as on POSIX systems.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return ReadStatus::kCannotOpen;
  LARGE_INTEGER fullSize{};
  if (!::GetFileSizeEx(file.get(), &fullSize)) return ReadStatus::kCannotSize;
  if (fullSize.QuadPart < 0 || static_cast<std::uint64_t>(fullSize.QuadPart) > kMaxFileBytes) {
    return ReadStatus::kCannotOpen;
  }
  const auto size = static_cast<DWORD>(fullSize.QuadPart);

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
