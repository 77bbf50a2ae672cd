// The answers murlo serve keeps for questions asked again. A database does
// not change while it is served, so the answer to one question (an
// endpoint and its checked parameters) is the same every time it is asked:
// it is made once and then sent from here. One cache belongs to one loaded
// database (ServedDatabase::Snapshot): a reload starts with an empty cache,
// so no answer of the database before is ever sent for the new one.
//
// Bounded in bytes (the answers, their keys and what each entry costs
// besides): the answer used longest ago makes room for a new one. Split in
// shards, each with its own lock and its share of the bound, so that
// requests on several threads seldom wait for one another.
#ifndef MURLO_TOOLS_MURLO_SERVE_ANSWER_CACHE_H_
#define MURLO_TOOLS_MURLO_SERVE_ANSWER_CACHE_H_

#include <array>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace murlo::tool {

// One answer of the API: its HTTP status and its body, one JSON object.
struct ApiReply {
  int status = 200;
  std::string body;
};

// How an answer to a request was come by.
enum class AnswerSource {
  kMade,   // asked of the database, and offered to the cache
  kKept,   // found among the answers kept
  kFresh,  // asked, not kept: it depends on the time, is a failure of the
           // server, or its parameters were refused (cheap to answer again)
};

class AnswerCache {
 public:
  // What an entry costs beyond its key and body: the nodes of the list and
  // the index, the shared answer's control block.
  static constexpr std::size_t kEntryOverheadBytes = 192;

  // `maxBytes` 0 keeps nothing.
  explicit AnswerCache(std::size_t maxBytes);
  AnswerCache(const AnswerCache&) = delete;
  AnswerCache& operator=(const AnswerCache&) = delete;

  // The answer kept under `key`, or nullptr.
  std::shared_ptr<const ApiReply> find(std::string_view key);
  // Keeps `answer` under `key` unless it is larger than a shard's share of
  // the bound (or one is kept there already), making room as needed.
  void keep(std::string_view key, std::shared_ptr<const ApiReply> answer);

  std::size_t maxBytes() const { return maxBytes_; }
  // What is kept now, all shards together.
  std::size_t bytes() const;
  std::size_t entries() const;

 private:
  static constexpr std::size_t kShards = 8;
  struct Entry {
    std::string key;
    std::shared_ptr<const ApiReply> answer;
    std::size_t bytes = 0;
  };
  struct Shard {
    mutable std::mutex mutex;
    std::list<Entry> recent;  // the answer used last first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index;  // keys in `recent`
    std::size_t bytes = 0;
  };
  Shard& shardOf(std::string_view key);

  const std::size_t maxBytes_;
  const std::size_t shardBytes_;
  std::array<Shard, kShards> shards_;
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_ANSWER_CACHE_H_
