// Stations as the network writes them: every face (tables, captions,
// messages, --json, the API) shows a station's label ("125 St (4 5 6)",
// its name as written told apart from equal ones) where the database has
// one, and the sections' name (the name to ask questions by) elsewhere. A
// database without words shows the sections' names, as it always did.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_NAMES_AS_WRITTEN_H_
#define MURLO_TOOLS_MURLO_ANSWERS_NAMES_AS_WRITTEN_H_

#include <map>
#include <string>
#include <string_view>

#include "answers/json_writer.h"

namespace murlo::tool {

// The labels of the stations an answer names, by their sections' names;
// only stations that have one.
using NamesAsWritten = std::map<std::string, std::string, std::less<>>;

// `own` (a name as written, "" where unknown), else `sections`.
std::string writtenOr(const std::string& own, const std::string& sections);

// The label of `name` in `written`, else `name`.
std::string shownName(const NamesAsWritten& written, const std::string& name);

// `KEY_as_written` with the label of `name`, added to the object being
// written only where `written` has one.
void writeAsWritten(JsonWriter& json, std::string_view key, const NamesAsWritten& written,
                    const std::string& name);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_NAMES_AS_WRITTEN_H_
