#include "gtfs/fare_import.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "gtfs/csv_reader.h"
#include "text/utf8.h"

namespace murlo::gtfs {
namespace {

// An id as a timetable source can write it: valid UTF-8, spaces and
// control characters as "_", not beginning with a quote; nothing for an
// empty or over-long one.
std::optional<std::string> sourceId(std::string_view id) {
  if (id.empty() || id.size() > 0xFF) return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i < id.size();) {
    const std::size_t begin = i;
    const std::optional<char32_t> c = decodeUtf8At(id, i);
    if (!c) return std::nullopt;
    if (*c <= 0x20 || *c == 0x7F || (begin == 0 && *c == '"')) {
      out += '_';
    } else {
      out += id.substr(begin, i - begin);
    }
  }
  return out;
}

// Ids in the order first met, each once.
class IdTable {
 public:
  std::optional<uint32_t> find(const std::string& id) const {
    const auto found = index_.find(id);
    if (found == index_.end()) return std::nullopt;
    return found->second;
  }
  uint32_t add(const std::string& id, std::vector<std::string>& ids) {
    const auto [at, fresh] = index_.emplace(id, static_cast<uint32_t>(ids.size()));
    if (fresh) ids.push_back(id);
    return at->second;
  }

 private:
  std::unordered_map<std::string, uint32_t> index_;
};

}  // namespace

int currencyDigits(std::string_view currency) {
  static constexpr std::string_view kNone[] = {"BIF", "CLP", "DJF", "GNF", "ISK", "JPY",
                                               "KMF", "KRW", "PYG", "RWF", "UGX", "UYI",
                                               "VND", "VUV", "XAF", "XOF", "XPF"};
  static constexpr std::string_view kThree[] = {"BHD", "IQD", "JOD", "KWD", "LYD", "OMR", "TND"};
  static constexpr std::string_view kFour[] = {"CLF", "UYW"};
  const auto in = [&](const auto& codes) {
    return std::find(std::begin(codes), std::end(codes), currency) != std::end(codes);
  };
  return in(kNone) ? 0 : in(kThree) ? 3 : in(kFour) ? 4 : 2;
}

std::optional<uint32_t> minorUnits(std::string_view price, int digits) {
  const std::size_t point = price.find('.');
  const std::string_view whole = price.substr(0, point);
  std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : price.substr(point + 1);
  const auto isDigits = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if ((whole.empty() && fraction.empty()) || !isDigits(whole) || !isDigits(fraction)) {
    return std::nullopt;
  }
  // Digits past the currency's least unit must be zeros ("2.750" dollars).
  while (fraction.size() > static_cast<std::size_t>(digits) && fraction.back() == '0')
    fraction.remove_suffix(1);
  if (fraction.size() > static_cast<std::size_t>(digits)) return std::nullopt;
  uint64_t amount = 0;
  const auto add = [&](char c) {
    amount = 10 * amount + static_cast<uint64_t>(c - '0');
    return amount <= UINT32_MAX;
  };
  for (const char c : whole)
    if (!add(c)) return std::nullopt;
  for (int d = 0; d < digits; ++d)
    if (!add(static_cast<std::size_t>(d) < fraction.size() ? fraction[static_cast<std::size_t>(d)]
                                                           : '0'))
      return std::nullopt;
  return static_cast<uint32_t>(amount);
}

