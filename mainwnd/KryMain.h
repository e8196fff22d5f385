// KryMain: the start-up window. It owns the user's inputs (the file list, the save
// folder tree, the output name, the formats to try and the two options) and starts a
// run with them. The run itself reads them through RunInputs.
#pragma once

#include "run/FormatTable.h"
#include "run/RunState.h"
#include "run/RunInputs.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace vexel {

class cDTree;
class ProgressWnd;
class TreeImageList;

class KryMain : public QWidget, public RunInputs {
    Q_OBJECT
public:
    // `arguments` are the names given on the command line; `availability` says which
    // formats the format list offers.
    KryMain(const QStringList &arguments, const ArchiverAvailability &availability,
            QWidget *parent = nullptr);
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
    // Replaces the file list with these paths (a drop, or the command line).
    void setFiles(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void KryStart_Click();
    void ArcAllCheck_Click();
    void AlwaysTopSW_Click();
    void updateStartButton();

private:
    void buildControls();
    void fillFormatList();
    void acceptDropsEverywhere();

    ArchiverAvailability availability_;
    std::vector<std::string> fileList_;
    RunSettings settings_;
    RunRequest request_;
    RunControl control_;
    RunState state_;

    QLineEdit *FreezeFile = nullptr;
    QLineEdit *FileName = nullptr;
    QListWidget *FileType = nullptr;
    QCheckBox *DLLVisible = nullptr;
    QCheckBox *AlwaysTopSW = nullptr;
    QPushButton *KryStart = nullptr;
    QTreeWidget *DirList = nullptr;
    std::unique_ptr<TreeImageList> ImageList;
    std::unique_ptr<cDTree> DirTree;
    ProgressWnd *progress_ = nullptr;   // made on first use, a child of this window
};

} // namespace vexel
