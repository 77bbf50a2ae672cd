// A feed that cannot be read: the message names the file (and line, where
// there is one) and what is wrong.
#ifndef MURLO_GTFS_FEED_ERROR_H_
#define MURLO_GTFS_FEED_ERROR_H_

#include <stdexcept>
#include <string>

namespace murlo::gtfs {

class FeedError : public std::runtime_error {
 public:
  explicit FeedError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_FEED_ERROR_H_
