// The progress window on its own: its layout, the run start's refusals, the search for
// a library's status window and the three kinds of cancel.
#include "run/StartRun.h"

#include "ModalAnswerer.h"
#include "ProgressWindowParts.h"
#include "tests/support/QtTestClasses.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTest>

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
        // The design's 312 x 79 client area, grown downwards for the progress display.
        QCOMPARE(f.wnd.size(), QSize(312, 172));
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
        QCOMPARE(f.timer("ProgressTimer")->interval(), 100);
        QVERIFY(!f.timer("ProgressTimer")->isActive());
    }

    void progressControlsSitBelowTheDesignedOnesWithoutOverlap()
    {
        Fixture f;
        const QList<QWidget *> added{f.bar("FormatBar"),     f.bar("OverallBar"),
                                     f.label("FormatLabel"), f.label("OverallLabel"),
                                     f.label("MemberName"),  f.label("TimeText"),
                                     f.label("FileCount")};
        const QList<QWidget *> designed{f.label("MainMsg"), f.label("Prg"),
                                        f.wnd.findChild<QPushButton *>("PrgCancel")};
        for (QWidget *w : added) {
            QVERIFY2(w, "missing control");
            QVERIFY2(w->geometry().top() >= 79, qPrintable(w->objectName()));
            QVERIFY2(f.wnd.rect().contains(w->geometry()), qPrintable(w->objectName()));
        }
        const QList<QWidget *> all = added + designed;
        for (int i = 0; i < all.size(); ++i)
            for (int j = i + 1; j < all.size(); ++j)
                QVERIFY2(!all[i]->geometry().intersects(all[j]->geometry()),
                         qPrintable(all[i]->objectName() + " / " + all[j]->objectName()));
        QCOMPARE(f.bar("FormatBar")->value(), 0);
        QCOMPARE(f.bar("OverallBar")->value(), 0);
    }

    // The window shows what the run's progress data says, from its own timer only.
    void barsNameAndTimeFollowTheReportedProgress()
    {
        Fixture f;
        f.request.FormatCount = 2;
        f.state.Results.assign(1, FormatResult{});
        f.state.StartedAt = std::chrono::steady_clock::now() - std::chrono::seconds(30);
        f.control.CurrentFormat = "LHA";
        const std::string longName =
            "a-rather-long-folder-name/with/several/levels/and/finally/the-file.txt";
        f.report(1, 100, longName); // 1% of the format, 0.5% of the run
        f.timer("ProgressTimer")->start();
        QTRY_COMPARE(f.bar("FormatBar")->value(), 10);
        QCOMPARE(f.bar("OverallBar")->value(), 5);
        QVERIFY2(f.label("TimeText")->text().startsWith(QStringLiteral("経過 0:3")),
                 qPrintable(f.label("TimeText")->text()));
        QVERIFY2(!f.label("TimeText")->text().contains(QStringLiteral("残り")),
                 "no estimate before 5%");
        const QString shown = f.label("MemberName")->text();
        QVERIFY2(shown.contains(QChar(0x2026)) && shown.startsWith("a-rather")
                     && shown.endsWith("the-file.txt"),
                 qPrintable(shown));
        QCOMPARE(f.label("MemberName")->toolTip(), QString::fromStdString(longName));
        QCOMPARE(f.label("FileCount")->text(), QStringLiteral("1 / 3 ファイル"));

        f.report(50, 100, "bad-\xff-name"); // 25% of the run
        QTRY_COMPARE(f.bar("FormatBar")->value(), 500);
        QCOMPARE(f.bar("OverallBar")->value(), 250);
        QVERIFY2(f.label("TimeText")->text().contains(QStringLiteral("残り 約1:3")),
                 qPrintable(f.label("TimeText")->text()));
        QCOMPARE(f.label("MemberName")->text(), QStringLiteral("bad-\uFFFD-name"));

        // The first format made, a command-line archiver second: its bar is busy, the
        // run's bar stands at one format of two.
        f.state.Results.push_back(FormatResult{"x.lzh", "LHA", 1});
        f.control.CurrentFormat = "RAR";
        f.control.Reported.clear();
        QTRY_COMPARE(f.bar("FormatBar")->maximum(), 0);
        QCOMPARE(f.bar("FormatBar")->minimum(), 0);
        QCOMPARE(f.bar("OverallBar")->value(), 500);
        f.timer("ProgressTimer")->stop();
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
        FakeStatusWindow decoy(QStringLiteral("ZIP32J.DLL Status ")); // not the exact title
        decoy.show();
        f.wnd.setStatusWindowTimer(true);
        QTest::qWait(20);
        QVERIFY(f.timer("WndChkTimer")->isActive()); // nothing found yet: keeps looking
        QCOMPARE(f.control.StatusWindow, nullptr);

        status.show();
        QTRY_VERIFY(!status.isVisible());
        QVERIFY(decoy.isVisible());
        QCOMPARE(f.control.StatusWindow, static_cast<void *>(&status));
        QVERIFY(!f.timer("WndChkTimer")->isActive());

        f.clickCancel(); // a found status window is what the cancel closes
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
        delete status; // the library destroyed its window; the handle is still set
        f.clickCancel();
        QVERIFY(f.control.CancelRequested);
    }

    // Several formats at once: a captioned bar per running format (busy for one that
    // reports nothing), the window growing with them and back when one at a time.
    void severalFormatsShowABarEach()
    {
        Fixture f;
        f.request.FormatCount = 4;
        const int oneAtATimeHeight = f.wnd.height();
        for (const char *format : {"LHA", "ZIP", "RAR", "GZIP"}) {
            f.control.Running.push_back(std::make_unique<RunningFormat>());
            f.control.Running.back()->Format = format;
        }
        f.control.Running[0]->Started = true;
        f.control.Running[0]->Finished = true; // LHA made
        for (int i = 1; i < 3; ++i)
            f.control.Running[i]->Started = true;
        KryProgress r{};
        r.size = sizeof r;
        r.bytesDone = 250;
        r.bytesTotal = 1000;
        r.member = "m.txt";
        f.control.Running[1]->Reported.store(r, KRY_STATE_WORKING);
        f.timer("ProgressTimer")->timeout({}); // its tick, without waiting for it

        QCOMPARE(f.label("FormatLabel")->text(), QStringLiteral("ZIP"));
        QCOMPARE(f.bar("FormatBar")->value(), 250);
        QCOMPARE(f.label("RunningLabel1")->text(), QStringLiteral("RAR"));
        QVERIFY(!f.label("RunningLabel1")->isHidden());
        QCOMPARE(f.bar("RunningBar1")->maximum(), 0); // busy: RAR reports nothing
        QVERIFY(f.bar("RunningBar2")->isHidden());    // GZIP has not started
        QCOMPARE(f.bar("OverallBar")->value(), 313);  // (1 made + 0.25) / 4
        QCOMPARE(f.wnd.height(), oneAtATimeHeight + 22);
        QVERIFY(f.bar("OverallBar")->geometry().top() > f.bar("RunningBar1")->geometry().bottom());
        QCOMPARE(f.wnd.minimumSize(), f.wnd.maximumSize());

        f.control.Running.clear();
        f.timer("ProgressTimer")->timeout({});
        QCOMPARE(f.label("FormatLabel")->text(), QStringLiteral("この形式"));
        QVERIFY(f.bar("RunningBar1")->isHidden());
        QCOMPARE(f.wnd.height(), oneAtATimeHeight);
    }

    // Several formats at once: the status window that a running library shows with the
    // display off (ZIP's) is found and hidden, as one at a time, and the cancel tells
    // every archiver and closes it. CAB's is not looked for with the display off.
    void cancelOfSeveralFormatsStopsThemAll()
    {
        Fixture f;
        f.main.setDllVisible(false);
        for (const char *format : {"ZIP", "CAB", "GZIP"}) {
            f.control.Running.push_back(std::make_unique<RunningFormat>());
            f.control.Running.back()->Format = format;
            f.control.Running.back()->Started = true;
        }
        FakeStatusWindow zip(QStringLiteral("ZIP32J.DLL Status"));
        FakeStatusWindow cab(QStringLiteral("キャビネットファイルを操作しています..."));
        zip.show();
        cab.show();
        f.wnd.setStatusWindowTimer(true);
        QTRY_VERIFY(!zip.isVisible());
        QVERIFY2(f.timer("WndChkTimer")->isActive(), "others may still open theirs");
        QCOMPARE(f.control.StatusWindow, nullptr);

        f.clickCancel();
        QVERIFY(f.control.CancelRequested);
        QTest::qWait(20); // later ticks close nothing twice
        QCOMPARE(zip.closeRequests, 1);
        QVERIFY(cab.isVisible());
        QCOMPARE(cab.closeRequests, 0);
        f.wnd.setStatusWindowTimer(false);
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

VEXEL_QTEST_CLASS(ProgressWndTest)
#include "ProgressWndTest.moc"