NetworkFares importFares(const FeedFiles& files, const Feed& feed,
                         const std::vector<int32_t>& trainRoutes,
                         const std::vector<int32_t>& stationOf, std::size_t stationCount,
                         FareCounts& counts, ImportReport& report) {
  NetworkFares fares;
  fares.tariff = Tariff::kNone;
  // Routes: those of the feed the import loaded, one a train.
  IdTable routeIds;
  std::vector<std::string> routeNames;
  std::vector<uint32_t> routeOf(feed.routes.size(), kNoFareRef);
  for (std::size_t r = 0; r < feed.routes.size(); ++r) {
    const std::optional<std::string> id = sourceId(feed.routes[r].id);
    if (!id || routeIds.find(*id)) continue;
    routeOf[r] = routeIds.add(*id, routeNames);
    const int32_t type = feed.routes[r].type;
    fares.routes.push_back(
        {*id, type >= 0 && type < kNoRouteType ? static_cast<uint16_t>(type) : kNoRouteType});
  }
  if (!fares.routes.empty()) {
    for (const int32_t route : trainRoutes) {
      fares.trainRoutes.push_back(route >= 0 && static_cast<std::size_t>(route) < routeOf.size()
                                      ? routeOf[static_cast<std::size_t>(route)]
                                      : kNoFareRef);
    }
  }

  auto attributes = files.open("fare_attributes.txt");
  if (!attributes) return fares;
  counts.faresFile = true;
  IdTable productIds;
  std::vector<std::string> productNames;
  {
    CsvReader rows(std::move(attributes), files.displayName("fare_attributes.txt"));
    const std::size_t idColumn = rows.column("fare_id");
    const std::size_t priceColumn = rows.column("price");
    const std::size_t currencyColumn = rows.column("currency_type");
    while (rows.next()) {
      const std::optional<std::string> id = sourceId(rows.field(idColumn));
      const std::string currency(rows.field(currencyColumn));
      const bool code =
          currency.size() == 3 && std::all_of(currency.begin(), currency.end(),
                                              [](char c) { return c >= 'A' && c <= 'Z'; });
      const int digits = code ? currencyDigits(currency) : 2;
      const std::optional<uint32_t> amount = minorUnits(rows.field(priceColumn), digits);
      std::string why = !id                    ? "no usable fare_id"
                        : productIds.find(*id) ? "fare_id given twice"
                        : !code                ? "currency_type is not an ISO 4217 code"
                        : !amount              ? "price is not an amount of the currency"
                                               : "";
      if (!why.empty()) {
        ++counts.faresDropped;
        report.warn("fares dropped: " + why, rows.where());
        continue;
      }
      productIds.add(*id, productNames);
      fares.products.push_back({*id, *amount, currency, static_cast<uint8_t>(digits)});
    }
  }
  counts.fares = fares.products.size();
  if (fares.products.empty()) return fares;
  fares.tariff = Tariff::kNetwork;

  // Zones: each station's from the first of its stops with a zone_id.
  IdTable zoneIds;
  if (auto stops = files.open("stops.txt")) {
    CsvReader rows(std::move(stops), files.displayName("stops.txt"));
    const std::size_t idColumn = rows.column("stop_id");
    const std::size_t zoneColumn = rows.column("zone_id");
    if (zoneColumn != CsvReader::kMissing) {
      std::unordered_map<std::string_view, std::size_t> stopIndex;
      for (std::size_t s = 0; s < feed.stops.size(); ++s) stopIndex.emplace(feed.stops[s].id, s);
      std::vector<uint32_t> zoneOf(stationCount, kNoFareRef);
      while (rows.next()) {
        const std::optional<std::string> zone = sourceId(rows.field(zoneColumn));
        const auto found = stopIndex.find(rows.field(idColumn));
        if (!zone || found == stopIndex.end()) continue;
        // A stop's station is its own or its parent's.
        for (const int32_t place :
             {static_cast<int32_t>(found->second), feed.stops[found->second].station}) {
          if (place < 0 || static_cast<std::size_t>(place) >= stationOf.size()) continue;
          const int32_t station = stationOf[static_cast<std::size_t>(place)];
          if (station < 0 || static_cast<std::size_t>(station) >= stationCount) continue;
          uint32_t& slot = zoneOf[static_cast<std::size_t>(station)];
          if (slot == kNoFareRef) slot = zoneIds.add(*zone, fares.zones);
        }
      }
      if (!fares.zones.empty()) fares.stationZones = std::move(zoneOf);
      counts.zonedStations = static_cast<std::size_t>(
          std::count_if(fares.stationZones.begin(), fares.stationZones.end(),
                        [](uint32_t z) { return z != kNoFareRef; }));
    }
  }

  auto ruleFile = files.open("fare_rules.txt");
  if (!ruleFile) {
    // Without rules every fare is for every ride: the cheapest is paid.
    for (std::size_t p = 0; p < fares.products.size(); ++p)
      fares.rules.push_back({static_cast<uint32_t>(p)});
    counts.rules = fares.rules.size();
    return fares;
  }
  CsvReader rows(std::move(ruleFile), files.displayName("fare_rules.txt"));
  const std::size_t fareColumn = rows.column("fare_id");
  const std::size_t routeColumn = rows.column("route_id");
  const std::size_t originColumn = rows.column("origin_id");
  const std::size_t destinationColumn = rows.column("destination_id");
  const std::size_t containsColumn = rows.column("contains_id");
  while (rows.next()) {
    FareRule rule;
    const std::optional<std::string> fare = sourceId(rows.field(fareColumn));
    const std::optional<uint32_t> product = fare ? productIds.find(*fare) : std::nullopt;
    std::string why = product ? "" : "fare_id not in fare_attributes.txt";
    if (product) rule.fare = *product;
    const std::string_view route = rows.field(routeColumn);
    if (why.empty() && !route.empty()) {
      const std::optional<std::string> id = sourceId(route);
      const std::optional<uint32_t> known = id ? routeIds.find(*id) : std::nullopt;
      if (known) {
        rule.route = *known;
      } else {
        why = "route_id of no route imported";
      }
    }
    for (const auto& [column, field] :
         {std::pair{originColumn, &rule.origin}, std::pair{destinationColumn, &rule.destination},
          std::pair{containsColumn, &rule.contains}}) {
      const std::string_view zone = rows.field(column);
      if (!why.empty() || zone.empty()) continue;
      const std::optional<std::string> id = sourceId(zone);
      if (id) {
        *field = zoneIds.add(*id, fares.zones);
      } else {
        why = "a zone id the source cannot write";
      }
    }
    if (!why.empty()) {
      ++counts.rulesDropped;
      report.warn("fare rules dropped: " + why, rows.where());
      continue;
    }
    fares.rules.push_back(rule);
  }
  // A zone only rules name still gives every station's zone, as the file's
  // block holds them.
  if (!fares.zones.empty() && fares.stationZones.empty())
    fares.stationZones.assign(stationCount, kNoFareRef);
  counts.rules = fares.rules.size();
  return fares;
}

}  // namespace murlo::gtfs
