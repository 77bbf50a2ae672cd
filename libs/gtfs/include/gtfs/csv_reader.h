// Reading a feed's CSV file record by record: quoted fields with "" inside
// and line breaks, a UTF-8 byte order mark, CRLF or LF line ends, columns
// found by their header name in any order. Fields lose surrounding blanks;
// blank lines are skipped.
#ifndef MURLO_GTFS_CSV_READER_H_
#define MURLO_GTFS_CSV_READER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gtfs/byte_source.h"
#include "gtfs/feed_files.h"

namespace murlo::gtfs {

class CsvReader {
 public:
  static constexpr std::size_t kMissing = static_cast<std::size_t>(-1);

  // Reads the header row. `name` is how messages name the file. Throws
  // FeedError when the header cannot be read.
  CsvReader(std::unique_ptr<ByteSource> source, std::string name);

  // The index of the column named `header`, or kMissing.
  std::size_t column(std::string_view header) const;
  // The same, throwing FeedError naming the file when there is none.
  std::size_t requireColumn(std::string_view header) const;

  // Advances to the next record; false at the end of the file. Throws
  // FeedError (with the line) for a quote without its end or a record over
  // 16 MiB.
  bool next();
  // The current record's field in `column`; empty for kMissing and for a
  // record shorter than the header.
  std::string_view field(std::size_t column) const;

  // The line on which the current record begins (the header is line 1).
  int64_t line() const { return line_; }
  // "name:line" of the current record, for messages.
  std::string where() const { return name_ + ":" + std::to_string(line_); }
  const std::string& name() const { return name_; }
  // Bytes read so far and in all, for progress.
  uint64_t bytesRead() const { return consumed_; }
  uint64_t size() const { return source_->size(); }

 private:
  enum class Parse { kRecord, kNeedMore, kEnd };
  Parse parse();
  void refill();
  std::string& startField();

  std::unique_ptr<ByteSource> source_;
  std::string name_;
  std::string buffer_;
  std::size_t position_ = 0;
  bool atEnd_ = false;
  bool started_ = false;
  uint64_t consumed_ = 0;
  std::vector<std::string> header_;
  std::vector<std::string> fields_;
  std::size_t count_ = 0;  // fields of the current record
  bool blank_ = false;     // the current record is an empty line
  int64_t line_ = 0;
  int64_t nextLine_ = 1;
  int64_t pendingLines_ = 0;  // line ends inside the record being parsed
};

// The CSV file `name` of the feed. Throws FeedError, naming the file, when
// the feed has none.
CsvReader openRequiredCsv(const FeedFiles& files, const char* name);

}  // namespace murlo::gtfs

#endif  // MURLO_GTFS_CSV_READER_H_
