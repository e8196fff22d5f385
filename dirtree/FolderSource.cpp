#include "dirtree/FolderSource.h"

#include "platform/Drives.h"
#include "platform/FolderListing.h"

#include <QDir>

namespace vexel::dirtree {
namespace {

std::string toUtf8(const QString &text) { return text.toUtf8().toStdString(); }
QString fromUtf8(const std::string &text) { return QString::fromUtf8(text); }

} // namespace

std::vector<Drive> SystemFolderSource::driveRoots()
{
    std::vector<Drive> drives;
    for (const platform::DriveRoot &root : platform::listDriveRoots())
        drives.push_back({fromUtf8(root.path), fromUtf8(root.label)});
    return drives;
}

SubfolderList SystemFolderSource::listSubfolders(const QString &folder)
{
    const platform::FolderList found = platform::listSubfolders(toUtf8(folder));
    SubfolderList list;
    list.error = found.error;
    list.names.reserve(static_cast<qsizetype>(found.names.size()));
    for (const std::string &name : found.names)
        list.names.append(fromUtf8(name));
    return list;
}

bool SystemFolderSource::hasSubfolder(const QString &folder)
{
    return platform::hasSubfolder(toUtf8(folder));
}

int SystemFolderSource::probeFolder(const QString &folder)
{
    return platform::probeFolder(toUtf8(folder));
}

bool SystemFolderSource::isFolder(const QString &path) { return platform::isFolder(toUtf8(path)); }

QString SystemFolderSource::errorDescription(int code)
{
    return fromUtf8(platform::errorDescription(code));
}

QString SystemFolderSource::currentFolder()
{
    QString folder = QDir::currentPath();
    return folder.endsWith('/') ? folder : folder + '/';
}

} // namespace vexel::dirtree
