// Drives one design through the library's C interface: sends a job through
// the input methods in the order the run expects, and reads every result back
// through the queries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Job.h"
#include "OstrelDesignCSA94.h"

namespace ostrel::cli {

// One output of a query, under the query's own output name.
struct ResultValue {
  const char* key;
  bool is_float;
  float f;
  int32_t i;
};
using ResultRecord = std::vector<ResultValue>;

struct StiffenerResults {
  ResultRecord flexure, shear, torsion, summary;
};

struct DesignResults {
  std::vector<ResultRecord> nodes;
  std::vector<ResultRecord> plates;
  std::vector<StiffenerResults> stiffeners;
};

// The value of `key` in a record; throws std::out_of_range when absent.
const ResultValue& Find(const ResultRecord& record, const std::string& key);
double Number(const ResultValue& value);

// Sends the job: SetUnits; the node, plate and stiffener counts and the
// combination count; then every element's properties and every combination's
// type. Stops at the first method that refuses (it has shown its message) and
// returns false then.
bool SendJob(clsDesignCSA94* design, const Job& job);

// Reads the results of `nodes`, `plates` and `stiffeners` items. Returns false
// at the first query that refuses (it has shown its message).
bool CollectResults(clsDesignCSA94* design, int nodes, int plates, int stiffeners,
                    DesignResults& out);

}  // namespace ostrel::cli
