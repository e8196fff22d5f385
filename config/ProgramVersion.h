// The program's version as its windows show it. The one source is the CMake project
// version (config/VexelVersion.h): its major number is the whole part and its minor
// number the hundredths, as with the archiver libraries' versions (VERSION 1.39 shows
// "1.39"; the project writes its minor number with two digits, so that `vexel --version`
// prints the same text).
#pragma once

#include <string>

namespace vexel {

// `major` "." `minor` as at least two digits.
std::string programVersionText(int major, int minor);

// The version this program was built as.
std::string programVersion();

} // namespace vexel
