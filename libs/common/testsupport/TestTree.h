// Test support for the archiver libraries: temporary folders, a corpus of awkward files
// and folders, and tree comparison by names, kinds, sizes and contents.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace vexel::testsupport {

// A fresh private folder, removed with its contents on destruction. path() ends in "/".
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

struct TreeOptions {
    bool bigFile = false;      // a 4 MB file (generated, partly compressible)
    bool nonCp932Names = true; // names that CP932 cannot hold (accented Latin, emoji)
};

// Writes the corpus below `folder` (which must exist): an empty file, a one-byte file,
// incompressible data beyond 1 MiB, many small files, nested and empty folders, names
// with blanks, Japanese names, and optionally the big file and non-CP932 names.
void buildTree(const std::string &folder, const TreeOptions &options);

struct TreeEntry {
    bool isFolder = false;
    std::uint64_t size = 0;
    std::uint64_t hash = 0; // of the contents
};

// Every entry below `folder`, keyed by its relative path with "/" separators.
std::map<std::string, TreeEntry> scanTree(const std::string &folder);
// Empty when equal; else one line per difference.
std::string compareTrees(const std::map<std::string, TreeEntry> &expected,
                         const std::map<std::string, TreeEntry> &actual);

void writeFile(const std::string &path, const std::string &bytes);
std::string readFile(const std::string &path);
bool fileExists(const std::string &path);
// Single quotes for /bin/sh.
std::string shellQuote(const std::string &text);
// Runs a shell command with its output discarded (or into `output`); returns the exit status.
int runCommand(const std::string &command, std::string *output = nullptr);
// The Python the test dependencies install (Debian's python3), called by its path: a
// python3 found first on PATH may be a version manager's wrapper script, which costs
// a good part of a second at every call.
std::string python3();

// Runs `work` without root's right to read every file: as is when the test is not root,
// else in a child process as the user "nobody" (folders the child must reach need to be
// open to others). Returns work's result and its text, or -2 when no such user could be
// taken on.
int runUnprivileged(const std::function<int(std::string *text)> &work, std::string *text);

} // namespace vexel::testsupport
