// The database murlo serve answers from: its file opened as a handle, and
// what the server keeps of it (the station list, made once per load). A
// reload opens the file afresh and then swaps the new handle in; requests
// under way keep the handle they started with, so that every request is
// answered from one database and none waits for a reload. Each database
// loaded comes with a cache of its own answers (answer_cache.h), empty at
// first: what was kept for the database before goes with it.
#ifndef MURLO_TOOLS_MURLO_SERVE_SERVED_DATABASE_H_
#define MURLO_TOOLS_MURLO_SERVE_SERVED_DATABASE_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "answers/database_handle.h"
#include "answers/station_match.h"
#include "serve/answer_cache.h"

namespace murlo::tool {

class ServedDatabase {
 public:
  // `cacheBytes`: the bound of each database's answer cache (0: none kept).
  ServedDatabase(std::string path, std::size_t cacheBytes)
      : path_(std::move(path)), cacheBytes_(cacheBytes) {}
  ServedDatabase(const ServedDatabase&) = delete;
  ServedDatabase& operator=(const ServedDatabase&) = delete;

  const std::string& path() const { return path_; }

  // Opens the file and makes it the database served: ok, or why not (see
  // openDatabase), and then the database opened before stays. As every
  // command does, it takes a file of the format's older kind whose last
  // sections are missing.
  Status load();
  // Opens the file again and swaps it in only when it is complete: all
  // seven sections there, its extension (when it has one) whole, and the
  // file unchanged from the check to the load. Else the database served
  // stays, and the status says why.
  Status reload();

  // What a request answers from: one database and its stations (nullptr
  // when the list could not be made: then each question asks for it), and
  // the answers kept for it (nullptr when the cache could not be made).
  struct Snapshot {
    DatabaseHandle handle;
    std::shared_ptr<const std::vector<StationEntry>> stations;
    std::shared_ptr<AnswerCache> answers;
  };
  Snapshot current() const;

  // What the loads came to: the reloads after the first load, done or
  // refused, and the database served (its header; when it was loaded).
  struct Record {
    std::uint64_t reloadsDone = 0;
    std::uint64_t reloadsRefused = 0;
    std::optional<std::chrono::steady_clock::time_point> loadedAt;
    std::string header;
  };
  Record record() const;

 private:
  Status open(Snapshot& fresh);
  Status refuse(Status why);
  Status swapIn(Snapshot fresh);

  const std::string path_;
  const std::size_t cacheBytes_;
  mutable std::mutex mutex_;  // held only to copy or swap the snapshot
  Snapshot served_;
  Record record_;
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVE_SERVED_DATABASE_H_
