// The run's temporary list files, written once before the first format:
//   TempBase.lst  "name" per entry: the response file of the archiver libraries;
//   TempBase.kst  name per entry, unquoted: read by rar, gcac and ace32;
//   TempBase.btt  the head of every archiver script: "cd" into the base folder.
// Names are relative to the base folder; every line ends in "\n".
#pragma once

#include <string>
#include <vector>

namespace vexel {

// The bytes of TempBase.lst and TempBase.kst.
std::string responseFileText(const std::vector<std::string> &fileList,
                             const std::string &baseFolder);
std::string plainListText(const std::vector<std::string> &fileList, const std::string &baseFolder);
// The lines of TempBase.btt; none when the base folder is empty (names are then full).
std::vector<std::string> scriptHeadLines(const std::string &baseFolder);

// Writes the three files, each replacing an older one. A name holding a line break
// cannot be written one name a line (the archiver would read two names), so such a list
// is refused. On failure returns false and *error holds the message for the user
// (which file or name, and why).
bool writeListFiles(const std::string &tempBase, const std::vector<std::string> &fileList,
                    const std::string &baseFolder, std::string *error);

} // namespace vexel
