#include "fare/class_b_tables.h"

#include <algorithm>
#include <array>
#include <span>

namespace murlo {

namespace {

struct FixedFareEntry {
  int32_t distance;
  int32_t lower;
  int32_t higher;
};

// Rate code 'D', sorted by distance.
// clang-format off
constexpr std::array<FixedFareEntry, 100> kRateDFares{{
    {37, 17, 28}, {43, 21, 33}, {44, 20, 32}, {46, 22, 36},
    {52, 27, 43}, {70, 34, 54}, {77, 37, 60}, {83, 40, 64},
    {84, 41, 65}, {85, 41, 66}, {87, 42, 67}, {96, 47, 74},
    {98, 47, 76}, {128, 61, 97}, {129, 62, 100}, {130, 63, 101},
    {136, 66, 105}, {144, 70, 112}, {147, 71, 114}, {150, 73, 116},
    {157, 76, 122}, {180, 87, 139}, {181, 87, 139}, {194, 94, 150},
    {199, 96, 154}, {200, 97, 155}, {213, 103, 165}, {215, 104, 167},
    {227, 110, 176}, {232, 112, 180}, {234, 113, 181}, {248, 120, 192},
    {257, 123, 197}, {277, 134, 215}, {278, 135, 215}, {283, 137, 219},
    {285, 138, 221}, {286, 139, 221}, {294, 142, 228}, {300, 147, 235},
    {309, 150, 239}, {327, 157, 251}, {329, 159, 255}, {330, 160, 256},
    {331, 160, 256}, {344, 167, 266}, {362, 175, 280}, {370, 179, 287},
    {377, 183, 292}, {379, 184, 294}, {392, 190, 304}, {407, 197, 315},
    {413, 200, 320}, {414, 199, 318}, {428, 207, 331}, {429, 207, 331},
    {444, 217, 346}, {457, 220, 352}, {466, 226, 361}, {475, 230, 368},
    {477, 231, 369}, {480, 233, 372}, {481, 234, 374}, {488, 236, 378},
    {498, 241, 386}, {509, 246, 394}, {525, 253, 404}, {527, 255, 408},
    {542, 259, 414}, {557, 267, 427}, {564, 270, 432}, {571, 273, 437},
    {572, 274, 437}, {594, 283, 453}, {607, 289, 462}, {609, 289, 463},
    {624, 296, 474}, {627, 298, 476}, {655, 310, 495}, {661, 312, 499},
    {692, 326, 521}, {701, 330, 527}, {707, 333, 532}, {714, 336, 536},
    {738, 346, 552}, {757, 354, 566}, {771, 360, 576}, {784, 366, 585},
    {808, 376, 601}, {842, 391, 626}, {854, 397, 634}, {858, 398, 637},
    {895, 414, 662}, {901, 417, 667}, {938, 433, 692}, {941, 435, 695},
    {984, 453, 725}, {986, 454, 726}, {1023, 469, 749}, {1069, 490, 780},
}};

// Every other rate code, sorted by distance.
constexpr std::array<FixedFareEntry, 12> kOtherRateFares{{
    {63, 31, 49}, {75, 36, 58}, {121, 59, 94}, {125, 61, 97},
    {248, 120, 192}, {257, 125, 199}, {315, 153, 244}, {380, 184, 294},
    {384, 186, 297}, {430, 208, 333}, {442, 214, 342}, {505, 240, 390},
}};
// clang-format on

constexpr bool strictlyAscending(std::span<const FixedFareEntry> table) {
  for (std::size_t i = 1; i < table.size(); ++i) {
    if (table[i - 1].distance >= table[i].distance) return false;
  }
  return true;
}
static_assert(strictlyAscending(kRateDFares));
static_assert(strictlyAscending(kOtherRateFares));

}  // namespace

std::optional<ClassBFixedFare> findClassBFixedFare(char rateCode, int32_t distance) {
  const std::span<const FixedFareEntry> table =
      rateCode == 'D' ? std::span<const FixedFareEntry>(kRateDFares)
                      : std::span<const FixedFareEntry>(kOtherRateFares);
  const auto found =
      std::lower_bound(table.begin(), table.end(), distance,
                       [](const FixedFareEntry& entry, int32_t d) { return entry.distance < d; });
  if (found == table.end() || found->distance != distance) return std::nullopt;
  return ClassBFixedFare{found->lower, found->higher};
}

}  // namespace murlo
