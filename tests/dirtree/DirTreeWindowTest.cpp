// cDTree driven through a real QTreeWidget on folder trees made for each test. The roots
// are the test's temporary folders; every read of the disk is counted.
#include "CountingFolderSource.h"
#include "dirtree/TreeKeys.h"
#include "dirtree/cDTree.h"
#include "tests/support/QtTestClasses.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <cerrno>

using vexel::cDTree;
using vexel::TreeImageList;
using vexel::dirtree::placeholderText;
using vexel::dirtree::testing::CountingFolderSource;

namespace {

// One folder tree on disk, one tree widget, one cDTree reading through a counter.
struct Fixture {
    explicit Fixture(const QStringList &folders, const QStringList &extraRoots = {})
    {
        root = temp.path() + '/';
        for (const QString &folder : folders)
            QDir().mkpath(root + folder);
        std::vector<vexel::dirtree::Drive> drives{{root, "Test volume"}};
        for (const QString &extra : extraRoots)
            drives.push_back({root + extra, {}});
        source = std::make_unique<CountingFolderSource>(drives);
        tree = std::make_unique<cDTree>(*source);
        tree->setMessageSink([this](const QString &text) { messages.append(text); });
        changes = std::make_unique<QSignalSpy>(tree.get(), &cDTree::Change);
        widget.resize(400, 600);
        widget.show();
    }

    void bind()
    {
        tree->setTreeView(&widget);
        tree->setImageList(&images);
    }

    QTreeWidgetItem *item(const QString &key) const
    {
        for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(&widget)); *it; ++it) {
            if ((*it)->data(0, Qt::UserRole).toString() == key)
                return *it;
        }
        return nullptr;
    }

    int nodeCount() const
    {
        int count = 0;
        for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(&widget)); *it; ++it)
            ++count;
        return count;
    }

    static QStringList childTexts(const QTreeWidgetItem *node)
    {
        QStringList texts;
        for (int i = 0; node && i < node->childCount(); ++i)
            texts.append(node->child(i)->text(0));
        return texts;
    }

    bool hasPlaceholderOnly(const QString &key) const
    {
        return childTexts(item(key)) == QStringList{placeholderText};
    }

    QString selectedKey() const
    {
        const QTreeWidgetItem *current = widget.currentItem();
        return current ? current->data(0, Qt::UserRole).toString() : QString();
    }

    void expand(const QString &key) { item(key)->setExpanded(true); }

    void click(const QString &key)
    {
        QTreeWidgetItem *node = item(key);
        widget.scrollToItem(node);
        QTest::mouseClick(widget.viewport(), Qt::LeftButton, {},
                          widget.visualItemRect(node).center());
    }

    QString lastChange() const
    {
        return changes->isEmpty() ? QString() : changes->last().at(0).toString();
    }

    QTemporaryDir temp;
    QString root;
    std::unique_ptr<CountingFolderSource> source;
    QTreeWidget widget;
    TreeImageList images;
    std::unique_ptr<cDTree> tree;
    std::unique_ptr<QSignalSpy> changes;
    QStringList messages;
};

bool makeFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace

class DirTreeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void rootsAreShownWithoutReadingTheDisk();
    void openingAFolderListsItOnceAndProbesEachChild();
    void plusBoxesFollowSubfoldersHiddenOnesIncluded();
    void collapsingForgetsAndReopeningReadsAgain();
    void writingPathWithWrongCaseSelectsTheStoredFolder();
    void writingPathWithMissingTailSelectsTheDeepestFolder();
    void readingPathAfterDeletionGivesTheNearestAncestor();
    void readingRightAfterWritingGivesTheWrittenFolder();
    void theFirstTreeReadsOnlyTheChainToThePath();
    void clickingAFolderMakesItTheCurrentPath();
    void unreadableFolderIsReportedAndCollapsed();
    void folderWithoutPermissionOnDiskIsReported();
    void f5AloneRefreshesAndKeepsOnlyNeededImages();
    void pathWithoutANodeOnItsChainChangesNothing();
    void readingPathWithoutSelectionReturnsTheCurrentPath();
    void inertUntilBothControlsAreSetAndNeverDuplicatesRoots();
    void siblingsDifferingOnlyInCaseAreBothShown();
    void volumeMountedInsideARootIsShownOnlyAsARoot();
    void focusReselectsTheCurrentPath();
    void collapsingAboveTheSelectionSelectsTheCollapsedFolder();
    void aTreeWidgetDeletedFirstLeavesTheTreeInert();
};

