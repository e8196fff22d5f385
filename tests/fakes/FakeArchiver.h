// The test doubles of the archivers, and how a test steers them.
//
// Built for tests only (never into build/bin, where the real libraries live):
//   <build>/tests/fakes/lib/{unlha32,zip32,zip32j,cab32,bga32}.so  one source, each file
//       exporting every entry point of the four libraries (Unlha, Zip, Cab, Bga and their
//       GetVersion / SetOwnerWindowEx); zip32.so only has to be present.
//   <build>/tests/fakes/bin/{rar,gcac,ace32}  POSIX shell programs reading
//       "rar a -r ARCHIVE @LIST", "gcac a -oLIST ARCHIVE", "ace32 a -r ARCHIVE @LIST".
// CMake passes both folders to tests as the definitions VEXEL_FAKE_LIB_DIR and
// VEXEL_FAKE_BIN_DIR (each ending in "/") to targets that link vexel_fakes.
//
// The fakes read the variables below at every call. A "per format" value is a list
// "ext=value,ext=value" keyed by the archive's extension without its dot (lzh zip cab
// gza bza rar gca ace; letter case ignored); the key "*" stands for every extension.
#pragma once

#include "archivers/KryUnPackDec.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vexel::fakes {

// A file to which every call appends one line:
//   <program> TAB <current directory> TAB <argument> [TAB <argument> ...]
// where <program> is "Unlha", "Zip", "Cab" or "Bga" (one argument: the whole command
// line) or "rar", "gcac", "ace32" (their arguments as received).
constexpr const char *kLogEnv = "VEXEL_FAKE_LOG";

// Per format: the size in bytes of the archive to write (default kDefaultSize).
// Large sizes are cheap: the archive is written sparse.
constexpr const char *kSizesEnv = "VEXEL_FAKE_SIZES";

// Extensions (comma list) whose call fails: nothing is left at the archive path and the
// library returns 1 with "failed on request" in its output buffer (a command-line fake
// writes "<program>: warning 1" ... "warning 6" and "<program>: failed on request" to
// standard error and exits with 1).
constexpr const char *kFailEnv = "VEXEL_FAKE_FAIL";

// Extensions whose call succeeds (0) but writes nothing.
constexpr const char *kNoArchiveEnv = "VEXEL_FAKE_NO_ARCHIVE";

// Per format: how long the call works, in milliseconds, before it writes the archive.
// Meanwhile a library calls the registered callback at least every 10 ms (from its
// worker thread) and stops when it answers 0; it runs a local event loop when a
// QCoreApplication exists, so the host's windows repaint and their buttons work.
constexpr const char *kWorkEnv = "VEXEL_FAKE_WORK_MS";

// Per format: progress records to pass to the callback, as percentages separated by
// ":" ("lzh=25:50:100"). The work time is split evenly between them; each is passed as
// a KryProgress record (message KRY_MSG_PROGRESS) over kFakeInputBytes bytes and 100
// files, naming the member "part-<percentage>.txt", and a complete archive ends with a
// record of state KRY_STATE_END. Without it the callback gets message 0 and no record.
constexpr const char *kProgressEnv = "VEXEL_FAKE_PROGRESS";
constexpr unsigned long long kFakeInputBytes = 4000;

// Extensions whose command-line fake sleeps until it is killed (a library works until
// the callback answers 0 or its status window is closed).
constexpr const char *kHangEnv = "VEXEL_FAKE_HANG";

// "1": before writing, check that every member of the list file exists (relative to the
// base folder argument for a library, to the current directory for a command-line
// fake; a "*.*" member needs its folder); a missing member fails the call.
constexpr const char *kCheckMembersEnv = "VEXEL_FAKE_CHECK_MEMBERS";

constexpr long long kDefaultSize = 1000;
constexpr unsigned short kFakeVersion = 123; // what every ...GetVersion returns

// A callback registered with ...SetOwnerWindowEx belongs to the registering thread (a
// call on another thread gets the last one registered), as with the real libraries.
//
// The library's status window titles (display on, and a QApplication present).
// LHA shows it unless the switches hold "-n", CAB unless they hold "-i", ZIP always.
// Closing the window stops the work; the call then returns nonzero.
constexpr const char *kLhaStatusTitle = KRY_STATUS_TITLE_UNLHA;
constexpr const char *kZipStatusTitle = KRY_STATUS_TITLE_ZIP;
constexpr const char *kCabStatusTitle = KRY_STATUS_TITLE_CAB;

// One line of the log.
struct FakeCall {
    std::string program;                // "Unlha", "Zip", "Cab", "Bga", "rar", "gcac", "ace32"
    std::string directory;              // the current directory of the call
    std::vector<std::string> arguments; // a library: one, the command line
};

inline std::vector<FakeCall> readFakeLog(const std::string &path)
{
    std::vector<FakeCall> calls;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        if (line.ends_with('\t'))
            fields.emplace_back();
        if (fields.size() < 2)
            continue;
        calls.push_back({fields[0], fields[1], {fields.begin() + 2, fields.end()}});
    }
    return calls;
}

} // namespace vexel::fakes
