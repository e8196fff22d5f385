// Whole runs started as the start button starts them, driven by the progress window
// and ended in the result window, against the fake archivers: the labels, the three
// kinds of cancel, the libraries' status windows and a second run in the same window.
#include "platform/SearchPath.h"
#include "run/StartRun.h"
#include "tests/fakes/FakeArchiver.h"

#include "AllArchiversAvailable.h"

#include "ModalAnswerer.h"
#include "ProgressWindowParts.h"
#include "tests/support/QtTestClasses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace vexel;
using vexel::test::ModalAnswerer;

namespace {

// Archivers that would work for 8 s are cancelled long before: a cancel that does not
// reach them shows as a failed time limit rather than as a hanging test.
constexpr qint64 kPromptMs = 2000;
const QString kAbandoned = QStringLiteral("処理を中止しました");

// A source file, a save folder and a private TMPDIR; the fake archivers on the lookup's
// path; the main window stand-in and the state objects; everything restored afterwards.
struct RunSetting : vexel::test::ProgressWindowParts {
    QTemporaryDir root;
    QString source = root.path() + "/src";
    QString save = root.path() + "/save/";
    QString tmp = root.path() + "/tmp";
    QString log = root.path() + "/fake.log";
    QByteArray savedPath = qgetenv("PATH");

    ArchiverAvailability availability = test::allArchiversAvailable();
    ModalAnswerer answerer;

    // Called on every turn of the event loop while a run is on (during library calls,
    // between formats and while waiting for a command-line archiver).
    std::function<void()> duringRun;
    QTimer probe;

    RunSetting()
    {
        QDir().mkpath(source);
        QDir().mkpath(save);
        QDir().mkpath(tmp);
        QFile file(source + "/a.txt");
        file.open(QIODevice::WriteOnly);
        file.write("alpha");
        file.close();
        qputenv("TMPDIR", tmp.toUtf8());
        qputenv("PATH", QByteArray(VEXEL_FAKE_BIN_DIR) + ":" + savedPath);
        qputenv(fakes::kLogEnv, log.toUtf8());
        state.Libraries = ArchiverLibraries(platform::SearchPath(VEXEL_FAKE_LIB_DIR));
        request.FileList = {(source + "/a.txt").toStdString()};
        request.SaveDir = save.toStdString();
        probe.setInterval(0);
        QObject::connect(&probe, &QTimer::timeout, [this] {
            if (duringRun)
                duringRun();
        });
    }

    ~RunSetting()
    {
        for (const char *name : {fakes::kLogEnv, fakes::kSizesEnv, fakes::kWorkEnv, fakes::kFailEnv,
                                 fakes::kProgressEnv, fakes::kHangEnv, "TMPDIR"})
            qunsetenv(name);
        qputenv("PATH", savedPath);
    }

    // Starts a run as the start button does; returns StartRun's answer.
    bool start(const QString &outputName)
    {
        main.setOutputName(outputName);
        probe.start();
        const bool refused = StartRun(wnd, availability, request, control);
        probe.stop();
        return refused;
    }

    QStringList saved() const { return QDir(save).entryList(QDir::Files); }
    QStringList leftInTmp() const
    {
        return QDir(tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QStringList calledPrograms() const
    {
        QStringList programs;
        for (const fakes::FakeCall &call : fakes::readFakeLog(log.toStdString()))
            programs << QString::fromStdString(call.program);
        return programs;
    }
};

// Asserts a run that the user cancelled: one message, no report, nothing saved or left.
void expectAbandoned(const RunSetting &s)
{
    QCOMPARE(s.answerer.texts(), QStringList{kAbandoned});
    QCOMPARE(s.answerer.reports.size(), size_t(0));
    QVERIFY(s.saved().isEmpty());
    QVERIFY(s.leftInTmp().isEmpty());
    QVERIFY(!s.wnd.isVisible());
}

} // namespace

class RunThroughWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void labelsFollowTheFormatsAndTheReportIsShown()
    {
        RunSetting s;
        s.main.setFormats({{"LHA", true}, {"ZIP", false}, {"CAB", true}, {"GZIP", true}});
        qputenv(fakes::kSizesEnv, "lzh=3000,cab=2000,gza=2500");
        QList<QPair<QString, QString>> seen;
        bool visibleThroughout = true;
        s.duringRun = [&] {
            const QPair<QString, QString> labels{s.prg(), s.mainMsg()};
            if (seen.isEmpty() || seen.last() != labels) {
                seen << labels;
                visibleThroughout = visibleThroughout && s.wnd.isVisible();
            }
        };

