// Exhausted memory at every allocation of a load and of each query.
//
// This executable replaces the global operator new (every overload) with one
// that counts allocations and, while armed, throws std::bad_alloc at the N-th
// (the nothrow forms return NULL). The shared library's allocations resolve to
// the same operator. Each sweep runs one call with N = 1, 2, ... until a call
// finishes without reaching its N-th allocation; every failed call must give
// the documented result: a load -3 with the previous database intact, a
// query MURLO_OUT_OF_MEMORY with its buffers exactly as given, a structured
// question MURLO_STATUS_OUT_OF_MEMORY with no answer. Under
// AddressSanitizer, LeakSanitizer then checks that no failure leaked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "murloppc.h"
#include "reliability_support.h"
#include "support/test_support.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MURLO_TEST_LEAK_CHECK 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MURLO_TEST_LEAK_CHECK 1
#endif
#if defined(MURLO_TEST_LEAK_CHECK)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Armed on the test's thread only: the count of allocations left before the
// one that fails (0 when disarmed), and whether it was reached.
thread_local long allocationsBeforeFailure = 0;
thread_local bool failureReached = false;

void* allocate(std::size_t size, std::size_t alignment) {
  if (allocationsBeforeFailure > 0 && --allocationsBeforeFailure == 0) {
    failureReached = true;
    throw std::bad_alloc();
  }
  if (size == 0) size = 1;
  void* memory = nullptr;
  if (alignment <= alignof(std::max_align_t)) {
    memory = std::malloc(size);
  } else if (::posix_memalign(&memory, alignment, size) != 0) {
    memory = nullptr;
  }
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void* allocateNoThrow(std::size_t size, std::size_t alignment) noexcept {
  try {
    return allocate(size, alignment);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

constexpr std::size_t kPlain = alignof(std::max_align_t);

}  // namespace

void* operator new(std::size_t size) { return allocate(size, kPlain); }
void* operator new[](std::size_t size) { return allocate(size, kPlain); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocateNoThrow(size, kPlain);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocateNoThrow(size, kPlain);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocateNoThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocateNoThrow(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}

namespace murlo::reliability {
namespace {

using Text16 = std::basic_string<murlo_char16>;
constexpr murlo_char16 kUnwritten = 0x7E7E;
constexpr long kMostAllocations = 100000;  // a sweep that gets here never ends

// Runs `call` with its `n`-th allocation failing; true when that allocation
// was reached.
template <typename Call>
bool failingAt(long n, Call&& call) {
  failureReached = false;
  allocationsBeforeFailure = n;
  call();
  allocationsBeforeFailure = 0;
  return failureReached;
}

void expectNoLeaks() {
#if defined(MURLO_TEST_LEAK_CHECK)
  EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "memory leaked (see the report above)";
#endif
}

// A network with an answer for every query kind: direct trains, change
// stations (天津 to 上海 changes at 济南) and trains that cross midnight.
std::string networkFile() { return test::packOrFail(basePlain()); }

// One query as a host asks it: into a buffer of `capacity` units (NULL when
// 0), the result and what was written.
struct Answer {
  int32_t result = 0;
  Text16 text;        // up to the terminator, or the whole buffer when none
  Text16 secondText;  // the train-stop query's running time
  friend bool operator==(const Answer&, const Answer&) = default;
};

struct Query {
  const char* name;
  // Calls the export with buffers of 4096 and 64 units.
  int32_t (*call)(murlo_char16* first, murlo_char16* second);
};

const Text16& beijing() {
  static const Text16 text = test::utf16("北京");
  return text;
}
const Text16& tianjin() {
  static const Text16 text = test::utf16("天津");
  return text;
}
const Text16& shanghai() {
  static const Text16 text = test::utf16("上海");
  return text;
}

const Query kQueries[] = {
    {"header text",
     [](murlo_char16* o, murlo_char16*) { return murlo_header_text(o, 4096, nullptr); }},
    {"stations by abbreviation",
     [](murlo_char16* o, murlo_char16*) { return murlo_find_stations(u"", o, 4096, nullptr); }},
    {"station list",
     [](murlo_char16* o, murlo_char16*) { return murlo_station_list(o, 4096, nullptr); }},
    {"stations by abbreviation, unsized",
     [](murlo_char16* o, murlo_char16*) { return x0189e3js083h2c13(u"J", o); }},
    {"trains at a station",
     [](murlo_char16* o, murlo_char16*) {
       return murlo_trains_at_station(beijing().c_str(), o, 4096, nullptr);
     }},
    {"trains at an unknown station",
     [](murlo_char16* o, murlo_char16*) { return x01e983hw983402(u"X", o); }},
    {"direct trains",
     [](murlo_char16* o, murlo_char16*) {
       return murlo_direct_trains(beijing().c_str(), shanghai().c_str(), 0, o, 4096, nullptr);
     }},
    {"change stations",
     [](murlo_char16* o, murlo_char16*) {
       return x01d897fsd20dj3(tianjin().c_str(), shanghai().c_str(), o, 1);
     }},
    {"direct trains, unknown destination",
     [](murlo_char16* o, murlo_char16*) {
       return murlo_direct_trains(beijing().c_str(), u"X", 0, o, 4096, nullptr);
     }},
    {"train stops",
     [](murlo_char16* o, murlo_char16* t) {
       return murlo_train_stops(3, beijing().c_str(), shanghai().c_str(), o, 4096, nullptr, t, 64,
                                nullptr);
     }},
    {"train stops, unsized",
     [](murlo_char16* o, murlo_char16* t) {
       return x01p2923jh8eh23083d3(1, tianjin().c_str(), beijing().c_str(), o, t);
     }},
    {"train stops, no such train",
     [](murlo_char16* o, murlo_char16* t) {
       return murlo_train_stops(99, nullptr, nullptr, o, 4096, nullptr, t, 64, nullptr);
     }},
    {"trains by number",
     [](murlo_char16* o, murlo_char16*) { return murlo_trains_by_number(u"9", o, 4096, nullptr); }},
    {"trains by number with a slash",
     [](murlo_char16* o, murlo_char16*) { return x01jhhwe23h9823098(u"T1/T2", o); }},
    {"departures",
     [](murlo_char16* o, murlo_char16*) {
       return murlo_departures(beijing().c_str(), 420, 0, o, 4096, nullptr);
     }},
    {"arrivals",
     [](murlo_char16* o, murlo_char16*) {
       return murlo_arrivals(shanghai().c_str(), 0, 1, o, 4096, nullptr);
     }},
    {"journeys",
     [](murlo_char16* o, murlo_char16*) {
       return murlo_plan_journeys(tianjin().c_str(), shanghai().c_str(), 480, 3, 10, 0, o, 4096,
                                  nullptr);
     }},
    {"journeys, limited",
     [](murlo_char16* o, murlo_char16*) {
       return murlo_plan_journeys(beijing().c_str(), shanghai().c_str(), 0, 1, 0, 1, o, 4096,
                                  nullptr);
     }},
};

// Asks `query` with its `failAt`-th allocation failing (none when 0); the
// buffers are the test's own, set up before and read after.
Answer ask(const Query& query, long failAt = 0, bool* reached = nullptr) {
  std::vector<murlo_char16> first(4096, kUnwritten);
  std::vector<murlo_char16> second(64, kUnwritten);
  Answer answer;
  const bool hit =
      failingAt(failAt, [&] { answer.result = query.call(first.data(), second.data()); });
  if (reached != nullptr) *reached = hit;
  const auto textOf = [](const std::vector<murlo_char16>& buffer) {
    Text16 text(buffer.begin(), buffer.end());
    const std::size_t end = text.find(murlo_char16{0});
    return end == Text16::npos ? text : text.substr(0, end);
  };
  answer.text = textOf(first);
  answer.secondText = textOf(second);
  return answer;
}

// Every query's answer on the current database, with nothing failing.
std::vector<Answer> everyAnswer() {
  std::vector<Answer> answers;
  for (const Query& query : kQueries) answers.push_back(ask(query));
  return answers;
}

// ---- Structured questions of a handle ----

const char* const kBeijing = "北京";
const char* const kTianjin = "天津";
const char* const kShanghai = "上海";

// Asks through `call` with the answer pointer set beforehand to an object
// that is no answer: a failing question must set it to NULL.
template <typename Answer, typename Call>
murlo_status asked(void*& out, Call&& call) {
  static Answer unset{};
  Answer* answer = &unset;
  const murlo_status status = call(&answer);
  out = answer;
  return status;
}

template <typename Answer>
std::string describeAs(murlo_status status, void* answer) {
  auto* typed = static_cast<Answer*>(answer);
  return describeAndFree(status, &typed);
}

struct StructuredQuery {
  const char* name;
  // The question alone (what runs under the failing allocator).
  murlo_status (*ask)(const murlo_db* db, void*& answer);
  // Describes and frees what `ask` gave.
  std::string (*describe)(murlo_status status, void* answer);
};

const StructuredQuery kStructuredQueries[] = {
    {"stations",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_stations>(out, [&](auto a) { return murlo_db_stations(db, "", a); });
     },
     describeAs<murlo_stations>},
    {"stations by abbreviation",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_stations>(out, [&](auto a) { return murlo_db_stations(db, "J", a); });
     },
     describeAs<murlo_stations>},
    {"trains at a station",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(
           out, [&](auto a) { return murlo_db_trains_at_station(db, kBeijing, a); });
     },
     describeAs<murlo_rides>},
    {"trains at an unknown station",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(out,
                                 [&](auto a) { return murlo_db_trains_at_station(db, "X", a); });
     },
     describeAs<murlo_rides>},
    {"direct trains",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(
           out, [&](auto a) { return murlo_db_direct_trains(db, kBeijing, kShanghai, a); });
     },
     describeAs<murlo_rides>},
    {"change stations",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(
           out, [&](auto a) { return murlo_db_direct_trains(db, kTianjin, kShanghai, a); });
     },
     describeAs<murlo_rides>},
    {"direct trains, unknown destination",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(
           out, [&](auto a) { return murlo_db_direct_trains(db, kBeijing, "X", a); });
     },
     describeAs<murlo_rides>},
    {"train stops",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_stops>(
           out, [&](auto a) { return murlo_db_train_stops(db, 3, kBeijing, kShanghai, a); });
     },
     describeAs<murlo_stops>},
    {"train stops, no such train",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_stops>(out,
                                 [&](auto a) { return murlo_db_train_stops(db, 99, "", "", a); });
     },
     describeAs<murlo_stops>},
    {"trains by number",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(out,
                                 [&](auto a) { return murlo_db_trains_by_number(db, "9", a); });
     },
     describeAs<murlo_rides>},
    {"trains by number with a slash",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(out,
                                 [&](auto a) { return murlo_db_trains_by_number(db, "T1/T2", a); });
     },
     describeAs<murlo_rides>},
    {"departures",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(
           out, [&](auto a) { return murlo_db_departures(db, kBeijing, 420, 0, a); });
     },
     describeAs<murlo_rides>},
    {"arrivals",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(out,
                                 [&](auto a) { return murlo_db_arrivals(db, kShanghai, 0, 1, a); });
     },
     describeAs<murlo_rides>},
    {"journeys",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_journeys>(out, [&](auto a) {
         return murlo_db_plan_journeys(db, kTianjin, kShanghai, 480, 3, 10, 0, a);
       });
     },
     describeAs<murlo_journeys>},
    {"journeys, limited",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_journeys>(out, [&](auto a) {
         return murlo_db_plan_journeys(db, kBeijing, kShanghai, 0, 1, 0, 1, a);
       });
     },
     describeAs<murlo_journeys>},
    {"journeys arriving by",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_journeys>(out, [&](auto a) {
         const murlo_plan_options options{sizeof options, MURLO_PLAN_ARRIVE_BY, 1800, 3, 10, 5, 2};
         return murlo_db_plan(db, kTianjin, kShanghai, &options, a);
       });
     },
     describeAs<murlo_journeys>},
    {"departures for a date",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(
           out, [&](auto a) { return murlo_db_departures_on(db, kBeijing, 20260923, 420, 0, a); });
     },
     describeAs<murlo_rides>},
    {"direct trains for a date",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_rides>(out, [&](auto a) {
         return murlo_db_direct_trains_on(db, kBeijing, kShanghai, 20260923, a);
       });
     },
     describeAs<murlo_rides>},
    {"journeys for a date",
     [](const murlo_db* db, void*& out) {
       return asked<murlo_journeys>(out, [&](auto a) {
         const murlo_plan_options options{
             sizeof options, MURLO_PLAN_DEPART_AFTER, 480, 3, 10, 0, 2};
         return murlo_db_plan_on(db, kTianjin, kShanghai, 20260923, &options, a);
       });
     },
     describeAs<murlo_journeys>},
};

class AllocationFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::make_unique<test::TempFile>(networkFile());
    ASSERT_EQ(murlo_load_database(test::utf16(file_->path()).c_str()), 1);
  }
  std::unique_ptr<test::TempFile> file_;
};

TEST_F(AllocationFailureTest, EveryQueryReturnsOutOfMemoryWithItsBuffersAsGiven) {
  const Text16 untouched4096(4096, kUnwritten);
  const Text16 untouched64(64, kUnwritten);
  for (const Query& query : kQueries) {
    SCOPED_TRACE(query.name);
    const Answer expected = ask(query);
    long n = 1;
    for (;; ++n) {
      ASSERT_LT(n, kMostAllocations);
      bool reached = false;
      const Answer answer = ask(query, n, &reached);
      if (!reached) {
        EXPECT_EQ(answer, expected) << "allocation " << n << " was not reached";
        break;
      }
      EXPECT_EQ(answer.result, MURLO_OUT_OF_MEMORY) << "allocation " << n;
      EXPECT_TRUE(answer.text == untouched4096) << "allocation " << n;
      EXPECT_TRUE(answer.secondText == untouched64) << "allocation " << n;
    }
  }
  expectNoLeaks();
}

// The first board or plan of a database makes its structures: an allocation
// failing there gives MURLO_OUT_OF_MEMORY with the buffer as given, and the
// next call makes them and answers.
TEST_F(AllocationFailureTest, FirstBoardsAndPlansMakeTheirStructuresOrReturnOutOfMemory) {
  const Text16 untouched(4096, kUnwritten);
  const Text16 path = test::utf16(file_->path());
  for (const Query& query : kQueries) {
    const std::string name = query.name;
    if (name.rfind("departures", 0) != 0 && name.rfind("arrivals", 0) != 0 &&
        name.rfind("journeys", 0) != 0) {
      continue;
    }
    SCOPED_TRACE(query.name);
    ASSERT_EQ(murlo_load_database(path.c_str()), 1);
    const Answer expected = ask(query);
    for (long n = 1;; ++n) {
      ASSERT_LT(n, kMostAllocations);
      ASSERT_EQ(murlo_load_database(path.c_str()), 1);  // nothing made yet
      bool reached = false;
      const Answer answer = ask(query, n, &reached);
      if (!reached) {
        EXPECT_EQ(answer, expected) << "allocation " << n << " was not reached";
        break;
      }
      EXPECT_EQ(answer.result, MURLO_OUT_OF_MEMORY) << "allocation " << n;
      EXPECT_TRUE(answer.text == untouched) << "allocation " << n;
      EXPECT_EQ(ask(query), expected) << "after allocation " << n << " failed";
    }
  }
  expectNoLeaks();
}

