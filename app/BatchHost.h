// BatchHost: the run core's host without any window. It serves the format list and the
// output name of a batch run, writes progress lines and messages to standard error, runs
// the run at once where the window would open the progress window, and turns an
// interrupt (SIGINT, SIGTERM, SIGHUP) into the same cancel the progress window's
// button gives: the command-line archiver's process group is ended, a library hears it
// through ArchiverCallback.
#pragma once

#include "run/RunHost.h"
#include "run/RunState.h"

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace vexel {

class BatchHost : public RunHost {
public:
    // Every reference must outlive the host. `formats` is the format list: entry texts
    // in list order with their check marks. Progress lines go to `progress` unless null.
    BatchHost(std::vector<std::pair<std::string, bool>> formats, std::string outputName,
              const RunSettings &settings, RunRequest &request, RunControl &control,
              RunState &state, std::FILE *progress);

    // RunInputs: no window, no status display, nothing on top.
    int formatEntryCount() const override;
    std::string formatEntryText(int index) const override;
    bool formatEntryChecked(int index) const override;
    std::string outputName() const override;
    bool dllVisible() const override { return false; }
    bool alwaysOnTop() const override { return false; }
    void *mainWindowHandle() override { return nullptr; }

    // RunHost
    void *progressWindowHandle() override { return nullptr; }
    void setCounterText(const std::string &text) override;
    void setMessageText(const std::string &text) override;
    void setStatusWindowTimer(bool) override {} // no display: no status window to watch
    void processPendingEvents() override;
    void showError(const std::string &text) override;
    void runProgressModal() override;

    // Redraws a one-line bar of the run's progress on the progress stream while the run
    // runs (for a terminal); the per-format lines are then written above it.
    void showLiveBar(bool on) { liveBar_ = on; }

    bool ran() const { return ran_; }             // the run was started
    bool abandoned() const { return abandoned_; } // ... and did not save
    bool interrupted() const;                     // an interrupt arrived

private:
    void checkInterrupt();
    void drawLiveBar();
    void clearLiveBar();
    void stopAtOnce();

    std::vector<std::pair<std::string, bool>> formats_;
    std::string outputName_;
    const RunSettings &settings_;
    RunRequest &request_;
    RunControl &control_;
    RunState &state_;
    std::FILE *progress_;

    std::string counter_;
    QTimer interruptWatch_;
    QTimer barTimer_;
    bool liveBar_ = false;
    bool barShown_ = false;
    bool running_ = false;
    bool ran_ = false;
    bool abandoned_ = false;
    std::int64_t endedProcess_ = 0;
    bool endedAll_ = false; // EndAllArchivers was called for this interrupt
    std::chrono::steady_clock::time_point interruptSeen_{};
};

} // namespace vexel
