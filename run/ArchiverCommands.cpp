#include "run/ArchiverCommands.h"

#include "platform/SearchPath.h"
#include "run/FormatTable.h"
#include "run/ShellQuote.h"

#include <charconv>
#include <initializer_list>
#include <string_view>

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

struct Field {
    std::string_view name;
    std::string value;
};

// The template with every "{name}" replaced by its value; values are not scanned again.
std::string filled(std::string_view pattern, std::initializer_list<Field> fields)
{
    std::string text;
    for (std::size_t at = 0; at < pattern.size();) {
        const std::size_t open = pattern.find('{', at);
        const std::size_t close = open == std::string_view::npos ? open : pattern.find('}', open);
        if (close == std::string_view::npos) {
            text += pattern.substr(at);
            break;
        }
        text += pattern.substr(at, open - at);
        const std::string_view name = pattern.substr(open + 1, close - open - 1);
        for (const Field &field : fields)
            if (field.name == name)
                text += field.value;
        at = close + 1;
    }
    return text;
}

} // namespace

std::string libraryCommandLine(const std::string &formatName, const RunSettings &settings,
                               bool displayOn, const std::string &baseFolder,
                               const std::string &archivePath, const std::string &listPath)
{
    const FormatInfo *format = findFormat(formatName);
    if (format == nullptr || format->kind != ArchiverKind::Library)
        return {};
    return filled(displayOn ? format->commandDisplayOn : format->commandDisplayOff,
                  {{"LHAFreezeType", trimmed(settings.LHAFreezeType)},
                   {"ZIPFreezeLevel", trimmed(settings.ZIPFreezeLevel)},
                   {"CABMethod", cabMethodPart(settings)},
                   {"BGAFreezeLevel", trimmed(settings.BGAFreezeLevel)},
                   {"archive", archivePath},
                   {"base", baseFolder.empty() ? "" : '"' + baseFolder + '"'},
                   {"list", listPath}});
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
    return filled(format->commandDisplayOn,
                  {{"program", shellQuote(archiverFolder + (onDisk.empty() ? mapped : onDisk))},
                   {"archive", shellQuote(tempBase + std::string(format->typedExtension))},
                   {"list", shellQuote(tempBase + ".kst")}});
}

} // namespace vexel
