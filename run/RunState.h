// The explicit state objects of a run. The main window owns the settings and the
// request, the run owns the results; the run control is what the progress window and
// the archiver callback share with a running archiver.
#pragma once

#include "platform/Process.h"
#include "run/ArchiverLibraries.h"
#include "run/ArchiverProgress.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vexel {

// Compression methods and levels as stored (text; a level may carry a leading blank).
struct RunSettings {
    std::string DefaultPath;
    std::string LHAFreezeType = "2";
    std::string CABFreezeType = "0";
    std::string CABFreezeLevel = "15";
    std::string ZIPFreezeLevel = "6";
    std::string BGAFreezeLevel = "9";
    // How many formats are made at once: 0 as many as the machine has cores, 1 one
    // after another. The stored setting defaults to 0; a run set up without the stored
    // settings (a test) makes one format after another.
    int Jobs = 1;
};

// What one run is asked to do; filled by the main window and the run start.
struct RunRequest {
    std::vector<std::string> FileList; // full paths; folders end in "/*.*" (slot 0 is not kept)
    std::string SaveDir;               // ends in "/"
    std::string SingleFormat;          // entry text chosen by a typed extension, or empty
    int FormatCount = 0;
};

// One format of a run that makes several at once: what its archiver thread shares with
// the progress window. Written on the archiver's thread, read on the run's.
struct RunningFormat {
    std::string Format; // entry text; fixed before the thread starts
    std::atomic<bool> Started{false};
    std::atomic<bool> Finished{false};
    std::atomic<std::int64_t> ArchiverProcess{0}; // its script's process group, 0 for none
    std::atomic<bool> ArchiverProcessCancelled{false};
    ArchiverProgress Reported; // its library's last progress record
};

// Shared between the running archiver, the progress window and ArchiverCallback.
// CancelRequested may be read, and Reported written, from a library's worker thread.
struct RunControl {
    std::string CurrentFormat;
    std::atomic<bool> CancelRequested{false};
    void *StatusWindow = nullptr;          // a library's status window once found (a QWidget*)
    std::int64_t ArchiverProcess = 0;      // process (group) id of the running script, 0 for none
    bool ArchiverProcessCancelled = false; // set when a cancel ended it: its exit counts as 12345
    ArchiverProgress Reported;             // the running library's last progress record
    platform::ProcessGroups ArchiverProcessGroups; // ends the script's group on a cancel
    // While several formats are made at once: one record per format of the run, in list
    // order, made before any archiver starts and kept until the last one has ended
    // (empty otherwise). CancelRequested then stops every one of them, and is not
    // cleared until the run ends.
    std::vector<std::unique_ptr<RunningFormat>> Running;
};

struct FormatResult {
    std::string ArchivePath;
    std::string FormatName;
    std::int64_t ArchiveSize = 0; // 64-bit: archives of several GiB compare correctly
};

// What the run owns for one run, and the report that outlives it.
struct RunState {
    std::string TempBase;   // <private run folder>/krytmp
    std::string BaseFolder; // ends in "/", or empty
    std::vector<FormatResult> Results;
    std::string RunReport;      // the last completed run's report
    std::string SavedPath;      // where that run saved its archive
    std::int64_t InputSize = 0; // bytes of the listed files, counted once as the run starts
    std::chrono::steady_clock::time_point StartedAt; // when the run started
    std::string ArchiverMessage; // the last library's output text: its warnings (links skipped)
    ArchiverLibraries Libraries; // loaded on first use, kept for the next runs
};

} // namespace vexel
