#include "query/boards.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "db/day_rollover.h"
#include "present/segment_line.h"
#include "query/station_board.h"
#include "text/gbk_codec.h"

namespace murlo {
namespace {

Utf16Answer board(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                  int32_t limit, BoardKind kind) {
  if (!validBoardArguments(afterMinute, limit)) return Utf16Answer{kInvalidArgument, {}, u'*'};
  const std::optional<StationIndex> station = db.findStation(name);
  if (!station) return Utf16Answer{kStationNotFound, {}, u'*'};
  const StationBoard& stationBoard =
      kind == BoardKind::kDepartures ? db.departureBoard() : db.arrivalBoard();
  const std::span<const uint32_t> calls = stationBoard.calls(*station);

  // The keys ascend by time of day: the board starts at the first call at or
  // after `afterMinute` and wraps around to the calls before it.
  const auto start = static_cast<std::size_t>(
      std::lower_bound(calls.begin(), calls.end(),
                       BoardKey::make(afterMinute, TrainIndex(0), StopPosition(0))) -
      calls.begin());
  const std::size_t wanted =
      limit == 0 ? calls.size() : std::min(calls.size(), static_cast<std::size_t>(limit));
  Utf16Answer result{0, {}, u'*'};
  result.pieces.reserve(wanted);
  // A line between two stops is written here, in UTF-16, and its piece made
  // once every line is written (until then `written` may move). Each line
  // ends in the ASCII of its fares, so converting it alone gives the units
  // that converting the whole answer would.
  auto written = std::make_unique<std::u16string>();
  struct WrittenPiece {
    std::size_t piece, at, length;
  };
  std::vector<WrittenPiece> writtenPieces;
  std::string scratch;
  for (std::size_t i = 0; i < wanted; ++i) {
    const uint32_t key = calls[(start + i) % calls.size()];
    const TrainIndex train = BoardKey::train(key);
    const StopPosition stop = BoardKey::stop(key);
    // Boarded here, the line runs to the last stop; left here, it runs from
    // the first. Boarded at the first stop or left at the last, it is the
    // whole run, which the database keeps.
    const bool departs = kind == BoardKind::kDepartures;
    const std::optional<StopList> stops = db.tables().stopsOf(train);
    if (!stops) continue;  // the tables give such a train no line
    const StopPosition last = stops->last();
    if (departs ? stop == StopPosition(0) : stop == last) {
      const KeptLine line = db.wholeRunLines().line(db.tables(), train, scratch);
      if (line.text.empty()) continue;
      result.pieces.push_back(line.text);
    } else {
      scratch.clear();
      const bool built =
          departs ? appendSegmentLine(scratch, db.tables(), train, stop, last, 0)
                  : appendSegmentLine(scratch, db.tables(), train, StopPosition(0), stop, 0);
      if (!built) continue;
      // A GBK byte never gives more than one code unit.
      const std::size_t at = written->size();
      written->resize(at + scratch.size());
      const char16_t* const end = gbkToUtf16Into(scratch, written->data() + at);
      written->resize(static_cast<std::size_t>(end - written->data()));
      writtenPieces.push_back(WrittenPiece{result.pieces.size(), at, written->size() - at});
      result.pieces.emplace_back();
    }
    ++result.code;
  }
  for (const WrittenPiece& w : writtenPieces) {
    result.pieces[w.piece] = Utf16Piece{std::u16string_view(written->data() + w.at, w.length), {}};
  }
  if (!writtenPieces.empty()) result.written = std::move(written);
  return result;
}

}  // namespace

bool validBoardArguments(int32_t afterMinute, int32_t limit) {
  return afterMinute >= 0 && afterMinute < kMinutesPerDay && limit >= 0;
}

Utf16Answer departureBoard(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                           int32_t limit) {
  return board(db, name, afterMinute, limit, BoardKind::kDepartures);
}

Utf16Answer arrivalBoard(const LoadedDatabase& db, std::string_view name, int32_t afterMinute,
                         int32_t limit) {
  return board(db, name, afterMinute, limit, BoardKind::kArrivals);
}

}  // namespace murlo
