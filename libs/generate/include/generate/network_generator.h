// Synthetic networks of a chosen size with the shape of a national railway:
// cities (hubs) joined by lines, minor stations strung along each line, and
// trains of several kinds running along chains of lines, so that lines cross
// at hubs and the busiest hubs see hundreds of calls.
//
// The same size and seed always give the same timetable, byte for byte, on
// every platform: the generator draws only from RandomSource and uses no
// floating-point function beyond the basic operations and the square root.
#ifndef MURLO_GENERATE_NETWORK_GENERATOR_H_
#define MURLO_GENERATE_NETWORK_GENERATOR_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "timetable_source/timetable_source.h"

namespace murlo::generate {

enum class NetworkSize { kSmall, kNational, kMaximal };

// "small", "national" or "maximal".
std::optional<NetworkSize> networkSizeNamed(std::string_view name);
std::string_view nameOf(NetworkSize size);

// What a network is made of.
struct NetworkShape {
  int32_t stations = 0;  // all of them, hubs included (at most kMaxNetworkStations)
  int32_t trains = 0;    // at most kMaxNetworkTrains
  int32_t hubs = 0;      // cities where lines meet; at least 2
  int32_t widthKm = 0;   // the area the hubs are spread over
  int32_t heightKm = 0;
};

// small: 300 stations, 1,000 trains; national: 3,000 stations, 10,000
// trains; maximal: 10,000 stations, 10,000 trains, its lines denser in
// stations so that its stopping trains run up to the 100-stop limit.
NetworkShape shapeOf(NetworkSize size);

// The network of `size` drawn from `seed`, with the header "GEN-<S><seed>"
// (S the size's initial; the seed's last four digits).
source::Timetable generateNetwork(NetworkSize size, uint64_t seed);

// A network of any shape. Keeps every limit of the source format: 2 to 100
// stops per train, distances up to 9,999 km, every station called at,
// unique names of at most five characters. Throws std::invalid_argument for
// a shape that cannot be built (more minor stations than trains can cover,
// fewer than two hubs, more than kMaxNetworkStations or kMaxNetworkTrains).
source::Timetable generateNetwork(const NetworkShape& shape, uint64_t seed, std::string header);

}  // namespace murlo::generate

#endif  // MURLO_GENERATE_NETWORK_GENERATOR_H_
