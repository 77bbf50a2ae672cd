#include "api/native_path.h"

#include "text/utf8.h"

namespace murlo {

bool toNativePath(std::u16string_view utf16, NativePath& path) {
  if (utf16.find(u'\0') != std::u16string_view::npos) return false;
#if defined(_WIN32)
  path.assign(utf16.begin(), utf16.end());
  return true;
#else
  path.clear();
  return utf16ToUtf8(utf16, path);
#endif
}

}  // namespace murlo
