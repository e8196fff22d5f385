// The progress window on its own: its layout, the run start's refusals, the search for
// a library's status window and the three kinds of cancel.
#include "run/StartRun.h"

#include "ModalAnswerer.h"
#include "ProgressWindowParts.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QtTest>

using namespace vexel;
using vexel::test::ModalAnswerer;

namespace {

// Stands in for a library's status window: counts the close requests it receives.
class FakeStatusWindow : public QWidget {
public:
    explicit FakeStatusWindow(const QString &title) : QWidget(nullptr, Qt::Window)
    {
        setWindowTitle(title);
    }
    int closeRequests = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeRequests;
        event->accept();
    }
};

using Fixture = vexel::test::ProgressWindowParts;

} // namespace

class ProgressWndTest : public QObject {
    Q_OBJECT

private slots:
    void hasTheDesignedCaptionControlsAndTimers()
    {
        Fixture f;
        QCOMPARE(f.wnd.windowTitle(), QStringLiteral("Vexel - 圧縮実行中"));
        QCOMPARE(f.wnd.size(), QSize(312, 79));
        QCOMPARE(f.wnd.minimumSize(), f.wnd.maximumSize());
        QVERIFY(!f.wnd.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!f.wnd.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        auto *mainMsg = f.wnd.findChild<QLabel *>("MainMsg");
        auto *prg = f.wnd.findChild<QLabel *>("Prg");
        auto *cancel = f.wnd.findChild<QPushButton *>("PrgCancel");
        QVERIFY(mainMsg && prg && cancel);
        QCOMPARE(mainMsg->text(), QStringLiteral("ファイルを圧縮しています －"));
        QCOMPARE(mainMsg->geometry(), QRect(8, 8, 289, 17));
        QCOMPARE(prg->text(), QStringLiteral("-/-"));
        QCOMPARE(prg->geometry(), QRect(136, 32, 49, 17));
        QCOMPARE(cancel->text(), QStringLiteral("中止"));
        QCOMPARE(cancel->geometry(), QRect(96, 56, 121, 20));
        QCOMPARE(f.timer("Tmr")->interval(), 10);
        QCOMPARE(f.timer("WndChkTimer")->interval(), 1);
        QVERIFY(!f.timer("Tmr")->isActive());
        QVERIFY(!f.timer("WndChkTimer")->isActive());
    }

    void refusalsAreCriticalBoxesTitledVexelAndShowNoProgress()
    {
        Fixture f;
        f.main.setFormats({{"LHA", false}, {"ZIP", false}});
        ArchiverAvailability available;
        available.LHAAvailable = true;
        ModalAnswerer catcher;

        f.main.setOutputName("a.gza");
        QVERIFY(StartRun(f.wnd, available, f.request, f.control));
        f.main.setOutputName("data");
        QVERIFY(StartRun(f.wnd, available, f.request, f.control));

        QCOMPARE(catcher.texts(),
                 QStringList({QStringLiteral("必要なDLLが存在しないためGZA形式では圧縮できません"),
                              QStringLiteral("チェックする圧縮形式がひとつも存在しません")}));
        for (const auto &m : catcher.messages) {
            QCOMPARE(m.title, QStringLiteral("Vexel"));
            QCOMPARE(m.icon, QMessageBox::Critical);
        }
        QVERIFY(!f.wnd.isVisible());
        QVERIFY(!f.timer("Tmr")->isActive());
    }

    void statusWindowIsHiddenWhenTheDisplayIsOff()
    {
        Fixture f;
        f.main.setDllVisible(false);
        f.control.CurrentFormat = "ZIP";
        FakeStatusWindow status(QStringLiteral("ZIP32J.DLL Status"));
        FakeStatusWindow decoy(QStringLiteral("ZIP32J.DLL Status "));   // not the exact title
        decoy.show();
        f.wnd.setStatusWindowTimer(true);
        QTest::qWait(20);
        QVERIFY(f.timer("WndChkTimer")->isActive());   // nothing found yet: keeps looking
        QCOMPARE(f.control.StatusWindow, nullptr);

        status.show();
        QTRY_VERIFY(!status.isVisible());
        QVERIFY(decoy.isVisible());
        QCOMPARE(f.control.StatusWindow, static_cast<void *>(&status));
        QVERIFY(!f.timer("WndChkTimer")->isActive());

        f.clickCancel();   // a found status window is what the cancel closes
        QCOMPARE(status.closeRequests, 1);
        QVERIFY(!f.control.CancelRequested);
    }

    void statusWindowIsKeptOnTopWithAlwaysOnTop()
    {
        Fixture f;
        f.main.setDllVisible(true);
        f.main.setAlwaysOnTop(true);
        f.control.CurrentFormat = "CAB";
        FakeStatusWindow status(QStringLiteral("キャビネットファイルを操作しています..."));
        status.show();
        f.wnd.setStatusWindowTimer(true);
        QTRY_COMPARE(f.control.StatusWindow, static_cast<void *>(&status));
        QVERIFY(status.isVisible());
        QVERIFY(status.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void statusWindowIsLeftAloneWithTheDisplayOnAndNotOnTop()
    {
        Fixture f;
        f.main.setDllVisible(true);
        f.control.CurrentFormat = "LHA";
        FakeStatusWindow status(QStringLiteral("圧縮状況"));
        status.show();
        f.wnd.setStatusWindowTimer(true);
        QTRY_COMPARE(f.control.StatusWindow, static_cast<void *>(&status));
        QVERIFY(status.isVisible());
        QVERIFY(!status.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void statusWindowSearchStopsForGzipAndIdlesForCommandLineFormats()
    {
        Fixture f;
        f.control.CurrentFormat = "BZIP2";
        f.wnd.setStatusWindowTimer(true);
        QTRY_VERIFY(!f.timer("WndChkTimer")->isActive());

        f.control.CurrentFormat = "RAR";
        f.wnd.setStatusWindowTimer(true);
        QTest::qWait(20);
        QVERIFY(f.timer("WndChkTimer")->isActive());
        f.wnd.setStatusWindowTimer(false);
        QVERIFY(!f.timer("WndChkTimer")->isActive());
    }

    void cancelWithNothingRunningOnlyRequestsIt()
    {
        Fixture f;
        f.clickCancel();
        QVERIFY(f.control.CancelRequested);
    }

    void cancelNeverTouchesAStatusWindowThatIsGone()
    {
        Fixture f;
        f.control.CurrentFormat = "ZIP";
        auto *status = new FakeStatusWindow(QStringLiteral("ZIP32J.DLL Status"));
        status->show();
        f.wnd.setStatusWindowTimer(true);
        QTRY_COMPARE(f.control.StatusWindow, static_cast<void *>(status));
        delete status;   // the library destroyed its window; the handle is still set
        f.clickCancel();
        QVERIFY(f.control.CancelRequested);
    }

    void escapeDoesNotHideTheWindowOfARun()
    {
        Fixture f;
        f.wnd.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.wnd));
        QTest::keyClick(&f.wnd, Qt::Key_Escape);
        QVERIFY(f.wnd.isVisible());
        QVERIFY(!f.control.CancelRequested);
    }

    void closeOutsideARunClosesNormally()
    {
        Fixture f;
        f.wnd.show();
        QVERIFY(f.wnd.close());
        QVERIFY(!f.wnd.isVisible());
        QVERIFY(!f.control.CancelRequested);
    }
};

QTEST_MAIN(ProgressWndTest)
#include "ProgressWndTest.moc"
