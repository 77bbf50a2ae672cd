// The parameters of murlo serve's API: what each endpoint takes, read from
// the query string of a request and checked once for all endpoints, so that
// a handler sees only values it can use.
#ifndef MURLO_TOOLS_MURLO_SERVE_SERVE_PARAMS_H_
#define MURLO_TOOLS_MURLO_SERVE_SERVE_PARAMS_H_

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "answers/time_of_day.h"

namespace murlo::tool {

// The longest parameter value taken, in bytes: far above any station name
// (at most 100 bytes in GBK) or train number.
inline constexpr std::size_t kMaxParameterBytes = 256;

enum class ParamKind {
  kName,    // text, not empty: a station, a train, a number
  kText,    // text, possibly empty
  kMinute,  // a time of day: HH:MM, H:MM, HHMM or HMM (parseMinuteOfDay)
  kCount,   // a whole number from `least` to `most`
  kChoice,  // one of the words of `choices`, "|" between them
};

struct ParamRule {
  std::string_view name;
  ParamKind kind = ParamKind::kText;
  bool required = false;
  std::string_view choices = "";  // kChoice: "time|index"
  int least = 1;                  // kCount
  int most = 0;                   // kCount
};

// A parameter that cannot be used: its name and why, in one line.
struct ParamError {
  std::string parameter;
  std::string message;
};

// The checked parameters of one request.
class ApiArguments {
 public:
  // Checks the decoded query parameters `given` against `rules`: every name
  // known and given once, required ones present, text valid UTF-8 without
  // control characters and at most kMaxParameterBytes long, and each value
  // of its kind.
  static std::variant<ApiArguments, ParamError> read(
      const std::vector<std::pair<std::string, std::string>>& given,
      const std::vector<ParamRule>& rules);

  bool has(std::string_view name) const { return values_.count(std::string(name)) != 0; }
  // The value of a kName, kText or kChoice parameter, or nothing.
  std::optional<std::string> text(std::string_view name) const;
  // A kMinute parameter, or `otherwise`.
  int minute(std::string_view name, int otherwise) const;
  // A kCount parameter, or `otherwise`.
  int count(std::string_view name, int otherwise) const;

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_SERVE_PARAMS_H_
