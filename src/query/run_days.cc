#include "query/run_days.h"

#include <algorithm>

namespace murlo {

RunDays::RunDays(const TimetableDb& tables, std::optional<CivilDay> date, QueryStatus& status) {
  const NetworkRules* rules = tables.networkRules();
  if (!date || rules == nullptr || rules->extension().calendar.empty()) return;
  const ServiceCalendar& calendar = rules->extension().calendar;
  const int64_t asked = int64_t{*date} - calendar.firstDay;
  if (asked < 0 || asked >= calendar.dayCount) {
    status = QueryStatus::kDateOutsidePeriod;
    return;
  }
  calendar_ = &calendar;
  asked_ = static_cast<int32_t>(asked);
}

void RunDays::keepNearDays() {
  if (calendar_ == nullptr) return;
  // The pattern's bytes that hold the days, each shifted to its place.
  const int64_t first = int64_t{asked_} + kNearFirst;
  const int64_t firstByte = first >= 0 ? first / 8 : -((-first + 7) / 8);
  near_.assign(calendar_->patterns.size(), 0);
  for (std::size_t p = 0; p < near_.size(); ++p) {
    const std::vector<uint8_t>& bits = calendar_->patterns[p].bits;
    uint64_t word = 0;
    for (int64_t byte = std::max<int64_t>(firstByte, 0);
         byte * 8 < first + kNearDays && byte < static_cast<int64_t>(bits.size()); ++byte) {
      const int64_t shift = byte * 8 - first;
      const uint64_t value = bits[static_cast<std::size_t>(byte)];
      word |= shift >= 0 ? value << shift : value >> -shift;
    }
    near_[p] = word;
  }
}

int32_t RunDays::firstRunInPattern(TrainIndex t, int32_t day) const {
  // Days before the period have no runs; a pattern is read byte by byte,
  // skipping days on which nothing runs eight at a time.
  int64_t d = std::max<int64_t>(int64_t{asked_} + day, 0);
  if (t.value() < 0 || t.slot() >= calendar_->trainPatterns.size()) return kNoRunDay;
  const std::vector<uint8_t>& bits = calendar_->patterns[calendar_->trainPatterns[t.slot()]].bits;
  while (d < calendar_->dayCount) {
    const auto byte = static_cast<std::size_t>(d / 8);
    const unsigned rest = unsigned{bits[byte]} >> (d % 8);
    if (rest != 0) {
      int64_t found = d;
      for (unsigned r = rest; (r & 1U) == 0; r >>= 1) ++found;
      return static_cast<int32_t>(found - asked_);
    }
    d = 8 * (static_cast<int64_t>(byte) + 1);
  }
  return kNoRunDay;
}

}  // namespace murlo
