#include "gtfs/distance_unit.h"

#include <algorithm>
#include <cmath>

namespace murlo::gtfs {
namespace {

constexpr DistanceUnit kUnits[] = {
    {"km", 1.0}, {"m", 1000.0}, {"mi", 0.621371192}, {"ft", 3280.839895}};

// Shapes are measured along their own points: the values should match.
constexpr double kShapeExpected = 1.0, kShapeLow = 0.9, kShapeHigh = 1.12;
// Stops are measured in straight lines: a track is a little longer.
constexpr double kStopsExpected = 1.08, kStopsLow = 0.85, kStopsHigh = 2.0;
constexpr double kMinMeasuredKm = 1.0;  // shorter trips say little about a unit

}  // namespace

std::optional<Position> stopPosition(const Feed& feed, int32_t stop) {
  const StopPlace& place = feed.stops[static_cast<std::size_t>(stop)];
  if (place.hasPosition) return place.position;
  const StopPlace& station = feed.stops[static_cast<std::size_t>(place.station)];
  if (station.hasPosition) return station.position;
  return std::nullopt;
}

std::optional<DistanceUnit> guessUnit(std::vector<double> ratios, double expected, double low,
                                      double high) {
  if (ratios.empty()) return std::nullopt;
  const auto middle = ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2);
  std::nth_element(ratios.begin(), middle, ratios.end());
  const double median = *middle;
  std::optional<DistanceUnit> best;
  double bestScore = 0;
  for (const DistanceUnit& unit : kUnits) {
    const double q = median / unit.perKm;
    if (q < low || q > high) continue;
    const double score = std::abs(std::log(q / expected));
    if (!best || score < bestScore) {
      best = unit;
      bestScore = score;
    }
  }
  return best;
}

std::vector<double> coordinateKm(const Feed& feed, std::size_t trip) {
  std::vector<double> km;
  std::optional<Position> last;
  double total = 0;
  for (std::size_t r = feed.tripBegin[trip]; r < feed.tripBegin[trip + 1]; ++r) {
    const auto position = stopPosition(feed, feed.stopTimes[r].stop);
    if (position) {
      if (last) total += greatCircleKm(*last, *position);
      last = position;
    }
    km.push_back(total);
  }
  return km;
}

UnitFinding findDistanceUnit(const Feed& feed) {
  UnitFinding finding;
  if (!feed.shapes.empty()) {
    std::vector<double> ratios;
    for (const ShapeLength& shape : feed.shapes) ratios.push_back(shape.distance / shape.km);
    finding.unit = guessUnit(ratios, kShapeExpected, kShapeLow, kShapeHigh);
    if (finding.unit) {
      finding.how = std::string(finding.unit->name) + ", from " + std::to_string(ratios.size()) +
                    " shapes in shapes.txt";
      return finding;
    }
  }
  std::vector<double> ratios;
  for (std::size_t t = 0; t + 1 < feed.tripBegin.size(); ++t) {
    const StopTime& first = feed.stopTimes[feed.tripBegin[t]];
    const StopTime& last = feed.stopTimes[feed.tripBegin[t + 1] - 1];
    if (std::isnan(first.shapeDistance) || std::isnan(last.shapeDistance)) continue;
    const double measured = coordinateKm(feed, t).back();
    if (measured < kMinMeasuredKm) continue;
    ratios.push_back((last.shapeDistance - first.shapeDistance) / measured);
  }
  finding.unit = guessUnit(ratios, kStopsExpected, kStopsLow, kStopsHigh);
  if (finding.unit) {
    finding.how = std::string(finding.unit->name) + ", from the stops of " +
                  std::to_string(ratios.size()) + " trips";
  } else if (!ratios.empty()) {
    finding.how = "no unit fits them";
  }
  return finding;
}

}  // namespace murlo::gtfs
