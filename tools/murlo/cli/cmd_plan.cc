// murlo plan FROM TO: journeys with changes, each a line (departure,
// arrival, duration, changes) and its rides indented below it, the wait of
// each change between them.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "answers/display_width.h"
#include "answers/names_as_written.h"
#include "answers/service_date.h"
#include "answers/time_of_day.h"
#include "answers/train_listing.h"
#include "answers/visible_text.h"
#include "cli/commands.h"
#include "cli/query_session.h"

namespace murlo::tool {
namespace {

std::string padded(const std::string& text, std::size_t width) {
  return text + std::string(width - std::min(width, displayWidth(text)), ' ');
}

// Cells two spaces apart, padded to `widths`, without blanks at the end.
std::string alignedLine(const std::vector<std::string>& cells,
                        const std::vector<std::size_t>& widths) {
  std::string line;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    line += c + 1 < cells.size() ? padded(cells[c], widths[c]) + "  " : cells[c];
  }
  return line;
}

std::vector<std::size_t> widthsOf(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()), 0);
    for (std::size_t c = 0; c < row.size(); ++c) {
      widths[c] = std::max(widths[c], displayWidth(row[c]));
    }
  }
  return widths;
}

std::string changesOf(const Journey& journey) {
  const std::size_t changes = journey.rides.size() - 1;
  if (changes == 0) return "direct";
  return std::to_string(changes) + (changes == 1 ? " change" : " changes");
}

std::string waitOf(int minutes) {
  if (minutes < 60) return std::to_string(minutes) + " min";
  const std::string rest = std::to_string(minutes % 60);
  return std::to_string(minutes / 60) + " h " + (rest.size() < 2 ? "0" : "") + rest + " min";
}

void printJourneys(const PlanAnswer& answer, std::ostream& out) {
  const PlanQuestion& question = answer.question;
  const std::string from =
      formatMinuteOfDay(question.atMinute) +
      (question.date == MURLO_NO_DATE ? "" : " on " + formatIsoDate(question.date));
  const std::string changes = question.maxChanges == 0 ? "no change"
                              : question.maxChanges == 1
                                  ? "at most 1 change"
                                  : "at most " + std::to_string(question.maxChanges) + " changes";
  const std::string route = visibleText(shownName(answer.written, answer.from)) + " to " +
                            visibleText(shownName(answer.written, answer.to));
  if (answer.journeys.empty()) {
    switch (question.time) {
      case JourneyTime::kLeaveFrom:
        out << "No journey from " << route << " leaves within a day from " << from;
        break;
      case JourneyTime::kLeaveBefore:
        out << "No journey from " << route << " leaves within a day before " << from;
        break;
      case JourneyTime::kArriveBy:
        out << "No journey from " << route << " leaving within a day before " << from
            << " arrives by then";
        break;
    }
    out << " with " << changes << ".\n";
    return;
  }
  const std::string_view when = question.time == JourneyTime::kLeaveFrom     ? " leaving from "
                                : question.time == JourneyTime::kLeaveBefore ? " leaving before "
                                                                             : " arriving by ";
  out << "Journeys from " << route << when << from << ", " << changes;
  if (question.maxChanges > 0) {
    out << " of " << question.changeMinutes
        << (question.changeMinutes == 1 ? " minute" : " minutes") << " or more";
    if (answer.ownChangeTimes > 0 && question.leastChangeMinutes < question.changeMinutes) {
      out << " where a station has no change time of its own";
    }
  }
  out << ":\n";
  // Every journey line and every ride line in columns of their own.
  std::size_t departureWidth = 0;
  for (const Journey& journey : answer.journeys) {
    departureWidth = std::max(departureWidth,
                              displayWidth(timeWithDay(journey.departure, journey.departureDay)));
  }
  std::vector<std::vector<std::string>> summaries;
  std::vector<std::vector<std::string>> rides;
  bool laterDay = false;
  bool dayBefore = false;
  for (const Journey& journey : answer.journeys) {
    summaries.push_back(
        {padded(timeWithDay(journey.departure, journey.departureDay), departureWidth) + " -> " +
             timeWithDay(journey.arrival, journey.arrivalDay),
         journey.duration, changesOf(journey)});
    // A network's own fares: the journey's where every ride has one.
    if (journey.fare) summaries.back().push_back(journey.fare->text);
    laterDay = laterDay || journey.arrivalDay > 0;
    dayBefore = dayBefore || journey.departureDay < 0;
    for (const Ride& ride : journey.rides) {
      const TrainLine& train = ride.train.line;
      rides.push_back({visibleText(train.number), visibleText(fromName(ride.train)),
                       timeWithDay(train.departure, ride.departureDay),
                       visibleText(toName(ride.train)),
                       timeWithDay(train.arrival, ride.arrivalDay)});
      if (train.fare) rides.back().push_back(train.fare->text);
    }
  }
  const std::vector<std::size_t> summaryWidths = widthsOf(summaries);
  const std::vector<std::size_t> rideWidths = widthsOf(rides);
  const std::string indent = "  ";
  std::size_t row = 0;
  for (std::size_t j = 0; j < answer.journeys.size(); ++j) {
    out << '\n' << alignedLine(summaries[j], summaryWidths) << '\n';
    for (const Ride& ride : answer.journeys[j].rides) {
      if (ride.waitMinutes) {
        // Under the stations: where the train before arrived and this one
        // leaves, and the walk between them where they differ.
        out << indent << std::string(rideWidths[0] + 2, ' ');
        if (ride.walk) {
          out << "walk to " << visibleText(shownName(answer.written, ride.walk->to)) << ", "
              << waitOf(ride.walk->minutes) << ", wait " << waitOf(*ride.waitMinutes) << '\n';
        } else {
          out << "change at " << visibleText(fromName(ride.train)) << ", wait "
              << waitOf(*ride.waitMinutes) << '\n';
        }
      }
      out << indent << alignedLine(rides[row++], rideWidths) << '\n';
    }
  }
  if (laterDay || dayBefore) printDayAskedNote(out, dayBefore);
}

