// The files of a feed, from a folder or a zip archive. A zip whose files lie
// in one folder inside it (feed/stops.txt) is read as if they were at its
// top.
#ifndef MURLO_GTFS_FEED_FILES_H_
#define MURLO_GTFS_FEED_FILES_H_

#include <memory>
#include <string>
#include <string_view>

#include "gtfs/byte_source.h"
#include "gtfs/zip_archive.h"

namespace murlo::gtfs {

class FeedFiles {
 public:
  // Opens the folder or zip file at `path`. Throws FeedError when it is
  // neither or cannot be read.
  explicit FeedFiles(const std::string& path);

  // The file `name` (such as "stops.txt"), or nullptr when the feed has none.
  std::unique_ptr<ByteSource> open(std::string_view name) const;
  // How messages name the file: "feed/stops.txt" or "feed.zip:stops.txt".
  std::string displayName(std::string_view name) const;

 private:
  std::string path_;
  std::unique_ptr<ZipArchive> zip_;
  std::string prefix_;  // the folder inside the zip that holds the files
};

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_FEED_FILES_H_
