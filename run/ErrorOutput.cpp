#include "run/ErrorOutput.h"

#include <cstdio>
#include <deque>
#include <fstream>
#include <sstream>

namespace vexel {

namespace {

// An archiver may write megabytes of warnings; the end is what explains the failure.
constexpr std::streamoff kTailBytes = 4096;

} // namespace

std::string lastLinesOf(const std::string &path, int maxLines)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    const std::streamoff size = in.tellg();
    in.seekg(size > kTailBytes ? size - kTailBytes : 0);
    std::stringstream tail;
    tail << in.rdbuf();
    std::deque<std::string> lines;
    for (std::string line; std::getline(tail, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        lines.push_back(line);
        if (static_cast<int>(lines.size()) > maxLines)
            lines.pop_front();
    }
    std::string joined;
    for (const std::string &line : lines)
        joined += (joined.empty() ? "" : "\n") + line;
    return joined;
}

void writeFailure(const std::string &text, const std::string &details)
{
    std::string lines = "vexel: " + text + "\n";
    std::istringstream reason(details);
    for (std::string line; std::getline(reason, line);)
        lines += "vexel:   " + line + "\n";
    std::fputs(lines.c_str(), stderr);
    std::fflush(stderr);
}

} // namespace vexel
