// Whether a database's rides follow the built-in tariff or the network's
// own (db/network_fares.h).
#ifndef MURLO_PRESENT_OWN_TARIFF_H_
#define MURLO_PRESENT_OWN_TARIFF_H_

#include "db/timetable_db.h"

namespace murlo {

// The network's fares where its file says it does not use the built-in
// tariff (its own fares, or none), else null: every file without block 8.
inline const NetworkFares* ownTariff(const TimetableDb& db) {
  const NetworkRules* rules = db.networkRules();
  if (rules == nullptr || rules->extension().fares.tariff == Tariff::kBuiltIn) return nullptr;
  return &rules->extension().fares;
}

}  // namespace murlo

#endif  // MURLO_PRESENT_OWN_TARIFF_H_
