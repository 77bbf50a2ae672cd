#include "present/route_type_names.h"

namespace murlo {

std::string_view routeTypeName(uint16_t routeType) {
  switch (routeType) {
    case 0: return "Tram";
    case 1: return "Subway";
    case 2: return "Rail";
    case 3: return "Bus";
    case 4: return "Ferry";
    case 5: return "Cable tram";
    case 6: return "Aerial lift";
    case 7: return "Funicular";
    case 11: return "Trolleybus";
    case 12: return "Monorail";
    default: break;
  }
  switch (routeType / 100) {
    case 1: return "Rail";
    case 2: return "Coach";
    case 4: return "Subway";
    case 7: return "Bus";
    case 9: return "Tram";
    case 10: return "Ferry";
    case 13: return "Aerial lift";
    case 14: return "Funicular";
    default: return "";
  }
}

}  // namespace murlo