        QVERIFY(!s.start("data"));

        const QString busy = QStringLiteral("ファイルを圧縮しています － ");
        const QList<QPair<QString, QString>> expected{
            {"1/3", busy + "LHA形式"}, {"2/3", busy + "CAB形式"}, {"3/3", busy + "GZIP形式"}};
        QCOMPARE(seen.mid(seen.size() - 3), expected);
        QVERIFY(visibleThroughout);
        QVERIFY(s.answerer.messages.empty());
        QCOMPARE(s.answerer.reports.size(), size_t(1));
        QCOMPARE(s.answerer.reports[0].text, QString::fromStdString(s.state.RunReport));
        QVERIFY(s.answerer.reports[0].text.contains(
            QStringLiteral("一番圧縮率の高かったCAB形式で保存しました。")));
        QCOMPARE(s.saved(), QStringList{"data.CAB"});
        QVERIFY(!s.wnd.isVisible());
    }

    // Four formats at once: the counter counts the finished ones, the message names the
    // running ones, each has its bar, and the result is that of one after another.
    void severalFormatsAtOnceShowTheirBarsAndEndInTheReport()
    {
        RunSetting s;
        s.settings.Jobs = 4;
        s.main.setFormats({{"LHA", true}, {"ZIP", true}, {"CAB", true}, {"RAR", true}});
        qputenv(fakes::kSizesEnv, "lzh=3000,zip=2000,cab=2000,rar=2500");
        // Every one works long enough for all four to be seen running at once, however
        // quickly the command-line one starts.
        qputenv(fakes::kWorkEnv, "lzh=1500,zip=1200,cab=1200,rar=1200");
        qputenv(fakes::kProgressEnv, "lzh=20:40:60:80,cab=50");
        QSet<QString> counters, captions;
        bool allFourShown = false;
        s.duringRun = [&] {
            counters << s.prg();
            for (const char *name :
                 {"FormatLabel", "RunningLabel1", "RunningLabel2", "RunningLabel3"})
                if (!s.label(name)->isHidden())
                    captions << s.label(name)->text();
            auto *mainMsg = s.label("MainMsg");
            if (!allFourShown && !s.bar("RunningBar3")->isHidden()
                && mainMsg->toolTip()
                    == QStringLiteral("ファイルを圧縮しています － LHA・ZIP・CAB・RAR形式")) {
                // Too long for the label: cut short, yet it still ends as it should.
                QVERIFY(mainMsg->text().endsWith(QStringLiteral("…形式")));
                QVERIFY(mainMsg->fontMetrics().horizontalAdvance(mainMsg->text())
                        <= mainMsg->width());
                allFourShown = true;
                const QString folder = qEnvironmentVariable("VEXEL_SCREENSHOT_DIR");
                if (!folder.isEmpty())
                    s.wnd.grab().save(folder + "/progress-four-at-once.png");
            }
        };
        QVERIFY(!s.start("data"));
        QVERIFY(allFourShown);
        QVERIFY(counters.contains("0/4"));
        QVERIFY2(captions.contains("LHA") && captions.contains("ZIP") && captions.contains("CAB"),
                 qPrintable(QStringList(captions.values()).join(',')));
        QCOMPARE(s.saved(), QStringList{"data.ZIP"}); // ZIP before CAB on a tie
        QCOMPARE(s.answerer.reports.size(), size_t(1));
        QVERIFY(s.leftInTmp().isEmpty());
    }

    // The cancel while four archivers work stops them all, ZIP too, which hears of it
    // only through its status window.
    void cancelOfFourFormatsAtOnceStopsEveryOne()
    {
        RunSetting s;
        s.settings.Jobs = 4;
        s.main.setDllVisible(false);
        s.main.setFormats({{"LHA", true}, {"ZIP", true}, {"CAB", true}, {"ACE", true}});
        qputenv(fakes::kWorkEnv, "lzh=8000,zip=8000,cab=8000");
        qputenv(fakes::kHangEnv, "ace");
        QElapsedTimer sinceCancel;
        s.duringRun = [&] {
            if (sinceCancel.isValid() || s.control.Running.size() != 4)
                return;
            for (const auto &running : s.control.Running)
                if (!running->Started.load())
                    return;
            if (s.control.Running[3]->ArchiverProcess.load() == 0
                || !QFile::exists(QString::fromStdString(s.state.TempBase) + ".ace"))
                return;
            sinceCancel.start();
            s.clickCancel();
        };
        QVERIFY(!s.start("data"));
        QVERIFY(sinceCancel.isValid());
        QVERIFY2(sinceCancel.elapsed() < kPromptMs,
                 qPrintable(QString::number(sinceCancel.elapsed())));
        expectAbandoned(s);
        QVERIFY(s.answerer.messages.front().details.contains("stopped"));
        QVERIFY(s.control.Running.empty());
    }

