// unlha32.so inside a Qt program: its status window "圧縮状況" appears while it works,
// and close() on it stops the work at once, leaving no archive.
#include "LhaCorpus.h"
#include "LoadedLibrary.h"
#include "TestTree.h"
#include "tests/support/QtTestClasses.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <QTest>

using namespace vexel::testsupport;

class LhaStatusWindowTest : public QObject {
    Q_OBJECT
private slots:
    void closingTheStatusWindowStopsAndLeavesNoArchive();
    void noWindowWithTheDisplaySwitchOff();
};

namespace {

QWidget *statusWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == QString::fromUtf8("圧縮状況"))
            return w;
    return nullptr;
}

std::string command(const std::string &switches, const TempFolder &work)
{
    writeFile(work.path() + "krytmp.lst", "\"big.bin\"\n");
    return switches + " \"" + work.path() + "krytmp.lzh\" \"" + work.path() + "in/\" @"
        + work.path() + "krytmp.lst";
}

} // namespace

void LhaStatusWindowTest::closingTheStatusWindowStopsAndLeavesNoArchive()
{
    LoadedLibrary lib("unlha32.so");
    QVERIFY2(lib.loaded(), lib.error().c_str());
    TempFolder work;
    vexel::test::writeStopTestData(work.path() + "in/big.bin");

    bool seen = false;
    QElapsedTimer sinceClose;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget *w = statusWindow(); w && !seen) {
            seen = true;
            QTimer::singleShot(200, [&] {
                if (QWidget *again = statusWindow()) {
                    sinceClose.start();
                    again->close();
                }
            });
        }
    });
    poll.start();
    const int result = lib.run("Unlha", command("a -x1 -r2 -y1 -gm -jm4", work));
    poll.stop();
    QVERIFY(seen);
    QVERIFY2(sinceClose.isValid(), "the work ended before the window was closed");
    QVERIFY(sinceClose.elapsed() < 2000); // the windows' bound, loaded machines included
    QVERIFY(result != 0);
    QVERIFY(!fileExists(work.path() + "krytmp.lzh"));
}

void LhaStatusWindowTest::noWindowWithTheDisplaySwitchOff()
{
    LoadedLibrary lib("unlha32.so");
    TempFolder work;
    writeFile(work.path() + "in/big.bin", std::string(3u << 20, 'z'));
    bool seen = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] { seen = seen || statusWindow(); });
    poll.start();
    QCOMPARE(lib.run("Unlha", command("a -x1 -r2 -y1 -gm -n -jm2", work)), 0);
    QVERIFY(!seen);
    QVERIFY(fileExists(work.path() + "krytmp.lzh"));
}

VEXEL_QTEST_CLASS(LhaStatusWindowTest)
#include "LhaStatusWindowTest.moc"
