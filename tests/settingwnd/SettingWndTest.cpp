// The detailed-settings window: what it shows, what its buttons apply, its report with
// real and fake libraries, its tabs and its layout.
#include "config/SettingWnd.h"
#include "config/KryOpr.h"
#include "config/ProgramVersion.h"
#include "platform/SearchPath.h"
#include "tests/support/LayoutCheck.h"
#include "tests/support/QtTestClasses.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLibrary>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>

#include <functional>

using namespace vexel;

namespace {

// Counts the version calls and answers `version` (or the next of a running number).
struct CountingVersions {
    int calls = 0;
    std::uint16_t version = 123;
    bool counting = false; // answer version + call number, to tell openings apart

    LibraryVersionQuery query()
    {
        return [this](const std::string &, const std::string &,
                      std::string *) -> std::optional<std::uint16_t> {
            ++calls;
            return std::uint16_t(counting ? version + calls : version);
        };
    }
};

ArchiverAvailability librariesOnly()
{
    ArchiverAvailability a;
    a.LHAAvailable = a.ZIPAvailable = a.CABAvailable = a.BGAAvailable = true;
    return a;
}

template <typename T>
T *child(const QWidget &wnd, const char *name)
{
    T *found = wnd.findChild<T *>(QString::fromLatin1(name));
    if (found == nullptr)
        qFatal("no control %s", name);
    return found;
}

QButtonGroup *group(const QWidget &wnd, const char *name) { return child<QButtonGroup>(wnd, name); }
QSlider *slider(const QWidget &wnd, const char *name) { return child<QSlider>(wnd, name); }
QPushButton *button(const QWidget &wnd, const char *name) { return child<QPushButton>(wnd, name); }
QString reportOf(const QWidget &wnd) { return child<QPlainTextEdit>(wnd, "Text1")->toPlainText(); }

// Opens `wnd` modally, runs `whileOpen` once it shows, and returns exec()'s answer.
// A window left open is closed after a while so that a failing test ends.
int runModal(SettingWnd &wnd, const std::function<void()> &whileOpen)
{
    QTimer::singleShot(0, &wnd, whileOpen);
    QTimer::singleShot(30000, &wnd, [&wnd] { wnd.done(-1); });
    return wnd.exec();
}

void clickTab(QTabWidget *tabs, const QString &text)
{
    QTabBar *bar = tabs->tabBar();
    for (int i = 0; i < bar->count(); ++i)
        if (bar->tabText(i) == text)
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
}

} // namespace

