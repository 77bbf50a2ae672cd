// The call lists of a network view, made from its stop lists the first time
// a query reads a station's calls rather than by the load: once, by
// whichever thread asks first, while any others that ask meanwhile wait for
// it. A build that throws (exhausted memory) leaves nothing made, so the
// next caller builds afresh.
#ifndef MURLO_DB_CALL_LISTS_ON_FIRST_USE_H_
#define MURLO_DB_CALL_LISTS_ON_FIRST_USE_H_

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "db/text_list.h"

namespace murlo {

struct TableLists;

class CallListsOnFirstUse {
 public:
  // Makes every station's call list of `lists`, with indexes of `digits`;
  // the first `narrow` trains' stop records name stations with four digits.
  using Build = TextList (*)(const TableLists& lists, int32_t digits, std::size_t narrow);

  CallListsOnFirstUse(Build build, int32_t digits, std::size_t narrow)
      : build_(build), digits_(digits), narrow_(narrow) {}
  CallListsOnFirstUse(const CallListsOnFirstUse&) = delete;
  CallListsOnFirstUse& operator=(const CallListsOnFirstUse&) = delete;

  // The call lists of `lists`, made if they are not yet. Every call must
  // pass the same lists (those of the view that holds this). May throw
  // std::bad_alloc and std::length_error.
  const TextList& get(const TableLists& lists) const {
    std::call_once(once_, [&] { made_ = build_(lists, digits_, narrow_); });
    return made_;
  }

 private:
  Build build_;
  int32_t digits_;
  std::size_t narrow_;
  mutable std::once_flag once_;
  mutable TextList made_;
};

}  // namespace murlo

#endif  // MURLO_DB_CALL_LISTS_ON_FIRST_USE_H_
