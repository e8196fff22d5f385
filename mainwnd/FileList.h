// FileList: the files and folders to archive, as full paths held as the bytes the
// system gave (a Linux name need not be valid UTF-8; it is stored exactly and only its
// display shows a replacement character). A folder entry ends in "/*.*" ("*.*" when the
// path already ends in "/"), which the archivers read as "every entry of that folder".
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <string>
#include <vector>

class QMimeData;

namespace vexel {

// The entry for one dropped or named path: relative paths are taken against
// `currentDir` (ending in "/"), "." and ".." and doubled separators are resolved by
// name, and a folder gets its wildcard.
std::string fileListEntry(const std::string &path, const std::string &currentDir);

// What the command line gives: an entry for every name that exists, in order, and
// the names that do not exist, which are left out.
struct NamedFiles {
    std::vector<std::string> entries;
    std::vector<std::string> missing;
};
NamedFiles fileListFromNames(const std::vector<std::string> &names, const std::string &currentDir);

// The local file names a drop carries, in the drop's order, as the bytes of the
// percent-decoded paths of its file URLs (QUrl::toLocalFile would lose bytes that are
// not UTF-8). Empty when it carries none.
std::vector<std::string> droppedNames(const QMimeData *mime);
std::vector<std::string> localFileNames(const QList<QUrl> &urls);

// How FreezeFile shows a list: every entry in double quotes, separated by one blank;
// bytes that are not UTF-8 show as the replacement character.
QString fileListDisplay(const std::vector<std::string> &entries);

// A drop of exactly one name shows it without quotes.
QString dropDisplay(const std::vector<std::string> &entries);

// A name as the user sees it.
QString displayName(const std::string &bytes);

} // namespace vexel
