#include "files/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <random>
#include <span>
#include <system_error>

#include "db/loader.h"
#include "db/sections.h"
#include "db/writer.h"
#include "text/utf8.h"
#include "timetable_source/source_lexer.h"

namespace murlo::tool {
namespace {

Status fileError(std::string message) { return Status(Status::Kind::kFile, std::move(message)); }

namespace fs = std::filesystem;

std::string describe(const std::string& path) {
  return isStandardStream(path) ? "standard input" : path;
}

// What a file of mode `mode` is, for a message: "a FIFO", "a directory", ...
std::string kindOf(mode_t mode) {
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  return "not a regular file";
}

// Why an output may not replace what lies at `path` (of mode `mode`,
// symbolic links not followed), or "" when it is a regular file. Nothing but
// a regular file is ever replaced, not even with --force: a device or a FIFO
// would be swapped for a plain file, and a write through a link would land
// wherever the link points.
std::string refusalOf(const std::string& path, mode_t mode) {
  if (S_ISREG(mode)) return "";
  if (S_ISDIR(mode)) return path + " is a directory; name the file to write";
  if (S_ISLNK(mode)) {
    return path + " is a symbolic link; murlo writes no file through a link (name the file " +
           "itself); nothing written";
  }
  return path + " is " + kindOf(mode) +
         ", not a regular file; murlo replaces only regular files, even with --force; nothing "
         "written";
}

// Whether two paths name the same file: the same device and inode (so hard
// and symbolic links count), or, for files that do not exist yet, the same
// place.
bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  const fs::path placeA = fs::weakly_canonical(a, ec);
  if (ec) return false;
  const fs::path placeB = fs::weakly_canonical(b, ec);
  return !ec && placeA == placeB;
}

// The files an input path stands for: itself, or for a directory the files
// directly inside it.
std::vector<std::string> filesOf(const std::string& input) {
  std::error_code ec;
  if (!fs::is_directory(input, ec)) return {input};
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(input, ec)) files.push_back(entry.path());
  return files;
}

// The temporary file being written, for the interrupt handler to remove: its
// name in the folder open as `pendingFolder`.
char pendingName[256];
volatile std::sig_atomic_t pendingFolder = -1;

