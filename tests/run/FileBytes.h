// The whole content of a file, for tests that compare exact bytes.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace vexel {

inline std::string bytesOf(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace vexel
