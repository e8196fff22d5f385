// RunArchiver: one format's archive, made by its library or by a command-line archiver
// run from a generated shell script.
#include "run/KryArc.h"

#include "archivers/FindArchiver.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "run/ArchiverCallback.h"
#include "run/ArchiverCommands.h"
#include "run/ArchiverLibraries.h"
#include "run/FormatTable.h"
#include "run/ListFiles.h"

namespace vexel {

namespace {

// The exit code reserved for a cancelled command-line archiver. A POSIX exit status
// stops at 255, so a cancel is really recognised by the mark EndArchiverProcess leaves
// in the run control; the code stays for a wait that reports it.
constexpr int kCancelExitCode = 12345;

void *ownerHandle(RunHost &host, OwnerWindow owner)
{
    switch (owner) {
    case OwnerWindow::ProgressWindow:
        return host.progressWindowHandle();
    case OwnerWindow::MainWindow:
        return host.mainWindowHandle();
    case OwnerWindow::None:
        break;
    }
    return nullptr;
}

int runLibraryFormat(RunContext &ctx, const FormatInfo &format, const LibraryRecipe &recipe,
                     const std::string &commandLine)
{
    std::string &message = ctx.state.ArchiverMessage;
    const ArchiverLibrary *library =
        archiverLibrary(std::string(format.archiverFile), recipe.entryPrefix, &message);
    if (library == nullptr)
        return 1;

    const ActiveRunControl active(ctx.control);
    if (ctx.host.dllVisible() || recipe.timerWhenDisplayOff)
        ctx.host.setStatusWindowTimer(true);
    if (recipe.owner != OwnerWindow::None)
        library->setOwnerWindow(ownerHandle(ctx.host, recipe.owner), ArchiverCallback);
    // Success is judged by the result alone; the text tells the user why a format failed.
    return library->run(nullptr, commandLine, &message) == 0 ? 0 : 1;
}

// The script is the list files' head ("cd" into the base folder) and the archiver line.
int runScriptFormat(RunContext &ctx, const FormatInfo &format, const std::string &baseFolder,
                    const std::string &tempBase)
{
    std::string folder;   // empty when not found: the shell then searches PATH itself
    FindArchiver(std::string(format.archiverFile), folder);
    std::vector<std::string> script = scriptHeadLines(baseFolder);
    script.push_back(archiverScriptLine(std::string(format.entryText), folder, tempBase));

    const std::string scriptPath = tempBase + ".bat";
    std::string error;
    if (!platform::writeTextLines(scriptPath, script, &error))
        return 1;
    const std::int64_t pid = platform::startScript(scriptPath, ctx.host.dllVisible(), &error);
    if (pid == 0)
        return 1;

    RunControl &control = ctx.control;
    control.ArchiverProcessCancelled = false;
    control.ArchiverProcess = pid;
    const int exitCode = platform::waitForExit(pid, [&ctx] { ctx.host.processPendingEvents(); });
    const bool cancelled = exitCode == kCancelExitCode || control.ArchiverProcessCancelled;
    control.ArchiverProcess = 0;
    control.ArchiverProcessCancelled = false;
    return cancelled ? 1 : 0;
}

} // namespace

int RunArchiver(RunContext &ctx, const std::string &formatName, const std::string &baseFolder,
                const std::string &archivePath, const std::string &listPath,
                FormatResult &record, const std::string &tempBase)
{
    // A stale archive would pass for the work of an archiver that wrote nothing.
    if (platform::fileExists(archivePath))
        platform::deleteMatching(archivePath);

    RunControl &control = ctx.control;
    control.CurrentFormat = formatName;
    control.CancelRequested = false;
    control.Reported.clear();
    control.CancelledByUser = false;
    ctx.state.ArchiverMessage.clear();

    int result = 1;
    if (const FormatInfo *format = findFormat(formatName)) {
        if (const LibraryRecipe *recipe = libraryRecipe(formatName)) {
            const std::string commandLine = libraryCommandLine(
                formatName, ctx.settings, ctx.host.dllVisible(), baseFolder, archivePath, listPath);
            result = runLibraryFormat(ctx, *format, *recipe, commandLine);
        } else {
            result = runScriptFormat(ctx, *format, baseFolder, tempBase);
        }
    }

    if (result == 0) {
        const std::int64_t size = platform::fileSize(archivePath);
        if (size >= 0)
            record = FormatResult{archivePath, formatName, size};
        else
            result = 1;
    }
    control.StatusWindow = nullptr;
    ctx.host.setStatusWindowTimer(false);
    return result;
}

void EndArchiverProcess(RunControl &control)
{
    if (control.ArchiverProcess == 0)
        return;
    control.ArchiverProcessCancelled = true;
    platform::endProcessGroup(control.ArchiverProcess);
}

} // namespace vexel
