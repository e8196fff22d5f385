#include "run/RunProgress.h"

#include "platform/TreeSize.h"
#include "run/FormatTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vexel {

namespace {

bool isCommandLine(const std::string &format)
{
    const FormatInfo *info = findFormat(format);
    return info != nullptr && info->kind == ArchiverKind::CommandLine;
}

// Several formats at once: the finished ones, and a record per running one.
void addRunningFormats(const RunControl &control, RunProgress &p)
{
    int finished = 0;
    double shares = 0;
    for (const auto &running : control.Running) {
        if (running->Finished.load()) {
            ++finished;
            continue;
        }
        if (!running->Started.load())
            continue;
        FormatProgress f;
        f.format = running->Format;
        f.commandLine = isCommandLine(f.format);
        const ArchiverReport report = running->Reported.latest();
        if (report.reported) {
            f.known = true;
            f.fraction = std::clamp(report.fraction(), 0.0, 1.0);
        }
        shares += f.fraction;
        if (p.running.empty()) {
            p.format = f.format;
            p.commandLine = f.commandLine;
            p.formatKnown = f.known;
            p.formatFraction = f.fraction;
            p.member = report.member;
            p.filesDone = report.filesDone;
            p.filesTotal = report.filesTotal;
        }
        p.running.push_back(std::move(f));
    }
    p.formatsFinished = std::min(finished, p.formatCount);
    if (p.formatCount > 0)
        p.overallFraction = std::clamp((finished + shares) / p.formatCount, 0.0, 1.0);
}

void addTime(const RunState &state, std::chrono::steady_clock::time_point now, RunProgress &p)
{
    p.elapsedSeconds = std::max(0.0, std::chrono::duration<double>(now - state.StartedAt).count());
    if (p.overallFraction >= kEstimateFrom)
        p.remainingSeconds = p.elapsedSeconds * (1.0 - p.overallFraction) / p.overallFraction;
}

} // namespace

RunProgress runProgress(const RunRequest &request, const RunControl &control, const RunState &state,
                        std::chrono::steady_clock::time_point now)
{
    RunProgress p;
    p.formatCount = request.FormatCount;
    if (!control.Running.empty()) {
        p.inputSize = state.InputSize;
        addRunningFormats(control, p);
        addTime(state, now, p);
        return p;
    }
    // Results holds an empty record 0 and one record per format made.
    p.formatsFinished = std::clamp(static_cast<int>(state.Results.size()) - 1, 0, p.formatCount);
    p.inputSize = state.InputSize;
    p.format = control.CurrentFormat;
    p.commandLine = isCommandLine(p.format);

    const ArchiverReport report = control.Reported.latest();
    const bool current = !p.format.empty() && p.formatsFinished < p.formatCount;
    if (current && report.reported) {
        p.formatKnown = true;
        p.formatFraction = std::clamp(report.fraction(), 0.0, 1.0);
        p.member = report.member;
        p.filesDone = report.filesDone;
        p.filesTotal = report.filesTotal;
    }
    if (p.formatCount > 0) {
        const double made = p.formatsFinished + (current ? p.formatFraction : 0.0);
        p.overallFraction = std::clamp(made / p.formatCount, 0.0, 1.0);
    }
    addTime(state, now, p);
    return p;
}

void beginRunProgress(RunState &state, const RunRequest &request)
{
    state.Results.assign(1, FormatResult{});
    state.StartedAt = std::chrono::steady_clock::now();
    std::int64_t bytes = 0;
    for (const std::string &entry : request.FileList)
        bytes += platform::treeSize(entry);
    state.InputSize = bytes;
}

std::string clockText(double seconds)
{
    const long long s = seconds <= 0 ? 0 : static_cast<long long>(std::ceil(seconds));
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    return text;
}

} // namespace vexel
