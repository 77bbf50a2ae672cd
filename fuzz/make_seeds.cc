// Writes the seed databases of fuzz/corpus/ (the worked example and a few
// small generated networks, as files for fuzz_loader and, behind a short
// query script, for fuzz_queries) and the dictionary of the format's bytes.
//
//   murlo_fuzz_seeds fuzz/corpus fuzz/database.dict
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "db/file_format.h"
#include "db/timetable_builder.h"
#include "db/writer.h"

namespace {

using namespace murlo;

std::string packed(const TimetableDb& db) {
  PlainSections plain;
  std::string file;
  if (plainSectionsOf(db, plain) || packDatabase(plain, file)) {
    std::fprintf(stderr, "the writer refused a seed network\n");
    std::exit(1);
  }
  return file;
}

// A network of a few stations (GBK names of two characters) and trains of two
// to six stops, every station called at.
TimetableDb generated(unsigned seed, int stationCount, int trainCount) {
  std::mt19937 random(seed);
  std::vector<StationSpec> stations;
  for (int s = 0; s < stationCount; ++s) {
    std::string name;
    name += static_cast<char>(0xB0 + random() % 0x30);
    name += static_cast<char>(0xA1 + random() % 0x5E);
    name += static_cast<char>(0xD5);  // 站
    name += static_cast<char>(0xBE);
    stations.push_back({name, std::string(1, static_cast<char>('A' + s % 26)) + "Z"});
  }
  std::vector<TrainSpec> trains;
  const char* prefixes[] = {"", "T", "K", "Z", "D", "G", "Y"};
  for (int t = 0; t < trainCount; ++t) {
    TrainSpec train;
    train.number = std::string(prefixes[random() % 7]) + std::to_string(1 + random() % 999);
    if (random() % 3 == 0) train.number += "/" + std::to_string(1 + random() % 999);
    train.classCode = "12346789AB0"[random() % 11];
    train.fareColumnCode = "123456789ABCDEF"[random() % 15];
    train.fareRateCode = static_cast<char>('D' + random() % 21);
    int km = 0;
    int minute = static_cast<int>(random() % 1440);
    const int stops = 2 + static_cast<int>(random() % 5);
    for (int k = 0; k < stops; ++k) {
      const int arrival = minute;
      minute = (minute + static_cast<int>(random() % 10)) % 1440;
      train.stops.push_back({static_cast<int32_t>(random() % static_cast<unsigned>(stationCount)),
                             arrival, minute, km});
      km += static_cast<int>(1 + random() % 400);
      minute = (minute + static_cast<int>(random() % 300)) % 1440;
    }
    trains.push_back(train);
  }
  TrainSpec sweep{"L1", '3', 'F', 'D', {}};
  for (int s = 0; s < stationCount; ++s) sweep.stops.push_back({s, 60 * s, 60 * s + 2, 50 * s});
  trains.push_back(sweep);
  return buildTimetable("SEED" + std::to_string(seed), stations, trains);
}

TimetableDb workedExample() {
  // 北京 BJ, 天津 TJ; T1/T2 北京 08:00 - 天津 09:30, K5 天津 23:30 - 北京 01:05.
  std::vector<StationSpec> stations = {{"\xB1\xB1\xBE\xA9", "BJ"}, {"\xCC\xEC\xBD\xF2", "TJ"}};
  std::vector<TrainSpec> trains = {
      {"T1/T2", '1', 'F', 'D', {{0, 0, 480, 0}, {1, 570, 0, 137}}},
      {"K5", '3', '8', 'D', {{1, 0, 1410, 0}, {0, 65, 0, 137}}},
  };
  return buildTimetable("EXAMPLE-01", stations, trains);
}

void write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

// A query script of `length` bytes, behind its two-byte length.
std::string withScript(const std::string& file, unsigned seed, std::size_t length) {
  std::mt19937 random(seed);
  std::string input;
  input += static_cast<char>(length & 0xFF);
  input += static_cast<char>(length >> 8);
  for (std::size_t i = 0; i < length; ++i) input += static_cast<char>(random() & 0xFF);
  return input + file;
}

// The stored form of plain text in `section`.
std::string stored(Section section, std::string_view plain) {
  std::string bytes;
  for (const char c : plain)
    bytes += static_cast<char>(*encodeByte(section, static_cast<uint8_t>(c)));
  return bytes;
}

std::string dictionaryEntry(const std::string& name, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line = name + "=\"";
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    line += "\\x";
    line += kHex[b >> 4];
    line += kHex[b & 0xF];
  }
  return line + "\"\n";
}

