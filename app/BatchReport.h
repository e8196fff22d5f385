// The report of a batch run as one JSON object, for scripts:
//   {"formats":[{"format":"LHA","size":10240},...],"winner":"ZIP","saved":"/save/data.ZIP"}
// A saved path that is not valid UTF-8 cannot be a JSON string as it is: "saved" then
// shows it with replacement characters and "saved_base64" holds its exact bytes.
#pragma once

#include "run/RunState.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vexel {

// `made` are the archives of the run in list order, `winner` the index of the saved one.
std::string batchJson(const std::vector<FormatResult> &made, std::size_t winner,
                      const std::string &savedTo);

} // namespace vexel
