#include "serve/serve_api.h"

#include <algorithm>
#include <functional>
#include <new>
#include <sstream>

#include "answers/answer_json.h"
#include "answers/json_writer.h"
#include "answers/service_date.h"

namespace murlo::tool {
namespace {

using Extra = std::function<void(JsonWriter&)>;

ApiReply errorWith(int status, std::string_view kind, std::string_view message,
                   std::string_view parameter, const Extra& extra) {
  std::ostringstream out;
  JsonWriter json(out);
  json.beginObject()
      .field("status", int64_t{status})
      .field("error", kind)
      .field("message", message);
  if (!parameter.empty()) json.field("parameter", parameter);
  if (extra) extra(json);
  json.endObject();
  return {status, std::move(out).str()};
}

ApiReply jsonReply(const Extra& write) {
  std::ostringstream out;
  JsonWriter json(out);
  write(json);
  std::string body = std::move(out).str();
  if (body.size() > kMaxAnswerBytes) {
    return errorReply(
        500, "answer_too_large",
        "the answer would be larger than " + std::to_string(kMaxAnswerBytes) + " bytes");
  }
  return {200, std::move(body)};
}

// The parameter that names the station of a role.
std::string_view parameterOf(const std::string& role) {
  if (role == "origin" || role == "boarding") return "from";
  if (role == "destination" || role == "alighting") return "to";
  return "station";
}

void nameList(JsonWriter& json, std::string_view key, const std::vector<std::string>& names) {
  json.key(key).beginArray();
  for (const std::string& name : names) json.value(name);
  json.endArray();
}

ApiReply failureReply(const Status& failure) {
  switch (failure.kind()) {
    case Status::Kind::kUnknownStation:
      return errorWith(404, "unknown_station", failure.message(), parameterOf(failure.role()),
                       [&](JsonWriter& json) { nameList(json, "suggestions", failure.names()); });
    case Status::Kind::kSeveralStations:
      return errorWith(400, "several_stations", failure.message(), parameterOf(failure.role()),
                       [&](JsonWriter& json) { nameList(json, "candidates", failure.names()); });
    case Status::Kind::kSameStation:
      return errorWith(400, "same_station", failure.message(), "", nullptr);
    case Status::Kind::kUnknownTrain:
      return errorWith(404, "unknown_train", failure.message(), "train", nullptr);
    case Status::Kind::kSeveralTrains:
      return errorWith(400, "several_trains", failure.message(), "train", [&](JsonWriter& json) {
        json.key("trains").beginArray();
        for (const TrainLine& t : failure.trains()) {
          json.beginObject()
              .field("index", int64_t{t.index})
              .field("number", t.number)
              .field("from", t.from)
              .field("departure", t.departure)
              .field("to", t.to)
              .field("arrival", t.arrival)
              .endObject();
        }
        json.endArray();
      });
    case Status::Kind::kBadParameter:
      return errorWith(400, "bad_parameter", failure.message(), failure.parameter(), nullptr);
    case Status::Kind::kInvalidArgument:
      // The parameters are checked first; this is the library's word on them.
      return errorWith(400, "bad_parameter", failure.message(), "", nullptr);
    case Status::Kind::kOutOfMemory:
      return errorWith(503, "out_of_memory", failure.message(), "", nullptr);
    case Status::Kind::kOk:  // not a failure: no question answers so
    case Status::Kind::kCannotLoad:
    case Status::Kind::kFile:
    case Status::Kind::kLibrary: break;
  }
  return errorWith(500, "library", failure.message(), "", nullptr);
}

template <typename Answer>
ApiReply reply(const Questions& questions, const Result<Answer>& outcome) {
  if (!outcome.ok()) return failureReply(outcome.status());
  return jsonReply(
      [&](JsonWriter& json) { writeAnswerJson(json, questions.database(), *outcome); });
}

TrainOrder orderOf(const ApiArguments& arguments) {
  TrainOrder order;
  order.byDeparture = arguments.number("order", 0) == 0;  // time, not index
  order.fromMinute = arguments.number("at", 0);
  order.timeAsked = arguments.has("at");
  return order;
}

// ---- The handlers, one per endpoint ----

ApiReply header(const ApiArguments&, Questions& questions) {
  return reply(questions, questions.header(Detail::kFields));
}

ApiReply stations(const ApiArguments& arguments, Questions& questions) {
  return reply(questions, questions.stations(arguments.text("abbreviation").value_or(""),
                                             arguments.text("name"), Detail::kFields));
}

ApiReply match(const ApiArguments& arguments, Questions& questions) {
  const auto limit = static_cast<std::size_t>(arguments.number("limit", 10));
  return reply(questions, questions.typedStations(*arguments.text("text"), limit));
}

ApiReply at(const ApiArguments& arguments, Questions& questions) {
  return reply(questions,
               questions.at(*arguments.text("station"), orderOf(arguments), Detail::kFields));
}

// The date of a question, as settleDate made it (MURLO_NO_DATE: none).
int32_t dateOf(const ApiArguments& arguments) { return arguments.number("date", MURLO_NO_DATE); }

ApiReply direct(const ApiArguments& arguments, Questions& questions) {
  const int32_t mode = arguments.number("mode", 0);
  return reply(questions, questions.direct(*arguments.text("from"), *arguments.text("to"), mode,
                                           orderOf(arguments), Detail::kFields, dateOf(arguments)));
}

ApiReply number(const ApiArguments& arguments, Questions& questions) {
  return reply(questions,
               questions.number(*arguments.text("number"), orderOf(arguments), Detail::kFields));
}

ApiReply stops(const ApiArguments& arguments, Questions& questions) {
  const auto from = arguments.text("from");
  const auto to = arguments.text("to");
  if (from.has_value() != to.has_value()) {
    return errorReply(400, "bad_parameter", "give from and to together, or neither",
                      from ? "to" : "from");
  }
  return reply(questions, questions.stops(*arguments.text("train"), from, to, Detail::kFields));
}

// The minute a board or a journey question starts from: `at`, else now.
int startMinute(const ApiArguments& arguments) {
  return arguments.has("at") ? arguments.number("at", 0) : currentMinuteOfDay();
}

ApiReply departures(const ApiArguments& arguments, Questions& questions) {
  return reply(questions, questions.departures(*arguments.text("station"), startMinute(arguments),
                                               arguments.number("limit", kDefaultBoardLines),
                                               Detail::kFields, dateOf(arguments)));
}

ApiReply arrivals(const ApiArguments& arguments, Questions& questions) {
  return reply(questions, questions.arrivals(*arguments.text("station"), startMinute(arguments),
                                             arguments.number("limit", kDefaultBoardLines),
                                             Detail::kFields, dateOf(arguments)));
}

ApiReply plan(const ApiArguments& arguments, Questions& questions) {
  const int times = static_cast<int>(arguments.has("at")) +
                    static_cast<int>(arguments.has("before")) +
                    static_cast<int>(arguments.has("arrive_by"));
  if (times > 1) {
    return errorReply(400, "bad_parameter", "give at most one of at, before and arrive_by",
                      arguments.has("before") ? "before" : "arrive_by");
  }
  PlanQuestion question;
  question.atMinute = startMinute(arguments);
  if (arguments.has("before")) {
    question.time = JourneyTime::kLeaveBefore;
    question.atMinute = arguments.number("before", 0);
  } else if (arguments.has("arrive_by")) {
    question.time = JourneyTime::kArriveBy;
    question.atMinute = arguments.number("arrive_by", 0);
  }
  question.maxChanges = arguments.number("changes", kDefaultChanges);
  question.changeMinutes = arguments.number("change_time", kDefaultChangeMinutes);
  if (arguments.has("change_time")) question.leastChangeMinutes = question.changeMinutes;
  question.limit = arguments.number("limit", kDefaultJourneys);
  question.date = dateOf(arguments);
  return reply(questions, questions.plan(*arguments.text("from"), *arguments.text("to"), question,
                                         Detail::kFields));
}

constexpr ParamRule kOrder = checkedParam(kOrderParameter);
constexpr ParamRule kAt = checkedParam(kTimeOfDayParameter);
constexpr ParamRule kDate = checkedParam(kDateParameter);

bool takesDate(const Endpoint& endpoint) {
  return std::any_of(endpoint.params.begin(), endpoint.params.end(),
                     [](const ParamRule& rule) { return rule.parameter == &kDateParameter; });
}

// The date of a question to an endpoint that takes one, settled before its
// answer is looked up: the date given, today and tomorrow made dates in the
// timetable's time zone, or today where the database has a calendar. So
// an answer is kept for a date, never for "today", and outlives no day.
// Where the database has a calendar, a question that starts from the
// current time (no at, before or arrive_by) starts from the minute it is
// now in the timetable's time zone, the clock of its today.
Status settleDate(const Endpoint& endpoint, ApiArguments& arguments, const murlo_db* db) {
  if (!takesDate(endpoint)) return Status();
  const ServicePeriod period = servicePeriodOf(db);
  if (!arguments.has("date") && !period.hasCalendar()) return Status();
  const std::time_t now = std::time(nullptr);
  auto date = resolveDate(arguments.number("date", kToday), period, "date", now);
  if (!date.ok()) return date.status();
  arguments.settle("date", *date);
  if (endpoint.readsClock && period.hasCalendar() && !arguments.has("at") &&
      !arguments.has("before") && !arguments.has("arrive_by")) {
    arguments.settle("at", minuteIn(period.timeZone, now));
  }
  return Status();
}

// A board's parameters.
std::vector<ParamRule> boardParams() {
  return {{.name = "station", .kind = ParamKind::kName, .required = true},
          kAt,
          kDate,
          checkedParam(kBoardLimitParameter)};
}

}  // namespace

const std::vector<Endpoint>& apiEndpoints() {
  static const std::vector<Endpoint> endpoints = {
      // Not kept: it says the date it is now.
      {"/api/header", {}, header, true},
      {"/api/stations", {{.name = "abbreviation"}, {.name = "name"}}, stations},
      {"/api/match",
       {{.name = "text", .kind = ParamKind::kName, .required = true},
        checkedParam(kMatchLimitParameter)},
       match},
      {"/api/at", {{.name = "station", .kind = ParamKind::kName, .required = true}, kOrder}, at},
      {"/api/direct",
       {{.name = "from", .kind = ParamKind::kName, .required = true},
        {.name = "to", .kind = ParamKind::kName, .required = true},
        kAt,
        kDate,
        checkedParam(kModeParameter),
        kOrder},
       direct},
      {"/api/number",
       {{.name = "number", .kind = ParamKind::kName, .required = true}, kOrder},
       number},
      {"/api/stops",
       {{.name = "train", .kind = ParamKind::kName, .required = true},
        {.name = "from", .kind = ParamKind::kName},
        {.name = "to", .kind = ParamKind::kName}},
       stops},
      {"/api/departures", boardParams(), departures, true},
      {"/api/arrivals", boardParams(), arrivals, true},
      {"/api/plan",
       {{.name = "from", .kind = ParamKind::kName, .required = true},
        {.name = "to", .kind = ParamKind::kName, .required = true},
        kAt,
        kDate,
        checkedParam(kBeforeParameter),
        checkedParam(kArriveByParameter),
        checkedParam(kChangesParameter),
        checkedParam(kChangeTimeParameter),
        checkedParam(kJourneyLimitParameter)},
       plan,
       true},
  };
  return endpoints;
}

const Endpoint* findEndpoint(std::string_view path) {
  for (const Endpoint& endpoint : apiEndpoints()) {
    if (endpoint.path == path) return &endpoint;
  }
  return nullptr;
}

ApiReply errorReply(int status, std::string_view kind, std::string_view message,
                    std::string_view parameter) {
  return errorWith(status, kind, message, parameter, nullptr);
}

std::shared_ptr<const ApiReply> answerRequest(
    const Endpoint& endpoint, const std::vector<std::pair<std::string, std::string>>& given,
    ServedDatabase& database, AnswerSource& source) {
  source = AnswerSource::kFresh;
  try {
    auto arguments = ApiArguments::read(given, endpoint.params);
    if (!arguments.ok()) return std::make_shared<const ApiReply>(failureReply(arguments.status()));
    ServedDatabase::Snapshot served = database.current();
    if (Status dated = settleDate(endpoint, *arguments, served.handle.get()); !dated.ok()) {
      return std::make_shared<const ApiReply>(failureReply(dated));
    }
    // The answer kept for this database, when the question was asked before.
    std::string key;
    const bool keepable = served.answers != nullptr && served.answers->maxBytes() > 0 &&
                          !(endpoint.readsClock && !arguments->has("at"));
    if (keepable) {
      key = std::string(endpoint.path) + '?' + arguments->canonical();
      if (auto kept = served.answers->find(key)) {
        source = AnswerSource::kKept;
        return kept;
      }
    }
    std::shared_ptr<AnswerCache> answers = std::move(served.answers);
    Questions questions(database.path(), std::move(served.handle), std::move(served.stations));
    auto made = std::make_shared<const ApiReply>(endpoint.handle(*arguments, questions));
    // What the database says (an answer, an unknown station) is kept; a
    // failure of the server (out of memory, 5xx) is not.
    if (keepable && made->status < 500 && !made->body.empty()) {
      answers->keep(key, made);
      source = AnswerSource::kMade;
    }
    return made;
  } catch (const std::bad_alloc&) {
    // Without memory to write an error, the HTTP side sends its own short
    // one for a reply without a body.
    return nullptr;
  } catch (...) {
    try {
      return std::make_shared<const ApiReply>(ApiReply{500, std::string()});
    } catch (...) {
      return nullptr;
    }
  }
}

}  // namespace murlo::tool
