// Whole runs through the main window with the real archiver libraries beside the
// program: the stored methods and levels reach the archivers' command lines, a typed
// extension makes that format alone, and the smallest archive is the one saved.
#include "config/KryOpr.h"
#include "config/SettingWnd.h"
#include "mainwnd/KryMain.h"
#include "platform/SearchPath.h"

#include "KryMainSupport.h"
#include "ModalAnswerer.h"
#include "tests/support/QtTestClasses.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>

#include <memory>

using namespace vexel;
using namespace vexel::test;

namespace {

QByteArray repetitiveText()
{
    QByteArray text;
    for (int i = 0; i < 2000; ++i)
        text += "line " + QByteArray::number(i % 37) + " of a repetitive text file\n";
    return text;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class KryMainRunTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QString src_, save_;
    ArchiverAvailability found_;
    QByteArray tmpdir_ = qgetenv("TMPDIR");
    QByteArray path_;

    // Runs the window's start command with `name` typed; returns the run's report.
    QString runAs(KryMain &wnd, const QString &name)
    {
        control<QLineEdit>(wnd, "FileName")->setText(name);
        ModalAnswerer answerer;
        QMetaObject::invokeMethod(
            &wnd, [&] { control<QPushButton>(wnd, "KryStart")->click(); }, Qt::QueuedConnection);
        if (!QTest::qWaitFor([&] { return !answerer.reports.empty(); }, 120000))
            return "no report; messages: " + answerer.texts().join(" | ");
        return answerer.messages.empty() ? answerer.reports[0].text
                                         : "message: " + answerer.texts().join(" | ");
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        src_ = dir_->path() + "/src";
        save_ = dir_->path() + "/save";
        const QByteArray text = repetitiveText();
        writeFile(src_ + "/notes.txt", text);
        writeFile(src_ + "/sub/more.txt", text.left(5000));
        // Names are quoted without escaping on the way to the libraries.
        writeFile(src_ + "/sub/say \"hi\" $now.txt", text.left(3000));
        QDir().mkpath(save_);
        QDir().mkpath(dir_->path() + "/config");
        qputenv("XDG_CONFIG_HOME", (dir_->path() + "/config").toUtf8());
        qputenv("TMPDIR", dir_->path().toUtf8());
        // The main window's run looks the libraries up from the program's folder and then
        // on PATH: the built libraries go first on PATH.
        path_ = qgetenv("PATH");
        qputenv("PATH", QByteArray(VEXEL_BIN_DIR) + ":" + path_);
        found_ = DiscoverArchivers();
        QVERIFY(found_.LHAAvailable && found_.ZIPAvailable && found_.CABAvailable
                && found_.BGAAvailable);
        // The save folder is the tree's current folder, which starts at the current directory.
        QDir::setCurrent(save_);
    }

    // The next test's folder must not be made inside this one's, which TMPDIR points at.
    void cleanup()
    {
        qputenv("PATH", path_);
        qputenv("TMPDIR", tmpdir_);
        QDir::setCurrent(QDir::tempPath());
        dir_.reset();
    }

    // The stored methods and levels are what the archivers are told: LHA method "4"
    // makes -lh7-, CAB method "1" with level " 21" makes LZX with a 2 MiB window.
    void theStoredMethodsAndLevelsReachTheArchivers()
    {
        writeSettings("LHAFreezeType=4\nCABFreezeType=1\nCABFreezeLevel=\" 21\"\n");
        KryMain wnd({src_.toStdString()}, found_);
        wnd.show();
        QCOMPARE(wnd.runSettings().LHAFreezeType, std::string("4"));

        QString report = runAs(wnd, "methods.lzh");
        QVERIFY2(report.contains("FileType:LHA") && report.count("FileType:") == 1,
                 qPrintable(report));
        // Every member's header names its method; folders are "-lhd-".
        const QByteArray lzh = fileBytes(save_ + "/methods.lzh");
        QCOMPARE(lzh.count("-lh7-"), 3);
        QCOMPARE(lzh.count("-lh5-") + lzh.count("-lh6-"), 0);

        report = runAs(wnd, "methods.cab");
        QVERIFY2(report.count("FileType:") == 1, qPrintable(report));
        const QByteArray cab = fileBytes(save_ + "/methods.cab");
        QCOMPARE(cab.left(4), QByteArray("MSCF"));
        QCOMPARE(quint8(cab[42]) | quint8(cab[43]) << 8, 0x1503); // LZX, window 2^21

        // A value the settings window may change takes effect for the next run at once.
        wnd.runSettings().LHAFreezeType.assign(1, '3'); // "3": -lh6-
        report = runAs(wnd, "methods6.lzh");
        QCOMPARE(fileBytes(save_ + "/methods6.lzh").count("-lh6-"), 3);
    }

    // A stored value out of range would fail every run; it runs on the default instead.
    void aBadStoredValueRunsOnTheDefault()
    {
        writeSettings("LHAFreezeType=9\nZIPFreezeLevel=abc\n");
        KryMain wnd({src_.toStdString()}, found_);
        wnd.show();
        const QString report = runAs(wnd, "bad.lzh");
        QVERIFY2(!report.startsWith("message"), qPrintable(report));
        QCOMPARE(fileBytes(save_ + "/bad.lzh").count("-lh5-"), 3);
        QVERIFY2(!runAs(wnd, "bad.zip").startsWith("message"), "ZIP failed");
        QVERIFY(QFile::exists(save_ + "/bad.zip"));
    }

    // The whole road: every offered format runs, the smallest archive is saved and opens
    // in 7-Zip, and no temporary folder is left behind.
    void aRunSavesTheSmallestArchive()
    {
        KryMain wnd({src_.toStdString()}, found_);
        wnd.show();
        QCOMPARE(entries(wnd).size(), 5); // LHA ZIP CAB GZIP BZIP2; no command-line archivers
        const QString report = runAs(wnd, "best");
        QCOMPARE(report.count("FileType:"), 5);
        const QStringList saved = QDir(save_).entryList(QDir::Files);
        QCOMPARE(saved.size(), 1);
        QVERIFY2(report.endsWith("保存ファイル:" + save_ + "/" + saved[0]), qPrintable(report));
        QCOMPARE(QDir(dir_->path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({"config", "save", "src"}));

        qint64 smallest = -1;
        const QRegularExpression sizeLine(QStringLiteral("FileSize:(\\d+)Byte"));
        for (auto it = sizeLine.globalMatch(report); it.hasNext();) {
            const qint64 size = it.next().captured(1).toLongLong();
            smallest = smallest < 0 ? size : std::min(smallest, size);
        }
        QCOMPARE(QFileInfo(save_ + "/" + saved[0]).size(), smallest);
        if (saved[0].endsWith(".lzh") || saved[0].endsWith(".ZIP") || saved[0].endsWith(".CAB")) {
            QProcess sevenZip;
            sevenZip.start("7zz", {"t", save_ + "/" + saved[0]});
            QVERIFY(sevenZip.waitForFinished(60000));
            QVERIFY2(sevenZip.exitCode() == 0, sevenZip.readAllStandardOutput().constData());
        }
    }

    // A typed ".zip" makes ZIP alone, whatever the marks say, under the name as typed.
    void aTypedZipNameMakesZipAlone()
    {
        writeSettings("FT_Chk_NA_ZIP=False\n");
        KryMain wnd({src_.toStdString()}, found_);
        wnd.show();
        const QString report = runAs(wnd, "only.zip");
        QVERIFY2(report.count("FileType:") == 1 && report.contains("FileType:ZIP"),
                 qPrintable(report));
        QCOMPARE(QDir(save_).entryList(QDir::Files), QStringList({"only.zip"}));
    }

    // SettingShow opens the settings window modally over the main window; what it applies
    // is used by the next run at once and reaches the settings file when the window closes.
    void theSettingsWindowChangesTheNextRunAndTheStoredFile()
    {
        auto wnd = std::make_unique<KryMain>(std::vector<std::string>{src_.toStdString()}, found_);
        wnd->show();
        bool sawModal = false;
        QVERIFY(answerSettingWnd(*wnd, [&](SettingWnd &settings) {
            sawModal = settings.isModal();
            settings.findChild<QRadioButton *>("OptLHA2")->setChecked(true); // -lh7-
            settings.findChild<QSlider *>("ZipLevel")->setValue(3);
            settings.findChild<QPushButton *>("Command3")->click(); // OK
        }));
        QVERIFY(sawModal);
        QCOMPARE(wnd->runSettings().ZIPFreezeLevel, std::string(" 3"));

        runAs(*wnd, "applied.lzh");
        QCOMPARE(fileBytes(save_ + "/applied.lzh").count("-lh7-"), 3);
        QVERIFY2(!settingsText().contains("ZIPFreezeLevel"), settingsText().constData());

        wnd->close();
        wnd.reset();
        QVERIFY2(settingsText().contains("LHAFreezeType=4\n")
                     && settingsText().contains("ZIPFreezeLevel=\" 3\"\n"),
                 settingsText().constData());
    }
};

VEXEL_QTEST_CLASS(KryMainRunTest)
#include "KryMainRunTest.moc"
