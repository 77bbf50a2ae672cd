// What every query command does around its question: read the output
// format, load the database, and say what the answer or its failure is: one
// JSON object, notes and failures on standard error with exit statuses.
#ifndef MURLO_TOOLS_MURLO_CLI_QUERY_SESSION_H_
#define MURLO_TOOLS_MURLO_CLI_QUERY_SESSION_H_

#include <iostream>
#include <optional>
#include <string>

#include "answers/answer_json.h"
#include "answers/answers.h"
#include "answers/database_handle.h"
#include "cli/commands.h"

namespace murlo::tool {

enum class OutputFormat {
  kTable,  // aligned columns for people
  kRaw,    // the library's result text as it stands
  kJson,   // one JSON document for scripts
};

struct Query {
  explicit Query(const CommandLine& commandLine) : line(commandLine) {}

  const CommandLine& line;
  OutputFormat format = OutputFormat::kTable;
  std::string database;   // the path loaded
  DatabaseHandle handle;  // the database loaded, for the questions

  // kRaw asks for the library's text alone, the others for the fields.
  Detail detail() const { return format == OutputFormat::kRaw ? Detail::kText : Detail::kFields; }
};

// Reads --raw and --json: a kBadParameter status when both are given.
Status readFormat(Query& query);

// Loads `path`, or the --db file, or the default database (MURLO_DB, else
// the sample network): ok, or why it cannot be loaded.
Status loadQueryDatabase(Query& query, std::optional<std::string> path = {});

// Reads `option` as a time of day (HH:MM or HHMM, parseMinuteOfDay) into
// `minute`; without it, the minute now by the local clock.
Status readTimeOfDay(const Query& query, const OptionSpec& option, int& minute);

// Reads --date after the database is loaded: the date asked for (YYYYMMDD),
// today by default where the database has a calendar, else MURLO_NO_DATE
// (and for --raw, which answers for no date and takes no --date). A date
// outside the period is a kBadParameter status naming it; a date given
// for a database without a calendar is said on standard error. Where the
// database has a calendar, `minuteNow` (the question's time, when none was
// given) becomes the minute it is now in the timetable's time zone, the
// clock of today's date.
Status readQuestionDate(const Query& query, int32_t& date, int* minuteNow = nullptr);

// readFormat then loadQueryDatabase.
Status startQuery(Query& query);

// Says each note of `questions` on standard error ("murlo: taking ...").
void sayNotes(const Questions& questions);

// Says why the query failed on standard error and returns its exit status
// (reportFailure).
inline int reportFailure(const Query& query, const Status& status) {
  return reportFailure(query.line.command(), status);
}

// The answer as one JSON object on one line of standard output.
template <typename Answer>
int printJson(const Query& query, const Answer& answer) {
  JsonWriter json(std::cout);
  writeAnswerJson(json, query.database, answer);
  std::cout << '\n';
  return kExitOk;
}

// Says the notes of `questions`, then `answer` in the query's format: the
// library's text for --raw, JSON, or a table that `printTable(*answer)`
// writes. Returns the exit status.
template <typename Answer, typename PrintTable>
int showAnswer(const Query& query, const Questions& questions, const Result<Answer>& answer,
               PrintTable&& printTable) {
  sayNotes(questions);
  if (!answer.ok()) return reportFailure(query, answer.status());
  if (query.format == OutputFormat::kRaw) {
    std::cout << answer->text << '\n';
    return kExitOk;
  }
  if (query.format == OutputFormat::kJson) return printJson(query, *answer);
  printTable(*answer);
  return kExitOk;
}

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_CLI_QUERY_SESSION_H_
