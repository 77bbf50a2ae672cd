// Record access: the fixed-width text records of the stop and call lists.
//
// A train's stop list is a run of 16-byte StopRecords, a station's call list a
// run of 6-byte CallRecords. Fields are cut out by position and read with atoi
// semantics when used. Only whole records exist: a list's trailing partial
// record is never read, so no accessor can reach outside its text.
//
//   StopRecord  SSSS AAaa DDdd KKKK   station index, arrival hh mm,
//               0    4    8    12     departure hh mm, cumulative km
//   CallRecord  TTTT PP               train index, stop position
//
// The network view of a file with more trains or stations than the sections
// can index (kMaxNetworkTrains) writes its records with six-digit indexes
// (kWideIndexDigits): the other fields follow two bytes later.
#ifndef MURLO_DB_RECORDS_H_
#define MURLO_DB_RECORDS_H_

#include <cstdint>
#include <string_view>

#include "db/digits.h"
#include "db/file_format.h"
#include "db/indexes.h"

namespace murlo {

class StopRecord {
 public:
  // REQUIRES: text holds at least stopRecordSize(indexDigits) bytes.
  explicit constexpr StopRecord(std::string_view text, int32_t indexDigits = kIndexDigits)
      : text_(text.substr(static_cast<std::size_t>(indexDigits - kIndexDigits))),
        station_(text.data()),
        indexDigits_(indexDigits) {}

  constexpr StationIndex stationIndex() const {
    return StationIndex(readField(station_, static_cast<std::size_t>(indexDigits_)));
  }
  constexpr int32_t arrivalMinutes() const { return 60 * field(4, 2) + field(6, 2); }
  constexpr int32_t departureMinutes() const { return 60 * field(8, 2) + field(10, 2); }
  constexpr int32_t distanceKm() const { return field(12, 4); }

  // Whether the arrival (departure) field is a time of day: an hour of 0 to
  // 23 and a minute of 0 to 59, as read. Only then can a traveller leave
  // (board) the train at this stop.
  constexpr bool arrivalIsTimeOfDay() const { return isTimeOfDay(field(4, 2), field(6, 2)); }
  constexpr bool departureIsTimeOfDay() const { return isTimeOfDay(field(8, 2), field(10, 2)); }

  // The times exactly as stored, for copying into result text.
  constexpr std::string_view arrivalHour() const { return bytes(4, 2); }
  constexpr std::string_view arrivalMinute() const { return bytes(6, 2); }
  constexpr std::string_view departureHour() const { return bytes(8, 2); }
  constexpr std::string_view departureMinute() const { return bytes(10, 2); }
  constexpr std::string_view distanceField() const { return bytes(12, 4); }

 private:
  // Fields lie within the record's first 16 bytes after the station's
  // widening (text_ begins where a four-digit station would), which the
  // text holds.
  constexpr std::string_view bytes(std::size_t pos, std::size_t width) const {
    return std::string_view(text_.data() + pos, width);
  }
  constexpr int32_t field(std::size_t pos, std::size_t width) const {
    return readField(text_.data() + pos, width);
  }
  static constexpr bool isTimeOfDay(int32_t hour, int32_t minute) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
  }
  std::string_view text_;
  const char* station_;
  int32_t indexDigits_;
};

class CallRecord {
 public:
  // REQUIRES: text holds at least callRecordSize(indexDigits) bytes.
  explicit constexpr CallRecord(std::string_view text, int32_t indexDigits = kIndexDigits)
      : text_(text), indexDigits_(indexDigits) {}

  constexpr TrainIndex trainIndex() const {
    return TrainIndex(readField(text_.data(), static_cast<std::size_t>(indexDigits_)));
  }
  constexpr StopPosition stopPosition() const {
    return StopPosition(readField(text_.data() + indexDigits_, 2));
  }

 private:
  std::string_view text_;
  int32_t indexDigits_;
};

// A train's stop list: its whole StopRecords in running order.
class StopList {
 public:
  explicit constexpr StopList(std::string_view text, int32_t indexDigits = kIndexDigits)
      : text_(text), indexDigits_(indexDigits) {}

  constexpr int32_t size() const {
    return static_cast<int32_t>(text_.size() / static_cast<std::size_t>(recordSize()));
  }
  // Whether `k` is one of the list's stops.
  constexpr bool holds(StopPosition k) const { return k.value() >= 0 && k.value() < size(); }
  // The last stop. REQUIRES: size() > 0.
  constexpr StopPosition last() const { return StopPosition(size() - 1); }
  // REQUIRES: holds(k).
  constexpr StopRecord operator[](StopPosition k) const {
    const auto size = static_cast<std::size_t>(recordSize());
    return StopRecord(std::string_view(text_.data() + k.slot() * size, size), indexDigits_);
  }
  // The digits of a station index in its records.
  constexpr int32_t indexDigits() const { return indexDigits_; }

 private:
  constexpr int32_t recordSize() const { return stopRecordSize(indexDigits_); }
  std::string_view text_;
  int32_t indexDigits_;
};

// A station's call list: its whole CallRecords in ascending train order (when
// the file keeps its invariants).
class CallList {
 public:
  explicit constexpr CallList(std::string_view text, int32_t indexDigits = kIndexDigits)
      : text_(text), indexDigits_(indexDigits) {}

  constexpr int32_t size() const {
    return static_cast<int32_t>(text_.size() /
                                static_cast<std::size_t>(callRecordSize(indexDigits_)));
  }
  // REQUIRES: 0 <= j < size().
  constexpr CallRecord operator[](int32_t j) const {
    const auto size = static_cast<std::size_t>(callRecordSize(indexDigits_));
    return CallRecord(std::string_view(text_.data() + static_cast<std::size_t>(j) * size, size),
                      indexDigits_);
  }

 private:
  std::string_view text_;
  int32_t indexDigits_;
};

}  // namespace murlo

#endif  // MURLO_DB_RECORDS_H_
