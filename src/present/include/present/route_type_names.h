// The class name of a ride on a network that does not use the built-in
// tariff: its route's kind of vehicle.
#ifndef MURLO_PRESENT_ROUTE_TYPE_NAMES_H_
#define MURLO_PRESENT_ROUTE_TYPE_NAMES_H_

#include <cstdint>
#include <string_view>

namespace murlo {

// "Tram", "Subway", "Rail", "Bus", "Ferry", "Cable tram", "Aerial lift",
// "Funicular", "Trolleybus" and "Monorail" for the basic route types 0 to
// 7, 11 and 12, and the same names for the extended types of each hundred
// (100s "Rail", 200s "Coach", 400s "Subway", 700s "Bus", 900s "Tram", 1000s
// "Ferry", 1300s "Aerial lift", 1400s "Funicular"); "" for any other.
std::string_view routeTypeName(uint16_t routeType);

}  // namespace murlo

#endif  // MURLO_PRESENT_ROUTE_TYPE_NAMES_H_
