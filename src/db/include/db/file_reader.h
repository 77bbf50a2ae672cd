// Reading a whole file with the platform's own file functions.
#ifndef MURLO_DB_FILE_READER_H_
#define MURLO_DB_FILE_READER_H_

#include <cstddef>
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

enum class ReadStatus {
  kOk,
  kCannotOpen,  // missing, not a regular file, no permission
  kCannotSize,  // the size cannot be determined
  kReadFailed,  // the read failed or delivered fewer bytes than the size
};

struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
};

// Opens the file for reading, learns its size, reads it whole with one read
// and closes it. May throw std::bad_alloc when the buffer cannot be had.
ReadStatus readWholeFile(const NativePath& path, FileBytes& bytes);

}  // namespace murlo

#endif  // MURLO_DB_FILE_READER_H_