void DirTreeWindowTest::rootsAreShownWithoutReadingTheDisk()
{
    Fixture f({"a/a1", "b"}, {"b/"});
    f.bind();
    QCOMPARE(f.widget.topLevelItemCount(), 2);
    QCOMPARE(f.widget.topLevelItem(0)->text(0), QString("Test volume"));
    QCOMPARE(f.widget.topLevelItem(1)->text(0), f.root + "b"); // no label: its path
    QVERIFY(f.hasPlaceholderOnly(f.root));
    QVERIFY(f.hasPlaceholderOnly(f.root + "b/"));
    QCOMPARE(f.source->totalListings(), 0);
    QCOMPARE(f.source->totalSubfolderChecks(), 0);
    QVERIFY(f.source->probes.isEmpty());
    QVERIFY(f.images.count() >= 1);
    QVERIFY(f.images.key(0).startsWith("ICON:"));
}

void DirTreeWindowTest::openingAFolderListsItOnceAndProbesEachChild()
{
    Fixture f({"a/a1/deep", "b", "c/c1", "c/c2", "d"});
    f.bind();
    f.expand(f.root);
    QCOMPARE(Fixture::childTexts(f.item(f.root)), (QStringList{"a", "b", "c", "d"}));
    QCOMPARE(f.source->listings, (QHash<QString, int>{{f.root, 1}}));
    QHash<QString, int> eachChildOnce;
    for (const char *child : {"a/", "b/", "c/", "d/"})
        eachChildOnce[f.root + child] = 1;
    QCOMPARE(f.source->subfolderChecks, eachChildOnce);
    // Folders share their icon: the list holds one image per icon, not one per folder.
    QVERIFY(f.images.count() <= 3);
}

void DirTreeWindowTest::plusBoxesFollowSubfoldersHiddenOnesIncluded()
{
    Fixture f({"files", "hidden/.secret", "empty", "full/sub"});
    QVERIFY(makeFile(f.root + "files/readme.txt"));
    QVERIFY(makeFile(f.root + "files/.profile"));
    f.bind();
    f.expand(f.root);
    QCOMPARE(f.item(f.root + "files/")->childCount(), 0);
    QCOMPARE(f.item(f.root + "empty/")->childCount(), 0);
    QVERIFY(f.hasPlaceholderOnly(f.root + "hidden/"));
    QVERIFY(f.hasPlaceholderOnly(f.root + "full/"));
    f.expand(f.root + "hidden/");
    QCOMPARE(Fixture::childTexts(f.item(f.root + "hidden/")), QStringList{".secret"});
}

void DirTreeWindowTest::collapsingForgetsAndReopeningReadsAgain()
{
    Fixture f({"a/one"});
    f.bind();
    f.expand(f.root);
    f.expand(f.root + "a/");
    QCOMPARE(Fixture::childTexts(f.item(f.root + "a/")), QStringList{"one"});
    f.item(f.root + "a/")->setExpanded(false);
    QVERIFY(f.hasPlaceholderOnly(f.root + "a/"));
    QVERIFY(!f.item(f.root + "a/one/"));
    QVERIFY(QDir().mkpath(f.root + "a/two"));
    f.expand(f.root + "a/");
    QCOMPARE(Fixture::childTexts(f.item(f.root + "a/")), (QStringList{"one", "two"}));
    QCOMPARE(f.source->listings.value(f.root + "a/"), 2);
}

