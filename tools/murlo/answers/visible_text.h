// Database text as murlo shows it on a terminal: a database can hold any
// byte in its names, and an escape or bell byte printed raw would act on the
// terminal (set its title, clear its screen) instead of showing.
#ifndef MURLO_TOOLS_MURLO_ANSWERS_VISIBLE_TEXT_H_
#define MURLO_TOOLS_MURLO_ANSWERS_VISIBLE_TEXT_H_

#include <string>
#include <string_view>

namespace murlo::tool {

// `utf8` with every control character written out: a C0 control or DEL as
// \xHH (ESC is \x1b), a C1 control (U+0080 to U+009F) as \uHHHH, and a
// backslash as \\ so that the escapes cannot be mistaken for text. For the
// cells of tables and the texts printed among them.
std::string visibleText(std::string_view utf8);

// The same, but keeping backslashes, line breaks and tabs as they are: for
// messages on standard error, whose file names may hold backslashes and
// whose texts may run over several lines.
std::string visibleMessage(std::string_view utf8);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_VISIBLE_TEXT_H_
