// cab32.so with its display on inside a Qt program: the status window carries exactly
// the title the host looks for, and close() on it stops the work without a cabinet.
#include "CabTestSupport.h"
#include "LoadedLibrary.h"
#include "tests/support/QtTestClasses.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QTest>

using namespace cabtest;

class Cab32StatusWindowTest : public QObject {
    Q_OBJECT

private slots:
    void closingTheStatusWindowStopsTheWork()
    {
        TempFolder folder;
        const fs::path dir(folder.path());
        writeBytes(dir / "in" / "text.txt", textBytes(12u << 20, 5));
        writeBytes(dir / "list.lst", Bytes{'"', 'i', 'n', '/', '*', '.', '*', '"', '\n'});
        const QString title = QString::fromUtf8("キャビネットファイルを操作しています...");
        bool found = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && w->windowTitle() == title) {
                    found = true;
                    w->close();
                }
            }
        });
        poll.start(50);

        vexel::testsupport::LoadedLibrary library("cab32.so");
        QVERIFY2(library.loaded(), library.error().c_str());
        const std::string cabPath = (dir / "out.cab").string();
        const int rc = library.run("Cab",
                                   "-a -r -ml:21 \"" + cabPath + "\" \"" + dir.string() + "/\" @"
                                       + (dir / "list.lst").string());
        poll.stop();
        QVERIFY(found);
        QVERIFY(rc != 0);
        QVERIFY(!fs::exists(cabPath));
    }
};

VEXEL_QTEST_CLASS(Cab32StatusWindowTest)
#include "Cab32StatusWindowTest.moc"
