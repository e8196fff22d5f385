// The run's outcome: which archive wins, where it is saved and the report text.
#pragma once

#include "run/RunState.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vexel {

// "FileType:ZIP -> FileSize:9876Byte".
std::string reportLine(const FormatResult &record);

// The index of the smallest archive among `made`, which is not empty. Only a strictly
// smaller size wins, so on equal sizes the format earlier in the list stays.
std::size_t chooseWinner(const std::vector<FormatResult> &made);

// Where the winner is saved: the save folder, the output name and the format's saved
// extension; or the output name alone when a typed extension chose the format.
std::string savedPath(const std::string &saveDir, const std::string &outputName,
                      const std::string &formatName, bool typedExtension);

// The whole report: one size line per made archive, an empty line, the saved-format
// line and "保存ファイル:" with the saved path; lines are separated by "\n".
std::string reportText(const std::vector<FormatResult> &made, std::size_t winner,
                       const std::string &savedTo, bool typedExtension);

} // namespace vexel