    void typedExtensionRunsItsFormatAloneWhateverTheMarks()
    {
        RunSetting s;
        s.main.setFormats({{"LHA", true}, {"ZIP", false}, {"CAB", true}});
        QVERIFY(!s.start("Backup.ZIP"));
        QCOMPARE(s.calledPrograms(), QStringList{"Zip"});
        QCOMPARE(s.saved(), QStringList{"Backup.ZIP"});
        QCOMPARE(s.prg(), QStringLiteral("1/1"));
    }

    // The message stays the same for every failure; why is in the box's details.
    void aFailedFormatShowsItsReasonAsTheDetailedText()
    {
        RunSetting s;
        s.main.setFormats({{"LHA", true}, {"RAR", true}});
        qputenv(fakes::kFailEnv, "rar");
        QVERIFY(!s.start("data"));
        expectAbandoned(s);
        QCOMPARE(s.answerer.messages.front().icon, QMessageBox::Critical);
        QVERIFY2(s.answerer.messages.front().details.startsWith("RAR: rar: exit status 1\n"),
                 qPrintable(s.answerer.messages.front().details));
        QVERIFY(s.answerer.messages.front().details.endsWith("rar: failed on request"));
    }

    void cancelBetweenFormatsIsForgotten()
    {
        RunSetting s;
        s.main.setFormats({{"LHA", true}, {"GZIP", true}});
        bool cancelled = false;
        s.duringRun = [&] {
            // The second format is announced but its archiver has not started yet.
            if (!cancelled && s.prg() == "2/2" && s.control.CurrentFormat == "LHA") {
                s.clickCancel();
                cancelled = s.control.CancelRequested;
            }
        };
        QVERIFY(!s.start("data"));
        QVERIFY(cancelled);
        QVERIFY(s.answerer.messages.empty());
        QCOMPARE(s.answerer.reports.size(), size_t(1));
        QCOMPARE(s.calledPrograms(), QStringList({"Unlha", "Bga"}));
    }

    void cancelDuringALibraryCallStopsItAndAbandonsTheRun()
    {
        RunSetting s;
        s.main.setDllVisible(false); // LHA shows no status window: the callback hears it
        s.main.setFormats({{"LHA", true}, {"CAB", true}});
        qputenv(fakes::kWorkEnv, "lzh=8000");
        QElapsedTimer inCall, sinceCancel;
        s.duringRun = [&] {
            if (s.control.CurrentFormat != "LHA" || sinceCancel.isValid())
                return;
            if (!inCall.isValid()) {
                inCall.start();
            } else if (inCall.elapsed() > 100) {
                sinceCancel.start();
                s.clickCancel();
            }
        };
        QVERIFY(!s.start("data")); // the start itself was not refused
        QVERIFY(sinceCancel.isValid() && sinceCancel.elapsed() < kPromptMs);
        expectAbandoned(s);
        QCOMPARE(s.calledPrograms(), QStringList{"Unlha"});
    }

    void zipStatusWindowIsHiddenWithTheDisplayOffAndCancelClosesIt()
    {
        RunSetting s;
        s.main.setDllVisible(false);
        s.main.setFormats({{"ZIP", true}});
        qputenv(fakes::kWorkEnv, "zip=8000");
        QPointer<QWidget> status;
        bool hiddenWhenFound = false;
        QElapsedTimer sinceCancel;
        s.duringRun = [&] {
            if (status || s.control.StatusWindow == nullptr)
                return;
            status = static_cast<QWidget *>(s.control.StatusWindow);
            hiddenWhenFound = !status->isVisible()
                && status->windowTitle() == QStringLiteral("ZIP32J.DLL Status");
            sinceCancel.start();
            s.clickCancel();
        };
        QVERIFY(!s.start("data"));
        QVERIFY(hiddenWhenFound);
        QVERIFY(sinceCancel.isValid() && sinceCancel.elapsed() < kPromptMs);
        QVERIFY(!s.control.CancelRequested); // closing the window is what stopped it
        QVERIFY(status.isNull());            // the library has destroyed it
        expectAbandoned(s);
    }

