#include "serve/serve_metrics.h"

#include <chrono>
#include <cstdio>

namespace murlo::tool {
namespace {

// A label value: backslash, quote and line feed escaped, as the format
// wants; other bytes as they are (a header is at most ten characters).
std::string labelValue(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

void describe(std::string& out, std::string_view name, std::string_view type,
              std::string_view help) {
  out += "# HELP ";
  out += name;
  out += ' ';
  out += help;
  out += "\n# TYPE ";
  out += name;
  out += ' ';
  out += type;
  out += '\n';
}

}  // namespace

void ServeMetrics::countRequest(std::string_view endpoint, int status, double seconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++requests_[{std::string(endpoint), status}];
  for (std::size_t i = 0; i < kBuckets.size(); ++i) {
    if (seconds <= kBuckets[i]) {
      ++buckets_[i];
      break;
    }
  }
  ++count_;
  sum_ += seconds;
}

void ServeMetrics::countAnswer(AnswerSource source) {
  if (source == AnswerSource::kKept) answersKept_.fetch_add(1, std::memory_order_relaxed);
  if (source == AnswerSource::kMade) answersMade_.fetch_add(1, std::memory_order_relaxed);
}

std::string ServeMetrics::text(const ServedDatabase& database) const {
  std::string out;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    describe(out, "murlo_requests_total", "counter", "Requests answered, by endpoint and status.");
    for (const auto& [key, count] : requests_) {
      out += "murlo_requests_total{endpoint=\"" + labelValue(key.first) + "\",status=\"" +
             std::to_string(key.second) + "\"} " + std::to_string(count) + "\n";
    }
    describe(out, "murlo_request_duration_seconds", "histogram",
             "Time taken to answer a request, from its head read to its answer made.");
    std::uint64_t cumulative = 0;
    for (std::size_t i = 0; i < kBuckets.size(); ++i) {
      cumulative += buckets_[i];
      out += "murlo_request_duration_seconds_bucket{le=\"" + number(kBuckets[i]) + "\"} " +
             std::to_string(cumulative) + "\n";
    }
    out += "murlo_request_duration_seconds_bucket{le=\"+Inf\"} " + std::to_string(count_) + "\n";
    out += "murlo_request_duration_seconds_sum " + number(sum_) + "\n";
    out += "murlo_request_duration_seconds_count " + std::to_string(count_) + "\n";
  }
  describe(out, "murlo_answer_cache_lookups_total", "counter",
           "API answers looked for in the answer cache: found (hit), or made and kept (miss).");
  out += "murlo_answer_cache_lookups_total{result=\"hit\"} " +
         std::to_string(answersKept_.load(std::memory_order_relaxed)) + "\n";
  out += "murlo_answer_cache_lookups_total{result=\"miss\"} " +
         std::to_string(answersMade_.load(std::memory_order_relaxed)) + "\n";
  describe(out, "murlo_slow_connections_closed_total", "counter",
           "Connections closed for not bringing a whole request head in time.");
  out += "murlo_slow_connections_closed_total " +
         std::to_string(slowHeads_.load(std::memory_order_relaxed)) + "\n";
  const ServedDatabase::Snapshot served = database.current();
  const std::size_t cacheBytes = served.answers ? served.answers->bytes() : 0;
  describe(out, "murlo_answer_cache_bytes", "gauge",
           "Bytes the answer cache of the database served holds (answers, keys, entries).");
  out += "murlo_answer_cache_bytes " + std::to_string(cacheBytes) + "\n";
  describe(out, "murlo_answer_cache_entries", "gauge", "Answers the answer cache holds.");
  out += "murlo_answer_cache_entries " +
         std::to_string(served.answers ? served.answers->entries() : 0) + "\n";
  describe(out, "murlo_answer_cache_max_bytes", "gauge",
           "The bound of the answer cache (--cache).");
  out += "murlo_answer_cache_max_bytes " +
         std::to_string(served.answers ? served.answers->maxBytes() : 0) + "\n";
  const ServedDatabase::Record record = database.record();
  describe(out, "murlo_reloads_total", "counter",
           "Reloads of the database file (SIGHUP): done, or refused with the database before "
           "kept.");
  out += "murlo_reloads_total{result=\"done\"} " + std::to_string(record.reloadsDone) + "\n";
  out += "murlo_reloads_total{result=\"refused\"} " + std::to_string(record.reloadsRefused) + "\n";
  describe(out, "murlo_database_info", "gauge", "The database served: its file and its header.");
  if (record.loadedAt) {
    out += "murlo_database_info{path=\"" + labelValue(database.path()) + "\",header=\"" +
           labelValue(record.header) + "\"} 1\n";
  }
  describe(out, "murlo_database_age_seconds", "gauge",
           "Seconds since the database served was loaded.");
  if (record.loadedAt) {
    const std::chrono::duration<double> age = std::chrono::steady_clock::now() - *record.loadedAt;
    out += "murlo_database_age_seconds " + number(age.count()) + "\n";
  }
  return out;
}

}  // namespace murlo::tool