extern "C" void removeTemporaryAndDie(int signal) {
  if (pendingFolder >= 0) ::unlinkat(pendingFolder, pendingName, 0);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Removes the temporary file `name` of the open folder `folder` on every way
// out of writeFile but success.
class Temporary {
 public:
  Temporary(int folder, std::string name) : folder_(folder), name_(std::move(name)) {
    if (name_.size() < sizeof pendingName) {
      std::memcpy(pendingName, name_.c_str(), name_.size() + 1);
      pendingFolder = folder_;
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
      previous_.push_back(std::signal(signal, removeTemporaryAndDie));
    }
  }
  ~Temporary() {
    if (!kept_) ::unlinkat(folder_, name_.c_str(), 0);
    pendingFolder = -1;
    std::size_t i = 0;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, previous_[i++]);
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  void keep() { kept_ = true; }

 private:
  int folder_;
  std::string name_;
  std::vector<void (*)(int)> previous_;
  bool kept_ = false;
};

// Closes a file descriptor when it goes.
class OpenFile {
 public:
  explicit OpenFile(int fd) : fd_(fd) {}
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Creates a new file beside `name` in the open folder `folder`, never
// through a link: its descriptor, and its name in `created`; -1 on failure.
int createTemporary(int folder, const std::string& name, std::string& created) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  // A long name is cut so that the temporary name stays within NAME_MAX.
  const std::string stem = "." + name.substr(0, 200) + ".murlo-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    created = stem;
    for (int i = 0; i < 8; ++i) created += kLetters[random() % (sizeof kLetters - 1)];
    const int fd = ::openat(folder, created.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

Status writeStandardOutput(const std::string& bytes) {
  std::cout.flush();
  if (!writeAll(STDOUT_FILENO, bytes)) {
    return fileError(std::string("cannot write to standard output: ") + std::strerror(errno));
  }
  return Status();
}

}  // namespace

Result<std::string> readFile(const std::string& path) {
  int fd = STDIN_FILENO;
  if (!isStandardStream(path)) {
    // Only a regular file is read: a FIFO would wait for a writer, a device
    // may never end. Checked before opening, and opened without waiting,
    // so that a FIFO put in its place meanwhile does not hang either.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
      return fileError(S_ISDIR(info.st_mode) ? path + " is a directory, not a file"
                                             : path + " is " + kindOf(info.st_mode) +
                                                   ", not a regular file (- reads standard input)");
    }
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      return fileError("cannot open " + path + ": " + std::strerror(errno));
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(fd);
      return fileError(path + " is not a regular file (- reads standard input)");
    }
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      if (fd != STDIN_FILENO) ::close(fd);
      return fileError("cannot read " + describe(path) + ": " + std::strerror(errno));
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  if (fd != STDIN_FILENO) ::close(fd);
  return bytes;
}

OutputPlan::OutputPlan(std::vector<std::string> inputs, bool force) : force_(force) {
  for (const std::string& input : inputs) {
    if (isStandardStream(input)) continue;
    for (std::string& file : filesOf(input)) inputs_.push_back(std::move(file));
  }
}

Status OutputPlan::add(const std::string& path, OutputKind kind) {
  if (isStandardStream(path)) {
    if (standardOutput_) {
      return fileError("only one output can be standard output (-)");
    }
    if (kind == OutputKind::kDatabase && ::isatty(STDOUT_FILENO) != 0) {
      return fileError(
          "a database is not written to a terminal; redirect standard output or name a file");
    }
    standardOutput_ = true;
    return Status();
  }
  struct stat existing {};
  const bool exists = ::lstat(path.c_str(), &existing) == 0;
  if (exists) {
    if (std::string refusal = refusalOf(path, existing.st_mode); !refusal.empty()) {
      return fileError(std::move(refusal));
    }
  }
  for (const std::string& input : inputs_) {
    if (sameFile(path, input)) {
      return fileError("the output " + path + " is the input " + input + "; nothing written");
    }
  }
  for (const std::string& output : outputs_) {
    if (sameFile(path, output)) {
      return fileError(path + " is named for two outputs");
    }
  }
  outputs_.push_back(path);
  if (force_ || kind == OutputKind::kAny || !exists) return Status();
  const auto old = readFile(path);
  if (!old.ok()) return old.status();
  if (old->empty()) return Status();
  if (kind == OutputKind::kDatabase && !isDatabaseFile(*old)) {
    return fileError(path + " exists and is not a database file" +
                     (isSourceText(*old) ? " (it reads as a timetable source)" : "") +
                     "; nothing written (--force replaces it)");
  }
  if (kind == OutputKind::kSource && !isWrittenSource(*old)) {
    if (isSourceText(*old)) {
      return fileError(
          path +
          " is a timetable source that murlo did not write: replacing it would lose its "
          "comments and the names of its codes; nothing written (--force replaces it)");
    }
    return fileError(path + " exists and is not a timetable source" +
                     (isDatabaseFile(*old) ? " (it is a database file)" : "") +
                     "; nothing written (--force replaces it)");
  }
  return Status();
}

Status writeFile(const std::string& path, const std::string& bytes) {
  if (isStandardStream(path)) return writeStandardOutput(bytes);
  const fs::path target = path;
  const std::string name = target.filename().string();
  if (name.empty() || name == "." || name == "..") {
    return fileError(path + " is a directory; name the file to write");
  }
  // Everything happens relative to the folder opened once: the temporary
  // file, the last look at what it replaces, and the rename, which replaces
  // a link put there meanwhile rather than follow it.
  const fs::path folderPath = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const OpenFile folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) {
    return fileError("cannot open the folder " + folderPath.string() + " to write " + path + ": " +
                     std::strerror(errno));
  }
  // The permissions of the file replaced, else those a new file gets.
  struct stat old {};
  mode_t mode = 0;
  if (::fstatat(folder.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
    if (std::string refusal = refusalOf(path, old.st_mode); !refusal.empty()) {
      return fileError(std::move(refusal));
    }
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  std::string temporaryName;
  const int fd = createTemporary(folder.get(), name, temporaryName);
  if (fd < 0) {
    return fileError("cannot create a file in " + folderPath.string() + " to write " + path + ": " +
                     std::strerror(errno));
  }
  Temporary temporary(folder.get(), temporaryName);
  const bool written = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  const int writeErrno = errno;
  if (::close(fd) != 0 || !written) {
    return fileError("cannot write " + path + ": " + std::strerror(written ? errno : writeErrno) +
                     "; the old file is unchanged");
  }
  // What lies there now: something other than a regular file may have been
  // put there since the check.
  if (::fstatat(folder.get(), name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
    if (std::string refusal = refusalOf(path, old.st_mode); !refusal.empty()) {
      return fileError(std::move(refusal));
    }
  }
  if (::renameat(folder.get(), temporaryName.c_str(), folder.get(), name.c_str()) != 0) {
    return fileError("cannot replace " + path + ": " + std::strerror(errno));
  }
  temporary.keep();
  return Status();
}

bool isDatabaseFile(std::string bytes) {
  const std::string file = bytes;
  const SectionTexts texts = descrambleSections(std::span<char>(bytes.data(), bytes.size()));
  if (texts.terminated != kSectionCount) return false;
  // The writer's own test: packing the plain texts again gives the file
  // byte for byte, but for an extension after them that reads whole. Seven
  // '%' bytes come by chance in any large file, but the rest of it then does
  // not read back: a zero byte or a byte a section cannot store, other bytes
  // after the seventh section, a header not padded with zero bytes.
  PlainSections plain;
  plain.header = std::string(texts.header);
  for (std::size_t s = 0; s < plain.sections.size(); ++s) {
    plain.sections[s] = std::string(texts.sections[s]);
  }
  std::string packed;
  if (packDatabase(plain, packed) ||
      file.compare(0, file.size() - texts.trailer.size(), packed) != 0 ||
      packed.size() + texts.trailer.size() != file.size()) {
    return false;
  }
  if (texts.trailer.empty()) return true;
  std::string copy = file;
  return parseDatabaseFile(std::span<char>(copy.data(), copy.size())).extension.state ==
         ExtensionState::kRead;
}

bool isWrittenSource(std::string_view bytes) {
  // The first lines murlo dump (and generate --source) and murlo import-gtfs
  // --source write.
  for (const std::string_view mark :
       {std::string_view("# Timetable source written by murlo dump.\n"),
        std::string_view("# Imported by murlo import-gtfs ")}) {
    if (bytes.substr(0, mark.size()) == mark) return true;
  }
  return bytes.empty();
}

bool isSourceText(std::string_view bytes) {
  std::u16string units;
  if (!utf8ToUtf16(bytes, units)) return false;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || byte == 0x7F) {
      return false;
    }
  }
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    std::size_t end = bytes.find('\n', begin);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(begin, end - begin);
    if (begin == 0 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    std::string lexError;
    const auto tokens = source::tokenize(line, lexError);
    if (!tokens.empty() || !lexError.empty()) {
      return tokens.size() > 0 &&
             (tokens[0] == "header" || tokens[0] == "station" || tokens[0] == "train");
    }
    begin = end + 1;
  }
  return true;
}

}  // namespace murlo::tool