    void alwaysOnTopRaisesProgressStatusAndResultWindows()
    {
        RunSetting s;
        s.main.setDllVisible(true);
        s.main.setAlwaysOnTop(true);
        s.main.setFormats({{"CAB", true}});
        qputenv(fakes::kWorkEnv, "cab=300");
        bool statusShownOnTop = false, progressOnTop = false;
        s.duringRun = [&] {
            progressOnTop = s.wnd.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            if (auto *status = static_cast<QWidget *>(s.control.StatusWindow))
                statusShownOnTop =
                    status->isVisible() && status->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        };
        QVERIFY(!s.start("data"));
        QVERIFY(progressOnTop);
        QVERIFY(statusShownOnTop);
        QCOMPARE(s.answerer.reports.size(), size_t(1));
        QVERIFY(s.answerer.reports[0].onTop);

        // The same window without the option is an ordinary window again.
        s.main.setAlwaysOnTop(false);
        QVERIFY(!s.start("again"));
        QVERIFY(!progressOnTop);
        QVERIFY(!s.answerer.reports[1].onTop);
    }

    void cancelEndsACommandLineArchiverWithinTwoSeconds_data()
    {
        QTest::addColumn<bool>("byCloseBox");
        QTest::newRow("PrgCancel") << false;
        QTest::newRow("close box") << true;
    }
    void cancelEndsACommandLineArchiverWithinTwoSeconds()
    {
        QFETCH(bool, byCloseBox);
        RunSetting s;
        s.main.setFormats({{"RAR", true}, {"GCA", true}});
        qputenv(fakes::kWorkEnv, "rar=8000");
        QElapsedTimer sinceCancel;
        QElapsedTimer running;
        s.duringRun = [&] {
            if (s.control.ArchiverProcess == 0 || sinceCancel.isValid())
                return;
            if (!running.isValid())
                running.start();
            // Once the fake has begun (it logs its call first), or after 5 s on a
            // machine too loaded to start it sooner.
            else if (!s.calledPrograms().isEmpty() || running.elapsed() > 5000) {
                sinceCancel.start();
                if (byCloseBox)
                    s.wnd.close();
                else
                    s.clickCancel();
            }
        };
        QVERIFY(!s.start("data"));
        QVERIFY(sinceCancel.isValid());
        QVERIFY2(sinceCancel.elapsed() < kPromptMs,
                 qPrintable(QString::number(sinceCancel.elapsed())));
        expectAbandoned(s);
        QCOMPARE(s.calledPrograms(), QStringList{"rar"});
        QCOMPARE(s.control.ArchiverProcess, 0);
    }

    void theSameWindowServesASecondRun()
    {
        RunSetting s;
        s.main.setFormats({{"LHA", true}});
        QVERIFY(!s.start("first"));
        s.main.setFormats({{"LHA", false}, {"ZIP", true}, {"BZIP2", true}});
        qputenv(fakes::kSizesEnv, "zip=900,bza=800");
        QStringList counters;
        s.duringRun = [&] {
            if (counters.isEmpty() || counters.last() != s.prg())
                counters << s.prg();
        };
        QVERIFY(!s.start("second"));
        QCOMPARE(counters.mid(counters.size() - 2), QStringList({"1/2", "2/2"}));
        QCOMPARE(s.answerer.reports.size(), size_t(2));
        QVERIFY(s.answerer.reports[1].text.contains(QStringLiteral("BZIP2形式で保存しました。")));
        QCOMPARE(s.saved(), QStringList({"first.lzh", "second.bza"}));
    }

