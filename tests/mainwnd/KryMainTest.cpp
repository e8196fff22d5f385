// The start-up window: the file list from names and drops, the start rule, and whole
// runs through the window with the real archiver libraries beside the program.
#include "config/KryOpr.h"
#include "mainwnd/FileList.h"
#include "mainwnd/KryMain.h"
#include "platform/SearchPath.h"

#include "ModalAnswerer.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

using namespace vexel;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Sends a drop of `urls` to `target` the way a drag from a file manager arrives.
void dropOn(QWidget *target, const QList<QUrl> &urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

} // namespace

class KryMainTest : public QObject {
    Q_OBJECT

private slots:
    void entriesAreFullPathsAndFoldersGetTheWildcard()
    {
        QTemporaryDir dir;
        writeFile(dir.path() + "/a b.txt", "x");
        QDir().mkpath(dir.path() + "/folder");
        const auto entries =
            fileListEntries({"a b.txt", dir.path() + "/folder", "missing.txt"}, dir.path());
        QCOMPARE(entries.size(), size_t(2));
        QCOMPARE(QString::fromStdString(entries[0]), dir.path() + "/a b.txt");
        QCOMPARE(QString::fromStdString(entries[1]), dir.path() + "/folder/*.*");
        QCOMPARE(fileListEntry("/", "/tmp"), std::string("/*.*"));
        QCOMPARE(fileListDisplay(entries),
                 '"' + dir.path() + "/a b.txt\" \"" + dir.path() + "/folder/*.*\"");
    }

    void startNeedsFilesAndAName()
    {
        QTemporaryDir dir;
        writeFile(dir.path() + "/a.txt", "x");
        KryMain wnd({}, ArchiverAvailability{});
        auto *start = wnd.findChild<QPushButton *>("KryStart");
        auto *name = wnd.findChild<QLineEdit *>("FileName");
        QVERIFY(!start->isEnabled());
        name->setText("out");
        QVERIFY(!start->isEnabled());
        wnd.setFiles({dir.path() + "/a.txt"});
        QVERIFY(start->isEnabled());
        name->clear();
        QVERIFY(!start->isEnabled());
    }

    void aDropOnAnyControlReplacesTheList()
    {
        QTemporaryDir dir;
        writeFile(dir.path() + "/a.txt", "x");
        writeFile(dir.path() + "/b.txt", "y");
        KryMain wnd({dir.path() + "/a.txt"}, ArchiverAvailability{});
        wnd.show();
        auto *tree = wnd.findChild<QTreeWidget *>("DirList");
        dropOn(tree->viewport(), {QUrl::fromLocalFile(dir.path() + "/b.txt")});
        QCOMPARE(wnd.fileList(), std::vector<std::string>{(dir.path() + "/b.txt").toStdString()});
        // A drop without local files changes nothing.
        dropOn(wnd.findChild<QLineEdit *>("FileName"), {QUrl("https://example.invalid/x")});
        QCOMPARE(wnd.fileList().size(), size_t(1));
        QCOMPARE(wnd.findChild<QLineEdit *>("FreezeFile")->text(),
                 '"' + dir.path() + "/b.txt\"");
    }

    // The whole program's road: discovery finds the real libraries beside the program,
    // every offered format runs, the smallest archive is saved and opens in 7-Zip.
    void aRunThroughTheWindowSavesTheSmallestArchive()
    {
        QTemporaryDir dir;
        const QString src = dir.path() + "/src", save = dir.path() + "/save";
        QByteArray text;
        for (int i = 0; i < 2000; ++i)
            text += "line " + QByteArray::number(i % 37) + " of a repetitive text file\n";
        writeFile(src + "/notes.txt", text);
        writeFile(src + "/sub/more.txt", text.left(5000));
        // Names are quoted without escaping on the way to the libraries.
        writeFile(src + "/sub/say \"hi\" $now.txt", text.left(3000));
        QDir().mkpath(save);
        qputenv("TMPDIR", dir.path().toUtf8());
        platform::setProgramFolderForTesting(VEXEL_BIN_DIR "/");
        const ArchiverAvailability found = DiscoverArchivers();
        QVERIFY(found.LHAAvailable && found.ZIPAvailable && found.CABAvailable &&
                found.BGAAvailable);

        // The save folder is the tree's current folder, which starts at the current directory.
        QDir::setCurrent(save);
        KryMain wnd({src}, found);
        wnd.show();
        auto *formats = wnd.findChild<QListWidget *>("FileType");
        QCOMPARE(formats->count(), 5);   // LHA ZIP CAB GZIP BZIP2; no command-line archivers
        wnd.findChild<QLineEdit *>("FileName")->setText("best");
        test::ModalAnswerer answerer;
        QMetaObject::invokeMethod(&wnd, [&] {
            wnd.findChild<QPushButton *>("KryStart")->click();
        }, Qt::QueuedConnection);
        QTRY_COMPARE_WITH_TIMEOUT(answerer.reports.size(), size_t(1), 120000);
        platform::setProgramFolderForTesting("");

        QVERIFY2(answerer.messages.empty(),
                 qPrintable(answerer.messages.empty() ? QString() : answerer.messages[0].text));
        const QString report = answerer.reports[0].text;
        QCOMPARE(report.count("FileType:"), 5);
        const QStringList saved = QDir(save).entryList(QDir::Files);
        QCOMPARE(saved.size(), 1);
        QVERIFY2(report.endsWith("保存ファイル:" + save + "/" + saved[0]), qPrintable(report));
        // No temporary run folder is left in TMPDIR.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({"save", "src"}));

        // The saved archive is the smallest one the report lists.
        qint64 smallest = -1;
        const QRegularExpression sizeLine(QStringLiteral("FileSize:(\\d+)Byte"));
        for (auto it = sizeLine.globalMatch(report); it.hasNext();) {
            const qint64 size = it.next().captured(1).toLongLong();
            smallest = smallest < 0 ? size : std::min(smallest, size);
        }
        QCOMPARE(QFileInfo(save + "/" + saved[0]).size(), smallest);
        if (saved[0].endsWith(".lzh") || saved[0].endsWith(".ZIP") || saved[0].endsWith(".CAB")) {
            QProcess sevenZip;
            sevenZip.start("7zz", {"t", save + "/" + saved[0]});
            QVERIFY(sevenZip.waitForFinished(60000));
            QVERIFY2(sevenZip.exitCode() == 0, sevenZip.readAllStandardOutput().constData());
        }
    }
};

QTEST_MAIN(KryMainTest)
#include "KryMainTest.moc"
