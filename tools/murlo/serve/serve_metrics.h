// What murlo serve counts for /metrics, in Prometheus' text format: the
// requests answered by endpoint and status, a histogram of the time taken
// to answer them, how many API answers came from the answer cache and what
// it holds, the reloads done and refused, and the database served (its
// header, and its age since it was loaded).
#ifndef MURLO_TOOLS_MURLO_SERVE_SERVE_METRICS_H_
#define MURLO_TOOLS_MURLO_SERVE_SERVE_METRICS_H_

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "serve/served_database.h"

namespace murlo::tool {

class ServeMetrics {
 public:
  // The upper bounds of the latency histogram's buckets, in seconds.
  static constexpr std::array<double, 11> kBuckets = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025,
                                                      0.05,   0.1,   0.25,   1.0,   5.0};

  // One request answered: `endpoint` is a path the server knows (or
  // "other": the labels stay few whatever clients ask for).
  void countRequest(std::string_view endpoint, int status, double seconds);
  // One API answer, made or found among those kept.
  void countAnswer(AnswerSource source);
  // Connections closed for bringing no whole request head in time.
  void countSlowHeads(std::uint64_t closed) {
    slowHeads_.fetch_add(closed, std::memory_order_relaxed);
  }

  // Everything, in the text exposition format (version 0.0.4).
  std::string text(const ServedDatabase& database) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::pair<std::string, int>, std::uint64_t> requests_;
  std::array<std::uint64_t, kBuckets.size()> buckets_{};  // not cumulative
  std::uint64_t count_ = 0;
  double sum_ = 0;
  std::atomic<std::uint64_t> answersKept_{0};  // found in the cache
  std::atomic<std::uint64_t> answersMade_{0};  // asked of the database, then kept
  std::atomic<std::uint64_t> slowHeads_{0};
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_SERVE_METRICS_H_
