#include "dirtree/FolderTree.h"

#include "dirtree/RealPath.h"
#include "dirtree/TreeKeys.h"

#include <cerrno>

namespace vexel::dirtree {

FolderTree::FolderTree(FolderSource &source) : source_(source), mstrPath(source.currentFolder()) {}

void FolderTree::attach(NodeStore *nodes, IconKeys *images)
{
    nodes_ = nodes;
    images_ = images;
    if (!ready())
        return;
    // Attaching again must not list the roots a second time on top of the first.
    nodes_->removeAll();
    LoadDrives();
}

QString FolderTree::Path()
{
    if (!ready())
        return mstrPath;
    const QString selected = nodes_->selectedKey();
    if (!selected.isEmpty())
        NodeClick(selected);
    return mstrPath;
}

void FolderTree::setPath(const QString &newPath)
{
    if (!ready())
        return;
    const QString target = GetRealPath(newPath);
    // Folders above the root that holds the path have no node, and neither has anything
    // below a folder that could not be read: the target is then not found.
    for (qsizetype slash = target.indexOf('/'); slash >= 0;
         slash = target.indexOf('/', slash + 1)) {
        const QString key = target.left(slash + 1);
        if (hasPlaceholder(key, Qt::CaseInsensitive))
            readPlaceholderNode(key);
    }
    if (!nodes_->contains(target))
        return;
    nodes_->select(target, true);
    nodes_->setExpanded(target, true);
    mstrPath = target;
}

void FolderTree::Refresh()
{
    if (!ready())
        return;
    nodes_->removeAll();
    images_->removeAll();
    LoadDrives();
    setPath(mstrPath);
}

void FolderTree::Expand(const QString &key)
{
    if (!ready() || !hasPlaceholder(key, Qt::CaseSensitive))
        return; // already read: what is shown stays as it was read
    if (reportIfUnreadable(key)) {
        nodes_->setExpanded(key, false);
        return;
    }
    readPlaceholderNode(key);
}

void FolderTree::Collapse(const QString &key)
{
    if (!ready())
        return;
    // A closed folder forgets its children; opening it again reads the disk again.
    nodes_->removeChildren(key);
    AddDummyNode(key);
}

void FolderTree::NodeClick(const QString &key)
{
    if (!ready())
        return;
    if (reportIfUnreadable(key)) {
        nodes_->setExpanded(key, false);
        return;
    }
    mstrPath = GetRealPath(key);
    if (changeSink_)
        changeSink_(mstrPath);
}

void FolderTree::GotFocus()
{
    if (ready() && nodes_->contains(mstrPath))
        nodes_->select(mstrPath, false);
}

void FolderTree::LoadDrives()
{
    if (!ready())
        return;
    for (const Drive &drive : source_.driveRoots())
        AddDriveNode(drive);
}

void FolderTree::AddDriveNode(const Drive &drive)
{
    const QString root = drive.root.endsWith('/') ? drive.root : drive.root + '/';
    if (nodes_->contains(root))
        return;
    const QString text =
        drive.label.isEmpty() ? (root == "/" ? root : root.chopped(1)) : drive.label;
    nodes_->addTopLevel({root, text, images_->driveImage(root), {}});
    // Roots are never read before they are opened: an empty drive gets a plus box too.
    AddDummyNode(root);
}

void FolderTree::AddDummyNode(const QString &parentKey)
{
    nodes_->addChildren(parentKey, {{placeholderKey(parentKey), placeholderText, {}, {}}});
}

void FolderTree::AddFolderNodes(QString &parentKey)
{
    const QString node = parentKey;
    ListSubFolders(parentKey);
    // A folder that vanished since it was listed resolves to an ancestor; its names
    // must not be hung under that ancestor.
    if (parentKey != node)
        return;
    std::vector<NodeSpec> children;
    children.reserve(static_cast<size_t>(mcolFolders.size()));
    for (const QString &name : mcolFolders) {
        const QString key = childKey(parentKey, name);
        // Another root may already stand for this folder (a volume mounted inside /).
        if (nodes_->contains(key))
            continue;
        const FolderIcons icons = GetFolderIcons(key);
        children.push_back({key, name, icons.image, icons.selectedImage});
    }
    nodes_->addChildren(parentKey, children);
    for (const NodeSpec &child : children)
        CheckSubFolders(child.key);
}

void FolderTree::ListSubFolders(QString &folder)
{
    if (!folder.endsWith('/'))
        folder += '/';
    // A folder that cannot be listed is shown as having no subfolders.
    mcolFolders = source_.listSubfolders(folder).names;
    folder = GetRealPath(folder);
}

void FolderTree::CheckSubFolders(const QString &folder)
{
    const QString path = folder.endsWith('/') ? folder : folder + '/';
    if (source_.hasSubfolder(path))
        AddDummyNode(path);
}

QString FolderTree::GetRealPath(const QString &path) { return realPath(path, source_); }

FolderIcons FolderTree::GetFolderIcons(const QString &path) { return images_->folderImages(path); }

bool FolderTree::hasPlaceholder(const QString &key, Qt::CaseSensitivity cs) const
{
    const std::optional<QString> first = nodes_->firstChildText(key);
    return first && first->compare(placeholderText, cs) == 0;
}

void FolderTree::readPlaceholderNode(const QString &key)
{
    nodes_->removeNode(placeholderKey(key));
    QString parentKey = key;
    AddFolderNodes(parentKey);
}

// A folder that is missing is no failure here: its path resolves to an ancestor.
bool FolderTree::reportIfUnreadable(const QString &key)
{
    const int code = source_.probeFolder(key);
    if (code == 0 || code == ENOENT || code == ENOTDIR)
        return false;
    if (failureSink_)
        failureSink_(failureText(source_.errorDescription(code), code));
    return true;
}

} // namespace vexel::dirtree
