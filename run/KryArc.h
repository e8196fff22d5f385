// KryArc: the compression run. RunFormats makes one archive per chosen format in a
// private temporary folder, keeps the smallest, saves it and writes the report;
// RunArchiver makes the archive of one format; ArchiverCallback is how a cancel reaches
// an archiver library. All of it runs on the thread that owns the RunHost; when the
// settings make several formats at once (FormatsAtOnce.h), their archivers work on
// threads and processes of their own, and only that thread talks to the host.
#pragma once

#include "run/RunContext.h"
#include "run/RunState.h"

#include <cstdint>
#include <string>

namespace vexel {

// Carries out one run for ctx.request. Returns false when the run completed and the
// smallest archive was saved (ctx.state.RunReport then holds the report), true when it
// was abandoned: a format failed or was cancelled ("処理を中止しました"), no format took
// part, or a temporary or saved file could not be written. An abandoned run has already
// told the user through ctx.host.showError (the message, and why as its details), saves
// nothing and leaves RunReport as it was.
// Whatever the outcome, the run's temporary folder and all its files are gone on return.
bool RunFormats(RunContext &ctx);

// What RunArchiver answers: result 0 when the archive was made and recorded, 1 when
// not, and then the reason for the user: the loader's error, the library's own output
// line, the script's start error, or a command-line archiver's exit status with the
// last lines of its error output.
struct ArchiverOutcome {
    int result = 1;
    std::string reason; // empty on success
};

// Makes the archive of one format (an entry text of the format table) at archivePath:
// a library format through its archiver library with `listPath` as response file, a
// command-line format through a shell script in tempBase's folder. Result 0 and
// `record` filled when the archive exists afterwards; 1 with a reason when the archiver
// could not be found or loaded, failed, was cancelled, or made no archive.
ArchiverOutcome RunArchiver(RunContext &ctx, const std::string &formatName,
                            const std::string &baseFolder, const std::string &archivePath,
                            const std::string &listPath, FormatResult &record,
                            const std::string &tempBase);

// Ends the running command-line archiver (its whole process group) on the user's cancel;
// the waiting RunArchiver then treats its exit as the cancel code 12345 and fails.
// Does nothing when no command-line archiver is running.
void EndArchiverProcess(RunControl &control);

} // namespace vexel

// The callback registered with the archiver libraries: answers 0 (stop) while the
// active run's CancelRequested is set, 1 (go on) otherwise. A progress record
// (message KRY_MSG_PROGRESS) is kept in the active run's RunControl::Reported; the
// window handle is not read. Safe to call from a library's worker thread.
extern "C" int ArchiverCallback(void *window, uint32_t message, uint32_t state, void *info);
