#include "serve/served_database.h"

#include <sys/stat.h>

#include <exception>
#include <span>

#include "db/file_format.h"
#include "db/file_reader.h"
#include "db/sections.h"

namespace murlo::tool {
namespace {

// What tells one file at a path from another: a rename puts a new inode
// there, a write in place changes the size or the time of change.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec changed{};
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
  }
};

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_ctim};
}

// How many of the seven sections of the file at `path` end with their
// terminator; nothing when it cannot be read (the load says why).
std::optional<int> terminatedSections(const std::string& path) {
  FileBytes bytes;
  if (readWholeFile(path, bytes) != ReadStatus::kOk) return std::nullopt;
  return descrambleSections(std::span<char>(bytes.data.get(), bytes.size)).terminated;
}

}  // namespace

ServedDatabase::Snapshot ServedDatabase::current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return served_;
}

ServedDatabase::Record ServedDatabase::record() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return record_;
}

Status ServedDatabase::open(Snapshot& fresh) {
  try {
    auto handle = openDatabase(path_);
    if (!handle.ok()) return handle.status();
    fresh.handle = std::move(*handle);
    if (auto list = stationEntries(fresh.handle.get())) {
      fresh.stations = std::make_shared<const std::vector<StationEntry>>(std::move(*list));
    }
    fresh.answers = std::make_shared<AnswerCache>(cacheBytes_);
  } catch (const std::exception&) {
    // Memory ran out: a database opened without its list leaves the list to
    // each question (and keeps no answers); one not opened leaves the old
    // one served.
    if (!fresh.handle) return Status::outOfMemory();
  }
  return Status();
}

Status ServedDatabase::load() {
  Snapshot fresh;
  if (Status opened = open(fresh); !opened.ok()) return refuse(std::move(opened));
  return swapIn(std::move(fresh));
}

Status ServedDatabase::reload() {
  const auto before = identityOf(path_);
  Snapshot fresh;
  try {
    // A file cut short (still being written, or copied in place) loads as
    // one with fewer sections: it is not swapped in for a whole one.
    if (const auto ended = terminatedSections(path_); ended && *ended < kSectionCount) {
      return refuse(Status(Status::Kind::kCannotLoad,
                           "the database " + path_ + " is incomplete: " + std::to_string(*ended) +
                               " of its " + std::to_string(kSectionCount) +
                               " sections end (a file cut short?)"));
    }
  } catch (const std::bad_alloc&) {
    return refuse(Status::outOfMemory());
  }
  // A damaged extension fails the open itself.
  if (Status opened = open(fresh); !opened.ok()) return refuse(std::move(opened));
  if (!before || identityOf(path_) != before) {
    return refuse(Status(Status::Kind::kCannotLoad,
                         "the database " + path_ + " changed while it was being loaded"));
  }
  return swapIn(std::move(fresh));
}

Status ServedDatabase::refuse(Status why) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (served_.handle) ++record_.reloadsRefused;
  return why;
}

Status ServedDatabase::swapIn(Snapshot fresh) {
  std::string header = murlo_db_header(fresh.handle.get());
  std::lock_guard<std::mutex> lock(mutex_);
  if (served_.handle) ++record_.reloadsDone;
  served_ = std::move(fresh);
  record_.loadedAt = std::chrono::steady_clock::now();
  record_.header = std::move(header);
  return Status();
}

}  // namespace murlo::tool
