// The class name that result lines show for a train class code.
#ifndef MURLO_PRESENT_CLASS_NAMES_H_
#define MURLO_PRESENT_CLASS_NAMES_H_

#include <string_view>

namespace murlo {

// The GBK class name of `classCode`, or the empty text for a code outside the
// eleven known ones ("5" among them).
std::string_view className(char classCode);

}  // namespace murlo

#endif  // MURLO_PRESENT_CLASS_NAMES_H_
