#include "config/InstallationReport.h"

#include "run/ArchiverCommands.h"
#include "run/ArchiverLibraries.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace vexel {

namespace {

// The report names its archivers as the format table does, in capitals ("UNLHA32.DLL").
std::string reportName(const FormatInfo &format)
{
    std::string name(format.archiverFile);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return name;
}

// A reason on one line, so that the report keeps one line per archiver.
std::string oneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

std::string libraryLine(const FormatInfo &format, const LibraryVersionQuery &versionOf)
{
    const std::string name = reportName(format);
    std::string error;
    const std::optional<std::uint16_t> version =
        versionOf(std::string(format.archiverFile), std::string(format.entryPrefix), &error);
    if (!version)
        return name + " - Not Loaded: " + oneLine(error);
    return name + " - Version " + libraryVersionText(*version);
}

} // namespace

LibraryVersionQuery loadedLibraryVersion(ArchiverLibraries &libraries)
{
    return [&libraries](const std::string &archiverFile, const std::string &entryPrefix,
                        std::string *error) -> std::optional<std::uint16_t> {
        const ArchiverLibrary *library = libraries.get(archiverFile, entryPrefix, error);
        if (library == nullptr)
            return std::nullopt;
        return library->version();
    };
}

std::string libraryVersionText(std::uint16_t version)
{
    char hundredths[3];
    std::snprintf(hundredths, sizeof hundredths, "%02u", unsigned(version % 100));
    return std::to_string(version / 100) + '.' + hundredths;
}

std::string installationReport(const ArchiverAvailability &availability,
                               const LibraryVersionQuery &versionOf)
{
    // One line per archiver, in the order the format table gives the report.
    std::vector<const FormatInfo *> lines;
    for (const FormatInfo &format : formatTable())
        if (format.reportLine >= 0)
            lines.push_back(&format);
    std::sort(lines.begin(), lines.end(), [](const FormatInfo *a, const FormatInfo *b) {
        return a->reportLine < b->reportLine;
    });
    std::string report;
    for (const FormatInfo *entry : lines) {
        const FormatInfo &format = *entry;
        const bool found = availability.*format.available;
        if (!found)
            report += reportName(format) + " - Not Installed.";
        else if (format.kind == ArchiverKind::Library)
            report += libraryLine(format, versionOf);
        else
            report += reportName(format) + " - Installed.";
        report += '\n';
    }
    return report;
}

} // namespace vexel
