// The main window: start-up from the settings store, the close sequence and the stored
// file, the archive kind and the marks, the start rule, keys, tabs, help, drops and
// the command line. Every test starts with its own empty settings folder.
#include "mainwnd/KryMain.h"
#include "config/SettingWnd.h"
#include "config/VexelVersion.h"

#include "AllArchiversAvailable.h"
#include "KryMainSupport.h"
#include "ModalAnswerer.h"
#include "tests/support/QtTestClasses.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <fstream>
#include <memory>

using namespace vexel;
using namespace vexel::test;

namespace {

const QString kPlaceholder =
    QStringLiteral("ファイルがありません（圧縮するファイルをドラッグ＆ドロップしてください）");

QString freezeFile(const QWidget &wnd) { return control<QLineEdit>(wnd, "FreezeFile")->text(); }
bool startEnabled(const QWidget &wnd) { return control<QPushButton>(wnd, "KryStart")->isEnabled(); }

} // namespace

class KryMainTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> config_;
    std::unique_ptr<QTemporaryDir> files_;
    QString startDir_;

    QString file(const QString &name) const { return files_->path() + "/" + name; }

private slots:
    void initTestCase() { startDir_ = QDir::currentPath(); }

    void init()
    {
        config_ = std::make_unique<QTemporaryDir>();
        files_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", config_->path().toUtf8());
        QDir::setCurrent(startDir_);
    }

    void anEmptyStoreStartsOnTheDefaults()
    {
        QDir::setCurrent(files_->path());
        KryMain wnd({}, allArchiversAvailable());
        wnd.show();
        QCOMPARE(wnd.objectName(), QString("KryMain"));
        QCOMPARE(wnd.windowTitle(), QString("Vexel"));
        QVERIFY(!wnd.windowIcon().isNull());
        QCOMPARE(wnd.minimumSize(), wnd.maximumSize());
        QVERIFY(wnd.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!wnd.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!wnd.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!control<QCheckBox>(wnd, "AlwaysTopSW")->isChecked());
        QVERIFY(!control<QCheckBox>(wnd, "DLLVisible")->isChecked());
        QCOMPARE(control<QTabWidget>(wnd, "TabStrip1")->currentIndex(), 0);
        QVERIFY(!control(wnd, "CheckOption")->isVisible());
        QVERIFY(control<QRadioButton>(wnd, "NormalArc")->isChecked());
        QVERIFY(!control<QRadioButton>(wnd, "EXEArc")->isEnabled());
        QCOMPARE(entries(wnd),
                 QStringList({"LHA", "ZIP", "CAB", "GZIP", "BZIP2", "RAR", "GCA", "ACE"}));
        QCOMPARE(marks(wnd), QList<bool>(8, true));
        QCOMPARE(control<QListWidget>(wnd, "FileType")->currentRow(), 0);
        QCOMPARE(freezeFile(wnd), kPlaceholder);
        QVERIFY(!startEnabled(wnd));
        QCOMPARE(wnd.focusWidget(), control(wnd, "FileName"));
        QCOMPARE(wnd.runSettings().LHAFreezeType, std::string("2"));
        QCOMPARE(wnd.runSettings().CABFreezeLevel, std::string("15"));
        QCOMPARE(control<QTreeWidget>(wnd, "DirList")->currentItem()->text(0),
                 QFileInfo(files_->path()).fileName());
        // Nothing was written on the way up.
        QVERIFY(!QFile::exists(settingsFilePath()));
    }

    // After a close the file holds section Kry and the design's keys as text.
    void closingStoresTheOptionsAndValuesAsText()
    {
        QDir::setCurrent(files_->path());
        writeSettings(
            "CABFreezeLevel=\" 15\"\nZIPFreezeLevel=abc\nLHAFreezeType=9\nDLLVisible=1\n");
        {
            KryMain wnd({}, allArchiversAvailable());
            wnd.show();
            QCOMPARE(wnd.runSettings().ZIPFreezeLevel, std::string("6"));
            QCOMPARE(wnd.runSettings().LHAFreezeType, std::string("2"));
            QVERIFY(control<QCheckBox>(wnd, "DLLVisible")->isChecked());
            control<QPushButton>(wnd, "CloseWnd")->click();
            QVERIFY(!wnd.isVisible());
        }
        const QByteArray text = settingsText();
        QVERIFY2(text.startsWith("[Kry]\n"), text.constData());
        for (const QByteArray &line :
             {"DefaultPath=" + files_->path().toUtf8() + "/\n", QByteArray("AlwaysTop=0\n"),
              QByteArray("DLLVisible=1\n"), QByteArray("LHAFreezeType=2\n"),
              QByteArray("CABFreezeType=0\n"), QByteArray("CABFreezeLevel=\" 15\"\n"),
              QByteArray("ZIPFreezeLevel=6\n"), QByteArray("BGAFreezeLevel=9\n")})
            QVERIFY2(text.contains(line), (line + " in\n" + text).constData());
        QVERIFY2(!text.contains("\nFreezeType") && !text.contains("FT_Chk_"), text.constData());
    }

    void aBrokenSettingsFileIsKeptAsideAndTheWindowStarts()
    {
        writeSettings("AlwaysTop=1\n[broken\n");
        KryMain wnd({}, allArchiversAvailable());
        QVERIFY(!control<QCheckBox>(wnd, "AlwaysTopSW")->isChecked());
        QVERIFY(QFile::exists(settingsFilePath() + ".broken"));
        wnd.close();
        QVERIFY(settingsText().contains("AlwaysTop=0\n"));
    }

    void alwaysOnTopIsRestoredAndSwitchesBothWays()
    {
        writeSettings("AlwaysTop=1\n");
        {
            KryMain wnd({}, allArchiversAvailable());
            wnd.show();
            auto *box = control<QCheckBox>(wnd, "AlwaysTopSW");
            QVERIFY(box->isChecked());
            QVERIFY(wnd.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            control<QTabWidget>(wnd, "TabStrip1")->setCurrentIndex(1);
            box->click();
            QVERIFY(!wnd.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QVERIFY(wnd.isVisible());
            box->click();
            QVERIFY(wnd.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QVERIFY(wnd.isVisible());
            box->click();
            wnd.close();
        }
        QVERIFY(settingsText().contains("AlwaysTop=0\n"));
        KryMain again({}, allArchiversAvailable());
        QVERIFY(!again.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void aDeletedSaveFolderStartsInTheCurrentDirectory()
    {
        QDir::setCurrent(files_->path());
        writeSettings("DefaultPath=" + files_->path().toUtf8() + "/deleted\n");
        QDir().mkpath(file("sub"));
        KryMain wnd({}, allArchiversAvailable());
        wnd.show();
        auto *tree = control<QTreeWidget>(wnd, "DirList");
        QCOMPARE(tree->currentItem()->text(0), QFileInfo(files_->path()).fileName());
        // The user picks another folder; the close stores that one.
        tree->currentItem()->setExpanded(true);
        QTreeWidgetItem *sub = tree->currentItem()->child(0);
        QVERIFY(sub != nullptr);
        tree->setCurrentItem(sub);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(sub).center());
        wnd.close();
        QVERIFY2(settingsText().contains("DefaultPath=" + file("sub").toUtf8() + "/\n"),
                 settingsText().constData());
    }

    // "FreezeType" is read and never written: every start comes back to its kind.
    void theStoredKindIsReadAtEveryStartAndNeverWritten()
    {
        writeSettings("FreezeType=1\nFT_Chk_NA_CAB=False\n");
        for (int start = 0; start < 2; ++start) {
            KryMain wnd({}, everyArchiver());
            wnd.show();
            auto *normal = control<QRadioButton>(wnd, "NormalArc");
            auto *exe = control<QRadioButton>(wnd, "EXEArc");
            QVERIFY(exe->isChecked() && !normal->isChecked() && !exe->isEnabled());
            QCOMPARE(entries(wnd), QStringList({"LHA", "ZIP", "CAB", "GZIP", "BZIP2"}));
            QCOMPARE(marks(wnd), QList<bool>(5, true));
            normal->click();
            QCOMPARE(entries(wnd).size(), 8);
            QCOMPARE(marks(wnd), QList<bool>({true, true, false, true, true, true, true, true}));
            QTest::mouseClick(exe, Qt::LeftButton); // disabled: the kind stays
            QVERIFY(normal->isChecked());
            QCOMPARE(entries(wnd).size(), 8);
            wnd.close();
        }
        QVERIFY(settingsText().contains("\nFreezeType=1\n"));
    }

    void marksAreStoredAtOnceAndKeptPerKind()
    {
        {
            KryMain wnd({}, everyArchiver());
            wnd.show();
            auto *list = control<QListWidget>(wnd, "FileType");
            list->item(1)->setCheckState(Qt::Unchecked);               // ZIP
            QVERIFY(settingsText().contains("FT_Chk_NA_ZIP=False\n")); // before any close
            list->item(4)->setCheckState(Qt::Unchecked);               // BZIP2
            // The format page keeps its marks while the options page is shown.
            auto *tabs = control<QTabWidget>(wnd, "TabStrip1");
            tabs->setCurrentIndex(1);
            QVERIFY(control(wnd, "CheckOption")->isVisible());
            tabs->setCurrentIndex(0);
            QCOMPARE(marks(wnd), QList<bool>({true, false, true, true, false, true, true, true}));
        }
        writeSettings(settingsText().mid(6) + "FreezeType=1\n");
        {
            KryMain wnd({}, everyArchiver());
            // The self-extracting list has its own marks; GZIP and BZIP2 are apart.
            QCOMPARE(marks(wnd), QList<bool>(5, true));
            control<QListWidget>(wnd, "FileType")->item(3)->setCheckState(Qt::Unchecked);
            QVERIFY(settingsText().contains("FT_Chk_EA_GZIP=False\n"));
            QVERIFY(!settingsText().contains("FT_Chk_EA_ZIP"));
        }
        writeSettings(settingsText().mid(6).replace("FreezeType=1\n", ""));
        KryMain wnd({}, everyArchiver());
        QCOMPARE(marks(wnd), QList<bool>({true, false, true, true, false, true, true, true}));
    }

    void aMissingArchiversEntryIsNotListedAndItsKeyStays()
    {
        writeSettings("FT_Chk_NA_LHA=False\n");
        ArchiverAvailability some = allArchiversAvailable();
        some.LHAAvailable = some.BGAAvailable = false;
        {
            KryMain wnd({}, some);
            QCOMPARE(entries(wnd), QStringList({"ZIP", "CAB", "RAR", "GCA", "ACE"}));
            control<QPushButton>(wnd, "ArcAllCheck")->click();
            wnd.close();
        }
        QVERIFY(settingsText().contains("FT_Chk_NA_LHA=False\n"));
        QVERIFY(!settingsText().contains("FT_Chk_NA_GZIP"));
    }

    void checkAllChecksAndStoresEveryEntry()
    {
        writeSettings("FT_Chk_NA_CAB=False\nFT_Chk_NA_ACE=0\n");
        KryMain wnd({}, allArchiversAvailable());
        QCOMPARE(marks(wnd).count(false), 2);
        control<QPushButton>(wnd, "ArcAllCheck")->click();
        QCOMPARE(marks(wnd), QList<bool>(8, true));
        for (const char *name : {"LHA", "ZIP", "CAB", "GZIP", "BZIP2", "RAR", "GCA", "ACE"})
            QVERIFY2(settingsText().contains(QByteArray("FT_Chk_NA_") + name + "=True\n"), name);
    }

    // With the self-extracting kind and only command-line archivers nothing qualifies.
    void anEmptyFormatListDoesNotBreakTheWindow()
    {
        writeSettings("FreezeType=1\n");
        ArchiverAvailability cliOnly;
        cliOnly.RARAvailable = cliOnly.GCAAvailable = cliOnly.ACEAvailable = true;
        writeFile(file("a.txt"), "x");
        KryMain wnd({file("a.txt").toStdString()}, cliOnly);
        wnd.show();
        QVERIFY(entries(wnd).isEmpty());
        control<QPushButton>(wnd, "ArcAllCheck")->click();
        control<QLineEdit>(wnd, "FileName")->setText("out");
        QVERIFY(startEnabled(wnd));
        ModalAnswerer answerer;
        control<QPushButton>(wnd, "KryStart")->click();
        QCOMPARE(answerer.texts(), QStringList({"チェックする圧縮形式がひとつも存在しません"}));
    }

    void theStartRuleFollowsFilesAndName()
    {
        writeFile(file("a.txt"), "x");
        KryMain wnd({}, allArchiversAvailable());
        wnd.show();
        auto *name = control<QLineEdit>(wnd, "FileName");
        name->setText("out");
        QVERIFY(!startEnabled(wnd)); // no files yet
        name->clear();
        QVERIFY(dropOn(control(wnd, "FreezeFile"), {QUrl::fromLocalFile(file("a.txt"))}));
        QVERIFY(!startEnabled(wnd)); // a drop without a name leaves it off
        QTest::keyClick(name, Qt::Key_O);
        QVERIFY(startEnabled(wnd));
        QTest::keyClick(name, Qt::Key_Backspace);
        QVERIFY(!startEnabled(wnd));
        name->setText("out");
        QVERIFY(dropOn(control(wnd, "Label1"), {QUrl::fromLocalFile(file("a.txt"))}));
        QVERIFY(startEnabled(wnd));
    }

    void enterStartsOnlyWhileStartIsEnabledAndFileNameTakesNoEnter()
    {
        writeFile(file("a.txt"), "x");
        KryMain wnd({}, ArchiverAvailability{}); // no format: the run start refuses
        wnd.show();
        QVERIFY(QTest::qWaitForWindowActive(&wnd));
        auto *name = control<QLineEdit>(wnd, "FileName");
        ModalAnswerer answerer;
        QTest::keyClick(name, Qt::Key_Return);
        QVERIFY(answerer.messages.empty());
        wnd.DropFiles({file("a.txt").toStdString()});
        name->setText("out");
        QTest::keyClick(name, Qt::Key_Return);
        QCOMPARE(answerer.texts(), QStringList({"チェックする圧縮形式がひとつも存在しません"}));
        QCOMPARE(name->text(), QString("out"));
        // Enter from another control starts a run too, once.
        control(wnd, "DirList")->setFocus();
        QTest::keyClick(control(wnd, "DirList"), Qt::Key_Enter);
        QCOMPARE(answerer.messages.size(), size_t(2));
        // The access key of the start button starts it; the others are Alt+C and Alt+H.
        QCOMPARE(QKeySequence::mnemonic(control<QPushButton>(wnd, "KryStart")->text()),
                 QKeySequence(Qt::ALT | Qt::Key_F));
        QCOMPARE(QKeySequence::mnemonic(control<QPushButton>(wnd, "CloseWnd")->text()),
                 QKeySequence(Qt::ALT | Qt::Key_C));
        QCOMPARE(QKeySequence::mnemonic(control<QPushButton>(wnd, "HelpShow")->text()),
                 QKeySequence(Qt::ALT | Qt::Key_H));
    }

    void escapeClosesFromAnyControlAndStoresTheSettings()
    {
        for (const char *where : {"FileName", "DirList", "FileType", "FreezeFile"}) {
            QFile::remove(settingsFilePath());
            KryMain wnd({}, allArchiversAvailable());
            wnd.show();
            QVERIFY(QTest::qWaitForWindowActive(&wnd));
            control(wnd, where)->setFocus();
            if (QByteArray(where) == "FileName")
                QTest::keyClicks(control(wnd, where), "half typed");
            QTest::keyClick(control(wnd, where), Qt::Key_Escape);
            QVERIFY2(!wnd.isVisible(), where);
            QVERIFY2(settingsText().contains("DefaultPath="), where);
        }
    }

    void theFocusOrderFollowsTheDesign()
    {
        KryMain wnd({}, allArchiversAvailable());
        wnd.show();
        QVERIFY(QTest::qWaitForWindowActive(&wnd));
        QStringList order;
        for (QWidget *w = control(wnd, "FileName"); order.size() < 8; w = w->nextInFocusChain())
            if (!w->objectName().isEmpty() && w->focusPolicy() & Qt::TabFocus)
                order << w->objectName();
        QCOMPARE(order.mid(0, 3), QStringList({"FileName", "DirList", "NormalArc"}));
        QVERIFY(order.indexOf("KryStart") < order.indexOf("CloseWnd"));
        QVERIFY(order.indexOf("CloseWnd") < order.indexOf("HelpShow"));
        QVERIFY(order.indexOf("HelpShow") < order.indexOf("FreezeFile"));
    }

    void helpOpensAModalWindowWithTheUsageAndVersion()
    {
        KryMain wnd({}, allArchiversAvailable());
        wnd.show();
        QString title, text;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *help = qobject_cast<QDialog *>(w); help && help->isVisible()) {
                    title = help->windowTitle();
                    modal = help->isModal();
                    text = help->findChild<QLabel *>("HelpText")->text();
                    help->findChild<QPushButton *>("HelpClose")->click();
                }
        });
        control<QPushButton>(wnd, "HelpShow")->click();
        QCOMPARE(title, QString("Vexel - ヘルプ"));
        QVERIFY(modal);
        QVERIFY(text.contains(VEXEL_VERSION));
        QVERIFY(text.contains(settingsFilePath()));
        QVERIFY(text.contains("ドラッグ＆ドロップ") && text.contains("拡張子"));
        QVERIFY(wnd.isVisible());
        QCOMPARE(freezeFile(wnd), kPlaceholder);
    }

    // SettingShow opens the settings window modally over the main window; its cancel
    // leaves the shared values as they were.
    void theSettingsButtonOpensTheSettingsWindowModally()
    {
        KryMain wnd({}, allArchiversAvailable());
        wnd.show();
        control<QTabWidget>(wnd, "TabStrip1")->setCurrentIndex(1);
        QString caption;
        bool modalOverMain = false;
        QVERIFY(answerSettingWnd(wnd, [&](SettingWnd &settings) {
            caption = settings.windowTitle();
            modalOverMain = settings.isModal() && settings.parentWidget() == &wnd;
            settings.findChild<QSlider *>("ZipLevel")->setValue(2);
            settings.findChild<QPushButton *>("Command2")->click(); // キャンセル
        }));
        QCOMPARE(caption, QStringLiteral("Vexel - 詳細設定"));
        QVERIFY(modalOverMain);
        QCOMPARE(wnd.runSettings().ZIPFreezeLevel, std::string("6"));
        QVERIFY(wnd.isVisible());
    }

    void dropsReplaceTheListFromEveryControl()
    {
        writeFile(file("one.txt"), "1");
        writeFile(file("two.txt"), "2");
        QDir().mkpath(file("dir"));
        KryMain wnd({}, allArchiversAvailable());
        wnd.show();
        const auto url = [&](const QString &name) { return QUrl::fromLocalFile(file(name)); };

        QVERIFY(dropOn(control(wnd, "FileName"), {url("one.txt")}));
        QCOMPARE(freezeFile(wnd), file("one.txt")); // one entry: no quotes
        QCOMPARE(wnd.fileList(), std::vector<std::string>{file("one.txt").toStdString()});

        QVERIFY(dropOn(control(wnd, "EXEArc"), {url("dir")}));
        QCOMPARE(freezeFile(wnd), file("dir") + "/*.*");

        QVERIFY(dropOn(control(wnd, "KryStart"), {QUrl::fromLocalFile("/")})); // disabled
        QCOMPARE(freezeFile(wnd), QString("/*.*"));

        QVERIFY(dropOn(control(wnd, "SettingShow"), {url("two.txt"), url("dir"), url("one.txt")}));
        QCOMPARE(freezeFile(wnd),
                 '"' + file("two.txt") + "\" \"" + file("dir") + "/*.*\" \"" + file("one.txt")
                     + '"');
        QCOMPARE(wnd.fileList().size(), size_t(3));

        // On the tree: the list changes, the save folder and the selection do not.
        auto *tree = control<QTreeWidget>(wnd, "DirList");
        QTreeWidgetItem *selected = tree->currentItem();
        QVERIFY(dropOn(tree->viewport(), {url("two.txt")}));
        QCOMPARE(wnd.fileList(), std::vector<std::string>{file("two.txt").toStdString()});
        QCOMPARE(tree->currentItem(), selected);

        // Without local files: not taken, nothing changes.
        QVERIFY(!dropOn(control(wnd, "FileType"), {QUrl("https://example.invalid/x")}));
        QCOMPARE(freezeFile(wnd), file("two.txt"));
        for (const char *name : {"Label2", "OptionFrame", "TabStrip1", "CloseWnd", "HelpShow",
                                 "SaveDirFrame", "FileFrame", "NormalArc", "ArcAllCheck"})
            QVERIFY2(dropOn(control(wnd, name), {url("one.txt")}), name);
    }

    void theCommandLineFillsTheListQuotedAndReportsMissingNames()
    {
        writeFile(file("a.txt"), "x");
        QDir().mkpath(file("with blank"));
        QDir::setCurrent(files_->path());
        {
            KryMain wnd({"a.txt", "missing.txt", file("with blank").toStdString()},
                        allArchiversAvailable());
            QCOMPARE(wnd.fileList(),
                     (std::vector<std::string>{file("a.txt").toStdString(),
                                               (file("with blank") + "/*.*").toStdString()}));
            QCOMPARE(freezeFile(wnd),
                     '"' + file("a.txt") + "\" \"" + file("with blank") + "/*.*\"");
            // A later drop replaces it.
            dropOn(control(wnd, "FreezeFile"), {QUrl::fromLocalFile(file("with blank"))});
            QCOMPARE(wnd.fileList().size(), size_t(1));
        }
        KryMain single({"a.txt"}, allArchiversAvailable());
        QCOMPARE(freezeFile(single), '"' + file("a.txt") + '"');
        // A name that is not UTF-8 stays exact in the list, from argv and from a drop.
        const std::string odd = files_->path().toStdString() + "/caf\xff.txt";
        std::ofstream(odd) << "x";
        KryMain bytes({odd}, allArchiversAvailable());
        QCOMPARE(bytes.fileList(), std::vector<std::string>{odd});
        QCOMPARE(freezeFile(bytes), '"' + file(QStringLiteral("caf\uFFFD.txt")) + '"');
        QMimeData mime;
        mime.setData("text/uri-list",
                     "file://" + QUrl::toPercentEncoding(files_->path(), "/") + "/caf%FF.txt\r\n");
        dropOn(control(bytes, "FreezeFile"), {QUrl::fromLocalFile(file("a.txt"))});
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(control(bytes, "FreezeFile"), &enter);
        QDropEvent drop(QPoint(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(control(bytes, "FreezeFile"), &drop);
        QCOMPARE(bytes.fileList(), std::vector<std::string>{odd});
        std::remove(odd.c_str()); // QTemporaryDir cannot name it to remove it

        KryMain none({"gone", "also gone"}, allArchiversAvailable());
        QCOMPARE(freezeFile(none), kPlaceholder);
        QVERIFY(none.fileList().empty());
    }
};

VEXEL_QTEST_CLASS(KryMainTest)
#include "KryMainTest.moc"
