#include "mainwnd/FileList.h"

#include <QDir>
#include <QFileInfo>

namespace vexel {

std::string fileListEntry(const QString &path, const QString &currentDir)
{
    const QFileInfo info(QDir(currentDir), path);
    QString full = QDir::cleanPath(info.absoluteFilePath());
    if (info.isDir())
        full += full.endsWith('/') ? QStringLiteral("*.*") : QStringLiteral("/*.*");
    return full.toStdString();
}

std::vector<std::string> fileListEntries(const QStringList &paths, const QString &currentDir)
{
    std::vector<std::string> entries;
    for (const QString &path : paths) {
        // A name that vanished between the drop and now would only make every archiver fail.
        if (QFileInfo::exists(QDir(currentDir).absoluteFilePath(path)))
            entries.push_back(fileListEntry(path, currentDir));
    }
    return entries;
}

QString fileListDisplay(const std::vector<std::string> &entries)
{
    QStringList quoted;
    for (const std::string &entry : entries)
        quoted << '"' + QString::fromStdString(entry) + '"';
    return quoted.join(' ');
}

} // namespace vexel
