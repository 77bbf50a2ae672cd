#include "timetable_source/source_fares.h"

#include <algorithm>

#include "text/utf8.h"
#include "timetable_source/source_lexer.h"

namespace murlo::source {
namespace {

constexpr std::string_view kTariffs[] = {"built-in", "none", "network"};

bool isId(std::string_view id) { return !id.empty() && id.size() <= 0xFF && id.front() != '"'; }

}  // namespace

bool isFareKeyword(std::string_view token) {
  return token == "tariff" || token == "route" || token == "zone" || token == "fare" ||
         token == "fare-rule";
}

std::optional<Price> parsePrice(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  const auto digits = [](std::string_view part) {
    return !part.empty() &&
           std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(whole) || (point != std::string_view::npos && !digits(fraction)) ||
      fraction.size() > kMostCurrencyDigits)
    return std::nullopt;
  uint64_t amount = 0;
  for (const char c : text) {
    if (c == '.') continue;
    amount = 10 * amount + static_cast<uint64_t>(c - '0');
    if (amount > UINT32_MAX) return std::nullopt;
  }
  return Price{static_cast<uint32_t>(amount), static_cast<uint8_t>(fraction.size())};
}

std::string priceText(uint32_t amount, int digits) {
  std::string text = std::to_string(amount);
  if (digits <= 0) return text;
  const auto width = static_cast<std::size_t>(digits);
  if (text.size() <= width) text.insert(0, width + 1 - text.size(), '0');
  text.insert(text.size() - width, ".");
  return text;
}

bool FareLines::newId(int number, std::map<std::string, uint32_t>& ids, std::string_view id,
                      std::size_t index, const char* what) {
  if (!isId(id)) {
    error_(number, std::string("a ") + what + " id is 1 to 255 bytes and does not begin with \"");
    return false;
  }
  if (!ids.emplace(std::string(id), static_cast<uint32_t>(index)).second) {
    error_(number, std::string("a second ") + what + " " + excerpt(id));
    return false;
  }
  return true;
}

std::optional<uint32_t> FareLines::known(int number, const std::map<std::string, uint32_t>& ids,
                                         std::string_view id, const char* what) {
  const auto found = ids.find(std::string(id));
  if (found != ids.end()) return found->second;
  error_(number, std::string("the ") + what + " " + excerpt(id) + " is not declared before");
  return std::nullopt;
}

void FareLines::line(int number, const std::vector<std::string_view>& tokens) {
  const std::string_view keyword = tokens[0];
  if (keyword == "tariff") {
    if (tariffLine_ != 0) {
      return error_(number,
                    "a second tariff (the first is on line " + std::to_string(tariffLine_) + ")");
    }
    tariffLine_ = number;
    const auto* found = tokens.size() == 2
                            ? std::find(std::begin(kTariffs), std::end(kTariffs), tokens[1])
                            : std::end(kTariffs);
    if (found == std::end(kTariffs))
      return error_(number, "expected: tariff built-in|none|network");
    fares_.tariff = static_cast<Tariff>(found - std::begin(kTariffs));
    return;
  }
  if (keyword == "route") {
    if ((tokens.size() != 2 && tokens.size() != 4) || (tokens.size() == 4 && tokens[2] != "type"))
      return error_(number, "expected: route ROUTE [type N]");
    FareRoute route{std::string(tokens[1]), kNoRouteType};
    if (tokens.size() == 4) {
      const auto type = parseNumber(tokens[3], 5);
      if (!type || *type >= kNoRouteType)
        return error_(number, "the route type " + excerpt(tokens[3]) + " is not 0 to 65534");
      route.type = static_cast<uint16_t>(*type);
    }
    if (newId(number, routeIds_, route.id, fares_.routes.size(), "route"))
      fares_.routes.push_back(std::move(route));
    return;
  }
  if (keyword == "zone") {
    if (tokens.size() < 2) return error_(number, "expected: zone ZONE [STATION ...]");
    const std::size_t zone = fares_.zones.size();
    if (!newId(number, zoneIds_, tokens[1], zone, "zone")) return;
    fares_.zones.emplace_back(tokens[1]);
    for (std::size_t i = 2; i < tokens.size(); ++i) {
      const std::optional<StationIndex> station = stationAt_(number, tokens[i]);
      if (!station) continue;
      if (!stationZones_.emplace(*station, static_cast<uint32_t>(zone)).second)
        error_(number, "the station " + excerpt(tokens[i]) + " is in a zone already");
    }
    return;
  }
  if (firstFareLine_ == 0) firstFareLine_ = number;
  if (keyword == "fare") {
    if (tokens.size() != 4) return error_(number, "expected: fare FARE PRICE CURRENCY");
    const std::optional<Price> price = parsePrice(tokens[2]);
    if (!price) {
      error_(number, "the price " + excerpt(tokens[2]) +
                         " is not an amount such as 2.75 (at most 4 decimals, below 2^32 "
                         "of its least unit)");
    }
    const std::string_view currency = tokens[3];
    const bool code =
        currency.size() == 3 &&
        std::all_of(currency.begin(), currency.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    if (!code) error_(number, "the currency " + excerpt(currency) + " is not a code such as USD");
    if (!newId(number, productIds_, tokens[1], fares_.products.size(), "fare") || !price || !code)
      return;
    fares_.products.push_back(
        {std::string(tokens[1]), price->amount, std::string(currency), price->digits});
    return;
  }
  // fare-rule FARE [route ROUTE] [origin ZONE] [destination ZONE] [contains ZONE]
  static constexpr const char* kUsage =
      "expected: fare-rule FARE [route ROUTE] [origin ZONE] [destination ZONE] [contains ZONE]";
  if (tokens.size() < 2 || tokens.size() % 2 != 0) return error_(number, kUsage);
  const std::optional<uint32_t> fare = known(number, productIds_, tokens[1], "fare");
  FareRule rule;
  bool valid = fare.has_value();
  static constexpr std::string_view kKeys[] = {"route", "origin", "destination", "contains"};
  uint32_t* fields[] = {&rule.route, &rule.origin, &rule.destination, &rule.contains};
  for (std::size_t i = 2; i + 1 < tokens.size(); i += 2) {
    const auto key = std::find(std::begin(kKeys), std::end(kKeys), tokens[i]);
    if (key == std::end(kKeys)) return error_(number, kUsage);
    uint32_t& field = *fields[key - std::begin(kKeys)];
    if (field != kNoFareRef) return error_(number, "'" + std::string(*key) + "' given twice");
    const std::optional<uint32_t> named = key == std::begin(kKeys)
                                              ? known(number, routeIds_, tokens[i + 1], "route")
                                              : known(number, zoneIds_, tokens[i + 1], "zone");
    if (named)
      field = *named;
    else
      valid = false;
  }
  if (!valid) return;
  rule.fare = *fare;
  fares_.rules.push_back(rule);
}

void FareLines::trainRoute(int number, const std::vector<std::string_view>& tokens,
                           std::size_t train) {
  if (tokens.size() != 2) return error_(number, "expected: route ROUTE");
  const std::optional<uint32_t> route = known(number, routeIds_, tokens[1], "route");
  if (!route) return;
  if (!trainRoutes_.emplace(train, *route).second)
    error_(number, "a second route line for this train");
}

NetworkFares FareLines::finish(const std::vector<int32_t>& newIndex, std::size_t stationCount,
                               std::size_t trainCount) {
  if (firstFareLine_ != 0 && fares_.tariff != Tariff::kNetwork)
    error_(firstFareLine_, "fares and fare rules need 'tariff network'");
  if (!fares_.zones.empty()) {
    fares_.stationZones.assign(stationCount, kNoFareRef);
    for (const auto& [declared, zone] : stationZones_) {
      const int32_t index = newIndex.empty() ? declared.value() : newIndex[declared.slot()];
      if (index >= 0 && static_cast<std::size_t>(index) < stationCount)
        fares_.stationZones[static_cast<std::size_t>(index)] = zone;
    }
  }
  if (!fares_.routes.empty()) {
    fares_.trainRoutes.assign(trainCount, kNoFareRef);
    for (const auto& [train, route] : trainRoutes_)
      if (train < trainCount) fares_.trainRoutes[train] = route;
  }
  return std::move(fares_);
}

std::string fareLinesOf(const NetworkFares& fares,
                        const std::function<std::string(int32_t)>& reference,
                        std::vector<std::string>& warnings) {
  if (fares.empty()) return {};
  std::string out =
      "\ntariff " + std::string(kTariffs[static_cast<std::size_t>(fares.tariff)]) + "\n";
  // An id a source line cannot hold as one token does not build back.
  const auto check = [&](const std::string& id, const char* what) {
    std::size_t at = 0;
    bool text = true;
    while (text && at < id.size()) text = decodeUtf8At(id, at).has_value();
    if (!text || !isId(id) || id.find_first_of(" \t\r\n") != std::string::npos) {
      const std::string message = std::string("the ") + what + " id '" + excerpt(id) +
                                  "' is not one token of text; build reads it otherwise";
      warnings.push_back(message);
      out += "# warning: " + message + "\n";
    }
  };
  for (const FareRoute& route : fares.routes) check(route.id, "route");
  for (const std::string& zone : fares.zones) check(zone, "zone");
  for (const FareProduct& product : fares.products) check(product.id, "fare");
  for (const FareRoute& route : fares.routes) {
    out += "route " + route.id;
    if (route.type != kNoRouteType) out += " type " + std::to_string(route.type);
    out += "\n";
  }
  for (std::size_t z = 0; z < fares.zones.size(); ++z) {
    out += "zone " + fares.zones[z];
    for (std::size_t s = 0; s < fares.stationZones.size(); ++s)
      if (fares.stationZones[s] == z) out += " " + reference(static_cast<int32_t>(s));
    out += "\n";
  }
  for (const FareProduct& product : fares.products)
    out += "fare " + product.id + " " + priceText(product.amount, product.digits) + " " +
           product.currency + "\n";
  for (const FareRule& rule : fares.rules) {
    out += "fare-rule " + fares.products[rule.fare].id;
    if (rule.route != kNoFareRef) out += " route " + fares.routes[rule.route].id;
    if (rule.origin != kNoFareRef) out += " origin " + fares.zones[rule.origin];
    if (rule.destination != kNoFareRef) out += " destination " + fares.zones[rule.destination];
    if (rule.contains != kNoFareRef) out += " contains " + fares.zones[rule.contains];
    out += "\n";
  }
  return out;
}

}  // namespace murlo::source
