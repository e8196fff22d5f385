// ProgressWnd: the modal window shown for the whole run. Its timer Tmr starts the run
// once the window is on screen, its labels show which format is being made, PrgCancel
// and the close box cancel, and WndChkTimer finds a library's status window to hide it
// or keep it on top. Below them, bars, the member being written and the time show how
// far the run is, refreshed by the window's own timer ProgressTimer from the run's
// plain progress data (RunProgress.h), never by an archiver's thread; while several
// formats are made at once, each running one has a bar of its own and the window grows
// to hold them. It is the run's RunHost: the progress side is its own, the main
// window's side (format list, output name, check boxes) is forwarded to RunInputs.
// Hidden, never destroyed, after a run: the same window serves the next one.
#pragma once

#include "run/RunHost.h"
#include "run/RunInputs.h"
#include "run/RunState.h"
#include "run/windows/ProgressDisplay.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <map>

class QLabel;
class QPushButton;
class QTimer;

namespace vexel {

class ProgressWnd : public QDialog, public RunHost {
    Q_OBJECT
public:
    // Every reference must outlive the window. `parent` is normally the main window.
    ProgressWnd(RunInputs &inputs, const RunSettings &settings, RunRequest &request,
                RunControl &control, RunState &state, QWidget *parent = nullptr);

    // RunHost: the main window's side.
    int formatEntryCount() const override;
    std::string formatEntryText(int index) const override;
    bool formatEntryChecked(int index) const override;
    std::string outputName() const override;
    bool dllVisible() const override;
    bool alwaysOnTop() const override;
    void *mainWindowHandle() override;

    // RunHost: the progress side.
    void *progressWindowHandle() override;
    void setCounterText(const std::string &text) override;
    void setMessageText(const std::string &text) override;
    void setStatusWindowTimer(bool on) override;
    void processPendingEvents() override;
    void showError(const std::string &text) override;
    void showError(const std::string &text, const std::string &details) override;
    void runProgressModal() override;

protected:
    void closeEvent(QCloseEvent *event) override;

public slots:
    // Esc does not hide the window in the middle of a run: cancelling is PrgCancel's job.
    void reject() override {}

private slots:
    void Tmr_Timer();
    void WndChkTimer_Timer();
    void PrgCancel_Click();
    void ProgressTimer_Timer();

private:
    void buildControls();
    void showResult();
    QWidget *liveStatusWindow() const;
    void watchRunningStatusWindows();
    void fitDisplay();

    RunInputs &inputs_;
    const RunSettings &settings_;
    RunRequest &request_;
    RunControl &control_;
    RunState &state_;

    QLabel *MainMsg = nullptr;
    QLabel *Prg = nullptr;
    QPushButton *PrgCancel = nullptr;
    QTimer *Tmr = nullptr;
    QTimer *WndChkTimer = nullptr;
    QTimer *ProgressTimer = nullptr;
    ProgressDisplay display_;

    // The status window found for the running library; null once the library has
    // destroyed it, so a stale window is never touched.
    QPointer<QWidget> statusWindow_;
    // While several formats are made at once: the status windows found for them, one
    // per title (each library has its own), closed all together on a cancel.
    std::map<QString, QPointer<QWidget>> runningStatusWindows_;
    bool shownForRun_ = false;
};

} // namespace vexel
