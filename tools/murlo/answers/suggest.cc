#include "answers/suggest.h"

#include <algorithm>
#include <iterator>
#include <tuple>

#include "answers/ascii_text.h"
#include "answers/pinyin_initials.h"
#include "answers/train_lines.h"
#include "text/utf8.h"

namespace murlo::tool {
namespace {

// Characters of a name, ASCII letters folded to lower case.
std::u16string foldedCharacters(std::string_view utf8) {
  std::u16string units;
  if (!utf8ToUtf16(utf8, units)) return {};
  for (char16_t& u : units) u = asciiLower(u);
  return units;
}

std::size_t editDistance(const std::u16string& a, const std::u16string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Characters the two texts have in common, each counted as often as it
// appears in both.
std::size_t sharedCharacters(std::u16string a, std::u16string b) {
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  std::u16string common;
  std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(common));
  return common.size();
}

std::vector<std::string> stationsWithAbbreviation(const std::string& prefix,
                                                  const std::vector<StationEntry>& stations) {
  std::vector<std::string> names;
  for (const StationEntry& station : stations) {
    if (station.abbreviation.compare(0, prefix.size(), prefix) == 0) names.push_back(station.name);
  }
  return names;
}

std::vector<std::string> closeByName(std::string_view typed, const std::vector<std::string>& all) {
  const std::u16string t = foldedCharacters(typed);
  // Fewest edits first, then most shared characters, then the longest common
  // beginning (people rarely mistype the first characters), then file order.
  std::vector<std::tuple<std::size_t, std::size_t, std::size_t, std::size_t>> ranked;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const std::u16string n = foldedCharacters(all[i]);
    const std::size_t longer = std::max(t.size(), n.size());
    const std::size_t edits = editDistance(t, n);
    const std::size_t shared = sharedCharacters(t, n);
    if (edits <= 1 || 3 * edits <= longer || 2 * shared >= longer) {
      const std::size_t prefix = static_cast<std::size_t>(
          std::mismatch(t.begin(), t.end(), n.begin(), n.end()).first - t.begin());
      ranked.emplace_back(edits, longer - shared, longer - prefix, i);
    }
  }
  std::sort(ranked.begin(), ranked.end());
  std::vector<std::string> names;
  for (const auto& entry : ranked) names.push_back(all[std::get<3>(entry)]);
  return names;
}

// What `typed` may stand for as an abbreviation: itself, in capitals, and
// its pinyin initials.
std::vector<std::string> abbreviationsOf(std::string_view typed) {
  std::vector<std::string> candidates;
  const bool alphanumeric = !typed.empty() && std::all_of(typed.begin(), typed.end(), [](char c) {
    return isAsciiLetter(c) || isAsciiDigit(c);
  });
  if (!alphanumeric) return candidates;
  for (const std::string& candidate :
       {std::string(typed), asciiCapitals(typed), pinyinInitials(typed)}) {
    if (candidate.size() < 2) continue;
    if (std::find(candidates.begin(), candidates.end(), candidate) == candidates.end()) {
      candidates.push_back(candidate);
    }
  }
  return candidates;
}

std::vector<std::string> closeByAbbreviation(std::string_view typed,
                                             const std::vector<StationEntry>& stations) {
  std::vector<std::string> names;
  for (const std::string& abbreviation : abbreviationsOf(typed)) {
    std::vector<std::string> found = stationsWithAbbreviation(abbreviation, stations);
    std::stable_sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
      return foldedCharacters(a).size() < foldedCharacters(b).size();
    });
    names.insert(names.end(), found.begin(), found.end());
  }
  return names;
}

}  // namespace

std::vector<std::string> suggestStations(std::string_view typed,
                                         const std::vector<StationEntry>& stations,
                                         std::size_t limit) {
  std::vector<std::string> all;
  for (const StationEntry& station : stations) all.push_back(station.name);
  std::vector<std::string> candidates = closeByName(typed, all);
  const std::vector<std::string> byAbbreviation = closeByAbbreviation(typed, stations);
  candidates.insert(candidates.end(), byAbbreviation.begin(), byAbbreviation.end());

  std::vector<std::string> suggestions;
  for (const std::string& name : candidates) {
    if (suggestions.size() == limit) break;
    if (name == typed) continue;
    if (std::find(suggestions.begin(), suggestions.end(), name) == suggestions.end()) {
      suggestions.push_back(name);
    }
  }
  return suggestions;
}

}  // namespace murlo::tool