    // A library that reports 25, 50 and 100% moves both bars there; the command-line
    // archiver after it gets a busy bar; the estimate of the time left waits for 5%;
    // the result window charts the report's sizes.
    void barsFollowTheLibrarysRecordsAndTheResultIsCharted()
    {
        RunSetting s;
        s.main.setDllVisible(false);
        s.main.setFormats({{"LHA", true}, {"RAR", true}});
        qputenv(fakes::kProgressEnv, "lzh=25:50:100");
        qputenv(fakes::kWorkEnv, "lzh=2400,rar=1200");
        qputenv(fakes::kSizesEnv, "lzh=3000,rar=2000");
        QSet<int> formatValues, overallValues;
        bool busyDuringRar = false, estimateTooEarly = false, estimateSeen = false;
        s.duringRun = [&] {
            const QProgressBar *format = s.bar("FormatBar");
            const QProgressBar *overall = s.bar("OverallBar");
            const QString time = s.label("TimeText")->text();
            if (s.control.CurrentFormat == "LHA" && format->maximum() > 0) {
                formatValues << format->value();
                overallValues << overall->value();
            }
            if (s.control.CurrentFormat == "RAR" && s.control.ArchiverProcess != 0
                && format->maximum() == 0)
                busyDuringRar = overall->value() == 500;
            estimateTooEarly = estimateTooEarly
                || (overall->value() < 50 && time.contains(QStringLiteral("残り")));
            estimateSeen = estimateSeen || time.contains(QStringLiteral("残り"));
        };
        std::vector<ResultChart::Bar> charted;
        s.answerer.onResult = [&](ResultWnd *w) {
            charted = w->findChild<ResultChart *>("ResultChart")->bars();
        };

        QVERIFY(!s.start("data"));
        QVERIFY2(formatValues.contains(250) && formatValues.contains(500)
                     && formatValues.contains(1000),
                 qPrintable(QString::number(formatValues.size())));
        QVERIFY(overallValues.contains(125) && overallValues.contains(250)
                && overallValues.contains(500));
        QVERIFY(busyDuringRar);
        QVERIFY(!estimateTooEarly);
        QVERIFY(estimateSeen);
        QCOMPARE(s.state.InputSize, 5); // "alpha"
        QCOMPARE(charted.size(), size_t(2));
        QCOMPARE(charted[0].format, QStringLiteral("LHA"));
        QCOMPARE(charted[0].size, 3000);
        QVERIFY(!charted[0].winner);
        QCOMPARE(charted[1].format, QStringLiteral("RAR"));
        QVERIFY(charted[1].winner);
        QVERIFY(s.answerer.reports[0].text.startsWith(QStringLiteral(
            "FileType:LHA -> FileSize:3000Byte\nFileType:RAR -> FileSize:2000Byte\n")));
    }

    // A long library call must not freeze the window: it repaints, its timers run and
    // its cancel button answers long before the call would have ended.
    void aLongLibraryCallKeepsTheWindowAliveAndCancellable()
    {
        RunSetting s;
        s.main.setDllVisible(false);
        s.main.setFormats({{"GZIP", true}});
        qputenv(fakes::kWorkEnv, "gza=10000");
        int paints = 0, ticks = 0;
        struct PaintCounter : QObject {
            int &count;
            explicit PaintCounter(int &c) : count(c) {}
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    ++count;
                return false;
            }
        } counter(paints);
        s.wnd.installEventFilter(&counter);
        QTimer repaint;
        QObject::connect(&repaint, &QTimer::timeout, [&] {
            ++ticks;
            s.wnd.update();
        });
        QElapsedTimer inCall, sinceCancel;
        int paintsBeforeCancel = 0, ticksBeforeCancel = 0;
        s.duringRun = [&] {
            if (s.control.CurrentFormat != "GZIP" || sinceCancel.isValid())
                return;
            if (!inCall.isValid()) {
                inCall.start();
                paints = 0;
                repaint.start(50);
            } else if (inCall.elapsed() > 1000) {
                paintsBeforeCancel = paints;
                ticksBeforeCancel = ticks;
                sinceCancel.start();
                s.clickCancel();
            }
        };
        QVERIFY(!s.start("data"));
        repaint.stop();
        QVERIFY2(ticksBeforeCancel >= 10, qPrintable(QString::number(ticksBeforeCancel)));
        QVERIFY2(paintsBeforeCancel >= 10, qPrintable(QString::number(paintsBeforeCancel)));
        QVERIFY(sinceCancel.isValid());
        QVERIFY(sinceCancel.elapsed() < 1000);
        expectAbandoned(s);
    }
};

VEXEL_QTEST_CLASS(RunThroughWindowsTest)
#include "RunThroughWindowsTest.moc"
