// RunHost: everything the run core needs from the windows, and nothing more: the main
// window's inputs (RunInputs) and the progress window. The progress window implements
// it in the program, forwarding the inputs to the main window; tests and a command-line
// mode implement it without any window. All calls come on the thread that runs the run
// (the user-interface thread in the program).
#pragma once

#include "run/FormatTable.h"
#include "run/RunInputs.h"

#include <string>

namespace vexel {

class RunHost : public RunInputs {
public:
    // Owner window handed to the LHA library (a QWidget*, or null).
    virtual void *progressWindowHandle() = 0;

    // The progress window: its labels Prg and MainMsg, its status-window timer.
    virtual void setCounterText(const std::string &text) = 0; // Prg, e.g. "2/5"
    virtual void setMessageText(const std::string &text) = 0; // MainMsg
    virtual void setStatusWindowTimer(bool on) = 0;           // WndChkTimer

    // Lets pending window events through once (repaints, the cancel button, timers).
    virtual void processPendingEvents() = 0;

    // A modal message box: title "Vexel", critical icon, OK button.
    virtual void showError(const std::string &text) = 0;
    // A failure with its reason: `text` is the message, `details` why (the loader's or
    // archiver's own words); a window shows them as the box's detailed text, and every
    // host also writes them to standard error (writeFailure) so they are kept somewhere.
    // Hosts that show no details get both in one text.
    virtual void showError(const std::string &text, const std::string &details)
    {
        showError(details.empty() ? text : text + "\n" + details);
    }

    // Switches the progress window's start timer Tmr on and shows the progress window
    // modally; returns when the window is hidden again at the end of the run.
    virtual void runProgressModal() = 0;
};

// The window a format's library gets as its owner, as the format table says.
inline void *ownerHandle(RunHost &host, OwnerWindow owner)
{
    switch (owner) {
    case OwnerWindow::ProgressWindow: return host.progressWindowHandle();
    case OwnerWindow::MainWindow: return host.mainWindowHandle();
    case OwnerWindow::None: break;
    }
    return nullptr;
}

} // namespace vexel
