// The main window's tree of drives and folders. cDTree does not own its controls: the
// owner hands it a QTreeWidget (TreeView) and a TreeImageList (ImageList); once both
// are set it configures the tree, lists the roots and keeps the current path, the
// folder of the node last clicked or last set through Path. Folders are read only when
// their node is opened. Failures to read a folder are shown in a message box titled
// "Vexel" (replaceable for tests).
#pragma once

#include "dirtree/FolderTree.h"
#include "dirtree/TreeImageList.h"

#include <QObject>
#include <QPointer>
#include <QTreeWidget>
#include <functional>
#include <memory>

namespace vexel {

namespace dirtree {
class ProviderIcons;
class TreeWidgetNodes;
} // namespace dirtree

class cDTree : public QObject {
    Q_OBJECT

public:
    using MessageSink = std::function<void(const QString &text)>;

    // Reads the running system's folders.
    explicit cDTree(QObject *parent = nullptr);
    // Reads folders through `source`, which must outlive the tree.
    explicit cDTree(dirtree::FolderSource &source, QObject *parent = nullptr);
    ~cDTree() override;

    QTreeWidget *TreeView() const { return mctlTreeView; }
    void setTreeView(QTreeWidget *tree);
    vexel::TreeImageList *ImageList() const { return mctlImageList; }
    void setImageList(vexel::TreeImageList *images);

    // Re-resolves the selected folder on disk, raises Change with it and returns it
    // (ending in "/"); with no selection, the current path unchanged.
    QString Path();
    // Opens the tree along `path` and selects its folder; does not raise Change.
    void setPath(const QString &path);
    // Rebuilds the tree and the images and reopens the current path.
    void Refresh();

    // Where failure texts go; by default a critical message box.
    void setMessageSink(MessageSink sink);

signals:
    void Change(const QString &NewPath);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    cDTree(std::unique_ptr<dirtree::FolderSource> own, dirtree::FolderSource *source,
           QObject *parent);

    void mctlTreeView_Collapse(QTreeWidgetItem *node);
    void mctlTreeView_Expand(QTreeWidgetItem *node);
    void mctlTreeView_GotFocus();
    bool mctlTreeView_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void mctlTreeView_NodeClick(QTreeWidgetItem *node);

    void applyPresentation();
    void watchTree(bool on);
    void bindControls();
    void showFailure(const QString &text);

    std::unique_ptr<dirtree::FolderSource> ownSource_;
    dirtree::FolderTree tree_;
    QPointer<QTreeWidget> mctlTreeView;
    vexel::TreeImageList *mctlImageList = nullptr;
    std::unique_ptr<dirtree::TreeWidgetNodes> nodes_;
    std::unique_ptr<dirtree::ProviderIcons> icons_;
    MessageSink messageSink_;
    QList<QMetaObject::Connection> treeConnections_;
};

} // namespace vexel