void DirTreeWindowTest::writingPathWithWrongCaseSelectsTheStoredFolder()
{
    Fixture f({"Alpha/Beta/Inner", "Other"});
    f.bind();
    f.tree->setPath(f.root + "alpha/BETA");
    QCOMPARE(f.selectedKey(), f.root + "Alpha/Beta/");
    QVERIFY(f.item(f.root + "Alpha/Beta/")->isExpanded());
    QVERIFY(f.item(f.root + "Alpha/")->isExpanded()); // the folder is in view
    QCOMPARE(f.changes->count(), 0);                  // writing raises no Change
    QCOMPARE(f.tree->Path(), f.root + "Alpha/Beta/");
}

void DirTreeWindowTest::writingPathWithMissingTailSelectsTheDeepestFolder()
{
    Fixture f({"Alpha/Beta"});
    f.bind();
    f.tree->setPath(f.root + "Alpha/Beta/not/there/");
    QCOMPARE(f.selectedKey(), f.root + "Alpha/Beta/");
    QCOMPARE(f.tree->Path(), f.root + "Alpha/Beta/");
}

void DirTreeWindowTest::readingPathAfterDeletionGivesTheNearestAncestor()
{
    Fixture f({"Alpha/Beta/Gamma"});
    f.bind();
    f.tree->setPath(f.root + "Alpha/Beta/Gamma/");
    QVERIFY(QDir(f.root + "Alpha/Beta").removeRecursively());
    QCOMPARE(f.tree->Path(), f.root + "Alpha/");
    QCOMPARE(f.changes->count(), 1);
    QCOMPARE(f.lastChange(), f.root + "Alpha/");
    QVERIFY(f.messages.isEmpty()); // a folder that is gone is no read failure
}

void DirTreeWindowTest::readingRightAfterWritingGivesTheWrittenFolder()
{
    Fixture f({"Alpha"});
    f.bind();
    f.tree->setPath(f.root + "Alpha");
    QCOMPARE(f.tree->Path(), f.root + "Alpha/");
    QCOMPARE(f.changes->count(), 1);
    QCOMPARE(f.lastChange(), f.root + "Alpha/");
}

void DirTreeWindowTest::theFirstTreeReadsOnlyTheChainToThePath()
{
    Fixture f({"a/a1/deep/x", "a/a2/y", "b/b1", "c"});
    f.bind();
    f.tree->setPath(f.root + "a/a1/deep");
    QHash<QString, int> chainOnce;
    for (const QString &folder : {f.root, f.root + "a/", f.root + "a/a1/", f.root + "a/a1/deep/"})
        chainOnce[folder] = 1;
    QCOMPARE(f.source->listings, chainOnce);
    // Only children of the chain are probed for a first subfolder, each once.
    for (auto it = f.source->subfolderChecks.cbegin(); it != f.source->subfolderChecks.cend();
         ++it) {
        QCOMPARE(it.value(), 1);
        const QString parent = it.key().left(it.key().lastIndexOf('/', -2) + 1);
        QVERIFY2(chainOnce.contains(parent), qPrintable(it.key()));
    }
    QCOMPARE(f.source->subfolderChecks.size(), 3 + 2 + 1 + 1);
}

void DirTreeWindowTest::clickingAFolderMakesItTheCurrentPath()
{
    Fixture f({"a", "b/c"});
    f.bind();
    f.expand(f.root);
    f.click(f.root + "b/");
    QCOMPARE(f.changes->count(), 1);
    QCOMPARE(f.lastChange(), f.root + "b/");
    QCOMPARE(f.selectedKey(), f.root + "b/");
    QCOMPARE(f.tree->Path(), f.root + "b/");
}