// Each structured question asked first of a fresh handle (which makes what
// the handle keeps, as the first board or plan of a database does), then
// again with the same allocation failing, then with none: a failure gives
// MURLO_STATUS_OUT_OF_MEMORY and no answer, and the handle answers afterwards
// as it would have. Opening a handle (and one on the process's database)
// fails whole or succeeds.
TEST_F(AllocationFailureTest, StructuredQuestionsReturnOutOfMemoryAndNoAnswer) {
  const std::string path = file_->path();
  for (const StructuredQuery& query : kStructuredQueries) {
    SCOPED_TRACE(query.name);
    murlo_db* db = nullptr;
    ASSERT_EQ(murlo_db_open(path.c_str(), &db), MURLO_STATUS_OK);
    void* answer = nullptr;
    murlo_status status = query.ask(db, answer);
    const std::string expected = query.describe(status, answer);
    murlo_db_close(db);
    const auto expectFailed = [&](long n, const char* when) {
      EXPECT_EQ(status, MURLO_STATUS_OUT_OF_MEMORY) << "allocation " << n << when;
      EXPECT_EQ(answer, nullptr) << "allocation " << n << when;
      if (status == MURLO_STATUS_OK) query.describe(status, answer);
    };
    long n = 1;
    for (;; ++n) {
      ASSERT_LT(n, kMostAllocations);
      ASSERT_EQ(murlo_db_open(path.c_str(), &db), MURLO_STATUS_OK);
      if (!failingAt(n, [&] { status = query.ask(db, answer); })) {
        EXPECT_EQ(query.describe(status, answer), expected) << "allocation " << n;
        murlo_db_close(db);
        break;
      }
      expectFailed(n, "");
      // Again with the same allocation failing, on what the failed question
      // left made; then with none failing.
      if (failingAt(n, [&] { status = query.ask(db, answer); })) {
        expectFailed(n, ", asked again");
      } else {
        EXPECT_EQ(query.describe(status, answer), expected) << "allocation " << n << ", again";
      }
      status = query.ask(db, answer);
      EXPECT_EQ(query.describe(status, answer), expected) << "after allocation " << n;
      murlo_db_close(db);
    }
    // Every answer is allocated (a failure needs none).
    if (expected.rfind("status ", 0) != 0) {
      EXPECT_GT(n, 1) << "no allocation failed";
    }
  }
  for (long n = 1;; ++n) {
    ASSERT_LT(n, kMostAllocations);
    int notAHandle = 0;
    auto* db = reinterpret_cast<murlo_db*>(&notAHandle);  // a failed open must set NULL
    murlo_status status = MURLO_STATUS_OK;
    if (!failingAt(n, [&] { status = murlo_db_open(path.c_str(), &db); })) {
      EXPECT_EQ(status, MURLO_STATUS_OK);
      murlo_db_close(db);
      break;
    }
    // Tables that cannot be built are a file that cannot be read, as for a
    // load; a request the standard library may ignore can leave it whole.
    if (status == MURLO_STATUS_OK) {
      murlo_db_close(db);
      continue;
    }
    EXPECT_TRUE(status == MURLO_STATUS_CANNOT_READ || status == MURLO_STATUS_OUT_OF_MEMORY)
        << "allocation " << n << ": " << murlo_status_text(status);
    EXPECT_EQ(db, nullptr) << "allocation " << n;
  }
  for (long n = 1;; ++n) {
    ASSERT_LT(n, kMostAllocations);
    murlo_db* db = nullptr;
    const bool reached = failingAt(n, [&] { db = murlo_db_of_process(); });
    if (!reached) {
      EXPECT_STREQ(murlo_db_header(db), "BASE");
      murlo_db_close(db);
      break;
    }
    EXPECT_EQ(db, nullptr) << "allocation " << n;
  }
  expectNoLeaks();
}

