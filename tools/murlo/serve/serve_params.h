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
#include <vector>

#include "answers/parameters.h"
#include "answers/status.h"

namespace murlo::tool {

// The longest parameter value taken, in bytes: far above any station name
// (at most 100 bytes in GBK) or train number.
inline constexpr std::size_t kMaxParameterBytes = 256;

enum class ParamKind {
  kName,     // text, not empty: a station, a train, a number
  kText,     // text, possibly empty
  kChecked,  // a value of its entry of the table of parameters (parameters.h)
};

struct ParamRule {
  std::string_view name;
  ParamKind kind = ParamKind::kText;
  bool required = false;
  const Parameter* parameter = nullptr;  // kChecked
};

// The rule of an optional parameter checked against `parameter`, by its name.
constexpr ParamRule checkedParam(const Parameter& parameter) {
  return {.name = parameter.name, .kind = ParamKind::kChecked, .parameter = &parameter};
}

// The checked parameters of one request.
class ApiArguments {
 public:
  // Checks the decoded query parameters `given` against `rules`: every name
  // known and given once, required ones present, text valid UTF-8 without
  // control characters and at most kMaxParameterBytes long, and each value
  // of its kind. A kBadParameter status names the parameter it refuses (none
  // for a name not known that cannot be shown).
  static Result<ApiArguments> read(const std::vector<std::pair<std::string, std::string>>& given,
                                   const std::vector<ParamRule>& rules);

  bool has(std::string_view name) const { return values_.count(std::string(name)) != 0; }
  // The value of a kName or kText parameter, or nothing.
  std::optional<std::string> text(std::string_view name) const;
  // The value of a kChecked parameter (see readParameter), or `otherwise`.
  int number(std::string_view name, int otherwise) const;
  // The arguments as one text, the same for every way of writing the same
  // values (at=8:00 and at=0800; any order of the parameters): each name
  // and value (a kChecked one as the number read) in the order of the
  // names, a zero byte after each.
  std::string canonical() const;
  // Gives the kChecked parameter `name` the value `number`, as if given so
  // (the date a question settles on before its answer is looked up).
  void settle(std::string_view name, int number);

 private:
  std::map<std::string, std::string> values_;
  std::map<std::string, int> numbers_;  // of the kChecked parameters
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_SERVE_PARAMS_H_
