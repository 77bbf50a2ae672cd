#include "gtfs/feed_files.h"

#include <filesystem>
#include <system_error>

#include "gtfs/feed_error.h"

namespace murlo::gtfs {
namespace {

// The folder inside the archive that holds stops.txt, when it is not at the
// top and exactly one folder holds one.
std::string filesFolder(const ZipArchive& zip) {
  if (zip.find("stops.txt") != nullptr) return "";
  std::string folder;
  int found = 0;
  for (const ZipEntry& entry : zip.entries()) {
    const std::string_view name = entry.name;
    constexpr std::string_view kSuffix = "/stops.txt";
    if (name.size() > kSuffix.size() && name.substr(name.size() - kSuffix.size()) == kSuffix) {
      folder = std::string(name.substr(0, name.size() - kSuffix.size() + 1));
      ++found;
    }
  }
  return found == 1 ? folder : "";
}

}  // namespace

FeedFiles::FeedFiles(const std::string& path) : path_(path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return;
  if (!std::filesystem::exists(path, error))
    throw FeedError("cannot open " + path + ": no such file or folder");
  zip_ = std::make_unique<ZipArchive>(path);
  prefix_ = filesFolder(*zip_);
}

std::unique_ptr<ByteSource> FeedFiles::open(std::string_view name) const {
  if (!zip_) return openFileSource((std::filesystem::path(path_) / name).string());
  const ZipEntry* entry = zip_->find(prefix_ + std::string(name));
  return entry == nullptr ? nullptr : zip_->open(*entry);
}

std::string FeedFiles::displayName(std::string_view name) const {
  if (!zip_) return (std::filesystem::path(path_) / name).string();
  return path_ + ":" + prefix_ + std::string(name);
}

}  // namespace murlo::gtfs
