// Train result lines shown as a table or written as JSON.
#ifndef MURLO_TOOLS_MURLO_TRAIN_LISTING_H_
#define MURLO_TOOLS_MURLO_TRAIN_LISTING_H_

#include <ostream>
#include <vector>

#include "json_writer.h"
#include "result_text.h"

namespace murlo::tool {

// One row per train: its index (for murlo stops), numbers, the journey,
// the train's own first and last stations, class, journey time and fares.
void printTrainTable(const std::vector<TrainLine>& trains, std::ostream& out);

// A JSON array of train objects.
void writeTrainsJson(JsonWriter& json, const std::vector<TrainLine>& trains);

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_TRAIN_LISTING_H_
