#include "answers/parameters.h"

#include <vector>

#include "answers/service_date.h"
#include "answers/time_of_day.h"

namespace murlo::tool {
namespace {

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

std::optional<int> valueOf(const Parameter& parameter, std::string_view given) {
  switch (parameter.kind) {
    case Parameter::Kind::kWholeNumber: {
      // Nine digits at most, so that any number given fits an int.
      const auto number = parseDigits(given, 9);
      if (!number || *number < parameter.least || *number > parameter.most) return std::nullopt;
      return number;
    }
    case Parameter::Kind::kTimeOfDay: return parseMinuteOfDay(given);
    case Parameter::Kind::kDate:
      if (given == "today") return kToday;
      if (given == "tomorrow") return kTomorrow;
      return parseIsoDate(given);
    case Parameter::Kind::kChoice: {
      const auto words = choicesOf(parameter.choices);
      for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == given) return static_cast<int>(i);
      }
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string whatItTakes(const Parameter& parameter) {
  switch (parameter.kind) {
    case Parameter::Kind::kWholeNumber:
      return std::string(parameter.noun) + " from " + std::to_string(parameter.least) + " to " +
             std::to_string(parameter.most);
    case Parameter::Kind::kTimeOfDay: return std::string(kTimeOfDayForms);
    case Parameter::Kind::kDate: return "a date, YYYY-MM-DD or YYYYMMDD, today or tomorrow";
    case Parameter::Kind::kChoice: {
      const auto words = choicesOf(parameter.choices);
      std::string list;
      for (std::size_t i = 0; i < words.size(); ++i) {
        list += std::string(i == 0                  ? ""
                            : i + 1 == words.size() ? " or "
                                                    : ", ") +
                std::string(words[i]);
      }
      return list;
    }
  }
  return "";
}

Result<int> readParameter(const Parameter& parameter, std::string_view name, std::string_view given,
                          Quoting quoting) {
  if (const auto value = valueOf(parameter, given)) return *value;
  const std::string shown =
      quoting == Quoting::kQuoted ? "\"" + std::string(given) + "\"" : std::string(given);
  return Status::badParameter(
      std::string(name), std::string(name) + " takes " + whatItTakes(parameter) + ", not " + shown);
}

}  // namespace murlo::tool
