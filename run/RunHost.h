// RunHost: everything the run core needs from the windows, and nothing more.
// The main window and the progress window implement it in the program; tests and a
// command-line mode implement it without any window. All calls come on the thread
// that runs the run (the user-interface thread in the program).
#pragma once

#include <string>

namespace vexel {

class RunHost {
public:
    virtual ~RunHost() = default;

    // The main window's format list FileType, in list order, and its other inputs.
    virtual int formatEntryCount() const = 0;
    virtual std::string formatEntryText(int index) const = 0;
    virtual bool formatEntryChecked(int index) const = 0;
    virtual std::string outputName() const = 0;   // the text of FileName
    virtual bool dllVisible() const = 0;          // DLLVisible: libraries show their status
    virtual bool alwaysOnTop() const = 0;         // AlwaysTopSW

    // Owner windows handed to the archiver libraries (a QWidget*, or null).
    virtual void *mainWindowHandle() = 0;
    virtual void *progressWindowHandle() = 0;

    // The progress window: its labels Prg and MainMsg, its status-window timer.
    virtual void setCounterText(const std::string &text) = 0;   // Prg, e.g. "2/5"
    virtual void setMessageText(const std::string &text) = 0;   // MainMsg
    virtual void setStatusWindowTimer(bool on) = 0;             // WndChkTimer

    // Lets pending window events through once (repaints, the cancel button, timers).
    virtual void processPendingEvents() = 0;

    // A modal message box: title "Vexel", critical icon, OK button.
    virtual void showError(const std::string &text) = 0;

    // Switches the progress window's start timer Tmr on and shows the progress window
    // modally; returns when the window is hidden again at the end of the run.
    virtual void runProgressModal() = 0;
};

} // namespace vexel
