// Station names for generated networks: two to four Chinese characters drawn
// from a table of syllables common in place names, each name unique, with
// its pinyin initials as the abbreviation (北京西 gives BJX).
#ifndef MURLO_GENERATE_PLACE_NAMES_H_
#define MURLO_GENERATE_PLACE_NAMES_H_

#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "generate/random_source.h"

namespace murlo::generate {

struct PlaceName {
  std::string name;          // GBK, 4 to 8 bytes
  std::string abbreviation;  // one capital letter per character
};

// The four points of the compass, for the stations of a city named after it
// (南京南 is the southern station of 南京).
enum class Compass { kEast, kWest, kSouth, kNorth };

class PlaceNames {
 public:
  PlaceNames();

  // A fresh name of `characters` characters (2 to 4): a head syllable, more
  // head syllables and a tail syllable. After many collisions it takes one
  // character more, so it always returns a name not handed out before.
  PlaceName fresh(RandomSource& random, int characters);

  // Sets `out` to `city` with the compass character appended and returns
  // true, or returns false when that name was handed out already.
  bool tryCompass(const PlaceName& city, Compass direction, PlaceName& out);

  struct Syllable {
    std::string gbk;  // one character
    char initial;
  };

 private:
  bool claim(const PlaceName& name) { return taken_.insert(name.name).second; }

  std::vector<Syllable> heads_;
  std::vector<Syllable> tails_;
  std::vector<Syllable> compass_;  // east, west, south, north
  std::set<std::string> taken_;
};

}  // namespace murlo::generate

#endif  // MURLO_GENERATE_PLACE_NAMES_H_
