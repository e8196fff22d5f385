// A progress window with everything it works on: the main window stand-in and the
// run's state objects, plus the ways a test reaches its controls.
#pragma once

#include "run/windows/ProgressWnd.h"

#include "TestMainWindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace vexel::test {

struct ProgressWindowParts {
    TestMainWindow main;
    RunSettings settings;
    RunRequest request;
    RunControl control;
    RunState state;
    ProgressWnd wnd{main, settings, request, control, state, &main};

    QTimer *timer(const char *name) { return wnd.findChild<QTimer *>(name); }
    QString prg() const { return wnd.findChild<QLabel *>("Prg")->text(); }
    QString mainMsg() const { return wnd.findChild<QLabel *>("MainMsg")->text(); }
    void clickCancel() { wnd.findChild<QPushButton *>("PrgCancel")->click(); }
    QProgressBar *bar(const char *name) const { return wnd.findChild<QProgressBar *>(name); }
    QLabel *label(const char *name) const { return wnd.findChild<QLabel *>(name); }
    // As a library's record would say it: `done` of `total` bytes, file 1 of 3.
    void report(std::uint64_t done, std::uint64_t total, const std::string &member)
    {
        KryProgress r{};
        r.size = sizeof r;
        r.bytesDone = done;
        r.bytesTotal = total;
        r.filesDone = 1;
        r.filesTotal = 3;
        r.member = member.c_str();
        control.Reported.store(r, KRY_STATE_WORKING);
    }
};

} // namespace vexel::test
