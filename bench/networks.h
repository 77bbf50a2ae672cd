// The networks the benchmarks run on: each size generated once (seed 1),
// written to a file, loaded, and on demand imported into SQLite; and the
// realistic questions asked of each, chosen from the network itself.
#ifndef MURLO_BENCH_NETWORKS_H_
#define MURLO_BENCH_NETWORKS_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "generate/network_generator.h"
#include "murloppc.h"
#include "query/loaded_database.h"
#include "query/query_status.h"
#include "sqlite_baseline.h"
#include "timetable_source/timetable_source.h"

namespace murlo::bench {

// What a query gives, in a form both engines share: the status, the count,
// the text and, for stop lists, the running time.
struct Outcome {
  QueryStatus status = QueryStatus::kOk;
  int32_t count = 0;
  std::string text;
  std::string more;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};

// One question: its kind ("stations", "at", "direct", "stops", "number",
// "departures", "journeys"), a variant name, the argument as the report shows
// it, and how each engine answers it (journeys: the library only).
struct QueryCase {
  std::string kind;
  std::string variant;
  std::string argument;  // UTF-8, for the report
  std::function<Outcome(const LoadedDatabase&)> ours;
  std::function<Outcome(SqliteTimetable&)> sqlite;  // empty for journeys
  // The same question through the C interface, the way a host asks it:
  // UTF-16 arguments, the answer into a caller's buffer of `capacity` units.
  // Returns the export's result.
  std::function<int32_t(murlo_char16* out, std::size_t capacity, std::size_t* needed)> capi;
  // The same question as a structured question of a handle, as a host asks
  // it: UTF-8 arguments, the answer as C structures, freed. Returns the
  // answer's count, or -1 when the question failed.
  std::function<int64_t(const murlo_db* db)> structured;
  // What the question must find before anything is written (the station,
  // prefix, number or train looked up): part of the floor it is held to.
  std::function<void(const LoadedDatabase&)> find;
  // How much the question asks for: lines written, or for change stations the
  // stops scanned (after the origin and before the destination on every train
  // that calls there), in `workUnit`s.
  double work = 0;
  std::string workUnit;
};

// The variants asked of every network, in report order.
struct VariantName {
  const char* kind;
  const char* variant;
};
const std::vector<VariantName>& queryVariants();

struct Network {
  generate::NetworkSize size;
  std::string name;
  source::Timetable timetable;
  std::string path;  // the database file
  std::size_t fileBytes = 0;
  std::shared_ptr<const LoadedDatabase> db;  // loaded from the file
  std::vector<QueryCase> cases;              // in queryVariants() order

  // The same network in SQLite, imported when first asked for; every case
  // and a sample of random questions are checked to give the same outcome
  // on both engines, and the process exits with the difference if not.
  SqliteTimetable& sqlite() const;
  const QueryCase& queryCase(const std::string& kind, const std::string& variant) const;

  mutable std::unique_ptr<SqliteTimetable> sqlite_;
};

// The network of `size`, generated and loaded when first asked for.
const Network& network(generate::NetworkSize size);

// GBK text as UTF-8, for the report.
std::string utf8(std::string_view gbk);

}  // namespace murlo::bench

#endif  // MURLO_BENCH_NETWORKS_H_