void DirTreeWindowTest::unreadableFolderIsReportedAndCollapsed()
{
    Fixture f({"locked/inside", "open/sub"});
    f.bind();
    f.tree->setPath(f.root + "open");
    f.expand(f.root + "open/");
    f.source->probeFailures[f.root + "locked/"] = EACCES;
    const QString expected = f.source->errorDescription(EACCES) + ": &HD";

    f.expand(f.root + "locked/");
    QCOMPARE(f.messages, QStringList{expected});
    QVERIFY(!f.item(f.root + "locked/")->isExpanded());
    QVERIFY(f.hasPlaceholderOnly(f.root + "locked/")); // may be tried again later
    QCOMPARE(f.source->listings.value(f.root + "locked/"), 0);
    QCOMPARE(f.selectedKey(), f.root + "open/");

    f.click(f.root + "locked/");
    QCOMPARE(f.messages.size(), 2);
    QCOMPARE(f.changes->count(), 0);
    f.source->probeFailures.clear();
    QCOMPARE(f.tree->Path(), f.root + "locked/"); // the click selected it; now readable

    // The tree goes on working.
    f.expand(f.root + "locked/");
    QCOMPARE(Fixture::childTexts(f.item(f.root + "locked/")), QStringList{"inside"});
}

void DirTreeWindowTest::folderWithoutPermissionOnDiskIsReported()
{
    Fixture f({"locked/inside", "open"});
    const QString locked = f.root + "locked/";
    f.bind();
    f.tree->setPath(f.root + "open");
    QVERIFY(f.hasPlaceholderOnly(locked)); // readable when its parent was listed
    QVERIFY(QFile::setPermissions(locked, {}));
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (!QDir(locked).entryList().isEmpty())
        QSKIP("running with privileges that read a mode-000 folder anyway");

    f.expand(locked);
    QCOMPARE(f.messages.size(), 1);
    QVERIFY(f.messages[0].endsWith(": &HD"));
    QVERIFY(!f.item(locked)->isExpanded());
    f.click(locked);
    QCOMPARE(f.messages.size(), 2);
    QCOMPARE(f.changes->count(), 0);
    QCOMPARE(f.tree->Path(), f.root + "open/");
    QCOMPARE(f.messages.size(), 3); // reading Path probes the selected folder again
}

