#include "gtfs/shape_lengths.h"

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

}  // namespace

void readShapeLengths(const FeedFiles& files, Feed& feed, Progress& progress) {
  std::unordered_map<std::string, std::size_t> wanted;
  for (std::size_t t = 0; t < feed.trips.size() && wanted.size() < kShapesForUnit; ++t) {
    const Trip& trip = feed.trips[t];
    if (trip.shapeId.empty() || std::isnan(feed.stopTimes[feed.tripBegin[t]].shapeDistance)) {
      continue;
    }
    wanted.emplace(trip.shapeId, wanted.size());
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
  if (idColumn == CsvReader::kMissing || distanceColumn == CsvReader::kMissing) return;
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
    const auto distance = toDouble(rows.field(distanceColumn));
    if (!lat || !lon || !sequence || !distance) continue;
    points.push_back({shape->second, *sequence, {*lat, *lon}, *distance});
  }
  progress.end(count);
  std::stable_sort(points.begin(), points.end(), [](const Point& a, const Point& b) {
    return a.shape != b.shape ? a.shape < b.shape : a.sequence < b.sequence;
  });
  for (std::size_t i = 0; i < points.size();) {
    std::size_t j = i + 1;
    ShapeLength length;
    for (; j < points.size() && points[j].shape == points[i].shape; ++j) {
      length.km += greatCircleKm(points[j - 1].position, points[j].position);
    }
    length.distance = points[j - 1].distance - points[i].distance;
    if (length.km > 0 && length.distance > 0) feed.shapes.push_back(length);
    i = j;
  }
}

}  // namespace murlo::gtfs
