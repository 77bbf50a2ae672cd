#include "serve/answer_cache.h"

#include <functional>

namespace murlo::tool {

AnswerCache::AnswerCache(std::size_t maxBytes)
    : maxBytes_(maxBytes), shardBytes_(maxBytes / kShards) {}

AnswerCache::Shard& AnswerCache::shardOf(std::string_view key) {
  return shards_[std::hash<std::string_view>()(key) % kShards];
}

std::shared_ptr<const ApiReply> AnswerCache::find(std::string_view key) {
  if (shardBytes_ == 0) return nullptr;
  Shard& shard = shardOf(key);
  std::lock_guard<std::mutex> lock(shard.mutex);
  const auto found = shard.index.find(key);
  if (found == shard.index.end()) return nullptr;
  shard.recent.splice(shard.recent.begin(), shard.recent, found->second);
  return found->second->answer;
}

void AnswerCache::keep(std::string_view key, std::shared_ptr<const ApiReply> answer) {
  if (answer == nullptr) return;
  const std::size_t bytes = key.size() + answer->body.size() + kEntryOverheadBytes;
  if (bytes > shardBytes_) return;
  Shard& shard = shardOf(key);
  std::lock_guard<std::mutex> lock(shard.mutex);
  // Two requests may have made the same answer at once: the first stays.
  if (shard.index.count(key) != 0) return;
  while (shard.bytes + bytes > shardBytes_) {
    const Entry& oldest = shard.recent.back();
    shard.bytes -= oldest.bytes;
    shard.index.erase(oldest.key);
    shard.recent.pop_back();
  }
  shard.recent.push_front(Entry{std::string(key), std::move(answer), bytes});
  shard.index.emplace(shard.recent.front().key, shard.recent.begin());
  shard.bytes += bytes;
}

std::size_t AnswerCache::bytes() const {
  std::size_t total = 0;
  for (const Shard& shard : shards_) {
    std::lock_guard<std::mutex> lock(shard.mutex);
    total += shard.bytes;
  }
  return total;
}

std::size_t AnswerCache::entries() const {
  std::size_t total = 0;
  for (const Shard& shard : shards_) {
    std::lock_guard<std::mutex> lock(shard.mutex);
    total += shard.recent.size();
  }
  return total;
}

}  // namespace murlo::tool
