// "Did you mean" for mistyped command and option names.
#ifndef MURLO_TOOLS_MURLO_CLI_DID_YOU_MEAN_H_
#define MURLO_TOOLS_MURLO_CLI_DID_YOU_MEAN_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murlo::tool {

// The word of `words` closest to `typed`: at most a third of its letters
// (and at least one) edited, a swap of two neighbours counting as one edit,
// or the beginning of the word (at least three letters). Nothing when none
// is that close.
std::optional<std::string> closestWord(std::string_view typed,
                                       const std::vector<std::string>& words);

// "; did you mean X?" for the closest word, else "".
std::string didYouMean(std::string_view typed, const std::vector<std::string>& words);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_CLI_DID_YOU_MEAN_H_
