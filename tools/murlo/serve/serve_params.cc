#include "serve/serve_params.h"

#include <algorithm>

#include "text/utf8.h"

namespace murlo::tool {
namespace {

// Valid UTF-8 without C0 or C1 controls or DEL: the library takes text up
// to its first zero, and a control character is in no name.
bool isCleanText(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = decodeUtf8At(text, i);
    if (!c || *c < 0x20 || (*c >= 0x7F && *c < 0xA0)) return false;
  }
  return true;
}

std::vector<std::string_view> choicesOf(std::string_view choices) {
  std::vector<std::string_view> words;
  std::size_t begin = 0;
  while (begin <= choices.size()) {
    std::size_t end = choices.find('|', begin);
    if (end == std::string_view::npos) end = choices.size();
    words.push_back(choices.substr(begin, end - begin));
    begin = end + 1;
  }
  return words;
}

// Why `value` is not of the kind of `rule`, or nothing when it is.
std::optional<std::string> checkValue(const ParamRule& rule, const std::string& value) {
  const std::string name(rule.name);
  if (value.size() > kMaxParameterBytes) {
    return name + " is longer than " + std::to_string(kMaxParameterBytes) + " bytes";
  }
  if (!isCleanText(value)) return name + " is not valid UTF-8 text";
  switch (rule.kind) {
    case ParamKind::kName:
      if (value.empty()) return name + " is empty";
      break;
    case ParamKind::kText: break;
    case ParamKind::kMinute:
      if (!parseMinuteOfDay(value)) {
        return name + " takes " + std::string(kTimeOfDayForms) + ", not \"" + value + "\"";
      }
      break;
    case ParamKind::kCount: {
      const auto count = parseDigits(value, 6);
      if (!count || *count < rule.least || *count > rule.most) {
        return name + " takes a whole number from " + std::to_string(rule.least) + " to " +
               std::to_string(rule.most) + ", not \"" + value + "\"";
      }
      break;
    }
    case ParamKind::kChoice: {
      const auto words = choicesOf(rule.choices);
      if (std::find(words.begin(), words.end(), value) == words.end()) {
        std::string list;
        for (std::size_t i = 0; i < words.size(); ++i) {
          list += std::string(i == 0                  ? ""
                              : i + 1 == words.size() ? " or "
                                                      : ", ") +
                  std::string(words[i]);
        }
        return name + " takes " + list + ", not \"" + value + "\"";
      }
      break;
    }
  }
  return std::nullopt;
}

}  // namespace

std::variant<ApiArguments, ParamError> ApiArguments::read(
    const std::vector<std::pair<std::string, std::string>>& given,
    const std::vector<ParamRule>& rules) {
  ApiArguments arguments;
  for (const auto& entry : given) {
    // Names, not a structured binding: clang 14 lets no lambda capture one.
    const std::string& name = entry.first;
    const std::string& value = entry.second;
    const auto rule = std::find_if(rules.begin(), rules.end(),
                                   [&](const ParamRule& s) { return s.name == name; });
    if (rule == rules.end()) {
      // The name is quoted only when it is short, clean text.
      const bool quotable = name.size() <= 40 && isCleanText(name);
      std::string known;
      for (const ParamRule& s : rules) known += (known.empty() ? "" : ", ") + std::string(s.name);
      return ParamError{quotable ? name : "",
                        (quotable ? "unknown parameter \"" + name + "\"" : "unknown parameter") +
                            (known.empty() ? "; this takes none" : "; this takes " + known)};
    }
    if (!arguments.values_.emplace(name, value).second) {
      return ParamError{name, "give " + name + " once"};
    }
    if (auto error = checkValue(*rule, value)) return ParamError{name, std::move(*error)};
  }
  for (const ParamRule& rule : rules) {
    if (rule.required && !arguments.has(rule.name)) {
      return ParamError{std::string(rule.name), std::string(rule.name) + " is missing"};
    }
  }
  return arguments;
}

std::optional<std::string> ApiArguments::text(std::string_view name) const {
  const auto it = values_.find(std::string(name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

int ApiArguments::minute(std::string_view name, int otherwise) const {
  const auto value = text(name);
  return value ? parseMinuteOfDay(*value).value_or(otherwise) : otherwise;
}

int ApiArguments::count(std::string_view name, int otherwise) const {
  const auto value = text(name);
  return value ? parseDigits(*value, 6).value_or(otherwise) : otherwise;
}

}  // namespace murlo::tool