// The bytes the loader looks for: the terminator, and the stored and plain
// forms of separators, digit runs, records and codes.
std::string dictionary() {
  std::string text =
      "# The database file's bytes, stored and plain (written by murlo_fuzz_seeds).\n";
  text += dictionaryEntry("terminator", "%");
  text += dictionaryEntry("two_terminators", "%%");
  const struct {
    const char* name;
    std::string_view plain;
  } plainTokens[] = {
      {"separator", "O"},
      {"separators", "OO"},
      {"space", " "},
      {"slash", "/"},
      {"zero4", "0000"},
      {"nine4", "9999"},
      {"nine2", "99"},
      {"minus", "-"},
      {"plus", "+"},
      {"call", "000100"},
      {"stop", "0001080008050137"},
      {"late_time", "2359"},
      {"bad_time", "9999"},
  };
  for (const auto& token : plainTokens)
    text += dictionaryEntry(std::string("plain_") + token.name, token.plain);
  for (int s = 1; s <= kSectionCount; ++s) {
    const auto section = static_cast<Section>(s);
    const std::string prefix = "s" + std::to_string(s) + "_";
    switch (section) {
      case Section::kClassCodes:
      case Section::kFareColumnCodes:
      case Section::kFareRateCodes:
        text += dictionaryEntry(prefix + "codes", stored(section, "13DF8X0AB"));
        break;
      case Section::kTrainNumbers:
        text += dictionaryEntry(prefix + "separator", stored(section, "O"));
        text += dictionaryEntry(prefix + "numbers", stored(section, "T1/T2"));
        text += dictionaryEntry(prefix + "number", stored(section, "K5"));
        text += dictionaryEntry(prefix + "digits", stored(section, "0123456789"));
        break;
      case Section::kStations:
        text += dictionaryEntry(prefix + "space", stored(section, " "));
        text += dictionaryEntry(prefix + "station", stored(section, "\xB1\xB1\xBE\xA9 BJ "));
        break;
      case Section::kCallLists:
        text += dictionaryEntry(prefix + "separator", stored(section, "O"));
        text += dictionaryEntry(prefix + "call", stored(section, "000100"));
        text += dictionaryEntry(prefix + "digits", stored(section, "0123456789"));
        break;
      case Section::kStopLists:
        text += dictionaryEntry(prefix + "separator", stored(section, "O"));
        text += dictionaryEntry(prefix + "stop", stored(section, "0001080008050137"));
        text += dictionaryEntry(prefix + "digits", stored(section, "0123456789"));
        break;
    }
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: murlo_fuzz_seeds CORPUS_DIR DICTIONARY\n");
    return 2;
  }
  const std::string dir = argv[1];
  struct Seed {
    const char* name;
    TimetableDb db;
  };
  const Seed seeds[] = {
      {"worked_example", workedExample()},
      {"generated_3x2", generated(1, 3, 2)},
      {"generated_6x8", generated(2, 6, 8)},
      {"generated_12x20", generated(3, 12, 20)},
  };
  unsigned scriptSeed = 100;
  for (const Seed& seed : seeds) {
    const std::string file = packed(seed.db);
    write(dir + "/loader/" + seed.name + ".db", file);
    write(dir + "/queries/" + seed.name + ".in", withScript(file, scriptSeed++, 64));
    write(dir + "/queries/" + seed.name + "_long_script.in", withScript(file, scriptSeed++, 400));
  }
  write(argv[2], dictionary());
  return 0;
}
