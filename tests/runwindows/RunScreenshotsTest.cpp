// A whole run with the real archiver libraries (and the command-line stand-in for RAR),
// photographed: the progress window while a library works and while a command-line
// archiver works, and both windows after the run. The pictures are kept under the build
// folder (VEXEL_ARTIFACT_DIR) for a reviewer to look at.
#include "platform/SearchPath.h"
#include "run/StartRun.h"
#include "tests/fakes/FakeArchiver.h"

#include "AllArchiversAvailable.h"
#include "ModalAnswerer.h"
#include "ProgressWindowParts.h"
#include "tests/support/QtTestClasses.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace vexel;

namespace {

// Text-like data: compressible, but enough of it that each library works for a while.
QByteArray someText(int bytes, quint32 seed)
{
    static const char *const words[] = {"archive", "圧縮",     "smallest", "format",
                                        "level",   "保存",     "member",   "folder",
                                        "window",  "progress", "結果",     "bytes"};
    QRandomGenerator random(seed);
    QByteArray text;
    while (text.size() < bytes) {
        text += words[random.bounded(12)];
        text += random.bounded(9) == 0 ? '\n' : ' ';
        if (random.bounded(40) == 0)
            text += QByteArray::number(random.generate());
    }
    return text.left(bytes);
}

// Each of the six files: enough that LZX:21 works for a good second, the moment the
// library picture waits for.
constexpr int kFileBytes = 350 * 1024;

bool save(QWidget *window, const QString &name)
{
    QDir().mkpath(VEXEL_ARTIFACT_DIR);
    return window->grab().save(QString(VEXEL_ARTIFACT_DIR) + name);
}

} // namespace

class RunScreenshotsTest : public QObject {
    Q_OBJECT

private slots:
    void bothWindowsDuringAndAfterARealRun()
    {
        QTemporaryDir root;
        const QString deep =
            root.path() + QStringLiteral("/資料/とても長いフォルダ名の例/第三四半期の集計と分析");
        QDir().mkpath(deep);
        QDir().mkpath(root.path() + "/save");
        QDir().mkpath(root.path() + "/tmp");
        for (int i = 0; i < 6; ++i) {
            QFile file(deep + QStringLiteral("/報告書-2026-最終版-%1.txt").arg(i));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(someText(kFileBytes, quint32(i + 1)));
        }
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("TMPDIR", (root.path() + "/tmp").toUtf8());
        qputenv("PATH", QByteArray(VEXEL_FAKE_BIN_DIR) + ":" + savedPath);
        qputenv(fakes::kWorkEnv, "rar=1500");
        qputenv(fakes::kSizesEnv, "rar=2100000");

        test::ProgressWindowParts f;
        f.state.Libraries = ArchiverLibraries(platform::SearchPath(VEXEL_REAL_LIB_DIR));
        f.settings.CABFreezeType = "1"; // LZX:21, the slowest
        f.settings.CABFreezeLevel = "21";
        f.request.FileList = {(root.path() + QStringLiteral("/資料/*.*")).toStdString()};
        f.request.SaveDir = (root.path() + "/save/").toStdString();
        f.main.setDllVisible(false);
        f.main.setFormats({{"LHA", true},
                           {"ZIP", true},
                           {"CAB", true},
                           {"GZIP", true},
                           {"BZIP2", true},
                           {"RAR", true}});
        f.main.setOutputName(QStringLiteral("data"));

        bool libraryShot = false, commandLineShot = false, resultShot = false;
        int overallAtEnd = -1;
        std::vector<ResultChart::Bar> charted;
        // Every 10 ms: often enough to catch each moment (the library works for seconds,
        // the command-line stand-in for 1.5 s), where a zero interval would keep the event
        // loop spinning and take a core from the libraries all run long.
        QTimer probe;
        probe.setInterval(10);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const int value = f.bar("FormatBar")->value();
            if (!libraryShot && f.control.CurrentFormat == "CAB" && value > 200 && value < 900
                && !f.label("MemberName")->text().isEmpty()
                && f.label("TimeText")->text().contains(QStringLiteral("残り")))
                libraryShot = save(&f.wnd, "progress-during-library.png");
            if (!commandLineShot && f.control.ArchiverProcess != 0
                && f.bar("FormatBar")->maximum() == 0)
                commandLineShot = save(&f.wnd, "progress-during-command-line.png");
        });
        test::ModalAnswerer answerer;
        answerer.onResult = [&](ResultWnd *w) {
            charted = w->findChild<ResultChart *>("ResultChart")->bars();
            resultShot = save(w, "result-after-run.png") && save(&f.wnd, "progress-after-run.png");
            overallAtEnd = f.bar("OverallBar")->value();
        };
        const ArchiverAvailability available = test::allArchiversAvailable();
        probe.start();
        const bool refused = StartRun(f.wnd, available, f.request, f.control);
        probe.stop();

        qputenv("PATH", savedPath);
        for (const char *name : {fakes::kWorkEnv, fakes::kSizesEnv, "TMPDIR"})
            qunsetenv(name);

        QVERIFY(!refused);
        QCOMPARE(answerer.texts(), QStringList());
        QVERIFY(libraryShot);
        QVERIFY(commandLineShot);
        QVERIFY(resultShot);
        QCOMPARE(overallAtEnd, 1000);
        QCOMPARE(charted.size(), size_t(6));
        const QStringList lines = answerer.reports[0].text.split('\n');
        for (std::size_t i = 0; i < charted.size(); ++i)
            QCOMPARE(lines[int(i)],
                     QStringLiteral("FileType:%1 -> FileSize:%2Byte")
                         .arg(charted[i].format)
                         .arg(charted[i].size));
        QCOMPARE(f.state.InputSize, 6 * kFileBytes); // the six files, counted once
        qInfo("screenshots in %s", VEXEL_ARTIFACT_DIR);
    }
};

VEXEL_QTEST_CLASS(RunScreenshotsTest)
#include "RunScreenshotsTest.moc"
