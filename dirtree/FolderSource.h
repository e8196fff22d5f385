// What the folder tree needs to know about the disk: the roots, the subfolders of a
// folder and whether a folder can be read. The tree reads the disk only through this
// interface, so tests can count its calls or make a folder fail.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace vexel::dirtree {

struct Drive {
    QString root;  // ends in "/"
    QString label; // volume label, or empty
};

struct SubfolderList {
    QStringList names; // in the order the system returns them
    int error = 0;     // errno when the folder could not be read
};

class FolderSource {
public:
    virtual ~FolderSource() = default;

    virtual std::vector<Drive> driveRoots() = 0;
    virtual SubfolderList listSubfolders(const QString &folder) = 0;
    // Stops reading at the first subfolder.
    virtual bool hasSubfolder(const QString &folder) = 0;
    // 0 when the folder can be opened and its first entry read, else errno.
    virtual int probeFolder(const QString &folder) = 0;
    virtual bool isFolder(const QString &path) = 0;
    virtual QString errorDescription(int code) = 0;
    // The process's current directory, ending in "/".
    virtual QString currentFolder() = 0;
};

// The running system's folders, through platform/.
class SystemFolderSource : public FolderSource {
public:
    std::vector<Drive> driveRoots() override;
    SubfolderList listSubfolders(const QString &folder) override;
    bool hasSubfolder(const QString &folder) override;
    int probeFolder(const QString &folder) override;
    bool isFolder(const QString &path) override;
    QString errorDescription(int code) override;
    QString currentFolder() override;
};

} // namespace vexel::dirtree
