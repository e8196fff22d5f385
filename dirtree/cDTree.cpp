#include "dirtree/cDTree.h"

#include "dirtree/ProviderIcons.h"
#include "dirtree/TreeWidgetNodes.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMessageBox>

namespace vexel {
namespace {

constexpr int folderIndentPixels = 16;

} // namespace

cDTree::cDTree(QObject *parent)
    : cDTree(std::make_unique<dirtree::SystemFolderSource>(), nullptr, parent)
{}

cDTree::cDTree(dirtree::FolderSource &source, QObject *parent) : cDTree(nullptr, &source, parent) {}

cDTree::cDTree(std::unique_ptr<dirtree::FolderSource> own, dirtree::FolderSource *source,
               QObject *parent)
    : QObject(parent), ownSource_(std::move(own)), tree_(source ? *source : *ownSource_)
{
    tree_.setFailureSink([this](const QString &text) { showFailure(text); });
    tree_.setChangeSink([this](const QString &path) { emit Change(path); });
}

cDTree::~cDTree()
{
    watchTree(false);
    tree_.attach(nullptr, nullptr);
}

void cDTree::setTreeView(QTreeWidget *tree)
{
    watchTree(false);
    mctlTreeView = tree;
    applyPresentation();
    watchTree(true);
    bindControls();
}

void cDTree::setImageList(TreeImageList *images)
{
    mctlImageList = images;
    bindControls();
}

QString cDTree::Path() { return tree_.Path(); }

void cDTree::setPath(const QString &path) { tree_.setPath(path); }

void cDTree::Refresh() { tree_.Refresh(); }

void cDTree::setMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }

bool cDTree::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mctlTreeView) {
        if (event->type() == QEvent::FocusIn)
            mctlTreeView_GotFocus();
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (mctlTreeView_KeyDown(key->key(), key->modifiers()))
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void cDTree::mctlTreeView_Collapse(QTreeWidgetItem *node)
{
    tree_.Collapse(dirtree::TreeWidgetNodes::keyOf(node));
}

void cDTree::mctlTreeView_Expand(QTreeWidgetItem *node)
{
    tree_.Expand(dirtree::TreeWidgetNodes::keyOf(node));
}

void cDTree::mctlTreeView_GotFocus() { tree_.GotFocus(); }

// F5 alone rebuilds the tree; every other key is the tree control's.
bool cDTree::mctlTreeView_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    if (keyCode != Qt::Key_F5 || (shift & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    Refresh();
    return true;
}

void cDTree::mctlTreeView_NodeClick(QTreeWidgetItem *node)
{
    tree_.NodeClick(dirtree::TreeWidgetNodes::keyOf(node));
}

void cDTree::applyPresentation()
{
    if (!mctlTreeView)
        return;
    mctlTreeView->setColumnCount(1);
    mctlTreeView->setHeaderHidden(true);
    mctlTreeView->setRootIsDecorated(true); // lines and plus boxes on the roots too
    mctlTreeView->setItemsExpandable(true);
    mctlTreeView->setIndentation(folderIndentPixels);
    mctlTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mctlTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    mctlTreeView->setSortingEnabled(false);   // roots keep their order; folders are placed in order
    mctlTreeView->setUniformRowHeights(true); // keeps a folder with thousands of children fast
}

void cDTree::watchTree(bool on)
{
    for (const QMetaObject::Connection &connection : treeConnections_)
        disconnect(connection);
    treeConnections_.clear();
    if (!mctlTreeView)
        return;
    if (!on) {
        mctlTreeView->removeEventFilter(this);
        return;
    }
    mctlTreeView->installEventFilter(this);
    treeConnections_ = {
        connect(mctlTreeView, &QTreeWidget::itemCollapsed, this, &cDTree::mctlTreeView_Collapse),
        connect(mctlTreeView, &QTreeWidget::itemExpanded, this, &cDTree::mctlTreeView_Expand),
        connect(mctlTreeView, &QTreeWidget::itemClicked, this,
                [this](QTreeWidgetItem *node, int) { mctlTreeView_NodeClick(node); }),
        // QWidget announces its end before a QPointer to it reads null.
        connect(mctlTreeView, &QObject::destroyed, this,
                [this] {
                    mctlTreeView = nullptr;
                    bindControls();
                }),
    };
}

// The tree logic works only while both controls are set; setting either again starts
// over with the roots.
void cDTree::bindControls()
{
    tree_.attach(nullptr, nullptr);
    nodes_.reset();
    icons_.reset();
    if (!mctlTreeView || !mctlImageList)
        return;
    nodes_ = std::make_unique<dirtree::TreeWidgetNodes>(*mctlTreeView, *mctlImageList);
    icons_ = std::make_unique<dirtree::ProviderIcons>(*mctlImageList);
    tree_.attach(nodes_.get(), icons_.get());
}

void cDTree::showFailure(const QString &text)
{
    if (messageSink_) {
        messageSink_(text);
        return;
    }
    QMessageBox::critical(mctlTreeView ? mctlTreeView->window() : nullptr, QStringLiteral("Vexel"),
                          text);
}

} // namespace vexel

// The meta-object code compiled with this file, not in a unit of its own.
#include "moc_cDTree.cpp"
