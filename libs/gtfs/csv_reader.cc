#include "gtfs/csv_reader.h"

#include <algorithm>

#include "gtfs/feed_error.h"

namespace murlo::gtfs {
namespace {

constexpr std::size_t kChunk = 1 << 16;
constexpr std::size_t kMaxRecord = std::size_t{16} << 20;

void trim(std::string& text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t end = text.size();
  while (end > 0 && blank(text[end - 1])) --end;
  std::size_t begin = 0;
  while (begin < end && blank(text[begin])) ++begin;
  if (begin > 0 || end < text.size()) text = text.substr(begin, end - begin);
}

}  // namespace

CsvReader::CsvReader(std::unique_ptr<ByteSource> source, std::string name)
    : source_(std::move(source)), name_(std::move(name)) {
  if (next()) {
    header_.assign(fields_.begin(), fields_.begin() + static_cast<std::ptrdiff_t>(count_));
  }
}

std::size_t CsvReader::column(std::string_view header) const {
  const auto it = std::find(header_.begin(), header_.end(), header);
  return it == header_.end() ? kMissing : static_cast<std::size_t>(it - header_.begin());
}

std::size_t CsvReader::requireColumn(std::string_view header) const {
  const std::size_t index = column(header);
  if (index == kMissing) {
    throw FeedError(name_ + ":1: the required column " + std::string(header) + " is missing");
  }
  return index;
}

std::string_view CsvReader::field(std::size_t column) const {
  return column < count_ ? std::string_view(fields_[column]) : std::string_view();
}

bool CsvReader::next() {
  for (;;) {
    const Parse result = parse();
    if (result == Parse::kNeedMore) {
      refill();
      continue;
    }
    if (result == Parse::kEnd) return false;
    line_ = nextLine_;
    nextLine_ += pendingLines_;
    if (!blank_) return true;
  }
}

std::string& CsvReader::startField() {
  if (count_ == fields_.size()) fields_.emplace_back();
  std::string& field = fields_[count_++];
  field.clear();
  return field;
}

void CsvReader::refill() {
  consumed_ += position_;
  buffer_.erase(0, position_);
  position_ = 0;
  if (buffer_.size() > kMaxRecord) {
    throw FeedError(name_ + ":" + std::to_string(nextLine_) +
                    ": a record longer than 16 MiB (is this a CSV file?)");
  }
  // Reading as much again as is held keeps a long record's re-parsing linear.
  const std::size_t chunk = std::max(kChunk, buffer_.size());
  const std::size_t old = buffer_.size();
  buffer_.resize(old + chunk);
  const std::size_t got = source_->read(buffer_.data() + old, chunk);
  buffer_.resize(old + got);
  if (got == 0) atEnd_ = true;
  if (!started_ && buffer_.size() >= 3) {
    started_ = true;
    if (buffer_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      buffer_.erase(0, 3);
      consumed_ += 3;
    }
  } else if (!started_ && atEnd_) {
    started_ = true;
  }
}

CsvReader::Parse CsvReader::parse() {
  const std::size_t n = buffer_.size();
  std::size_t i = position_;
  if (!started_ && !atEnd_) return Parse::kNeedMore;
  if (i >= n) return atEnd_ ? Parse::kEnd : Parse::kNeedMore;
  count_ = 0;
  pendingLines_ = 0;
  bool quoted = false;
  std::string* field = &startField();
  bool fresh = true;  // nothing of the current field read yet
  for (;;) {
    if (i >= n) {
      if (!atEnd_) return Parse::kNeedMore;
      break;  // the last record has no line end
    }
    const char c = buffer_[i];
    if (c == '"' && fresh) {
      quoted = true;
      fresh = false;
      ++i;
      for (;;) {
        const std::size_t close = buffer_.find('"', i);
        if (close == std::string::npos) {
          if (!atEnd_) return Parse::kNeedMore;
          throw FeedError(name_ + ":" + std::to_string(nextLine_) +
                          ": a quoted field has no closing quote");
        }
        pendingLines_ += std::count(buffer_.begin() + static_cast<std::ptrdiff_t>(i),
                                    buffer_.begin() + static_cast<std::ptrdiff_t>(close), '\n');
        field->append(buffer_, i, close - i);
        if (close + 1 >= n && !atEnd_) return Parse::kNeedMore;
        if (close + 1 < n && buffer_[close + 1] == '"') {
          field->push_back('"');
          i = close + 2;
          continue;
        }
        i = close + 1;
        break;
      }
      continue;
    }
    if (c == ',') {
      ++i;
      field = &startField();
      fresh = true;
      continue;
    }
    if (c == '\n' || c == '\r') {
      if (c == '\r') {
        if (i + 1 >= n && !atEnd_) return Parse::kNeedMore;
        if (i + 1 < n && buffer_[i + 1] == '\n') ++i;
      }
      ++i;
      ++pendingLines_;
      break;
    }
    std::size_t j = i;
    while (j < n && buffer_[j] != ',' && buffer_[j] != '\n' && buffer_[j] != '\r') ++j;
    field->append(buffer_, i, j - i);
    fresh = false;
    i = j;
  }
  position_ = i;
  for (std::size_t k = 0; k < count_; ++k) trim(fields_[k]);
  blank_ = count_ == 1 && !quoted && fields_[0].empty();
  return Parse::kRecord;
}

CsvReader openRequiredCsv(const FeedFiles& files, const char* name) {
  auto source = files.open(name);
  if (!source) throw FeedError(files.displayName(name) + ": the feed has no " + name);
  return CsvReader(std::move(source), files.displayName(name));
}

}  // namespace murlo::gtfs
