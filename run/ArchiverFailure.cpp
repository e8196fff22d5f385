#include "run/ArchiverFailure.h"

#include "platform/SearchPath.h"
#include "run/ErrorOutput.h"

namespace vexel {

namespace {

// Lines of a command-line archiver's error output shown with its failure.
constexpr int kErrorLines = 5;

} // namespace

std::string libraryFailure(const ArchiverLibrary &library, int code, const std::string &output)
{
    return library.path() + ": " + (output.empty() ? "returned " + std::to_string(code) : output);
}

std::string scriptFailure(const FormatInfo &format, int exitCode, const std::string &errorLog)
{
    const std::string name = platform::mapArchiverName(std::string(format.archiverFile));
    std::string reason = exitCode < 0 ? name + ": the exit status was lost"
                                      : name + ": exit status " + std::to_string(exitCode);
    const std::string lines = lastLinesOf(errorLog, kErrorLines);
    return lines.empty() ? reason : reason + "\n" + lines;
}

} // namespace vexel
