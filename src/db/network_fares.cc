#include "db/network_fares.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace murlo {
namespace {

bool isId(std::string_view id) {
  return !id.empty() && id.size() <= 0xFF && id.find('\0') == std::string_view::npos;
}

template <typename T, typename IdOf>
bool distinctIds(const std::vector<T>& items, IdOf idOf) {
  std::set<std::string_view> seen;
  for (const T& item : items)
    if (!isId(idOf(item)) || !seen.insert(idOf(item)).second) return false;
  return true;
}

bool refersWithin(uint32_t ref, std::size_t count) { return ref == kNoFareRef || ref < count; }

}  // namespace

std::string networkFaresProblem(const NetworkFares& fares, int32_t trainCount,
                                int32_t stationCount) {
  if (fares.tariff != Tariff::kBuiltIn && fares.tariff != Tariff::kNone &&
      fares.tariff != Tariff::kNetwork)
    return "a tariff that is none of the three";
  if (fares.tariff != Tariff::kNetwork && (!fares.products.empty() || !fares.rules.empty()))
    return "fares of a network that does not use its own";
  if (!distinctIds(fares.products, [](const FareProduct& p) -> std::string_view { return p.id; }))
    return "a fare's id is empty, too long, holds a zero byte or is given twice";
  for (const FareProduct& product : fares.products) {
    if (product.currency.size() != 3 ||
        !std::all_of(product.currency.begin(), product.currency.end(),
                     [](char c) { return c >= 'A' && c <= 'Z'; }))
      return "a fare's currency is not three capital letters";
    if (product.digits > kMostCurrencyDigits) return "a fare's currency has more than 4 digits";
  }
  if (!distinctIds(fares.routes, [](const FareRoute& r) -> std::string_view { return r.id; }))
    return "a route's id is empty, too long, holds a zero byte or is given twice";
  if (!distinctIds(fares.zones, [](const std::string& z) -> std::string_view { return z; }))
    return "a zone's id is empty, too long, holds a zero byte or is given twice";
  for (const FareRule& rule : fares.rules) {
    if (rule.fare >= fares.products.size()) return "a fare rule names no fare";
    if (!refersWithin(rule.route, fares.routes.size())) return "a fare rule names no route";
    if (!refersWithin(rule.origin, fares.zones.size()) ||
        !refersWithin(rule.destination, fares.zones.size()) ||
        !refersWithin(rule.contains, fares.zones.size()))
      return "a fare rule names no zone";
  }
  // A file with zones gives every station's (or none), one with routes
  // every train's: one way to write each.
  if (fares.stationZones.size() !=
      (fares.zones.empty() ? 0 : static_cast<std::size_t>(stationCount)))
    return "the stations' zones are not the file's stations";
  for (const uint32_t zone : fares.stationZones)
    if (!refersWithin(zone, fares.zones.size())) return "a station's zone is not there";
  if (fares.trainRoutes.size() != (fares.routes.empty() ? 0 : static_cast<std::size_t>(trainCount)))
    return "the trains' routes are not the file's trains";
  for (const uint32_t route : fares.trainRoutes)
    if (!refersWithin(route, fares.routes.size())) return "a train's route is not there";
  return "";
}

}  // namespace murlo
