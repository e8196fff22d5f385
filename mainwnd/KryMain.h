// KryMain: the main window. It owns the user's inputs (the file list, the save folder
// tree, the output name, the archive kind and the formats to try, the two options) and
// the shared settings values, starts a run with them, and keeps the settings store:
// read at start-up (LoadSettings), check marks written as they change, the rest at
// close (SaveSettings). The run reads the window through RunInputs.
#pragma once

#include "config/StoredSettings.h"
#include "mainwnd/DesignGeometry.h"
#include "run/FormatTable.h"
#include "run/RunInputs.h"
#include "run/RunState.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace vexel {

class cDTree;
class ProgressWnd;
class SettingsStore;
class TreeImageList;

// The text FreezeFile shows until files are given; the start rule compares with it.
extern const QString kNoFilesText;

class KryMain : public QWidget, public RunInputs {
    Q_OBJECT
public:
    // `arguments`: the names given on the command line, as their bytes. `availability`:
    // which archivers were found. `store`: the settings store; null opens the user's
    // (IniSettingsStore at settingsFilePath()).
    KryMain(const std::vector<std::string> &arguments, const ArchiverAvailability &availability,
            std::unique_ptr<SettingsStore> store = nullptr, QWidget *parent = nullptr);
    ~KryMain() override;

    // RunInputs
    int formatEntryCount() const override;
    std::string formatEntryText(int index) const override;
    bool formatEntryChecked(int index) const override;
    std::string outputName() const override;
    bool dllVisible() const override;
    bool alwaysOnTop() const override;
    void *mainWindowHandle() override;

    const std::vector<std::string> &fileList() const { return fileList_; }
    // The shared settings values: every run uses them as they stand; the settings
    // window edits them in place; SaveSettings stores them at close.
    RunSettings &runSettings() { return settings_; }
    const ArchiverAvailability &availability() const { return availability_; }
    // The design scale in use (1 at the design's font; more with larger fonts).
    double layoutScale() const { return scale_; }

    // DropFiles: replaces the file list with the dropped names (bytes), shows them
    // and applies the enabling half of the start rule. A drop without names is ignored.
    void DropFiles(const std::vector<std::string> &names);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private slots:
    void KryStart_Click();
    void ArcAllCheck_Click();
    void AlwaysTopSW_Click();
    void NormalArc_Click();
    void FileName_Change();
    void FileType_ItemCheck(QListWidgetItem *item);
    void HelpShow_Click();
    void SettingShow_Click();

private:
    void buildControls();
    void connectControls();
    void setFocusOrder();
    void fitLayout();
    void LoadSettings();
    void SetArchiveKind(int kind);
    void fillFromCommandLine(const std::vector<std::string> &arguments);
    void acceptDropsEverywhere();
    bool handleKey(QObject *watched, QKeyEvent *key);
    bool handleDrag(QEvent *event);
    ArchiveKind currentKind() const;

    ArchiverAvailability availability_;
    std::unique_ptr<SettingsStore> store_;
    std::vector<std::string> fileList_;
    RunSettings settings_;
    RunRequest request_;
    RunControl control_;
    RunState state_;
    DesignGeometry geometry_;
    double scale_ = 1.0;
    bool rebuildingList_ = false; // SetArchiveKind sets marks: nothing is written
    bool closed_ = false;

    QLabel *Label2 = nullptr;
    QLineEdit *FreezeFile = nullptr;
    QGroupBox *SaveDirFrame = nullptr;
    QTreeWidget *DirList = nullptr;
    QGroupBox *FileFrame = nullptr;
    QLineEdit *FileName = nullptr;
    QRadioButton *NormalArc = nullptr;
    QRadioButton *EXEArc = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label1 = nullptr;
    QTabWidget *TabStrip1 = nullptr;
    QWidget *CheckArcMode = nullptr;
    QListWidget *FileType = nullptr;
    QPushButton *ArcAllCheck = nullptr;
    QWidget *CheckOption = nullptr;
    QGroupBox *OptionFrame = nullptr;
    QCheckBox *DLLVisible = nullptr;
    QCheckBox *AlwaysTopSW = nullptr;
    QPushButton *SettingShow = nullptr;
    QPushButton *KryStart = nullptr;
    QPushButton *CloseWnd = nullptr;
    QPushButton *HelpShow = nullptr;
    std::unique_ptr<TreeImageList> ImageList;
    std::unique_ptr<cDTree> DirTree;
    ProgressWnd *progress_ = nullptr; // made on first use, a child of this window
};

} // namespace vexel
