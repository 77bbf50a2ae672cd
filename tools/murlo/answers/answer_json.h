// The answers of murlo's questions as JSON: one producer per question, for
// `murlo --json` and for murlo serve alike. Every object begins with
// `database` (the path loaded) and the question's arguments.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_ANSWER_JSON_H_
#define MURLO_TOOLS_MURLO_ANSWERS_ANSWER_JSON_H_

#include <string>

#include "answers/answers.h"
#include "answers/json_writer.h"

namespace murlo::tool {

void writeAnswerJson(JsonWriter& json, const std::string& database, const HeaderAnswer& answer);
void writeAnswerJson(JsonWriter& json, const std::string& database, const StationsAnswer& answer);
void writeAnswerJson(JsonWriter& json, const std::string& database,
                     const TypedStationsAnswer& answer);
void writeAnswerJson(JsonWriter& json, const std::string& database, const TrainsAnswer& answer);
void writeAnswerJson(JsonWriter& json, const std::string& database, const StopsAnswer& answer);
void writeAnswerJson(JsonWriter& json, const std::string& database, const BoardAnswer& answer);
void writeAnswerJson(JsonWriter& json, const std::string& database, const PlanAnswer& answer);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_ANSWER_JSON_H_
