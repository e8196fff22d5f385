// A RunHost without windows for the run's tests: it serves a chosen format list and
// output name and records everything the run asks of it, in order.
#pragma once

#include "run/RunContext.h"
#include "run/RunHost.h"
#include "run/RunState.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vexel {

class RecordingHost : public RunHost {
public:
    std::vector<std::pair<std::string, bool>> formats; // FileType: text, check mark
    std::string output = "data";
    bool display = false;
    std::vector<std::string> events;       // "Prg 1/2", "MainMsg ...", "pending", "timer on"...
    std::vector<std::string> errors;       // texts of the message boxes
    std::vector<std::string> details;      // their detailed texts (the reasons), "" for none
    std::function<void()> onPendingEvents; // what a click during the run would do
    std::function<void(bool)> onStatusWindowTimer; // told when the timer is switched

    int mainWindow = 0, progressWindow = 0; // their addresses serve as window handles

    int formatEntryCount() const override { return static_cast<int>(formats.size()); }
    std::string formatEntryText(int index) const override { return formats[index].first; }
    bool formatEntryChecked(int index) const override { return formats[index].second; }
    std::string outputName() const override { return output; }
    bool dllVisible() const override { return display; }
    bool alwaysOnTop() const override { return false; }
    void *mainWindowHandle() override { return &mainWindow; }
    void *progressWindowHandle() override { return &progressWindow; }

    void setCounterText(const std::string &text) override { events.push_back("Prg " + text); }
    void setMessageText(const std::string &text) override { events.push_back("MainMsg " + text); }
    void setStatusWindowTimer(bool on) override
    {
        events.push_back(on ? "timer on" : "timer off");
        if (onStatusWindowTimer)
            onStatusWindowTimer(on);
    }
    void processPendingEvents() override
    {
        if (events.empty() || events.back() != "pending")
            events.push_back("pending");
        if (onPendingEvents)
            onPendingEvents();
    }
    void showError(const std::string &text) override { showError(text, {}); }
    void showError(const std::string &text, const std::string &reason) override
    {
        errors.push_back(text);
        details.push_back(reason);
    }
    void runProgressModal() override {}
};

// Everything a run core call needs, wired together: a fixture derives from it (beside
// ::testing::Test) to get the parts under their usual names.
struct RecordedRun {
    RecordingHost host;
    RunSettings settings;
    RunRequest request;
    RunControl control;
    RunState state;
    RunContext ctx{host, settings, request, control, state};
};

} // namespace vexel
