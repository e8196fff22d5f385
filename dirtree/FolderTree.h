// The logic of the folder tree: roots with a placeholder each, folders read only when
// their node is opened, the current path, and the answers to the tree control's
// notifications. It works on a NodeStore and IconKeys and reads the disk through a
// FolderSource; until both a store and icons are attached every tree operation does
// nothing. Single-threaded: everything runs on the thread of the window.
#pragma once

#include "dirtree/FolderSource.h"
#include "dirtree/IconKeys.h"
#include "dirtree/NodeStore.h"

#include <functional>

namespace vexel::dirtree {

class FolderTree {
public:
    using FailureSink = std::function<void(const QString &text)>;
    using ChangeSink = std::function<void(const QString &newPath)>;

    // The current path starts as the process's current directory.
    explicit FolderTree(FolderSource &source);

    // Either may be null; a non-null pair clears the store and lists the roots.
    void attach(NodeStore *nodes, IconKeys *images);
    bool ready() const { return nodes_ && images_; }

    void setFailureSink(FailureSink sink) { failureSink_ = std::move(sink); }
    void setChangeSink(ChangeSink sink) { changeSink_ = std::move(sink); }

    // Re-resolves the selected node's folder (as a click on it does) and returns the
    // current path; with no selection, the current path as it is.
    QString Path();
    // Opens the tree along the path as stored on disk and selects its folder. When no
    // node is found for some folder of the chain, the selection and the current path
    // stay as they were.
    void setPath(const QString &newPath);
    // Clears the tree and the images, lists the roots again and reopens the path.
    void Refresh();

    // The tree control's notifications, by node key.
    void Expand(const QString &key);
    void Collapse(const QString &key);
    void NodeClick(const QString &key);
    void GotFocus();

    // The current path without touching the disk or the tree.
    const QString &currentPath() const { return mstrPath; }

private:
    void LoadDrives();
    void AddDriveNode(const Drive &drive);
    void AddDummyNode(const QString &parentKey);
    void AddFolderNodes(QString &parentKey);
    void ListSubFolders(QString &folder);
    void CheckSubFolders(const QString &folder);
    QString GetRealPath(const QString &path);
    FolderIcons GetFolderIcons(const QString &path);

    bool hasPlaceholder(const QString &key, Qt::CaseSensitivity cs) const;
    void readPlaceholderNode(const QString &key);
    bool reportIfUnreadable(const QString &key);

    FolderSource &source_;
    NodeStore *nodes_ = nullptr;
    IconKeys *images_ = nullptr;
    FailureSink failureSink_;
    ChangeSink changeSink_;
    QString mstrPath;
    QStringList mcolFolders; // names found by the last ListSubFolders
};

} // namespace vexel::dirtree
