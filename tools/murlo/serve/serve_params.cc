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

// Ok when `value` is text of the kind of `rule`; a kChecked value read into
// `numbers`.
Status checkValue(const ParamRule& rule, const std::string& value,
                  std::map<std::string, int>& numbers) {
  const std::string name(rule.name);
  if (value.size() > kMaxParameterBytes) {
    return Status::badParameter(
        name, name + " is longer than " + std::to_string(kMaxParameterBytes) + " bytes");
  }
  if (!isCleanText(value)) return Status::badParameter(name, name + " is not valid UTF-8 text");
  switch (rule.kind) {
    case ParamKind::kName:
      if (value.empty()) return Status::badParameter(name, name + " is empty");
      break;
    case ParamKind::kText: break;
    case ParamKind::kChecked: {
      const Result<int> read = readParameter(*rule.parameter, name, value, Quoting::kQuoted);
      if (!read.ok()) return read.status();
      numbers[name] = *read;
      break;
    }
  }
  return Status();
}

}  // namespace

Result<ApiArguments> ApiArguments::read(
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
      return Status::badParameter(
          quotable ? name : "",
          (quotable ? "unknown parameter \"" + name + "\"" : "unknown parameter") +
              (known.empty() ? "; this takes none" : "; this takes " + known));
    }
    if (!arguments.values_.emplace(name, value).second) {
      return Status::badParameter(name, "give " + name + " once");
    }
    if (Status status = checkValue(*rule, value, arguments.numbers_); !status.ok()) return status;
  }
  for (const ParamRule& rule : rules) {
    if (rule.required && !arguments.has(rule.name)) {
      return Status::badParameter(std::string(rule.name), std::string(rule.name) + " is missing");
    }
  }
  return arguments;
}

std::optional<std::string> ApiArguments::text(std::string_view name) const {
  const auto it = values_.find(std::string(name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

int ApiArguments::number(std::string_view name, int otherwise) const {
  const auto it = numbers_.find(std::string(name));
  return it == numbers_.end() ? otherwise : it->second;
}

void ApiArguments::settle(std::string_view name, int number) {
  values_[std::string(name)] = std::to_string(number);
  numbers_[std::string(name)] = number;
}

std::string ApiArguments::canonical() const {
  std::string out;
  for (const auto& [name, value] : values_) {
    out += name;
    out += '=';
    const auto read = numbers_.find(name);
    out += read == numbers_.end() ? value : std::to_string(read->second);
    out += '\0';
  }
  return out;
}

}  // namespace murlo::tool
