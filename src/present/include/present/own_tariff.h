// Whether a database's rides follow the built-in tariff or the network's
// own (db/network_fares.h).
#ifndef MURLO_PRESENT_OWN_TARIFF_H_
#define MURLO_PRESENT_OWN_TARIFF_H_

#include <string_view>

#include "db/timetable_db.h"
#include "present/route_type_names.h"

namespace murlo {

// The network's fares where its file says it does not use the built-in
// tariff (its own fares, or none), else null: every file without block 8.
inline const NetworkFares* ownTariff(const TimetableDb& db) {
  const NetworkRules* rules = db.networkRules();
  if (rules == nullptr || rules->extension().fares.tariff == Tariff::kBuiltIn) return nullptr;
  return &rules->extension().fares;
}

// The class of train `t` under the network's own tariff: its route's type
// name ("Rail"), "" where the file gives it no route or type.
inline std::string_view ownClassName(const NetworkFares& fares, TrainIndex t) {
  uint16_t type = kNoRouteType;
  if (t.value() >= 0 && t.slot() < fares.trainRoutes.size()) {
    const uint32_t route = fares.trainRoutes[t.slot()];
    if (route < fares.routes.size()) type = fares.routes[route].type;
  }
  return routeTypeName(type);
}

}  // namespace murlo

#endif  // MURLO_PRESENT_OWN_TARIFF_H_
