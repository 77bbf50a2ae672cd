#include "query/ride_list.h"

#include <memory>
#include <optional>
#include <string>

#include "present/segment_line.h"
#include "text/gbk_codec.h"

namespace murlo {

std::optional<Ride> listableRide(const TimetableDb& db, TrainIndex train, StopPosition board,
                                 StopPosition alight) {
  if (!db.callRule(train, board).board || !db.callRule(train, alight).alight) return std::nullopt;
  if (!hasSegmentLine(db, train, board, alight)) return std::nullopt;
  return Ride{train, board, alight};
}

std::optional<Ride> wholeRun(const TimetableDb& db, TrainIndex train) {
  const std::optional<StopList> stops = db.stopsOf(train);
  if (!stops || stops->size() < 2) return std::nullopt;
  return Ride{train, StopPosition(0), stops->last()};
}

Utf16Answer ridesAsLines(const LoadedDatabase& db, std::span<const Ride> rides, bool wholeRuns) {
  Utf16Answer result{.terminator = u'*'};
  result.pieces.reserve(rides.size());
  std::string scratch;
  if (wholeRuns) {
    for (const Ride& ride : rides) {
      if (appendWholeRun(result, db, ride.train, scratch)) ++result.count;
    }
    return result;
  }
  // A line between two stops is written here, in UTF-16, and its piece made
  // once every line is written (until then `written` may move). Each line
  // ends in the ASCII of its fares, so converting it alone gives the units
  // that converting the whole answer would.
  std::unique_ptr<std::u16string> written;  // made for the first such line
  struct WrittenPiece {
    std::size_t piece, at, length;
  };
  std::vector<WrittenPiece> writtenPieces;
  for (const Ride& ride : rides) {
    const std::optional<StopList> stops = db.tables().stopsOf(ride.train);
    if (ride.board == StopPosition(0) && stops && ride.alight == stops->last()) {
      if (!appendWholeRun(result, db, ride.train, scratch)) continue;
    } else {
      scratch.clear();
      if (!appendSegmentLine(scratch, db.tables(), ride.train, ride.board, ride.alight, 0)) {
        continue;
      }
      // A GBK byte never gives more than one code unit.
      if (!written) written = std::make_unique<std::u16string>();
      const std::size_t at = written->size();
      written->resize(at + scratch.size());
      const char16_t* const end = gbkToUtf16Into(scratch, written->data() + at);
      written->resize(static_cast<std::size_t>(end - written->data()));
      writtenPieces.push_back(WrittenPiece{result.pieces.size(), at, written->size() - at});
      result.pieces.emplace_back();
    }
    ++result.count;
  }
  for (const WrittenPiece& w : writtenPieces) {
    result.pieces[w.piece] = Utf16Piece{std::u16string_view(written->data() + w.at, w.length), {}};
  }
  result.written = std::move(written);
  return result;
}

}  // namespace murlo