void DirTreeWindowTest::f5AloneRefreshesAndKeepsOnlyNeededImages()
{
    Fixture f({"Alpha/Beta", "c/c1"});
    f.bind();
    f.tree->setPath(f.root + "Alpha/Beta");
    f.expand(f.root + "c/");
    f.images.add("ICON:stale", QIcon());
    const int listingsBefore = f.source->totalListings();

    f.widget.setFocus();
    for (Qt::KeyboardModifier held : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
        QTest::keyClick(&f.widget, Qt::Key_F5, held);
    QCOMPARE(f.source->totalListings(), listingsBefore);
    QVERIFY(f.item(f.root + "c/c1/"));
    QVERIFY(f.images.contains("ICON:stale"));

    QTest::keyClick(&f.widget, Qt::Key_F5);
    QVERIFY(!f.item(f.root + "c/c1/")); // the user's expansion is gone
    QVERIFY(f.hasPlaceholderOnly(f.root + "c/"));
    QCOMPARE(f.selectedKey(), f.root + "Alpha/Beta/"); // the path's chain is open again
    QVERIFY(!f.images.contains("ICON:stale"));

    Fixture fresh({"Alpha/Beta", "c/c1"});
    fresh.bind();
    fresh.tree->setPath(fresh.root + "Alpha/Beta");
    QCOMPARE(f.images.count(), fresh.images.count());
}

void DirTreeWindowTest::pathWithoutANodeOnItsChainChangesNothing()
{
    Fixture f({"Alpha", "Locked/inner"});
    QTemporaryDir elsewhere;
    QVERIFY(QDir().mkpath(elsewhere.path() + "/x"));
    f.bind();
    f.tree->setPath(elsewhere.path() + "/x"); // nothing selected yet: the path itself shows
    QCOMPARE(f.tree->Path(), QDir::currentPath() + '/');
    f.tree->setPath(f.root + "Alpha");
    const int nodes = f.nodeCount();
    f.tree->setPath(elsewhere.path() + "/x");
    QCOMPARE(f.selectedKey(), f.root + "Alpha/");
    QCOMPARE(f.nodeCount(), nodes);
    QCOMPARE(f.tree->Path(), f.root + "Alpha/");

    // A folder on the chain that cannot be listed leaves no node for the target either.
    f.source->listFailures[f.root + "Locked/"] = EACCES;
    f.tree->setPath(f.root + "Locked/inner");
    QCOMPARE(f.selectedKey(), f.root + "Alpha/");
    QCOMPARE(f.tree->Path(), f.root + "Alpha/");
}

void DirTreeWindowTest::readingPathWithoutSelectionReturnsTheCurrentPath()
{
    Fixture f({"a"});
    f.bind();
    const QString start = QDir::currentPath() + '/';
    QCOMPARE(f.tree->Path(), start);
    QCOMPARE(f.changes->count(), 0);
}

void DirTreeWindowTest::inertUntilBothControlsAreSetAndNeverDuplicatesRoots()
{
    Fixture f({"a"});
    f.tree->setTreeView(&f.widget);
    f.tree->setPath(f.root + "a");
    QCOMPARE(f.widget.topLevelItemCount(), 0);
    QCOMPARE(f.tree->Path(), QDir::currentPath() + '/');
    f.tree->setImageList(&f.images);
    QCOMPARE(f.widget.topLevelItemCount(), 1);
    f.tree->setTreeView(&f.widget);
    f.tree->setImageList(&f.images);
    QCOMPARE(f.widget.topLevelItemCount(), 1);
    QCOMPARE(f.item(f.root)->childCount(), 1);
}

void DirTreeWindowTest::siblingsDifferingOnlyInCaseAreBothShown()
{
    Fixture f({"Data/upper", "data/lower"});
    f.bind();
    f.expand(f.root);
    QCOMPARE(Fixture::childTexts(f.item(f.root)), (QStringList{"Data", "data"}));
    f.tree->setPath(f.root + "data");
    QCOMPARE(f.tree->Path(), f.root + "data/");
}

void DirTreeWindowTest::volumeMountedInsideARootIsShownOnlyAsARoot()
{
    Fixture f({"media/usb/photos", "home"}, {"media/usb/"});
    f.bind();
    f.tree->setPath(f.root + "media/usb/photos");
    QCOMPARE(Fixture::childTexts(f.item(f.root + "media/")), QStringList{});
    QCOMPARE(f.selectedKey(), f.root + "media/usb/photos/");
    QCOMPARE(f.item(f.root + "media/usb/photos/")->parent(), f.widget.topLevelItem(1));
}

void DirTreeWindowTest::focusReselectsTheCurrentPath()
{
    Fixture f({"a", "b"});
    f.bind();
    f.tree->setPath(f.root + "a");
    QLineEdit other; // somewhere else to put the focus
    other.show();
    f.widget.setCurrentItem(f.item(f.root + "b/"));
    other.setFocus();
    QApplication::setActiveWindow(&f.widget);
    f.widget.setFocus();
    QTRY_COMPARE(f.selectedKey(), f.root + "a/");
}

void DirTreeWindowTest::collapsingAboveTheSelectionSelectsTheCollapsedFolder()
{
    Fixture f({"a/b/c"});
    f.bind();
    f.tree->setPath(f.root + "a/b/c");
    f.item(f.root + "a/")->setExpanded(false);
    QCOMPARE(f.selectedKey(), f.root + "a/");
    QCOMPARE(f.tree->Path(), f.root + "a/");
}

void DirTreeWindowTest::aTreeWidgetDeletedFirstLeavesTheTreeInert()
{
    Fixture f({"a", "b"});
    auto *first = new QTreeWidget;
    f.tree->setTreeView(first);
    f.tree->setImageList(&f.images);
    f.tree->setPath(f.root + "a");
    delete first;
    QVERIFY(!f.tree->TreeView());
    f.tree->Refresh();
    f.tree->setPath(f.root + "b");
    QCOMPARE(f.tree->Path(), f.root + "a/");
    f.tree->setTreeView(&f.widget);
    f.tree->setPath(f.root + "b");
    QCOMPARE(f.tree->Path(), f.root + "b/");
}

VEXEL_QTEST_CLASS(DirTreeWindowTest)
#include "DirTreeWindowTest.moc"
