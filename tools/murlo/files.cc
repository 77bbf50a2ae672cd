#include "files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <span>
#include <system_error>

#include "db/sections.h"
#include "text/utf8.h"
#include "timetable_source/source_lexer.h"

namespace murlo::tool {
namespace {

namespace fs = std::filesystem;

std::string describe(const std::string& path) {
  return isStandardStream(path) ? "standard input" : path;
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

// The temporary file being written, for the interrupt handler to remove.
char pendingTemporary[4096];
volatile std::sig_atomic_t temporaryPending = 0;

extern "C" void removeTemporaryAndDie(int signal) {
  if (temporaryPending != 0) ::unlink(pendingTemporary);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// Removes the temporary file on every way out of writeFile but success.
class Temporary {
 public:
  explicit Temporary(std::string path) : path_(std::move(path)) {
    if (path_.size() < sizeof pendingTemporary) {
      std::memcpy(pendingTemporary, path_.c_str(), path_.size() + 1);
      temporaryPending = 1;
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
      previous_.push_back(std::signal(signal, removeTemporaryAndDie));
    }
  }
  ~Temporary() {
    if (!kept_) ::unlink(path_.c_str());
    temporaryPending = 0;
    std::size_t i = 0;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, previous_[i++]);
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  void keep() { kept_ = true; }

 private:
  std::string path_;
  std::vector<void (*)(int)> previous_;
  bool kept_ = false;
};

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

bool writeStandardOutput(const std::string& bytes, std::string& error) {
  std::cout.flush();
  if (!writeAll(STDOUT_FILENO, bytes)) {
    error = std::string("cannot write to standard output: ") + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> readFile(const std::string& path, std::string& error) {
  if (!isStandardStream(path)) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      error = path + " is a directory, not a file";
      return std::nullopt;
    }
  }
  const int fd = isStandardStream(path) ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY);
  if (fd < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = "cannot read " + describe(path) + ": " + std::strerror(errno);
      if (fd != STDIN_FILENO) ::close(fd);
      return std::nullopt;
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

bool OutputPlan::add(const std::string& path, OutputKind kind, std::string& error) {
  if (isStandardStream(path)) {
    if (standardOutput_) {
      error = "only one output can be standard output (-)";
      return false;
    }
    if (kind == OutputKind::kDatabase && ::isatty(STDOUT_FILENO) != 0) {
      error = "a database is not written to a terminal; redirect standard output or name a file";
      return false;
    }
    standardOutput_ = true;
    return true;
  }
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    error = path + " is a directory; name the file to write";
    return false;
  }
  for (const std::string& input : inputs_) {
    if (sameFile(path, input)) {
      error = "the output " + path + " is the input " + input + "; nothing written";
      return false;
    }
  }
  for (const std::string& output : outputs_) {
    if (sameFile(path, output)) {
      error = path + " is named for two outputs";
      return false;
    }
  }
  outputs_.push_back(path);
  if (force_ || kind == OutputKind::kAny || !fs::exists(path, ec)) return true;
  if (!fs::is_regular_file(path, ec)) {
    error = path + " exists and is not a regular file; nothing written";
    return false;
  }
  std::string readError;
  auto old = readFile(path, readError);
  if (!old) {
    error = readError;
    return false;
  }
  if (old->empty()) return true;
  if (kind == OutputKind::kDatabase && !isDatabaseFile(*old)) {
    error = path + " exists and is not a database file" +
            (isSourceText(*old) ? " (it reads as a timetable source)" : "") +
            "; nothing written (--force replaces it)";
    return false;
  }
  if (kind == OutputKind::kSource && !isSourceText(*old)) {
    error = path + " exists and is not a timetable source" +
            (isDatabaseFile(*old) ? " (it is a database file)" : "") +
            "; nothing written (--force replaces it)";
    return false;
  }
  return true;
}

bool writeFile(const std::string& path, const std::string& bytes, std::string& error) {
  if (isStandardStream(path)) return writeStandardOutput(bytes, error);
  std::error_code ec;
  fs::path target = path;
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  if (fs::is_directory(target, ec)) {
    error = path + " is a directory; name the file to write";
    return false;
  }
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string pattern = (folder / ("." + target.filename().string() + ".murlo-XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    error = "cannot create a file in " + folder.string() + " to write " + path + ": " +
            std::strerror(errno);
    return false;
  }
  Temporary temporary(pattern);
  // The permissions of the file replaced, else those a new file gets.
  struct stat old {};
  mode_t mode = 0;
  if (::stat(target.c_str(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  const bool written = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  const int writeErrno = errno;
  if (::close(fd) != 0 || !written) {
    error = "cannot write " + path + ": " + std::strerror(written ? errno : writeErrno) +
            "; the old file is unchanged";
    return false;
  }
  if (::rename(pattern.c_str(), target.c_str()) != 0) {
    error = "cannot replace " + path + ": " + std::strerror(errno);
    return false;
  }
  temporary.keep();
  return true;
}

bool isDatabaseFile(std::string bytes) {
  if (bytes.size() < kHeaderSize) return false;
  const SectionTexts texts = descrambleSections(std::span<char>(bytes.data(), bytes.size()));
  if (texts.terminated != kSectionCount) return false;
  // Seven '%' bytes come by chance in any large file; a database also has
  // one printable code per train in each of its first three sections, and
  // train numbers of capitals, digits, "/" and the separator "O".
  const std::size_t trains = texts.sections[0].size();
  for (int s = 0; s < 3; ++s) {
    const std::string_view codes = texts.sections[static_cast<std::size_t>(s)];
    if (codes.size() != trains) return false;
    for (const char c : codes) {
      if (c <= 0x20 || c >= 0x7F) return false;
    }
  }
  for (const char c : texts.sections[3]) {
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/')) return false;
  }
  return true;
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
