// The lookup indexes against the plain scans they replace, on many generated
// tables: names that repeat, abbreviations that share prefixes, numbers with
// and without their letters, and lists of different lengths; and the search
// of a station's departures from a hint against a plain binary search; the
// minute queue of the searches back from a destination against a binary heap.
#include "query/lookup_indexes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "query/minute_queue.h"
#include "query/station_board.h"
#include "support/reference_lookups.h"
#include "support/test_support.h"

namespace murlo {
namespace {

std::string pick(std::mt19937& rng, std::string_view letters, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += letters[rng() % letters.size()];
  return text;
}

TEST(LookupIndexesTest, AnswerAsThePlainScans) {
  std::mt19937 rng(20261209u);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> names;
    std::vector<std::string> abbreviations;
    const std::size_t stations = rng() % 40;
    for (std::size_t s = 0; s < stations; ++s) {
      names.push_back(pick(rng, "ABab", 1 + rng() % 3));  // names repeat
      abbreviations.push_back(pick(rng, "BJXH", 1 + rng() % 3));
    }
    if (round % 3 == 0 && !abbreviations.empty()) abbreviations.pop_back();
    std::vector<std::string> numbers;
    const std::size_t trains = rng() % 40;
    for (std::size_t t = 0; t < trains; ++t) {
      std::string entry;
      for (std::size_t n = 0, count = 1 + rng() % 3; n < count; ++n) {
        if (n > 0) entry += '/';
        // Letters that are prefixes, suffixes, both or neither, and digits.
        entry += pick(rng, "TKDGASB", rng() % 2) + pick(rng, "12", 1 + rng() % 2) +
                 pick(rng, "ABQ", rng() % 2);
      }
      numbers.push_back(entry);
    }
    TableLists lists;
    lists.stationNames = test::listOf(names);
    lists.stationAbbreviations = test::listOf(abbreviations);
    lists.trainNumbers = test::listOf(numbers);
    const TimetableDb db(std::move(lists));
    const LookupIndexes indexes(db);

    for (const std::string& name : names) {
      EXPECT_EQ(indexes.findStation(db, name), test::findStationByScan(db, name)) << name;
      EXPECT_EQ(indexes.firstWithSameName(*indexes.findStation(db, name)),
                *test::findStationByScan(db, name));
    }
    EXPECT_FALSE(indexes.findStation(db, "none").has_value());
    for (const std::string prefix : {"", "B", "BJ", "X", "HH", "BJXH", "Q"}) {
      EXPECT_EQ(indexes.stationsWithAbbreviationPrefix(db, prefix),
                test::stationsWithPrefixByScan(db, prefix))
          << prefix;
    }
    for (int q = 0; q < 30; ++q) {
      const std::string typed = pick(rng, "TKDGASB", rng() % 2) + pick(rng, "12", 1 + rng() % 2) +
                                pick(rng, "ABQ", rng() % 2);
      EXPECT_EQ(indexes.trainsWithNumberForms(db, typed), test::trainsWithNumberByScan(db, typed))
          << typed;
    }
  }
}

TEST(BoardSearchTest, FirstKeyFromAnyHintIsWhereABinarySearchFindsIt) {
  std::mt19937 rng(20261210u);
  for (int round = 0; round < 200; ++round) {
    // A station's departures: minutes that repeat, in board order.
    std::vector<BoardKeyBits> keys;
    const std::size_t count = rng() % 50;
    for (std::size_t k = 0; k < count; ++k) {
      keys.push_back(BoardKey::make(static_cast<int32_t>(rng() % 30) * 48,
                                    TrainIndex(static_cast<int32_t>(rng() % 1000)),
                                    StopPosition(static_cast<int32_t>(rng() % 100))));
    }
    std::sort(keys.begin(), keys.end());
    for (int32_t minute = 0; minute <= kMinutesPerDay; minute += 24) {
      const auto expected = static_cast<std::size_t>(
          std::lower_bound(keys.begin(), keys.end(),
                           BoardKey::make(minute, TrainIndex(0), StopPosition(0))) -
          keys.begin());
      for (std::size_t hint = 0; hint <= keys.size() + 2; ++hint) {
        ASSERT_EQ(firstKeyFrom(keys, minute, hint), expected)
            << "minute " << minute << ", hint " << hint << " of " << keys.size();
      }
    }
  }
}

TEST(MinuteQueueTest, TakesWhatABinaryHeapTakes) {
  std::mt19937 rng(20261211u);
  for (int round = 0; round < 300; ++round) {
    MinuteQueue queue;
    std::priority_queue<uint64_t, std::vector<uint64_t>, std::greater<>> heap;
    // Keys from the last taken on, by steps small, large and zero (the
    // highest bit included), as a search's lengths grow.
    uint32_t last = 0;
    for (int op = 0; op < 400; ++op) {
      if (heap.empty() || rng() % 3 != 0) {
        const auto draw = static_cast<uint32_t>(rng());
        const uint32_t kind = draw % 4;
        const uint32_t step = kind == 0   ? 0
                              : kind == 1 ? draw % 8
                              : kind == 2 ? draw % 5000
                                          : static_cast<uint32_t>(rng());
        const uint32_t key = step > ~last ? ~0u : last + step;
        const auto value = static_cast<uint32_t>(op);
        queue.push(key, value);
        heap.push(uint64_t{key} << 32 | value);
        continue;
      }
      const MinuteQueue::Entry top = queue.pop();
      // (Among equal keys either may come first: the key must match, and
      // the value must be one pushed with it.)
      ASSERT_EQ(top.minutes, heap.top() >> 32) << "round " << round << ", op " << op;
      std::vector<uint64_t> equal;
      while (!heap.empty() && (heap.top() >> 32) == top.minutes) {
        equal.push_back(heap.top());
        heap.pop();
      }
      const auto taken =
          std::find(equal.begin(), equal.end(), uint64_t{top.minutes} << 32 | top.value);
      ASSERT_NE(taken, equal.end()) << "round " << round << ", op " << op;
      equal.erase(taken);
      for (const uint64_t e : equal) heap.push(e);
      last = top.minutes;
    }
    ASSERT_EQ(queue.empty(), heap.empty());
  }
}

}  // namespace
}  // namespace murlo
