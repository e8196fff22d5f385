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
};

// What one run is asked to do; filled by the main window and the run start.
struct RunRequest {
    std::vector<std::string> FileList;  // full paths; folders end in "/*.*" (slot 0 is not kept)
    std::string SaveDir;                // ends in "/"
    std::string SingleFormat;           // entry text chosen by a typed extension, or empty
    int FormatCount = 0;
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
    platform::ProcessGroups ArchiverProcessGroups;  // ends the script's group on a cancel
};

struct FormatResult {
    std::string ArchivePath;
    std::string FormatName;
    std::int64_t ArchiveSize = 0;   // 64-bit: archives of several GiB compare correctly
};

// What the run owns for one run, and the report that outlives it.
struct RunState {
    std::string TempBase;      // <private run folder>/krytmp
    std::string BaseFolder;    // ends in "/", or empty
    std::vector<FormatResult> Results;
    std::string RunReport;     // the last completed run's report
    std::string SavedPath;     // where that run saved its archive
    std::int64_t InputSize = 0;   // bytes of the listed files, counted once as the run starts
    std::chrono::steady_clock::time_point StartedAt;   // when the run started
    std::string ArchiverMessage; // the last library's output text: its warnings (links skipped)
    ArchiverLibraries Libraries;   // loaded on first use, kept for the next runs
};

} // namespace vexel
