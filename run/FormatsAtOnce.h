// Making several formats' archives at the same time: each library call on a thread of
// its own, each command-line archiver as its own process group. The run's thread keeps
// the host's side: it starts the archivers, shows which are running, lets window events
// through, and collects the results in list order, so the outcome is the same as one
// after another.
#pragma once

#include "run/RunContext.h"

#include <string>
#include <vector>

namespace vexel {

// A format that takes part in a run, in list order.
struct PlannedFormat {
    std::string name;        // entry text
    std::string archivePath; // TempBase + its temporary extension
};

// How many formats a run makes at once: `jobs` from the settings (0: `cores`), never
// more than there are formats, and one while the libraries show their own status
// windows (`dllVisible`): those windows are followed one at a time.
int formatsAtOnce(int jobs, bool dllVisible, int formats, unsigned cores);

// Makes every planned format with up to `atOnce` archivers running, and fills
// ctx.state.Results (after its empty record 0) in list order. The first failure, or a
// cancel (CancelRequested), stops every running archiver and starts no other: false,
// with *reason naming the first format that failed and why. Returns only after every
// archiver it started has ended.
bool makeArchivesAtOnce(RunContext &ctx, const std::vector<PlannedFormat> &formats, int atOnce,
                        std::string *reason);

// The user's cancel while several formats are made: every running archiver is told
// (libraries through their callbacks, command-line archivers by ending their groups).
void EndAllArchivers(RunControl &control);

} // namespace vexel
