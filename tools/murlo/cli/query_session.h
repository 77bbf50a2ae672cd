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

// Reads --raw and --json. Returns the exit status to end with when the
// command line is wrong.
std::optional<int> readFormat(Query& query);

// Loads `path`, or the --db file, or the default database (MURLO_DB, else
// the sample network). Returns the exit status to end with when it cannot be
// loaded.
std::optional<int> loadQueryDatabase(Query& query, std::optional<std::string> path = {});

// Reads the value of `option` as a whole number from `least` to `most` into
// `value`, which keeps its default when the option is not given. Returns the
// exit status to end with when the value is not such a number.
std::optional<int> readWholeNumber(const Query& query, const OptionSpec& option, int least,
                                   int most, int& value);
// Reads `option` as a time of day (HH:MM or HHMM, parseMinuteOfDay) into
// `minute`; without it, the minute now by the local clock.
std::optional<int> readTimeOfDay(const Query& query, const OptionSpec& option, int& minute);

// readFormat then loadQueryDatabase.
std::optional<int> startQuery(Query& query);

// Says each note of `questions` on standard error ("murlo: taking ...").
void sayNotes(const Questions& questions);

// Says why a question failed on standard error (several trains are listed
// below the message) and returns kExitFailure, or kExitUsage for a number
// the library refuses: that is a wrong command line.
int reportFailure(const Failure& failure);

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
int showAnswer(const Query& query, const Questions& questions, const Outcome<Answer>& answer,
               PrintTable&& printTable) {
  sayNotes(questions);
  if (!answer.ok()) return reportFailure(answer.failure());
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
