#include "mainwnd/FileList.h"

#include "platform/Files.h"
#include "platform/FolderListing.h"

#include <QMimeData>
#include <QStringList>

namespace vexel {

namespace {

// The path with "." and empty components removed and ".." taking back the component
// before it, by name only (as QDir::cleanPath does, but on bytes).
std::string cleanedPath(const std::string &absolute)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= absolute.size()) {
        std::size_t end = absolute.find('/', start);
        if (end == std::string::npos)
            end = absolute.size();
        const std::string part = absolute.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string path;
    for (const std::string &part : parts)
        path += '/' + part;
    return path.empty() ? std::string("/") : path;
}

std::string absolutePath(const std::string &path, const std::string &currentDir)
{
    if (!path.empty() && path.front() == '/')
        return cleanedPath(path);
    return cleanedPath(currentDir + '/' + path);
}

} // namespace

std::string fileListEntry(const std::string &path, const std::string &currentDir)
{
    std::string full = absolutePath(path, currentDir);
    if (platform::isFolder(full))
        full += full.back() == '/' ? "*.*" : "/*.*";
    return full;
}

NamedFiles fileListFromNames(const std::vector<std::string> &names, const std::string &currentDir)
{
    NamedFiles files;
    for (const std::string &name : names) {
        const std::string full = absolutePath(name, currentDir);
        // A name that names nothing would only make every archiver fail later.
        if (!name.empty() && (platform::isFolder(full) || platform::fileExists(full)))
            files.entries.push_back(fileListEntry(name, currentDir));
        else
            files.missing.push_back(name);
    }
    return files;
}

std::vector<std::string> localFileNames(const QList<QUrl> &urls)
{
    std::vector<std::string> names;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
        const QByteArray bytes = QByteArray::fromPercentEncoding(encoded);
        if (!bytes.isEmpty())
            names.push_back(bytes.toStdString());
    }
    return names;
}

std::vector<std::string> droppedNames(const QMimeData *mime)
{
    if (mime == nullptr || !mime->hasUrls())
        return {};
    return localFileNames(mime->urls());
}

QString displayName(const std::string &bytes)
{
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

QString fileListDisplay(const std::vector<std::string> &entries)
{
    QStringList quoted;
    for (const std::string &entry : entries)
        quoted << '"' + displayName(entry) + '"';
    return quoted.join(' ');
}

QString dropDisplay(const std::vector<std::string> &entries)
{
    return entries.size() == 1 ? displayName(entries.front()) : fileListDisplay(entries);
}

} // namespace vexel
