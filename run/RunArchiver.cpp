// RunArchiver: one format's archive, made by its library or by a command-line archiver
// run from a generated shell script.
#include "run/KryArc.h"

#include "archivers/FindArchiver.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "run/ArchiverCallback.h"
#include "run/ArchiverCommands.h"
#include "run/ArchiverFailure.h"
#include "run/ArchiverLibraries.h"
#include "run/FormatTable.h"
#include "run/ListFiles.h"

namespace vexel {

namespace {

// The exit code reserved for a cancelled command-line archiver. A POSIX exit status
// stops at 255, so a cancel is really recognised by the mark EndArchiverProcess leaves
// in the run control; the code stays for a wait that reports it.
constexpr int kCancelExitCode = 12345;

ArchiverOutcome runLibraryFormat(RunContext &ctx, const FormatInfo &format,
                                 const std::string &commandLine)
{
    std::string error;
    const ArchiverLibrary *library = ctx.state.Libraries.get(
        std::string(format.archiverFile), std::string(format.entryPrefix), &error);
    if (library == nullptr)
        return {1, error};

    const ActiveRunControl active(ctx.control);
    if (ctx.host.dllVisible() || format.timerWhenDisplayOff)
        ctx.host.setStatusWindowTimer(true);
    if (format.owner != OwnerWindow::None)
        library->setOwnerWindow(ownerHandle(ctx.host, format.owner), ArchiverCallback);
    std::string &output = ctx.state.ArchiverMessage; // its reason, or its warnings
    const int code = library->run(nullptr, commandLine, &output);
    if (code == 0)
        return {0, {}};
    return {1, libraryFailure(*library, code, output)};
}

// The script is the list files' head ("cd" into the base folder) and the archiver line.
ArchiverOutcome runScriptFormat(RunContext &ctx, const FormatInfo &format,
                                const std::string &baseFolder, const std::string &tempBase)
{
    std::string folder; // empty when not found: the shell then searches PATH itself
    FindArchiver(std::string(format.archiverFile), folder, ctx.state.Libraries.searchPath());
    std::vector<std::string> script = scriptHeadLines(baseFolder);
    script.push_back(archiverScriptLine(std::string(format.entryText), folder, tempBase));

    const std::string scriptPath = tempBase + ".bat";
    const std::string errorLog = tempBase + ".err";
    std::string error;
    if (!platform::writeTextLines(scriptPath, script, &error))
        return {1, error};
    const std::int64_t pid =
        platform::startScript(scriptPath, ctx.host.dllVisible(), errorLog, &error);
    if (pid == 0)
        return {1, error};

    RunControl &control = ctx.control;
    control.ArchiverProcessCancelled = false;
    control.ArchiverProcess = pid;
    const int exitCode =
        control.ArchiverProcessGroups.waitForExit(pid, [&ctx] { ctx.host.processPendingEvents(); });
    const bool cancelled = exitCode == kCancelExitCode || control.ArchiverProcessCancelled;
    control.ArchiverProcess = 0;
    control.ArchiverProcessCancelled = false;
    if (cancelled)
        return {1, kStoppedByUser};
    // Success is judged by the archive alone; the status explains a missing one.
    if (!platform::fileExists(tempBase + std::string(format.typedExtension)))
        return {1, scriptFailure(format, exitCode, errorLog)};
    return {0, {}};
}

} // namespace

ArchiverOutcome RunArchiver(RunContext &ctx, const std::string &formatName,
                            const std::string &baseFolder, const std::string &archivePath,
                            const std::string &listPath, FormatResult &record,
                            const std::string &tempBase)
{
    // A stale archive would pass for the work of an archiver that wrote nothing.
    if (platform::fileExists(archivePath))
        platform::deleteMatching(archivePath);

    RunControl &control = ctx.control;
    control.CurrentFormat = formatName;
    control.CancelRequested = false;
    control.Reported.clear();
    ctx.state.ArchiverMessage.clear();

    ArchiverOutcome outcome{1, "unknown format: " + formatName};
    if (const FormatInfo *format = findFormat(formatName)) {
        if (format->kind == ArchiverKind::Library) {
            const std::string commandLine = libraryCommandLine(
                formatName, ctx.settings, ctx.host.dllVisible(), baseFolder, archivePath, listPath);
            outcome = runLibraryFormat(ctx, *format, commandLine);
        } else {
            outcome = runScriptFormat(ctx, *format, baseFolder, tempBase);
        }
    }

    if (outcome.result == 0) {
        const std::int64_t size = platform::fileSize(archivePath);
        if (size >= 0)
            record = FormatResult{archivePath, formatName, size};
        else
            outcome = {1, "no archive was made: " + archivePath};
    }
    control.StatusWindow = nullptr;
    ctx.host.setStatusWindowTimer(false);
    return outcome;
}

void EndArchiverProcess(RunControl &control)
{
    if (control.ArchiverProcess == 0)
        return;
    control.ArchiverProcessCancelled = true;
    control.ArchiverProcessGroups.endProcessGroup(control.ArchiverProcess);
}

} // namespace vexel