TEST_F(AllocationFailureTest, UnsizedHeaderTextGivesTheEmptyTextAndOne) {
  std::vector<murlo_char16> out(11, kUnwritten);
  long n = 1;
  for (;; ++n) {
    ASSERT_LT(n, kMostAllocations);
    std::fill(out.begin(), out.end(), kUnwritten);
    int32_t result = 0;
    if (!failingAt(n, [&] { result = x01o23jow83032hwe31h(out.data()); })) break;
    EXPECT_EQ(result, 1) << "allocation " << n;
    EXPECT_EQ(out[0], 0) << "allocation " << n;
  }
  EXPECT_TRUE(Text16(out.data()) == test::utf16("BASE"));
  expectNoLeaks();
}

// A load whose N-th allocation fails either fails whole (-3, the previous
// database untouched) or, when the failure hit a request the standard library
// may ignore (shrink_to_fit releasing spare capacity), loads the new database
// complete: never anything in between.
void sweepLoad(const Text16& previousPath, const Text16& path,
               int32_t (*loadExport)(const murlo_char16*)) {
  ASSERT_EQ(loadExport(path.c_str()), 1);
  const std::vector<Answer> after = everyAnswer();
  ASSERT_EQ(loadExport(previousPath.c_str()), 1);
  const std::vector<Answer> before = everyAnswer();
  ASSERT_FALSE(before == after);

  long failed = 0;
  long absorbed = 0;
  long n = 1;
  for (;; ++n) {
    ASSERT_LT(n, kMostAllocations);
    int32_t result = 0;
    if (!failingAt(n, [&] { result = loadExport(path.c_str()); })) {
      EXPECT_EQ(result, 1);
      EXPECT_TRUE(everyAnswer() == after);
      break;
    }
    if (result == 1) {
      ++absorbed;
      EXPECT_TRUE(everyAnswer() == after) << "allocation " << n << " loaded part of the file";
      ASSERT_EQ(loadExport(previousPath.c_str()), 1);
      continue;
    }
    ++failed;
    EXPECT_EQ(result, -3) << "allocation " << n;
    EXPECT_TRUE(everyAnswer() == before) << "allocation " << n << " changed the database";
  }
  EXPECT_GT(failed, 10);
  EXPECT_LT(absorbed, failed);
  expectNoLeaks();
}

TEST_F(AllocationFailureTest, LoadReturnsMinus3AndKeepsThePreviousDatabase) {
  // A second file, different from the loaded one in its answers.
  auto trains = baseTrains();
  trains.pop_back();
  PlainSections plain;
  ASSERT_FALSE(plainSectionsOf(buildTimetable("OTHER", baseStations(), trains), plain).has_value());
  test::TempFile otherFile(test::packOrFail(plain));
  const Text16 previous = test::utf16(file_->path());
  const Text16 other = test::utf16(otherFile.path());
  {
    SCOPED_TRACE("murlo_load_database");
    sweepLoad(previous, other, murlo_load_database);
  }
  {
    SCOPED_TRACE("x01f38d60978350e2");
    sweepLoad(previous, other, x01f38d60978350e2);
  }
}

}  // namespace
}  // namespace murlo::reliability
