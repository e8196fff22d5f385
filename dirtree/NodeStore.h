// The tree control as the folder tree logic sees it: nodes found by key, children kept
// in folder order (see folderTextLess), a selected node and expanded flags. The program
// implements it over a QTreeWidget (TreeWidgetNodes); every lookup by key is expected to
// take constant time, so that opening a folder costs time in proportion to its subfolders.
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace vexel::dirtree {

struct NodeSpec {
    QString key; // unique in the whole tree
    QString text;
    QString image;         // image key, or "" for none
    QString selectedImage; // image key shown while selected, or "" for the same as image
};

class NodeStore {
public:
    virtual ~NodeStore() = default;

    virtual bool contains(const QString &key) const = 0;
    // Top-level nodes stay in the order they were added.
    virtual void addTopLevel(const NodeSpec &node) = 0;
    // Children are placed in folder order among the parent's children. A missing parent
    // or a key already in the tree is passed over.
    virtual void addChildren(const QString &parentKey, const std::vector<NodeSpec> &children) = 0;
    virtual void removeNode(const QString &key) = 0;     // with its subtree
    virtual void removeChildren(const QString &key) = 0; // the node itself stays
    virtual void removeAll() = 0;
    // The text of the node's first child; nothing when it has no children or no such node.
    virtual std::optional<QString> firstChildText(const QString &key) const = 0;
    // The selected node's key, or "" when none is selected.
    virtual QString selectedKey() const = 0;
    // `reveal` opens the node's ancestors and scrolls it into view.
    virtual void select(const QString &key, bool reveal) = 0;
    virtual void setExpanded(const QString &key, bool expanded) = 0;
};

} // namespace vexel::dirtree
