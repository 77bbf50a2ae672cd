#include "cli/did_you_mean.h"

#include <algorithm>
#include <cstddef>

namespace murlo::tool {
namespace {

// Optimal string alignment distance: insertions, deletions, substitutions
// and swaps of neighbours.
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::optional<std::string> closestWord(std::string_view typed,
                                       const std::vector<std::string>& words) {
  std::optional<std::string> best;
  std::size_t bestDistance = 0;
  // Leading dashes are not letters: "--jsn" is one edit from "--json".
  const std::size_t letters = typed.size() - std::min(typed.find_first_not_of('-'), typed.size());
  const std::size_t allowed = std::max<std::size_t>(1, letters / 3);
  for (const std::string& word : words) {
    std::size_t distance = editDistance(typed, word);
    if (letters >= 3 && word.size() > typed.size() && word.compare(0, typed.size(), typed) == 0) {
      distance = 1;  // a beginning, such as "--ver" for "--verbose"
    }
    if (distance > allowed) continue;
    if (!best || distance < bestDistance) {
      best = word;
      bestDistance = distance;
    }
  }
  return best;
}

std::string didYouMean(std::string_view typed, const std::vector<std::string>& words) {
  const auto word = closestWord(typed, words);
  return word ? "; did you mean " + *word + "?" : "";
}

}  // namespace murlo::tool
