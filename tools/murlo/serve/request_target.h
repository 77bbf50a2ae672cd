// A request target as murlo serve reads it: the path, percent-decoded, and
// the query's name=value pairs, decoded ("+" is a space), in the order of
// their names (pairs of one name in the order given), so that the first
// fault reported of several is always the same one.
#ifndef MURLO_TOOLS_MURLO_SERVE_REQUEST_TARGET_H_
#define MURLO_TOOLS_MURLO_SERVE_REQUEST_TARGET_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace murlo::tool {

struct RequestTarget {
  std::string path;
  std::vector<std::pair<std::string, std::string>> query;
};

// Nothing when the target holds more than one "?".
std::optional<RequestTarget> readRequestTarget(std::string_view target);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_REQUEST_TARGET_H_
