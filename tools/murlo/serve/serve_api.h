// The JSON API of murlo serve: a table of endpoints, each a path, the
// parameters it takes and a handler that asks one question. A handler sees
// checked arguments only and answers with the question's JSON (the same
// producer as murlo --json) or a JSON error with its HTTP status.
//
// Adding an endpoint: one entry in apiEndpoints() (serve_api.cc) and its
// handler beside the others there; docs/serve.md documents it.
#ifndef MURLO_TOOLS_MURLO_SERVE_SERVE_API_H_
#define MURLO_TOOLS_MURLO_SERVE_SERVE_API_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "answers/answers.h"
#include "serve/serve_params.h"
#include "serve/served_database.h"

namespace murlo::tool {

// The longest answer sent, in bytes.
inline constexpr std::size_t kMaxAnswerBytes = 8u << 20;

using ApiHandler = ApiReply (*)(const ApiArguments& arguments, Questions& questions);

struct Endpoint {
  std::string_view path;  // "/api/at"
  std::vector<ParamRule> params;
  ApiHandler handle = nullptr;
  // Without `at` the answer starts from the current time (or says the date
  // it is now): not kept.
  bool readsClock = false;
};

const std::vector<Endpoint>& apiEndpoints();
// The endpoint at `path`, or nullptr.
const Endpoint* findEndpoint(std::string_view path);

// Answers one request to `endpoint` with the decoded query parameters
// `given`, from `database`, or from the answers kept for that database.
// Never throws; nullptr only when memory ran out.
std::shared_ptr<const ApiReply> answerRequest(
    const Endpoint& endpoint, const std::vector<std::pair<std::string, std::string>>& given,
    ServedDatabase& database, AnswerSource& source);

// A JSON error: {"status":..,"error":"<kind>","message":"..."}, with the
// parameter it concerns when there is one. `kind` is a word such as
// "not_found"; `message` one line of valid UTF-8.
ApiReply errorReply(int status, std::string_view kind, std::string_view message,
                    std::string_view parameter = "");

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_SERVE_API_H_
