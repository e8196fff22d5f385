// SettingWnd: the modal detailed-settings window. It shows the compression methods and
// levels of the shared values, lets the user change and apply them, and reports which
// archivers are installed with the versions of the libraries. It never touches the
// settings store: applied values are used by the next run at once and are stored when
// the main window closes.
//
// Each opening is a fresh window, filled from the values and the libraries anew:
//     SettingWnd(settings, availability, loadedLibraryVersion(libraries), this).exec();
#pragma once

#include "config/InstallationReport.h"
#include "config/SettingValues.h"
#include "run/FormatTable.h"
#include "run/RunState.h"

#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace vexel {

class SettingWnd : public QDialog {
    Q_OBJECT
public:
    // `values` are the shared values the window shows and applies to; they must outlive
    // the window. `availability` is what the start-up found; `versionOf` asks a library
    // for its version while the window is made, only for libraries whose flag is set.
    SettingWnd(RunSettings &values, const ArchiverAvailability &availability,
               const LibraryVersionQuery &versionOf, QWidget *parent = nullptr);

    // Copies what the controls show into the shared values.
    void ApplySettings();

private slots:
    void Command1_Click(); // "適用(&A)": apply, stay open
    void Command2_Click(); // "キャンセル": close without applying
    void Command3_Click(); // "OK": apply and close

private:
    void buildControls();
    QWidget *buildGeneralPanel();
    QWidget *buildLevelPanel();
    QWidget *buildVersionPanel();
    QGroupBox *buildMethodFrame(const char *frameName, const QString &caption, QButtonGroup *&group,
                                const char *groupName, const QStringList &elements);
    QSlider *addLevelSlider(QGroupBox *frame, const char *sliderName, PositionRange range,
                            const char *lowName, const char *highName);
    // Fills the controls from the shared values and the report from the libraries.
    void Form_Load(const ArchiverAvailability &availability, const LibraryVersionQuery &versionOf);
    void fitTextToReport();
    SettingPositions shownPositions() const;

    RunSettings &values_;

    QTabWidget *TabStrip1 = nullptr;
    QWidget *Setting_All = nullptr;
    QWidget *Setting_FreezeLevel = nullptr;
    QWidget *Setting_Version = nullptr;
    QButtonGroup *OptLHA = nullptr;
    QButtonGroup *OptCAB = nullptr;
    QSlider *CabLevel = nullptr;
    QSlider *ZipLevel = nullptr;
    QSlider *BGALevel = nullptr;
    QSpinBox *JobsSpin = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
};

} // namespace vexel
