#include "cli/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace murlo::tool {

std::size_t outputWidth() {
  if (const char* columns = std::getenv("COLUMNS"); columns != nullptr && *columns != '\0') {
    std::size_t width = 0;
    const char* end = columns + std::strlen(columns);
    const auto [stop, error] = std::from_chars(columns, end, width);
    if (error == std::errc() && stop == end && width > 0) return width;
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
