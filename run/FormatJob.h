// One format's archive made on a thread of its own while other formats are made at
// the same time. What only the run's thread may do (load the library, ask the host for
// its windows and switches, find the archiver) is done before the thread starts; the
// thread itself touches nothing but its job, its RunningFormat and the run control's
// atomic flags and process groups.
#pragma once

#include "archivers/ArchiverLibrary.h"
#include "run/FormatTable.h"
#include "run/KryArc.h"
#include "run/RunContext.h"

#include <string>
#include <vector>

namespace vexel {

struct FormatJob {
    std::string formatName;
    std::string archivePath;
    const FormatInfo *format = nullptr;
    // A library format: the library, its command line, the owner handed to it.
    const ArchiverLibrary *library = nullptr;
    std::string commandLine;
    void *owner = nullptr;
    ARCHIVERPROC callback = nullptr;
    // A command-line format: its script, where it is written and where its errors go.
    std::vector<std::string> script;
    std::string scriptPath;
    std::string errorLog;

    // The answer, as RunArchiver gives it; `record` filled on success.
    ArchiverOutcome outcome;
    FormatResult record;
    std::string libraryOutput; // a library's output text: its warnings, or why it failed
};

// Prepares the job of Running[index] (on the run's thread): deletes a stale archive at
// its path and looks up what it needs. False with *reason when it cannot start (the
// format is unknown, its library cannot be loaded).
bool prepareFormatJob(RunContext &ctx, std::size_t index, const std::string &formatName,
                      const std::string &archivePath, const std::string &listPath, FormatJob *job,
                      std::string *reason);

// Makes the archive (on the job's own thread): calls the library, or runs the script
// and waits for it. A set CancelRequested stops it; it is never cleared here.
void runFormatJob(FormatJob &job, RunningFormat &running, RunControl &control);

} // namespace vexel
