// Names people recognise: each station's name as the network writes it
// (db/network_words.h), and where stations share one, a label that tells
// them apart the way riders do: by the lines that call there ("125 St (4 5
// 6)"), else by the complex they belong to, else by the name the sections
// keep. A file without words has none (the sections' names serve).
#ifndef MURLO_QUERY_STATION_LABELS_H_
#define MURLO_QUERY_STATION_LABELS_H_

#include <string>
#include <vector>

#include "db/indexes.h"
#include "db/timetable_db.h"
#include "present/utf8_names.h"

namespace murlo {

class StationLabels {
 public:
  // May throw std::bad_alloc.
  StationLabels(const TimetableDb& tables, const Utf8Names& names);

  // The station's label ("125 St (4 5 6)", or its name as written where no
  // other station has it), "" where the network gives no name as written.
  const std::string& label(StationIndex s) const;
  // The short names of the lines that call at the station, in order
  // ("4", "5", "6"); empty where unknown.
  const std::vector<std::string>& lines(StationIndex s) const;

 private:
  std::vector<std::string> labels_;
  std::vector<std::vector<std::string>> lines_;
  std::string none_;
  std::vector<std::string> noLines_;
};

}  // namespace murlo

#endif  // MURLO_QUERY_STATION_LABELS_H_
