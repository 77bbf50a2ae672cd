// The database murlo serve answers from: its file, loaded through the C
// interface, and what the server keeps of it (the station list, made once
// per load). A reload waits for the requests under way and holds back new
// ones while it loads, so that every request is answered from one database
// from its first library call to its last.
#ifndef MURLO_TOOLS_MURLO_SERVED_DATABASE_H_
#define MURLO_TOOLS_MURLO_SERVED_DATABASE_H_

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "station_match.h"

namespace murlo::tool {

class ServedDatabase {
 public:
  explicit ServedDatabase(std::string path) : path_(std::move(path)) {}
  ServedDatabase(const ServedDatabase&) = delete;
  ServedDatabase& operator=(const ServedDatabase&) = delete;

  const std::string& path() const { return path_; }

  // Loads the file (again) once no request is under way; requests that
  // arrive meanwhile wait for it. Returns nothing on success, else one line
  // saying why, and then the database loaded before stays.
  std::optional<std::string> load();

  // A request's hold on the database: no load begins while it lives.
  class Reading {
   public:
    Reading(const Reading&) = delete;
    Reading& operator=(const Reading&) = delete;
    ~Reading();

    // The loaded database's stations, or nullptr when the library's list
    // could not be read (then each question asks for it and fails).
    std::shared_ptr<const std::vector<StationEntry>> stations() const { return stations_; }

   private:
    friend class ServedDatabase;
    Reading(ServedDatabase& database,
            std::shared_ptr<const std::vector<StationEntry>> stations) noexcept
        : database_(database), stations_(std::move(stations)) {}

    ServedDatabase& database_;
    std::shared_ptr<const std::vector<StationEntry>> stations_;
  };

  // Waits while a load runs or waits to run (so that a stream of requests
  // cannot hold a reload back for ever).
  Reading read();

 private:
  void endReading();

  const std::string path_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t readers_ = 0;
  std::size_t loadsWaiting_ = 0;
  bool loading_ = false;
  std::shared_ptr<const std::vector<StationEntry>> stations_;
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_SERVED_DATABASE_H_
