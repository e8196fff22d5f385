// Times opening a folder with N subfolders in a tree that already holds a folder of
// 20,000 opened subfolders, with the tree's indexed node lookup and with a linear scan
// over all nodes (how the lookup worked before it was indexed), against `find` listing
// the same folder in the same run.
//
// usage: dirtree_bench <empty work folder> <N,N,...> [<N,N,...> for the linear scan]
// The linear scan grows with N times the tree's size, so it is timed at smaller N.
#include "dirtree/FolderTree.h"
#include "dirtree/ProviderIcons.h"
#include "dirtree/TreeWidgetNodes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTreeWidget>
#include <cstdio>

using namespace vexel::dirtree;

namespace {

constexpr int fillerFolders = 20000;

// The lookup as it was: every node compared, ignoring case, for every new folder.
class LinearScanNodes : public NodeStore {
public:
    LinearScanNodes(TreeWidgetNodes &inner, QTreeWidget &tree) : inner_(inner), tree_(tree) {}

    bool contains(const QString &key) const override
    {
        for (int i = 0; i < tree_.topLevelItemCount(); ++i) {
            if (anyKeyIs(tree_.topLevelItem(i), key))
                return true;
        }
        return false;
    }
    void addTopLevel(const NodeSpec &node) override { inner_.addTopLevel(node); }
    void addChildren(const QString &parent, const std::vector<NodeSpec> &children) override
    {
        inner_.addChildren(parent, children);
    }
    void removeNode(const QString &key) override { inner_.removeNode(key); }
    void removeChildren(const QString &key) override { inner_.removeChildren(key); }
    void removeAll() override { inner_.removeAll(); }
    std::optional<QString> firstChildText(const QString &key) const override
    {
        return inner_.firstChildText(key);
    }
    QString selectedKey() const override { return inner_.selectedKey(); }
    void select(const QString &key, bool reveal) override { inner_.select(key, reveal); }
    void setExpanded(const QString &key, bool expanded) override
    {
        inner_.setExpanded(key, expanded);
    }

private:
    // A walk by child position: QTreeWidgetItemIterator steps with indexOfChild, which
    // would make the scan itself quadratic in a wide folder and overstate the old cost.
    static bool anyKeyIs(const QTreeWidgetItem *item, const QString &key)
    {
        if (TreeWidgetNodes::keyOf(item).compare(key, Qt::CaseInsensitive) == 0)
            return true;
        for (int i = 0; i < item->childCount(); ++i) {
            if (anyKeyIs(item->child(i), key))
                return true;
        }
        return false;
    }

    TreeWidgetNodes &inner_;
    QTreeWidget &tree_;
};

class OneRoot : public SystemFolderSource {
public:
    explicit OneRoot(const QString &root) : root_(root) {}
    std::vector<Drive> driveRoots() override { return {{root_, {}}}; }

private:
    QString root_;
};

void makeFolders(const QString &folder, int count)
{
    for (int i = 0; i < count; ++i)
        QDir().mkpath(QString("%1/sub%2").arg(folder).arg(i, 6, 10, QChar('0')));
    // Every tenth subfolder has a child, so the per-child probe sees both answers.
    for (int i = 0; i < count; i += 10)
        QDir().mkpath(QString("%1/sub%2/inner").arg(folder).arg(i, 6, 10, QChar('0')));
}

// `find` listing the folder's subfolders (depth 1), or also reading every subfolder
// (depth 2), which is the work the tree's probe for a first grandchild does.
double findMilliseconds(const QString &folder, int depth)
{
    QElapsedTimer timer;
    timer.start();
    QProcess find;
    find.start("find",
               {folder, "-mindepth", "1", "-maxdepth", QString::number(depth), "-type", "d"});
    find.waitForFinished(-1);
    find.readAllStandardOutput();
    return timer.nsecsElapsed() / 1e6;
}

struct Timing {
    double openMs;
    int nodesBefore;
    int nodesAfter;
};

// Builds a fresh tree, opens the filler folder, then times opening `big`.
Timing openInLargeTree(const QString &root, const QString &big, bool linear)
{
    OneRoot source(root);
    QTreeWidget widget;
    widget.setUniformRowHeights(true);
    widget.show();
    vexel::TreeImageList images;
    TreeWidgetNodes nodes(widget, images);
    LinearScanNodes scanning(nodes, widget);
    ProviderIcons icons(images);
    FolderTree tree(source);
    tree.attach(linear ? static_cast<NodeStore *>(&scanning) : &nodes, &icons);
    tree.Expand(root);
    tree.Expand(root + "filler/");
    const int before = nodes.count();
    QElapsedTimer timer;
    timer.start();
    tree.Expand(big);
    const double ms = timer.nsecsElapsed() / 1e6;
    return {ms, before, nodes.count()};
}

QList<int> sizesFrom(const QString &list)
{
    QList<int> sizes;
    for (const QString &size : list.split(',', Qt::SkipEmptyParts))
        sizes.append(size.toInt());
    return sizes;
}

void report(const QString &root, int count, bool linear)
{
    const QString big = root + QString("big%1/").arg(count);
    if (!QDir(big).exists())
        makeFolders(big, count);
    const double find1 = findMilliseconds(big, 1);
    const double find2 = findMilliseconds(big, 2);
    const Timing t = openInLargeTree(root, big, linear);
    std::printf("%-8s %10d %10d %9.1f %11.1f %11.1f %8.2f %8.2f %9.1f\n",
                linear ? "linear" : "indexed", count, t.nodesBefore, t.openMs, find1, find2,
                t.openMs / find1, t.openMs / find2, 1000.0 * t.openMs / count);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: dirtree_bench <empty work folder> <N,N,...> [<N,N,...>]\n");
        return 2;
    }
    const QString root = QDir(args[0]).absolutePath() + '/';
    makeFolders(root + "filler", fillerFolders);
    std::printf("%-8s %10s %10s %9s %11s %11s %8s %8s %9s\n", "variant", "subfolders", "tree_nodes",
                "open_ms", "find1_ms", "find2_ms", "/find1", "/find2", "us/folder");
    for (int count : sizesFrom(args[1]))
        report(root, count, false);
    for (int count : sizesFrom(args.value(2)))
        report(root, count, true);
    return 0;
}