// --at, --before or --arrive-by (at most one): the time and what it asks for.
Status readJourneyTime(const Query& query, PlanQuestion& question) {
  const OptionSpec* given = nullptr;
  for (const OptionSpec* option : {&kAtOption, &kBeforeOption, &kArriveByOption}) {
    if (!query.line.value(*option)) continue;
    if (given != nullptr) {
      return Status::badParameter("", "give at most one of --at, --before and --arrive-by");
    }
    given = option;
  }
  if (given == nullptr || given == &kAtOption) {
    return readTimeOfDay(query, kAtOption, question.atMinute);
  }
  if (query.format == OutputFormat::kRaw) {
    return Status::badParameter(std::string(given->name),
                                "--raw prints the library's text, which answers --at alone, not " +
                                    std::string(given->name));
  }
  question.time = given == &kBeforeOption ? JourneyTime::kLeaveBefore : JourneyTime::kArriveBy;
  return readOption(query.line, *given, question.atMinute);
}

}  // namespace

int runPlan(const CommandLine& line) {
  Query query(line);
  PlanQuestion question;
  int limit = kDefaultJourneys;
  Status status = readFormat(query);
  if (status.ok()) status = readJourneyTime(query, question);
  if (status.ok()) status = readOption(line, kChangesOption, question.maxChanges);
  if (status.ok()) status = readOption(line, kChangeTimeOption, question.changeMinutes);
  // A change time asked for holds for every change, a station's own too.
  if (line.value(kChangeTimeOption)) question.leastChangeMinutes = question.changeMinutes;
  if (status.ok()) status = readOption(line, kJourneyLimitOption, limit);
  question.limit = limit;
  if (status.ok()) status = loadQueryDatabase(query);
  const bool timeGiven =
      line.value(kAtOption) || line.value(kBeforeOption) || line.value(kArriveByOption);
  if (status.ok()) {
    status = readQuestionDate(query, question.date, timeGiven ? nullptr : &question.atMinute);
  }
  if (!status.ok()) return reportFailure(query, status);
  Questions questions(query.database, query.handle);
  const auto answer = questions.plan(line.operand(0), line.operand(1), question, query.detail());
  return showAnswer(query, questions, answer,
                    [](const PlanAnswer& plan) { printJourneys(plan, std::cout); });
}

}  // namespace murlo::tool
