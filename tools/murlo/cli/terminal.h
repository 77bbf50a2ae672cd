// What murlo knows of the terminal it writes to.
#ifndef MURLO_TOOLS_MURLO_CLI_TERMINAL_H_
#define MURLO_TOOLS_MURLO_CLI_TERMINAL_H_

#include <cstddef>

namespace murlo::tool {

// The width tables must fit: COLUMNS when it is a positive number, else the
// terminal's width when standard output is a terminal, else 0 (no limit: a
// table written to a file or a pipe is whole).
std::size_t outputWidth();

// Whether standard error is a terminal (progress lines go there only then).
bool standardErrorIsTerminal();

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_CLI_TERMINAL_H_
