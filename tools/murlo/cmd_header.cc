// murlo header FILE.
#include <iostream>
#include <string>

#include "api/utf8.h"
#include "commands.h"
#include "murloppc.h"

namespace murlo::tool {

int runHeader(Args args) {
  const Command& self = *findCommand("header");
  if (args.size() != 1) return usageError(self, "header takes one database file");
  const std::string path(args[0]);

  std::u16string path16;
  if (!utf8ToUtf16(path, path16)) return fail("the path " + path + " is not valid UTF-8");
  std::basic_string<murlo_char16> argument(path16.begin(), path16.end());
  switch (x01f38d60978350e2(argument.c_str())) {
    case 1:
      break;
    case -1:
      return fail("cannot open " + path);
    case -2:
      return fail("cannot determine the size of " + path);
    default:
      return fail("cannot load " + path + ": the read failed or memory ran out");
  }
  murlo_char16 header[11] = {};
  x01o23jow83032hwe31h(header);
  std::u16string text;
  for (const murlo_char16* p = header; *p != 0; ++p) text.push_back(static_cast<char16_t>(*p));
  std::string utf8;
  utf16ToUtf8(text, utf8);
  std::cout << utf8 << '\n';
  return kExitOk;
}

}  // namespace murlo::tool
