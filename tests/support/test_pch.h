// The headers every test program reads, precompiled once where the compiler
// allows it (tests/CMakeLists.txt).
#ifndef MURLO_TESTS_SUPPORT_TEST_PCH_H_
#define MURLO_TESTS_SUPPORT_TEST_PCH_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#endif  // MURLO_TESTS_SUPPORT_TEST_PCH_H_
