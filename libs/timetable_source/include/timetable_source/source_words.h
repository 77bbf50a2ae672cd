// The lines of a source that give a network's own words (db/network_words.h):
// a station's name as written, the lines, a train's words and a stop's
// platform. See docs/timetable-source.md "Names as written, lines and
// platforms".
#ifndef MURLO_TIMETABLE_SOURCE_SOURCE_WORDS_H_
#define MURLO_TIMETABLE_SOURCE_SOURCE_WORDS_H_

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "db/network_words.h"

namespace murlo::source {

// A quoted UTF-8 text: \" and \\ are its escapes. Nothing, with `error`
// set, when it is not quoted, holds another escape or is not one line of
// UTF-8 text.
std::optional<std::string> unquoteText(std::string_view token, std::string& error);
// `utf8` as a quoted token.
std::string quoteText(std::string_view utf8);

// named STATION "NAME" [at LAT,LON] [wheelchair yes|no]: `tokens` from the
// one after STATION. Returns the error, or "".
std::string parseStationWords(const std::vector<std::string_view>& tokens, StationWords& words);
// What follows a station's reference on its `named` line.
std::string stationWordsText(const StationWords& words);

// line LABEL "SHORT" "LONG" type N [colour RRGGBB] [text-colour RRGGBB]:
// `tokens` from the one after LABEL.
std::string parseLine(const std::vector<std::string_view>& tokens, LineWords& line);
std::string lineText(const LineWords& line);
// The labels a dump gives the lines: the short name where it is one token
// that names no other line, else line#N.
std::vector<std::string> lineLabels(const std::vector<LineWords>& lines);

// words [line LABEL] [headsign "TEXT"] [direction 0|1] [number "TEXT"]
// [wheelchair yes|no], inside a train: `tokens` from the one after
// "words"; `lines` the labels declared so far.
std::string parseTrainWords(const std::vector<std::string_view>& tokens,
                            const std::map<std::string, int32_t, std::less<>>& lines,
                            TrainWords& words);
std::string trainWordsText(const TrainWords& words, const std::vector<std::string>& labels);

}  // namespace murlo::source

#endif  // MURLO_TIMETABLE_SOURCE_SOURCE_WORDS_H_
