// Splitting a source line into tokens, and the text forms of its values.
#ifndef MURLO_TIMETABLE_SOURCE_SOURCE_LEXER_H_
#define MURLO_TIMETABLE_SOURCE_SOURCE_LEXER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murlo::source {

// The tokens of one line, split at spaces and tabs; a token starting with a
// double quote runs to the closing quote and keeps its escapes (see
// unquote). Empty for blank and comment lines. Sets `error` for a quote
// without its end.
std::vector<std::string_view> tokenize(std::string_view line, std::string& error);

// The GBK bytes of a quoted token: text between the quotes is UTF-8 and is
// converted to GBK; \" \\ and \xHH (one raw byte) are escapes. Nothing, with
// `error` set, when the token is not well formed or holds a character that
// code page 936 cannot represent.
std::optional<std::string> unquoteToGbk(std::string_view token, std::string& error);

// The first character of `utf8` (valid UTF-8) that code page 936 cannot
// represent, as UTF-8, or "" when it holds none: messages name it.
std::string firstCharacterNotInGbk(std::string_view utf8);

// "HH:MM" with 00 <= HH <= 23 and 00 <= MM <= 59, as minutes of the day.
std::optional<int32_t> parseTime(std::string_view token);
// Minutes of the day as "HH:MM".
std::string formatTime(int32_t minutes);

// A decimal number of at most `digits` digits, no sign.
std::optional<int32_t> parseNumber(std::string_view token, std::size_t digits);

// The bytes of `text` as a quoted token with escapes, for header texts: GBK
// that converts to UTF-8 is written as UTF-8, other bytes as \xHH.
std::string quoteGbk(std::string_view gbk);

// At most `limit` characters of `text` for a message: control characters and
// bytes that form no UTF-8 character as \xHH, and "..." where the text was
// cut. Keeps a message about a binary file short and printable.
std::string excerpt(std::string_view text, std::size_t limit = 40);

}  // namespace murlo::source

#endif  // MURLO_TIMETABLE_SOURCE_SOURCE_LEXER_H_
