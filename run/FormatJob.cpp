#include "run/FormatJob.h"

#include "archivers/FindArchiver.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "run/ArchiverCallback.h"
#include "run/ArchiverCommands.h"
#include "run/ArchiverFailure.h"
#include "run/FormatTable.h"
#include "run/ListFiles.h"

#include <exception>

namespace vexel {

namespace {

ArchiverOutcome runLibrary(FormatJob &job)
{
    if (job.callback != nullptr)
        job.library->setOwnerWindow(job.owner, job.callback);
    const int code = job.library->run(nullptr, job.commandLine, &job.libraryOutput);
    if (code == 0)
        return {0, {}};
    return {1, libraryFailure(*job.library, code, job.libraryOutput)};
}

ArchiverOutcome runScript(FormatJob &job, RunningFormat &running, RunControl &control)
{
    std::string error;
    if (!platform::writeTextLines(job.scriptPath, job.script, &error))
        return {1, error};
    const std::int64_t pid = platform::startScript(job.scriptPath, false, job.errorLog, &error);
    if (pid == 0)
        return {1, error};
    running.ArchiverProcess = pid;
    // A cancel that came before the process was known could not end it: end it now.
    if (control.CancelRequested.load()) {
        running.ArchiverProcessCancelled = true;
        control.ArchiverProcessGroups.endProcessGroup(pid);
    }
    // Sleeps between polls; nothing of the host's is called from this thread.
    const int exitCode = control.ArchiverProcessGroups.waitForExit(pid, [] {});
    running.ArchiverProcess = 0;
    if (running.ArchiverProcessCancelled.load())
        return {1, kStoppedByUser};
    if (!platform::fileExists(job.archivePath))
        return {1, scriptFailure(*job.format, exitCode, job.errorLog)};
    return {0, {}};
}

} // namespace

bool prepareFormatJob(RunContext &ctx, std::size_t index, const std::string &formatName,
                      const std::string &archivePath, const std::string &listPath, FormatJob *job,
                      std::string *reason)
{
    job->formatName = formatName;
    job->archivePath = archivePath;
    job->format = findFormat(formatName);
    if (job->format == nullptr) {
        *reason = "unknown format: " + formatName;
        return false;
    }
    // A stale archive would pass for the work of an archiver that wrote nothing.
    if (platform::fileExists(archivePath))
        platform::deleteMatching(archivePath);
    const FormatInfo &format = *job->format;
    const RunState &state = ctx.state;
    if (format.kind == ArchiverKind::Library) {
        job->library = ctx.state.Libraries.get(std::string(format.archiverFile),
                                               std::string(format.entryPrefix), reason);
        if (job->library == nullptr)
            return false;
        job->commandLine = libraryCommandLine(formatName, ctx.settings, ctx.host.dllVisible(),
                                              state.BaseFolder, archivePath, listPath);
        if (format.owner != OwnerWindow::None) {
            job->owner = ownerHandle(ctx.host, format.owner);
            job->callback = RunningFormatCallback(index);
        }
        return true;
    }
    std::string folder; // empty when not found: the shell then searches PATH itself
    FindArchiver(std::string(format.archiverFile), folder);
    job->script = scriptHeadLines(state.BaseFolder);
    job->script.push_back(archiverScriptLine(formatName, folder, state.TempBase));
    // Files of its own beside its archive (krytmp.rar.bat, krytmp.rar.err): several
    // scripts run at once in the same folder.
    job->scriptPath = archivePath + ".bat";
    job->errorLog = archivePath + ".err";
    return true;
}

void runFormatJob(FormatJob &job, RunningFormat &running, RunControl &control)
{
    try {
        job.outcome = job.format->kind == ArchiverKind::Library ? runLibrary(job)
                                                                : runScript(job, running, control);
        if (job.outcome.result == 0) {
            const std::int64_t size = platform::fileSize(job.archivePath);
            if (size >= 0)
                job.record = FormatResult{job.archivePath, job.formatName, size};
            else
                job.outcome = {1, "no archive was made: " + job.archivePath};
        }
    } catch (const std::exception &e) {
        job.outcome = {1, std::string("internal error: ") + e.what()};
    }
}

} // namespace vexel
