#include "cli/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

#include "answers/time_of_day.h"

namespace murlo::tool {

std::size_t outputWidth() {
  if (const char* columns = std::getenv("COLUMNS"); columns != nullptr) {
    if (const auto width = parseDigits(columns, 9); width && *width > 0) {
      return static_cast<std::size_t>(*width);
    }
  }
  winsize size{};
  if (::isatty(STDOUT_FILENO) != 0 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 &&
      size.ws_col > 0) {
    return size.ws_col;
  }
  return 0;
}

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

}  // namespace murlo::tool