class SettingWndTest : public QObject {
    Q_OBJECT

private slots:
    void windowHasTheDesignedControls()
    {
        RunSettings values;
        CountingVersions versions;
        SettingWnd wnd(values, {}, versions.query());
        QCOMPARE(wnd.windowTitle(), QStringLiteral("Vexel - 詳細設定"));
        QVERIFY(!wnd.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!wnd.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(wnd.minimumSize(), wnd.maximumSize());
        QVERIFY(wnd.width() >= 432 && wnd.height() >= 324);

        auto *tabs = child<QTabWidget>(wnd, "TabStrip1");
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("全般"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("圧縮率"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("バージョン"));
        QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("Setting_All"));
        QCOMPARE(tabs->widget(1)->objectName(), QStringLiteral("Setting_FreezeLevel"));
        QCOMPARE(tabs->widget(2)->objectName(), QStringLiteral("Setting_Version"));

        const std::pair<const char *, const char *> texts[] = {
            {"OptLHA0", "LH5"},         {"OptLHA1", "LH6"},      {"OptLHA2", "LH7"},
            {"OptCAB0", "MSZIP"},       {"OptCAB1", "LZX"},      {"Command3", "OK"},
            {"Command2", "キャンセル"}, {"Command1", "適用(&A)"}};
        for (auto [name, text] : texts)
            QCOMPARE(child<QAbstractButton>(wnd, name)->text(), QString::fromUtf8(text));
        for (int e = 0; e < 3; ++e)
            QCOMPARE(group(wnd, "OptLHA")->button(e)->objectName(),
                     QStringLiteral("OptLHA%1").arg(e));
        const std::pair<const char *, const char *> labels[] = {
            {"JobsLabel", "同時に圧縮する形式の数"},
            {"Label5", "圧縮形式がLZXの場合の圧縮率"},
            {"Label9", "低"},
            {"Label8", "高"},
            {"Label7", "低"},
            {"Label6", "高"},
            {"Label10", "低"},
            {"Label11", "高"}};
        for (auto [name, text] : labels)
            QCOMPARE(child<QLabel>(wnd, name)->text(), QString::fromUtf8(text));
        const std::pair<const char *, const char *> frames[] = {{"Frame1", "DLL情報"},
                                                                {"Frame2", "LHA圧縮形式"},
                                                                {"Frame3", "CAB圧縮形式・圧縮率"},
                                                                {"Frame4", "Zip圧縮率"},
                                                                {"Frame5", "BZIP2/GZIP圧縮率"}};
        for (auto [name, title] : frames)
            QCOMPARE(child<QGroupBox>(wnd, name)->title(), QString::fromUtf8(title));

        const std::tuple<const char *, int, int, const char *, const char *> sliders[] = {
            {"CabLevel", 15, 21, "Label9", "Label8"},
            {"ZipLevel", 1, 9, "Label7", "Label6"},
            {"BGALevel", 1, 9, "Label10", "Label11"}};
        wnd.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wnd));
        tabs->setCurrentIndex(1);
        for (auto [name, low, high, lowLabel, highLabel] : sliders) {
            QSlider *s = slider(wnd, name);
            QCOMPARE(s->orientation(), Qt::Horizontal);
            QCOMPARE(s->minimum(), low);
            QCOMPARE(s->maximum(), high);
            QCOMPARE(s->singleStep(), 1);
            QCOMPARE(s->tickInterval(), 1);
            QVERIFY(s->tickPosition() != QSlider::NoTicks);
            // "低" at the slider's left end, "高" at its right, on its row.
            const QRect at = s->geometry();
            const QRect lowAt = child<QLabel>(wnd, lowLabel)->geometry();
            const QRect highAt = child<QLabel>(wnd, highLabel)->geometry();
            QVERIFY(lowAt.right() < at.left() && highAt.left() > at.right());
            QVERIFY(lowAt.center().y() >= at.top() && lowAt.center().y() <= at.bottom());
        }
        // OK, キャンセル, 適用 from left to right along the bottom.
        const int ok = button(wnd, "Command3")->x(), cancel = button(wnd, "Command2")->x(),
                  apply = button(wnd, "Command1")->x();
        QVERIFY(ok < cancel && cancel < apply);
        QVERIFY(button(wnd, "Command3")->geometry().top() > tabs->geometry().bottom());
        QVERIFY(child<QPlainTextEdit>(wnd, "Text1")->isReadOnly());
    }

    void firstStartValuesAreShown()
    {
        RunSettings values;
        CountingVersions versions;
        SettingWnd wnd(values, {}, versions.query());
        QVERIFY(child<QRadioButton>(wnd, "OptLHA0")->isChecked());
        QVERIFY(child<QRadioButton>(wnd, "OptCAB0")->isChecked());
        QCOMPARE(slider(wnd, "CabLevel")->value(), 15);
        QCOMPARE(slider(wnd, "ZipLevel")->value(), 6);
        QCOMPARE(slider(wnd, "BGALevel")->value(), 9);
    }

    // Each element and each slider end, chosen in the window and applied, reads back
    // as the same control in the next window.
    void everyElementAndSliderEndRoundTrips()
    {
        CountingVersions versions;
        const std::pair<const char *, const char *> options[] = {
            {"OptLHA0", "2"}, {"OptLHA1", "3"}, {"OptLHA2", "4"}};
        for (auto [name, stored] : options) {
            RunSettings values;
            {
                SettingWnd wnd(values, {}, versions.query());
                child<QRadioButton>(wnd, name)->click();
                button(wnd, "Command1")->click();
            }
            QCOMPARE(QString::fromStdString(values.LHAFreezeType), QString::fromLatin1(stored));
            SettingWnd again(values, {}, versions.query());
            QVERIFY(child<QRadioButton>(again, name)->isChecked());
        }
        for (auto [name, stored] : {std::pair{"OptCAB0", "0"}, {"OptCAB1", "1"}}) {
            RunSettings values;
            values.CABFreezeType = name[6] == '0' ? "1" : "0";
            {
                SettingWnd wnd(values, {}, versions.query());
                child<QRadioButton>(wnd, name)->click();
                button(wnd, "Command1")->click();
            }
            QCOMPARE(QString::fromStdString(values.CABFreezeType), QString::fromLatin1(stored));
            SettingWnd again(values, {}, versions.query());
            QVERIFY(child<QRadioButton>(again, name)->isChecked());
        }
        for (bool low : {true, false}) {
            RunSettings values;
            {
                SettingWnd wnd(values, {}, versions.query());
                for (const char *name : {"CabLevel", "ZipLevel", "BGALevel"}) {
                    QSlider *s = slider(wnd, name);
                    s->setValue(low ? s->minimum() : s->maximum());
                }
                button(wnd, "Command1")->click();
            }
            QCOMPARE(values.CABFreezeLevel, std::string(low ? " 15" : " 21"));
            QCOMPARE(values.ZIPFreezeLevel, std::string(low ? " 1" : " 9"));
            QCOMPARE(values.BGAFreezeLevel, std::string(low ? " 1" : " 9"));
            SettingWnd again(values, {}, versions.query());
            QCOMPARE(slider(again, "CabLevel")->value(), low ? 15 : 21);
            QCOMPARE(slider(again, "ZipLevel")->value(), low ? 1 : 9);
            QCOMPARE(slider(again, "BGALevel")->value(), low ? 1 : 9);
        }
    }

    // Stored values with blanks, fractions or outside the controls show the nearest
    // position, and applying writes what is shown.
    void unusualValuesShowTheNearestPositionAndApplyWhatIsShown()
    {
        RunSettings values;
        values.LHAFreezeType = "5";
        values.CABFreezeType = " 1";
        values.CABFreezeLevel = " 30";
        values.ZIPFreezeLevel = "2.6";
        values.BGAFreezeLevel = "abc";
        CountingVersions versions;
        SettingWnd wnd(values, {}, versions.query());
        QVERIFY(child<QRadioButton>(wnd, "OptLHA2")->isChecked());
        QVERIFY(child<QRadioButton>(wnd, "OptCAB1")->isChecked());
        QCOMPARE(slider(wnd, "CabLevel")->value(), 21);
        QCOMPARE(slider(wnd, "ZipLevel")->value(), 3);
        QCOMPARE(slider(wnd, "BGALevel")->value(), 9);
        // Opening alone changes nothing.
        QCOMPARE(values.LHAFreezeType, std::string("5"));
        wnd.ApplySettings();
        QCOMPARE(values.LHAFreezeType, std::string("4"));
        QCOMPARE(values.CABFreezeType, std::string("1"));
        QCOMPARE(values.CABFreezeLevel, std::string(" 21"));
        QCOMPARE(values.ZIPFreezeLevel, std::string(" 3"));
        QCOMPARE(values.BGAFreezeLevel, std::string(" 9"));
    }

    void applyKeepsTheWindowOpenAndCancelKeepsWhatWasApplied()
    {
        RunSettings values;
        CountingVersions versions;
        SettingWnd wnd(values, {}, versions.query());
        bool openAfterApply = false;
        const int result = runModal(wnd, [&] {
            slider(wnd, "ZipLevel")->setValue(3);
            button(wnd, "Command1")->click();
            QCOMPARE(values.ZIPFreezeLevel, std::string(" 3"));
            openAfterApply = wnd.isVisible();
            slider(wnd, "ZipLevel")->setValue(8); // moved, never applied
            button(wnd, "Command2")->click();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(openAfterApply);
        QCOMPARE(values.ZIPFreezeLevel, std::string(" 3"));
        SettingWnd next(values, {}, versions.query());
        QCOMPARE(slider(next, "ZipLevel")->value(), 3);
    }

    // キャンセル, Esc and the close box all leave the values as they were.
    void cancellingInAnyWayChangesNothing()
    {
        const std::vector<std::pair<const char *, std::function<void(SettingWnd &)>>> ways = {
            {"キャンセル", [](SettingWnd &w) { button(w, "Command2")->click(); }},
            {"Esc", [](SettingWnd &w) { QTest::keyClick(slider(w, "CabLevel"), Qt::Key_Escape); }},
            {"close box", [](SettingWnd &w) { w.close(); }}};
        for (const auto &[way, cancel] : ways) {
            RunSettings values;
            values.CABFreezeLevel = " 18";
            const RunSettings before = values;
            CountingVersions versions;
            SettingWnd wnd(values, {}, versions.query());
            const int result = runModal(wnd, [&, cancel = cancel] {
                child<QRadioButton>(wnd, "OptLHA2")->click();
                child<QRadioButton>(wnd, "OptCAB1")->click();
                slider(wnd, "CabLevel")->setValue(20);
                slider(wnd, "ZipLevel")->setValue(1);
                slider(wnd, "BGALevel")->setValue(2);
                cancel(wnd);
            });
            QVERIFY2(result == QDialog::Rejected, way);
            QVERIFY2(values.LHAFreezeType == before.LHAFreezeType
                         && values.CABFreezeType == before.CABFreezeType
                         && values.CABFreezeLevel == before.CABFreezeLevel
                         && values.ZIPFreezeLevel == before.ZIPFreezeLevel
                         && values.BGAFreezeLevel == before.BGAFreezeLevel,
                     way);
            SettingWnd next(values, {}, versions.query());
            QCOMPARE(slider(next, "CabLevel")->value(), 18);
            QVERIFY(child<QRadioButton>(next, "OptLHA0")->isChecked());
        }
    }

    void okAppliesAndCloses()
    {
        RunSettings values;
        CountingVersions versions;
        SettingWnd wnd(values, {}, versions.query());
        const int result = runModal(wnd, [&] {
            child<QRadioButton>(wnd, "OptLHA1")->click();
            child<QRadioButton>(wnd, "OptCAB1")->click();
            slider(wnd, "CabLevel")->setValue(19);
            slider(wnd, "BGALevel")->setValue(4);
            button(wnd, "Command3")->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(!wnd.isVisible());
        QCOMPARE(values.LHAFreezeType, std::string("3"));
        QCOMPARE(values.CABFreezeType, std::string("1"));
        QCOMPARE(values.CABFreezeLevel, std::string(" 19"));
        QCOMPARE(values.ZIPFreezeLevel, std::string(" 6"));
        QCOMPARE(values.BGAFreezeLevel, std::string(" 4"));
    }

    // The formats made at once: 0 shows as "自動", the count is applied by OK and
    // left alone by cancel, and a value beyond the box's range shows its end.
    void jobsSpinShowsAutomaticForZeroAndAppliesTheCount()
    {
        RunSettings values;
        values.Jobs = 0;
        CountingVersions versions;
        {
            SettingWnd wnd(values, {}, versions.query());
            auto *spin = child<QSpinBox>(wnd, "JobsSpin");
            QCOMPARE(spin->value(), 0);
            QCOMPARE(spin->text(), QStringLiteral("自動"));
            QCOMPARE(spin->minimum(), 0);
            QCOMPARE(spin->maximum(), 8);
            QCOMPARE(child<QLabel>(wnd, "JobsLabel")->buddy(), spin);
            const int result = runModal(wnd, [&] {
                spin->setValue(3);
                button(wnd, "Command3")->click();
            });
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(values.Jobs, 3);
        }
        {
            SettingWnd wnd(values, {}, versions.query());
            auto *spin = child<QSpinBox>(wnd, "JobsSpin");
            QCOMPARE(spin->text(), QStringLiteral("3"));
            runModal(wnd, [&] {
                spin->setValue(1);
                button(wnd, "Command2")->click();
            });
            QCOMPARE(values.Jobs, 3);
        }
        values.Jobs = 40;
        SettingWnd wnd(values, {}, versions.query());
        QCOMPARE(child<QSpinBox>(wnd, "JobsSpin")->value(), 8);
    }

    // The libraries built beside the program, found and asked as the program does.
    void reportShowsTheRealLibrariesVersions()
    {
        QTemporaryDir empty;
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", empty.path().toUtf8()); // no command-line archiver anywhere
        const platform::SearchPath builtLibraries(VEXEL_BIN_DIR "/");
        const ArchiverAvailability found = DiscoverArchivers(builtLibraries);
        QVERIFY(found.LHAAvailable && found.ZIPAvailable && found.CABAvailable
                && found.BGAAvailable);

        QStringList expected;
        const std::tuple<const char *, const char *, const char *> libraries[] = {
            {"UNLHA32.DLL", "unlha32.so", "UnlhaGetVersion"},
            {"ZIP32J.DLL", "zip32j.so", "ZipGetVersion"},
            {"CAB32.DLL", "cab32.so", "CabGetVersion"},
            {"BGA32.DLL", "bga32.so", "BgaGetVersion"}};
        for (auto [name, file, symbol] : libraries) {
            QLibrary library(QStringLiteral(VEXEL_BIN_DIR "/") + QString::fromLatin1(file));
            auto getVersion = reinterpret_cast<std::uint16_t (*)()>(library.resolve(symbol));
            QVERIFY2(getVersion, qPrintable(library.errorString()));
            const unsigned v = getVersion();
            expected << QStringLiteral("%1 - Version %2.%3")
                            .arg(QString::fromLatin1(name))
                            .arg(v / 100)
                            .arg(v % 100, 2, 10, QLatin1Char('0'));
        }
        expected << "ACE32.EXE - Not Installed."
                 << "RAR.EXE - Not Installed."
                 << "GCAC.EXE - Not Installed.";

        RunSettings values;
        ArchiverLibraries loaded(builtLibraries);
        SettingWnd wnd(values, found, loadedLibraryVersion(loaded));
        qputenv("PATH", oldPath);
        QCOMPARE(reportOf(wnd), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }

    void noArchiverGivesSevenNotInstalledLinesAndNoVersionCall()
    {
        RunSettings values;
        CountingVersions versions;
        SettingWnd wnd(values, ArchiverAvailability{}, versions.query());
        QCOMPARE(reportOf(wnd),
                 QStringLiteral("UNLHA32.DLL - Not Installed.\n"
                                "ZIP32J.DLL - Not Installed.\n"
                                "CAB32.DLL - Not Installed.\n"
                                "BGA32.DLL - Not Installed.\n"
                                "ACE32.EXE - Not Installed.\n"
                                "RAR.EXE - Not Installed.\n"
                                "GCAC.EXE - Not Installed.\n"));
        QCOMPARE(versions.calls, 0);
    }

    void zip32jWithoutZip32IsNotInstalledAndNotAsked()
    {
        const ArchiverAvailability found =
            DiscoverArchivers([](const std::string &name) { return name == "ZIP32J.DLL"; });
        RunSettings values;
        CountingVersions versions;
        SettingWnd wnd(values, found, versions.query());
        QCOMPARE(reportOf(wnd).split(QLatin1Char('\n')).at(1),
                 QStringLiteral("ZIP32J.DLL - Not Installed."));
        QCOMPARE(versions.calls, 0);
    }

    void versionsAreWrittenWithTwoDigits()
    {
        for (auto [version, text] : {std::pair{105, "1.05"}, {3, "0.03"}}) {
            RunSettings values;
            CountingVersions versions;
            versions.version = std::uint16_t(version);
            SettingWnd wnd(values, librariesOnly(), versions.query());
            QCOMPARE(reportOf(wnd).split(QLatin1Char('\n')).at(0),
                     QStringLiteral("UNLHA32.DLL - Version ") + QString::fromLatin1(text));
            QCOMPARE(versions.calls, 4);
        }
    }

    void theReportIsRebuiltAtEachOpening()
    {
        RunSettings values;
        CountingVersions versions;
        versions.version = 100;
        versions.counting = true;
        const QString first = reportOf(SettingWnd(values, librariesOnly(), versions.query()));
        QCOMPARE(versions.calls, 4);
        const QString second = reportOf(SettingWnd(values, librariesOnly(), versions.query()));
        QCOMPARE(versions.calls, 8);
        QVERIFY(first.startsWith(QStringLiteral("UNLHA32.DLL - Version 1.01\n")));
        QVERIFY(second.startsWith(QStringLiteral("UNLHA32.DLL - Version 1.05\n")));
    }

    void tabsShowTheirPanels()
    {
        RunSettings values;
        CountingVersions versions;
        SettingWnd wnd(values, {}, versions.query());
        wnd.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wnd));
        auto *tabs = child<QTabWidget>(wnd, "TabStrip1");
        QWidget *all = child<QWidget>(wnd, "Setting_All");
        QWidget *levels = child<QWidget>(wnd, "Setting_FreezeLevel");
        QWidget *version = child<QWidget>(wnd, "Setting_Version");
        auto shown = [&] {
            return QList<bool>{all->isVisible(), levels->isVisible(), version->isVisible()};
        };
        QCOMPARE(shown(), (QList<bool>{true, false, false})); // the first tab at opening
        QVERIFY(child<QSpinBox>(wnd, "JobsSpin")->isVisible());
        clickTab(tabs, QStringLiteral("圧縮率"));
        QCOMPARE(shown(), (QList<bool>{false, true, false}));
        QVERIFY(slider(wnd, "ZipLevel")->isVisible());
        clickTab(tabs, QStringLiteral("バージョン"));
        QCOMPARE(shown(), (QList<bool>{false, false, true}));
        QVERIFY(child<QPlainTextEdit>(wnd, "Text1")->isVisible());
        clickTab(tabs, QStringLiteral("全般"));
        QCOMPARE(shown(), (QList<bool>{true, false, false}));
        QVERIFY2(wnd.findChild<QLabel *>("Label12") == nullptr, "the spin box replaced the notice");
    }

    void versionLabelShowsTheProjectVersionInArial()
    {
        // The CMake project version "X.Y[.Z]": X the whole part, Y the hundredths.
        const QStringList parts = QStringLiteral(VEXEL_PROJECT_VERSION).split(QLatin1Char('.'));
        const QString expected =
            QStringLiteral("%1.%2")
                .arg(parts.value(0))
                .arg(parts.value(1, QStringLiteral("0")).toInt(), 2, 10, QLatin1Char('0'));
        QCOMPARE(QString::fromStdString(programVersion()), expected);
        QCOMPARE(QString::fromStdString(programVersionText(1, 0)), QStringLiteral("1.00"));
        QCOMPARE(QString::fromStdString(programVersionText(0, 1)), QStringLiteral("0.01"));
        QCOMPARE(QString::fromStdString(programVersionText(2, 45)), QStringLiteral("2.45"));

        RunSettings values;
        CountingVersions versions;
        SettingWnd wnd(values, {}, versions.query());
        QLabel *label = child<QLabel>(wnd, "Label1");
        QCOMPARE(label->text(), QStringLiteral("Vexel - Version ") + expected);
        QCOMPARE(label->font().families().value(0), QStringLiteral("Arial"));
        QCOMPARE(label->font().styleHint(), QFont::SansSerif);
        for (const char *name : {"Label2", "Label3", "Label4"})
            QVERIFY(!child<QLabel>(wnd, name)->text().isEmpty());
        QVERIFY(child<QLabel>(wnd, "Label4")->text().endsWith(QStringLiteral("Korvane Club.ini")));
    }

    void everyTextShowsAtTheDefaultFont() { checkLayout(1.0); }
    void everyTextShowsAtOneAndAHalfTimesTheFont() { checkLayout(1.5); }

private:
    // Every tab of a window with a full report, checked; the pictures are kept when
    // VEXEL_SCREENSHOT_DIR names a folder.
    void checkLayout(double scale)
    {
        test::ScopedFontScale font(scale);
        RunSettings values;
        values.Jobs = 0; // the stored default: the spin box shows its widest text, "自動"
        CountingVersions versions;
        ArchiverAvailability found = librariesOnly();
        found.RARAvailable = true;
        SettingWnd wnd(values, found, versions.query());
        wnd.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wnd));
        auto *tabs = child<QTabWidget>(wnd, "TabStrip1");
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            const QStringList problems = test::layoutProblems(&wnd);
            QVERIFY2(problems.isEmpty(),
                     qPrintable(QStringLiteral("tab %1 at %2x:\n").arg(tab).arg(scale)
                                + problems.join(QLatin1Char('\n'))));
            const QString folder = qEnvironmentVariable("VEXEL_SCREENSHOT_DIR");
            if (!folder.isEmpty())
                wnd.grab().save(
                    QStringLiteral("%1/settingwnd-%2-tab%3.png").arg(folder).arg(scale).arg(tab));
        }
    }
};

VEXEL_QTEST_CLASS(SettingWndTest)
#include "SettingWndTest.moc"
