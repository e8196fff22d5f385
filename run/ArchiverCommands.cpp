#include "run/ArchiverCommands.h"

#include "platform/SearchPath.h"
#include "run/FormatTable.h"
#include "run/ShellQuote.h"

#include <charconv>

namespace vexel {

namespace {

// Stored settings may carry blanks around the value (levels are kept with a leading
// blank); the archivers get the bare value.
std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// The number a setting starts with, 0 when it starts with none ("1", " 1", "1.0" are 1).
double numericValue(const std::string &text)
{
    const std::string value = trimmed(text);
    double number = 0;
    std::from_chars(value.data(), value.data() + value.size(), number);
    return number;
}

std::string cabMethodPart(const RunSettings &settings)
{
    constexpr double kLzx = 1;
    if (numericValue(settings.CABFreezeType) == kLzx)
        return "-ml:" + trimmed(settings.CABFreezeLevel) + " ";
    return "-mz ";
}

std::string librarySwitches(const std::string &formatName, const RunSettings &settings,
                            bool displayOn)
{
    if (formatName == "LHA")
        return std::string(displayOn ? "a -x1 -r2 -y1 -gm -jm" : "a -x1 -r2 -y1 -gm -n -jm")
            + trimmed(settings.LHAFreezeType) + " ";
    if (formatName == "ZIP")
        return "-r -" + trimmed(settings.ZIPFreezeLevel) + " ";
    if (formatName == "CAB")
        return (displayOn ? "-a -r " : "-a -r -i ") + cabMethodPart(settings);
    // GZIP and BZIP2: the library tells them apart by the archive's extension.
    return "a -r -l" + trimmed(settings.BGAFreezeLevel) + " ";
}

} // namespace

const LibraryRecipe *libraryRecipe(const std::string &formatName)
{
    static constexpr LibraryRecipe kLha{"Unlha", OwnerWindow::ProgressWindow, false};
    static constexpr LibraryRecipe kZip{"Zip", OwnerWindow::None, true};
    static constexpr LibraryRecipe kCab{"Cab", OwnerWindow::MainWindow, false};
    static constexpr LibraryRecipe kBga{"Bga", OwnerWindow::MainWindow, false};
    if (formatName == "LHA")
        return &kLha;
    if (formatName == "ZIP")
        return &kZip;
    if (formatName == "CAB")
        return &kCab;
    if (formatName == "GZIP" || formatName == "BZIP2")
        return &kBga;
    return nullptr;
}

std::string libraryCommandLine(const std::string &formatName, const RunSettings &settings,
                               bool displayOn, const std::string &baseFolder,
                               const std::string &archivePath, const std::string &listPath)
{
    const std::string baseArgument = baseFolder.empty() ? "" : '"' + baseFolder + '"';
    return librarySwitches(formatName, settings, displayOn) + '"' + archivePath + "\" "
        + baseArgument + " @" + listPath;
}

std::string archiverScriptLine(const std::string &formatName, const std::string &archiverFolder,
                               const std::string &tempBase)
{
    const FormatInfo *format = findFormat(formatName);
    if (format == nullptr || format->kind != ArchiverKind::CommandLine)
        return {};
    // The lookup ignored letter case; the script must name the file as it is spelt on disk.
    const std::string mapped = platform::mapArchiverName(std::string(format->archiverFile));
    const std::string onDisk =
        archiverFolder.empty() ? "" : platform::findEntryIgnoringCase(archiverFolder, mapped);
    const std::string program = shellQuote(archiverFolder + (onDisk.empty() ? mapped : onDisk));
    const std::string archive = shellQuote(tempBase + std::string(format->typedExtension));
    const std::string list = shellQuote(tempBase + ".kst");
    if (formatName == "GCA")
        return program + " a -o" + list + " " + archive;
    // rar and ace32 take the same switches and the list after "@".
    return program + " a -r " + archive + " @" + list;
}

} // namespace vexel
