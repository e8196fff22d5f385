// FileList: the files and folders to archive, as full paths. A folder entry ends in
// "/*.*" ("*.*" when the path already ends in "/"), which the archivers read as "every
// entry of that folder".
#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace vexel {

// The entry for one dropped or named path; relative paths are taken against `currentDir`.
std::string fileListEntry(const QString &path, const QString &currentDir);

// The entries for a list of paths, in order; paths that do not exist are left out.
std::vector<std::string> fileListEntries(const QStringList &paths, const QString &currentDir);

// How FreezeFile shows the list: every entry in double quotes, separated by one blank.
QString fileListDisplay(const std::vector<std::string> &entries);

} // namespace vexel
