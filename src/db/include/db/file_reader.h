// Reading a whole file with the platform's own file functions.
#ifndef MURLO_DB_FILE_READER_H_
#define MURLO_DB_FILE_READER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace murlo {

// A path as the platform's file functions take it: UTF-16 on Windows, bytes
// (UTF-8 by convention) elsewhere.
#if defined(_WIN32)
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

// The largest file read: far above any database the format's limits allow
// (10,000 trains of at most 100 stops make 16 MB of stop records and 6 MB of
// calls in the sections, and the same stops again, 17 MB, in an extension's
// train calls; the largest generated network, every limit at its maximum,
// is 7.6 MB), and small enough that a file beyond it, a runaway or sparse
// file, is refused before a byte of it is read or memory is taken for it.
inline constexpr std::uint64_t kMaxFileBytes = std::uint64_t{256} << 20;

enum class ReadStatus {
  kOk,
  kCannotOpen,  // missing, not a regular file, no permission, over kMaxFileBytes
  kCannotSize,  // the size cannot be determined
  kReadFailed,  // the read failed or delivered fewer bytes than the size
};

struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
};

// Opens the file for reading without waiting (a FIFO or a device is refused
// at once, as anything that is not a regular file is), learns its size,
// refuses one over kMaxFileBytes, reads it whole with one read and closes
// it. May throw std::bad_alloc when the buffer cannot be had.
ReadStatus readWholeFile(const NativePath& path, FileBytes& bytes);

}  // namespace murlo

#endif  // MURLO_DB_FILE_READER_H_
