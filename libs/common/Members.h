// Member collection: turns the response file of a command line into the list of
// files and folders to store, with their names inside the archive.
#pragma once

#include "CommandLine.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vexel::kit {

class Progress;

struct Member {
    std::string diskPath;   // the path to open
    std::string storedName; // bytes as on disk (not always UTF-8), relative, "/" separators,
                            // no leading or trailing "/"
    bool isFolder = false;
    std::uint64_t size = 0; // bytes at collection time; 0 for folders
    std::int64_t mtime = 0; // seconds since the epoch, UTC
    std::uint32_t mode = 0; // permission bits (07777)
};

struct CollectOptions {
    bool recurse = false;         // -r: descend into the subfolders of listed folders
    bool foldersAsEntries = true; // store folders themselves (formats that can hold them)
};

// Reads a response file: one name a line, optionally in double quotes, lines ended by
// "\n" or "\r\n"; blank lines are skipped. False with a reason naming the file when it
// cannot be read.
bool readListFile(const std::string &path, std::vector<std::string> *lines, std::string *reason);

// Collects the members named by the command's response file. Each line is a path
// relative to the base folder (or absolute when the base folder is empty):
//  - a file is one member;
//  - "X/*.*" (or "X/*") is the folder X itself plus every entry of X whatever the dots,
//    and with `recurse` everything below; "*.*" alone is the base folder's contents;
//  - other wildcards ("*.txt", "a?.c") match names in their folder;
//  - a folder named without a wildcard is treated as "X/*.*".
// Stored names are relative to the base folder; leading "/" and ".." components are
// dropped, so no name can point outside the extraction folder. Names are bytes: they
// are stored exactly as the file system gives them, valid UTF-8 or not.
// Symbolic links are followed: what a link points to (file or folder) is stored under
// the link's name, wherever it lies and however often it is reached. Two kinds of link
// are left out, each with a line in `warnings`: a link to a folder that contains it (a
// loop; everything in it is stored above) and a link to nothing (no data to store).
// Each stored name appears once (the first wins).
// A listed name that matches nothing, or any file or folder that cannot be read, makes
// the call fail with a reason naming it: nothing else is left out.
// `progress`, when given, is checked so that a stop request ends a long walk early.
bool collectMembers(const ParsedCommand &command, const CollectOptions &options,
                    std::vector<Member> *members, std::string *reason, Progress *progress = nullptr,
                    std::vector<std::string> *warnings = nullptr);

std::uint64_t totalBytes(const std::vector<Member> &members);

} // namespace vexel::kit
