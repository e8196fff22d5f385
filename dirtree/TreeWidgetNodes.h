// The folder tree's nodes kept in a QTreeWidget, with a hash from key to item so that
// every lookup takes constant time. Each item carries its key and image keys in its
// data; the selected item shows its selected image.
#pragma once

#include "dirtree/NodeStore.h"
#include "dirtree/TreeImageList.h"

#include <QHash>
#include <QMetaObject>

class QTreeWidget;
class QTreeWidgetItem;

namespace vexel::dirtree {

class TreeWidgetNodes : public NodeStore {
public:
    TreeWidgetNodes(QTreeWidget &tree, const TreeImageList &images);
    ~TreeWidgetNodes() override;
    TreeWidgetNodes(const TreeWidgetNodes &) = delete;
    TreeWidgetNodes &operator=(const TreeWidgetNodes &) = delete;

    bool contains(const QString &key) const override { return items_.contains(key); }
    void addTopLevel(const NodeSpec &node) override;
    void addChildren(const QString &parentKey, const std::vector<NodeSpec> &children) override;
    void removeNode(const QString &key) override;
    void removeChildren(const QString &key) override;
    void removeAll() override;
    std::optional<QString> firstChildText(const QString &key) const override;
    QString selectedKey() const override;
    void select(const QString &key, bool reveal) override;
    void setExpanded(const QString &key, bool expanded) override;

    QTreeWidgetItem *item(const QString &key) const { return items_.value(key); }
    int count() const { return static_cast<int>(items_.size()); }
    static QString keyOf(const QTreeWidgetItem *item);

private:
    QTreeWidgetItem *makeItem(const NodeSpec &node);
    void insertInOrder(QTreeWidgetItem *parent, QTreeWidgetItem *child);
    void forgetSubtree(QTreeWidgetItem *item);
    void moveSelectionOutOf(QTreeWidgetItem *item, bool itemItself);
    void showImage(QTreeWidgetItem *item, bool selected) const;

    QTreeWidget &tree_;
    const TreeImageList &images_;
    QHash<QString, QTreeWidgetItem *> items_;
    QMetaObject::Connection selectionWatch_;
};

} // namespace vexel::dirtree
