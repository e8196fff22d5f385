// A progress window with everything it works on: the main window stand-in and the
// run's state objects, plus the ways a test reaches its controls.
#pragma once

#include "run/windows/ProgressWnd.h"

#include "TestMainWindow.h"

#include <QLabel>
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
};

} // namespace vexel::test
