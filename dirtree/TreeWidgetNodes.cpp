#include "dirtree/TreeWidgetNodes.h"

#include "dirtree/TreeKeys.h"

#include <QTreeWidget>
#include <algorithm>

namespace vexel::dirtree {
namespace {

enum Role { KeyRole = Qt::UserRole, ImageRole, SelectedImageRole };

bool itemTextLess(const QTreeWidgetItem *a, const QTreeWidgetItem *b)
{
    return folderTextLess(a->text(0), b->text(0));
}

bool isInside(const QTreeWidgetItem *item, const QTreeWidgetItem *ancestor)
{
    for (; item; item = item->parent()) {
        if (item == ancestor)
            return true;
    }
    return false;
}

} // namespace

TreeWidgetNodes::TreeWidgetNodes(QTreeWidget &tree, const TreeImageList &images)
    : tree_(tree), images_(images)
{
    selectionWatch_ = QObject::connect(&tree_, &QTreeWidget::currentItemChanged,
                                       [this](QTreeWidgetItem *current, QTreeWidgetItem *previous) {
                                           showImage(previous, false);
                                           showImage(current, true);
                                       });
}

TreeWidgetNodes::~TreeWidgetNodes() { QObject::disconnect(selectionWatch_); }

QString TreeWidgetNodes::keyOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}

void TreeWidgetNodes::addTopLevel(const NodeSpec &node)
{
    if (!contains(node.key))
        tree_.addTopLevelItem(makeItem(node));
}

void TreeWidgetNodes::addChildren(const QString &parentKey, const std::vector<NodeSpec> &children)
{
    QTreeWidgetItem *parent = item(parentKey);
    if (!parent)
        return;
    QList<QTreeWidgetItem *> fresh;
    fresh.reserve(static_cast<qsizetype>(children.size()));
    for (const NodeSpec &node : children) {
        if (!contains(node.key))
            fresh.append(makeItem(node));
    }
    if (parent->childCount() > 0) {
        for (QTreeWidgetItem *child : fresh)
            insertInOrder(parent, child);
        return;
    }
    // One sort and one insertion: adding a large folder's children one by one in order
    // would move the items already there every time.
    std::stable_sort(fresh.begin(), fresh.end(), itemTextLess);
    parent->addChildren(fresh);
}

void TreeWidgetNodes::removeNode(const QString &key)
{
    QTreeWidgetItem *node = item(key);
    if (!node)
        return;
    moveSelectionOutOf(node, true);
    forgetSubtree(node);
    delete node;
}

void TreeWidgetNodes::removeChildren(const QString &key)
{
    QTreeWidgetItem *node = item(key);
    if (!node || node->childCount() == 0)
        return;
    moveSelectionOutOf(node, false);
    const QList<QTreeWidgetItem *> children = node->takeChildren();
    for (QTreeWidgetItem *child : children)
        forgetSubtree(child);
    qDeleteAll(children);
}

void TreeWidgetNodes::removeAll()
{
    tree_.setCurrentItem(nullptr);
    items_.clear();
    tree_.clear();
}

std::optional<QString> TreeWidgetNodes::firstChildText(const QString &key) const
{
    const QTreeWidgetItem *node = item(key);
    if (!node || node->childCount() == 0)
        return std::nullopt;
    return node->child(0)->text(0);
}

QString TreeWidgetNodes::selectedKey() const
{
    const QTreeWidgetItem *current = tree_.currentItem();
    return current && current->isSelected() ? keyOf(current) : QString();
}

void TreeWidgetNodes::select(const QString &key, bool reveal)
{
    QTreeWidgetItem *node = item(key);
    if (!node)
        return;
    // Making an item current scrolls to it; when the tree gets the focus from a mouse
    // press that would move another item under the pointer before the press lands.
    const bool autoScroll = tree_.hasAutoScroll();
    tree_.setAutoScroll(reveal);
    tree_.setCurrentItem(node);
    tree_.setAutoScroll(autoScroll);
    if (reveal)
        tree_.scrollToItem(node);
}

void TreeWidgetNodes::setExpanded(const QString &key, bool expanded)
{
    if (QTreeWidgetItem *node = item(key))
        node->setExpanded(expanded);
}

QTreeWidgetItem *TreeWidgetNodes::makeItem(const NodeSpec &node)
{
    auto *created = new QTreeWidgetItem(QStringList{node.text});
    created->setData(0, KeyRole, node.key);
    created->setData(0, ImageRole, node.image);
    created->setData(0, SelectedImageRole, node.selectedImage);
    showImage(created, false);
    items_.insert(node.key, created);
    return created;
}

void TreeWidgetNodes::insertInOrder(QTreeWidgetItem *parent, QTreeWidgetItem *child)
{
    int low = 0;
    int high = parent->childCount();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (itemTextLess(parent->child(middle), child))
            low = middle + 1;
        else
            high = middle;
    }
    parent->insertChild(low, child);
}

void TreeWidgetNodes::forgetSubtree(QTreeWidgetItem *item)
{
    items_.remove(keyOf(item));
    for (int i = 0; i < item->childCount(); ++i)
        forgetSubtree(item->child(i));
}

// A selected node that goes away hands the selection to the node that loses it (or
// that node's parent) rather than to whatever row happens to follow.
void TreeWidgetNodes::moveSelectionOutOf(QTreeWidgetItem *item, bool itemItself)
{
    QTreeWidgetItem *current = tree_.currentItem();
    if (!current || !isInside(current, item) || (current == item && !itemItself))
        return;
    tree_.setCurrentItem(itemItself ? item->parent() : item);
}

void TreeWidgetNodes::showImage(QTreeWidgetItem *item, bool selected) const
{
    if (!item)
        return;
    QString key = item->data(0, selected ? SelectedImageRole : ImageRole).toString();
    if (key.isEmpty())
        key = item->data(0, ImageRole).toString();
    item->setIcon(0, images_.icon(key));
}

} // namespace vexel::dirtree
