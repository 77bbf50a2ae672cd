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

int32_t RunDays::firstRunFrom(TrainIndex t, int32_t day) const {
  if (calendar_ == nullptr) return day;
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
