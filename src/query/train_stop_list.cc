// One train's whole stop list with the traveller's journey marked.
//
// The journey is marked by walking the stops from the last to the first: a
// stop at the alighting station turns marking on before its own line, a stop
// at the boarding station turns it off after its own line. So both end
// stations of the journey are marked; with the boarding station missing, or
// only after the alighting station, everything from the first stop to the
// alighting station is marked; and a train that calls at a station twice may
// have several marked runs.
//
// Each stop line reads
//   marker name | arrival | departure | distance *
// with "-" for the first stop's arrival and the last stop's departure, the
// times copied as stored and the distance printed without leading zeros.
// A stop whose station lies outside the station table has no name: it gets
// no line, is not counted, and neither starts nor ends marking. The running
// time always covers the whole train.
#include "query/train_stop_list.h"

#include <array>
#include <charconv>
#include <cstring>
#include <vector>

#include "db/day_rollover.h"
#include "db/records.h"

namespace murlo {
namespace {

// strcmp equality with an argument name; an empty name matches nothing.
bool sameName(std::string_view stationName, std::string_view wanted) {
  return !wanted.empty() && stationName == wanted;
}

// Appends one stop line, written straight into `text`.
void appendStopLine(std::string& text, bool marked, std::string_view name, const StopRecord& stop,
                    bool first, bool last) {
  const std::size_t start = text.size();
  text.resize(start + name.size() + 32);  // marker, times, distance, separators
  char* p = text.data() + start;
  const auto put = [&p](std::string_view bytes) {
    std::memcpy(p, bytes.data(), bytes.size());
    p += bytes.size();
  };
  const auto time = [&](std::string_view hour, std::string_view minute) {
    put(hour);
    *p++ = ':';
    put(minute);
    *p++ = '|';
  };
  *p++ = marked ? '>' : ' ';
  *p++ = '|';
  put(name);
  *p++ = '|';
  if (first) {
    put("-|");
  } else {
    time(stop.arrivalHour(), stop.arrivalMinute());
  }
  if (last) {
    put("-|");
  } else {
    time(stop.departureHour(), stop.departureMinute());
  }
  p = std::to_chars(p, p + 12, stop.distanceKm()).ptr;
  *p++ = '*';
  text.resize(static_cast<std::size_t>(p - text.data()));
}

// Per stop: its station's name, whether it has one, whether it is marked.
struct StopMark {
  const char* name;  // (plain fields, so that an array of marks starts uninitialised)
  std::size_t nameSize;
  bool named;
  bool marked;
};

// The marks of a train's stops, on the stack for trains of ordinary length
// (and left uninitialised: the walk writes every one before it is read).
class StopMarks {
 public:
  explicit StopMarks(std::size_t stops) {
    if (stops > kInline) spill_.resize(stops);
  }
  StopMark& operator[](std::size_t k) { return spill_.empty() ? inline_[k] : spill_[k]; }

 private:
  static constexpr std::size_t kInline = 128;
  std::array<StopMark, kInline> inline_;
  std::vector<StopMark> spill_;
};

}  // namespace

namespace {

// The marking walk, last stop first; it looks every name up once. Returns
// the bytes of the names.
std::size_t markStops(const TimetableDb& tables, const StopList& stops, std::string_view boarding,
                      std::string_view alighting, StopMarks& marks) {
  std::size_t nameBytes = 0;
  bool marking = false;
  for (int32_t i = stops.size() - 1; i >= 0; --i) {
    StopMark& mark = marks[static_cast<std::size_t>(i)];
    const auto name = tables.stationName(stops[StopPosition(i)].stationIndex());
    mark.named = name.has_value();
    mark.marked = false;
    if (!name) continue;
    mark.name = name->data();
    mark.nameSize = name->size();
    nameBytes += name->size();
    if (sameName(*name, alighting)) marking = true;
    mark.marked = marking;
    if (sameName(*name, boarding)) marking = false;
  }
  return nameBytes;
}

}  // namespace

StopListResult trainStopList(const LoadedDatabase& db, TrainIndex trainIndex,
                             std::string_view boarding, std::string_view alighting) {
  StopListResult result;
  const TimetableDb& tables = db.tables();
  const std::optional<StopList> found = tables.stopsOf(trainIndex);
  if (!found || found->size() < 2) return result;
  const StopList stops = *found;
  const int32_t last = stops.size() - 1;

  const auto count = static_cast<std::size_t>(last) + 1;
  StopMarks marks(count);
  const std::size_t nameBytes = markStops(tables, stops, boarding, alighting, marks);

  result.stopList.reserve(nameBytes + 24 * count);
  for (int32_t i = 0; i <= last; ++i) {
    const StopMark& mark = marks[static_cast<std::size_t>(i)];
    if (!mark.named) continue;
    appendStopLine(result.stopList, mark.marked, std::string_view(mark.name, mark.nameSize),
                   stops[StopPosition(i)], i == 0, i == last);
    ++result.stops;
  }
  result.runTime = formatHoursMinutes(journeyMinutes(stops, StopPosition(0), stops.last()));
  return result;
}

TrainStops trainStops(const LoadedDatabase& db, TrainIndex trainIndex, std::string_view boarding,
                      std::string_view alighting) {
  TrainStops result;
  const TimetableDb& tables = db.tables();
  const std::optional<StopList> found = tables.stopsOf(trainIndex);
  if (!found || found->size() < 2) return result;
  const StopList stops = *found;
  result.found = true;
  StopMarks marks(static_cast<std::size_t>(stops.size()));
  markStops(tables, stops, boarding, alighting, marks);
  for (StopPosition k(0); stops.holds(k); ++k) {
    const StopMark& mark = marks[k.slot()];
    if (mark.named) result.stops.push_back(MarkedStop{k, mark.marked});
  }
  result.runMinutes = journeyMinutes(stops, StopPosition(0), stops.last());
  return result;
}

}  // namespace murlo
