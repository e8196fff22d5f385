#include "app/BatchMode.h"

#include "app/BatchFiles.h"
#include "app/BatchHost.h"
#include "app/BatchOptions.h"
#include "app/BatchReport.h"
#include "app/StoredChoices.h"
#include "config/KryOpr.h"
#include "config/VexelVersion.h"
#include "platform/Files.h"
#include "platform/Interrupts.h"
#include "run/RunReport.h"
#include "run/StartRun.h"

#include <QCoreApplication>

#include <cstdio>
#include <set>

namespace vexel {

namespace {

constexpr int kSaved = 0, kFailed = 1, kUsage = 2, kInterrupted = 130;

std::vector<std::string> argumentsOf(int argc, char **argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

int usageError(const std::string &message)
{
    std::fprintf(stderr, "vexel: %s\nTry 'vexel --help' for more information.\n", message.c_str());
    return kUsage;
}

void writeOut(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// The window's format list for the ordinary kind (the available formats in table order),
// checked as --formats says or, without it, as stored.
std::vector<std::pair<std::string, bool>> formatList(const BatchOptions &options,
                                                     const ArchiverAvailability &availability,
                                                     const StoredChoices &stored)
{
    std::set<std::string> wanted;
    if (options.formats)
        wanted.insert(options.formats->begin(), options.formats->end());
    for (const FormatInfo &format : formatTable()) {
        const std::string text(format.entryText);
        if (wanted.count(text) && !(availability.*format.available) && !options.quiet)
            std::fprintf(stderr, "vexel: %s: its archiver was not found; not tried\n",
                         text.c_str());
    }
    std::vector<std::pair<std::string, bool>> list;
    for (const FormatListEntry &entry : stored.formats)
        list.emplace_back(entry.text,
                          options.formats ? wanted.count(entry.text) > 0 : entry.checked);
    return list;
}

RunSettings settingsFor(const BatchOptions &options, const StoredChoices &stored)
{
    RunSettings settings = stored.settings;
    settings.LHAFreezeType = options.LHAFreezeType.value_or(settings.LHAFreezeType);
    settings.CABFreezeType = options.CABFreezeType.value_or(settings.CABFreezeType);
    settings.CABFreezeLevel = options.CABFreezeLevel.value_or(settings.CABFreezeLevel);
    settings.ZIPFreezeLevel = options.ZIPFreezeLevel.value_or(settings.ZIPFreezeLevel);
    settings.BGAFreezeLevel = options.BGAFreezeLevel.value_or(settings.BGAFreezeLevel);
    settings.Jobs = options.jobs.value_or(settings.Jobs);
    return settings;
}

// The file list, or a usage error naming the first name that does not exist.
bool fileListOf(const BatchOptions &options, const std::string &currentDir,
                std::vector<std::string> *entries, std::string *error)
{
    for (const std::string &name : options.names) {
        std::string entry = batchFileListEntry(name, currentDir);
        if (entry.empty()) {
            *error = "'" + name + "': no such file or folder";
            return false;
        }
        entries->push_back(std::move(entry));
    }
    return true;
}

void printOutcome(const BatchOptions &options, const RunRequest &request, const RunState &state)
{
    if (options.json) {
        const std::vector<FormatResult> made(state.Results.begin() + 1, state.Results.end());
        const std::size_t winner = chooseWinner(made);
        const std::string savedTo =
            savedPath(request.SaveDir, options.output, made[winner].FormatName,
                      !request.SingleFormat.empty());
        writeOut(batchJson(made, winner, savedTo));
    } else if (!options.quiet) {
        writeOut(state.RunReport + "\n");
    }
}

int runBatch(const BatchOptions &options)
{
    const std::string currentDir = platform::currentDirectory();
    RunRequest request;
    std::string error;
    if (!fileListOf(options, currentDir, &request.FileList, &error))
        return usageError(error);
    request.SaveDir = batchSaveFolder(options.saveDir, currentDir);
    if (request.SaveDir.empty())
        return usageError("'" + options.saveDir + "': no such folder");

    const ArchiverAvailability availability = DiscoverArchivers();
    const StoredChoices stored = readStoredChoices(availability, currentDir);
    const RunSettings settings = settingsFor(options, stored);
    RunControl control;
    RunState state;
    BatchHost host(formatList(options, availability, stored), options.output, settings, request,
                   control, state, options.quiet ? nullptr : stderr);
    host.showLiveBar(!options.quiet && platform::standardErrorIsTerminal());
    if (StartRun(host, availability, request, control))
        return kFailed;
    if (host.abandoned())
        return host.interrupted() ? kInterrupted : kFailed;
    printOutcome(options, request, state);
    return kSaved;
}

} // namespace

bool isCommandLineMode(int argc, char **argv)
{
    return wantsCommandLineMode(argumentsOf(argc, argv));
}

int runCommandLineMode(int argc, char **argv)
{
    // Interrupts are only noted from here on: the run winds itself down.
    platform::watchInterrupts();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Vexel"));
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane Club"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEXEL_VERSION));

    const ParsedCommandLine parsed = parseCommandLine(argumentsOf(argc, argv));
    if (!parsed.error.empty())
        return usageError(parsed.error);
    switch (parsed.options.mode) {
    case CommandMode::Help: writeOut(usageText()); return kSaved;
    case CommandMode::Version:
        writeOut(std::string("vexel ") + VEXEL_VERSION + "\n");
        return kSaved;
    case CommandMode::Window:
        return usageError("the window takes no options"); // not reached: see isCommandLineMode
    case CommandMode::Batch: break;
    }
    return runBatch(parsed.options);
}

} // namespace vexel
