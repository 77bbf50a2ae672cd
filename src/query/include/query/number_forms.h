// The forms of a typed train number Q under which trains are found: Q
// itself; Q with one of T L N A K Y Z in front, each also with A or B after
// it; Q with one of D C G in front. 27 forms in all, tried in that order.
#ifndef MURLO_QUERY_NUMBER_FORMS_H_
#define MURLO_QUERY_NUMBER_FORMS_H_

#include <string_view>

namespace murlo {

// The letters that may stand in front of Q, with and without a suffix, and
// the suffixes.
inline constexpr std::string_view kPrefixesWithSuffixes = "TLNAKYZ";
inline constexpr std::string_view kPrefixesWithoutSuffixes = "DCG";
inline constexpr std::string_view kSuffixes = "AB";

constexpr bool isPrefixLetter(char c) {
  return kPrefixesWithSuffixes.find(c) != std::string_view::npos ||
         kPrefixesWithoutSuffixes.find(c) != std::string_view::npos;
}
constexpr bool takesSuffix(char prefix) {
  return kPrefixesWithSuffixes.find(prefix) != std::string_view::npos;
}
constexpr bool isSuffixLetter(char c) { return kSuffixes.find(c) != std::string_view::npos; }

// Calls visit(prefix, suffix) for each of the 27 forms in order, '\0' for no
// letter.
template <typename Visitor>
constexpr void forEachNumberForm(Visitor&& visit) {
  for (const char prefix : std::string_view("\0TLNAKYZ", 8)) {
    visit(prefix, '\0');
    for (const char suffix : kSuffixes) visit(prefix, suffix);
  }
  for (const char prefix : kPrefixesWithoutSuffixes) visit(prefix, '\0');
}

}  // namespace murlo

#endif  // MURLO_QUERY_NUMBER_FORMS_H_
