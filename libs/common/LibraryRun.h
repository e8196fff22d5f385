// The body of every library's main entry. A library supplies its title, its command
// syntax and a plan (which switches mean what, how to write the archive); the kit does
// the rest:
//  - parses the command line and collects the members (Members.h);
//  - writes the archive on a worker thread into a temporary file (ArchiveOutput.h);
//  - meanwhile, on the caller's thread, runs a local event loop when the caller's thread
//    is the thread of a QCoreApplication (so the host's windows keep working), and
//    otherwise simply waits;
//  - calls the registered callback (OwnerSlot.h) on the caller's thread before the work,
//    every 50 ms during it and once after a complete archive, each time with a progress
//    record; an answer of 0 before the end stops the work;
//  - shows the status window (StatusWindow.h) when a QApplication exists and the plan
//    asks for it; close() on it stops the work. Called on another thread, the window
//    still lives on the application's thread (PostedStatusWindow.h);
//  - keeps, for the whole call, the owner registered on the calling thread (OwnerSlot.h),
//    so that calls into one library on several threads at once each reach their own;
//  - on success moves the archive into place and returns 0, with the member walk's
//    warnings (links left out, Members.h) as the output text, or an empty text; on failure
//    or stop returns nonzero, leaves no archive behind and puts a one-line reason there.
//
// Minimal library:
//   static vexel::kit::OwnerSlot owner;
//   int Bga(void *w, const char *line, char *out, uint32_t size) {
//       return vexel::kit::runLibrary({w, line, out, size}, traits, &owner, planBga);
//   }
#pragma once

#include "ArchiveOutput.h"
#include "CommandLine.h"
#include "KryUnPackDec.h"
#include "Members.h"
#include "OwnerSlot.h"
#include "Progress.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vexel::kit {

// The arguments of the C main entry, as received.
struct LibraryCall {
    void *window = nullptr;
    const char *commandLine = nullptr;
    char *output = nullptr;
    std::uint32_t outputSize = 0;
};

struct LibraryTraits {
    const char *statusTitle = ""; // UTF-8, exactly the title the host looks for
    CommandSyntax syntax;
};

// Writes the whole archive into `output` (whose temporary file is already open).
// Runs on the worker thread; reports every member with progress.beginMember() and its
// bytes with progress.advance() (or through readMember()), and gives up with a reason
// as soon as advance() answers false.
using ArchiveWriter = std::function<bool(const std::vector<Member> &members, ArchiveOutput &output,
                                         Progress &progress, std::string *reason)>;

struct JobPlan {
    bool showStatus = true; // the display switch of the library's command line
    CollectOptions collect;
    ArchiveWriter write;
};

// Checks the parsed command (command word, switches, archive extension) on the caller's
// thread and fills the plan; false with a reason refuses the call.
using PlanJob =
    std::function<bool(const ParsedCommand &command, JobPlan *plan, std::string *reason)>;

// The values passed to the registered callback: message, then state; the fourth
// argument is a KryProgress record (KryUnPackDec.h) filled from the run's Progress.
constexpr std::uint32_t kCallbackMessage = KRY_MSG_PROGRESS;
enum CallbackState : std::uint32_t {
    CallbackBegin = KRY_STATE_BEGIN,
    CallbackWorking = KRY_STATE_WORKING,
    CallbackEnd = KRY_STATE_END,
};

// The record the callback receives for `snapshot`; `member` must outlive its use.
KryProgress progressRecord(const Progress::Snapshot &snapshot);

// Returns 0 when the archive is complete, 1 otherwise. Never throws.
int runLibrary(const LibraryCall &call, const LibraryTraits &traits, const OwnerSlot *owner,
               const PlanJob &plan);

// Copies a one-line text into a C output buffer, cut at a UTF-8 character boundary and
// NUL-terminated; does nothing for a null buffer or size 0.
void writeOutputLine(const std::string &text, char *output, std::uint32_t outputSize);

} // namespace vexel::kit
