#include "gtfs/shapes.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <vector>

#include "gtfs/csv_reader.h"
#include "gtfs/field_values.h"

namespace murlo::gtfs {
namespace {

constexpr uint64_t kProgressEvery = 1 << 16;
constexpr std::size_t kShapesForUnit = 200;  // enough to tell a unit
constexpr double kMaxOffPathKm = 1.0;        // farther, a stop is not on the path
constexpr double kMaxDetour = 3.0;           // along the path per km in a straight line
constexpr double kPi = 3.14159265358979323846;
constexpr double kKmPerDegree = 6371.0088 * kPi / 180;

// Positions in km east and north of an origin, on the plane that touches
// the earth there: exact enough within a few km.
struct Offset {
  double east, north;
};
class Plane {
 public:
  explicit Plane(Position origin)
      : origin_(origin), eastPerDegree_(std::cos(origin.latitude * kPi / 180) * kKmPerDegree) {}
  Offset offsetOf(Position p) const {
    return {(p.longitude - origin_.longitude) * eastPerDegree_,
            (p.latitude - origin_.latitude) * kKmPerDegree};
  }

 private:
  Position origin_;
  double eastPerDegree_;
};

}  // namespace

void readShapes(const FeedFiles& files, Feed& feed, Progress& progress) {
  std::unordered_map<std::string, std::size_t> wanted;  // shape_id -> order of first use
  std::vector<bool> forUnit;                            // per wanted shape
  std::size_t unitShapes = 0;
  for (std::size_t t = 0; t < feed.trips.size(); ++t) {
    const Trip& trip = feed.trips[t];
    if (trip.shapeId.empty()) continue;
    const auto [it, fresh] = wanted.emplace(trip.shapeId, wanted.size());
    if (fresh) forUnit.push_back(false);
    const bool distances = !std::isnan(feed.stopTimes[feed.tripBegin[t]].shapeDistance);
    if (distances && !forUnit[it->second] && unitShapes < kShapesForUnit) {
      forUnit[it->second] = true;
      ++unitShapes;
    }
  }
  if (wanted.empty()) return;
  auto source = files.open("shapes.txt");
  if (!source) return;
  CsvReader rows(std::move(source), files.displayName("shapes.txt"));
  const std::size_t idColumn = rows.column("shape_id");
  const std::size_t latColumn = rows.column("shape_pt_lat");
  const std::size_t lonColumn = rows.column("shape_pt_lon");
  const std::size_t sequenceColumn = rows.column("shape_pt_sequence");
  const std::size_t distanceColumn = rows.column("shape_dist_traveled");
  if (idColumn == CsvReader::kMissing) return;
  struct Point {
    std::size_t shape;
    int32_t sequence;
    Position position;
    double distance;
  };
  std::vector<Point> points;
  progress.begin(rows.name(), rows.size());
  uint64_t count = 0;
  std::string key;
  while (rows.next()) {
    if (++count % kProgressEvery == 0) progress.update(rows.bytesRead(), count);
    key.assign(rows.field(idColumn));
    const auto shape = wanted.find(key);
    if (shape == wanted.end()) continue;
    const auto lat = toDouble(rows.field(latColumn));
    const auto lon = toDouble(rows.field(lonColumn));
    const auto sequence = toInt(rows.field(sequenceColumn));
    if (!lat || !lon || !sequence || std::abs(*lat) > 90 || std::abs(*lon) > 180) continue;
    const auto distance = toDouble(rows.field(distanceColumn));
    points.push_back({shape->second, *sequence, {*lat, *lon}, distance.value_or(kNoDistance)});
  }
  progress.end(count);
  std::stable_sort(points.begin(), points.end(), [](const Point& a, const Point& b) {
    return a.shape != b.shape ? a.shape < b.shape : a.sequence < b.sequence;
  });
  std::vector<int32_t> pathOf(wanted.size(), -1);
  for (std::size_t i = 0; i < points.size();) {
    std::size_t j = i + 1;
    while (j < points.size() && points[j].shape == points[i].shape) ++j;
    if (j - i >= 2) {
      ShapePath path;
      for (std::size_t k = i; k < j; ++k) {
        path.km.push_back(k == i ? 0
                                 : path.km.back() +
                                       greatCircleKm(points[k - 1].position, points[k].position));
        path.points.push_back(points[k].position);
      }
      const double distance = points[j - 1].distance - points[i].distance;
      if (forUnit[points[i].shape] && path.km.back() > 0 && distance > 0) {
        feed.shapes.push_back({path.km.back(), distance});
      }
      pathOf[points[i].shape] = static_cast<int32_t>(feed.paths.size());
      feed.paths.push_back(std::move(path));
    }
    i = j;
  }
  for (Trip& trip : feed.trips) {
    if (!trip.shapeId.empty()) trip.path = pathOf[wanted.at(trip.shapeId)];
  }
}

std::optional<std::vector<double>> kmAlongPath(const ShapePath& path,
                                               const std::vector<std::optional<Position>>& stops) {
  const std::size_t segments = path.points.size() < 2 ? 0 : path.points.size() - 1;
  if (segments == 0) return std::nullopt;
  std::vector<double> km;
  std::size_t segment = 0;  // where the previous stop lies: this segment,
  double along = 0;         // at this share of it
  std::optional<double> origin;
  std::optional<Position> previous;
  for (const std::optional<Position>& stop : stops) {
    if (!stop) {
      km.push_back(km.empty() ? 0 : km.back());
      continue;
    }
    double best = INFINITY;
    std::size_t bestSegment = segment;
    double bestShare = along;
    const Plane plane(*stop);
    // A stop lies no farther along than a trip may plausibly run from the
    // one before: looking no further keeps a long shape from costing each
    // stop all its points.
    const double from = path.km[segment] + along * (path.km[segment + 1] - path.km[segment]);
    const double reach =
        previous ? from + kMaxDetour * greatCircleKm(*previous, *stop) + 2 * kMaxOffPathKm
                 : INFINITY;
    previous = stop;
    Offset b = plane.offsetOf(path.points[segment]);
    for (std::size_t i = segment; i < segments && path.km[i] <= reach; ++i) {
      const Offset a = b;
      b = plane.offsetOf(path.points[i + 1]);
      const double de = b.east - a.east;
      const double dn = b.north - a.north;
      const double length2 = de * de + dn * dn;
      const double low = i == segment ? along : 0;
      double share = length2 > 0 ? -(a.east * de + a.north * dn) / length2 : 0;
      share = std::clamp(share, low, 1.0);
      const double e = a.east + share * de;
      const double n = a.north + share * dn;
      const double distance2 = e * e + n * n;
      if (distance2 < best) {
        best = distance2;
        bestSegment = i;
        bestShare = share;
      }
    }
    if (std::sqrt(best) > kMaxOffPathKm) return std::nullopt;
    segment = bestSegment;
    along = bestShare;
    const double at = path.km[segment] + along * (path.km[segment + 1] - path.km[segment]);
    if (!origin) origin = at;
    km.push_back(at - *origin);
  }
  return km;
}

}  // namespace murlo::gtfs
