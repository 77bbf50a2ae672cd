#include "answers/names_as_written.h"

namespace murlo::tool {

std::string writtenOr(const std::string& own, const std::string& sections) {
  return own.empty() ? sections : own;
}

std::string shownName(const NamesAsWritten& written, const std::string& name) {
  const auto found = written.find(name);
  return found == written.end() ? name : found->second;
}

void writeAsWritten(JsonWriter& json, std::string_view key, const NamesAsWritten& written,
                    const std::string& name) {
  const auto found = written.find(name);
  if (found != written.end()) json.field(std::string(key) + "_as_written", found->second);
}

}  // namespace murlo::tool
