// The program's version as its windows show it. The one source is the CMake project
// version: its major number is the whole part and its minor number the hundredths, as
// with the archiver libraries' versions (VERSION 1.0 shows "1.00", 1.39 "1.39",
// 0.1 "0.01").
#pragma once

#include <string>

namespace vexel {

// `major` "." `minor` as at least two digits.
std::string programVersionText(int major, int minor);

// The version this program was built as.
std::string programVersion();

} // namespace vexel
