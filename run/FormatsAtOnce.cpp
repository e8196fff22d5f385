#include "run/FormatsAtOnce.h"

#include "run/ArchiverCallback.h"
#include "run/ArchiverFailure.h"
#include "run/FormatJob.h"
#include "run/FormatTable.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vexel {

namespace {

// How long the run's thread waits for an archiver to end before it lets window events
// through again: short enough for a responsive window, long enough to cost nothing.
constexpr auto kPumpInterval = std::chrono::milliseconds(20);

// "ファイルを圧縮しています － LHA・ZIP・CAB形式": every format that is being made.
std::string runningMessage(const RunControl &control)
{
    std::string names;
    for (const auto &running : control.Running)
        if (running->Started.load() && !running->Finished.load())
            names += (names.empty() ? "" : "・") + running->Format;
    return "ファイルを圧縮しています － " + names + "形式";
}

// Whether a status window will be looked for: as one at a time, for a library with the
// display on, and for one that shows its window even with the display off (ZIP).
bool anyStatusWindow(const std::vector<PlannedFormat> &formats, bool displayOn)
{
    return std::any_of(formats.begin(), formats.end(), [displayOn](const PlannedFormat &f) {
        const FormatInfo *info = findFormat(f.name);
        return info != nullptr && !info->statusTitle.empty()
            && (displayOn || info->timerWhenDisplayOff);
    });
}

// The shared part of the run: the threads, their jobs and the first failure.
class Batch {
public:
    Batch(RunContext &ctx, const std::vector<PlannedFormat> &formats)
        : ctx_(ctx), formats_(formats), jobs_(formats.size()), threads_(formats.size())
    {}

    // Starts format `index` on its own thread; false (and the failure kept) when it
    // cannot start.
    bool start(std::size_t index, const std::string &listPath)
    {
        std::string error;
        RunningFormat &running = *ctx_.control.Running[index];
        if (!prepareFormatJob(ctx_, index, formats_[index].name, formats_[index].archivePath,
                              listPath, &jobs_[index], &error)) {
            fail(formats_[index].name, error);
            return false;
        }
        running.Started = true;
        threads_[index] = std::thread([this, index, &running] {
            runFormatJob(jobs_[index], running, ctx_.control);
            {
                std::lock_guard lock(mutex_);
                running.Finished = true;
            }
            ended_.notify_all();
        });
        return true;
    }

    // Joins every archiver that has ended since the last call; the first failure
    // stops the others. Returns how many ended.
    int collect()
    {
        int ended = 0;
        for (std::size_t i = 0; i < threads_.size(); ++i) {
            if (!threads_[i].joinable() || !ctx_.control.Running[i]->Finished.load())
                continue;
            threads_[i].join();
            ++ended;
            if (jobs_[i].outcome.result != 0)
                fail(formats_[i].name, jobs_[i].outcome.reason);
        }
        return ended;
    }

    // Waits a little for an archiver to end.
    void waitAWhile()
    {
        std::unique_lock lock(mutex_);
        ended_.wait_for(lock, kPumpInterval, [this] {
            for (std::size_t i = 0; i < threads_.size(); ++i)
                if (threads_[i].joinable() && ctx_.control.Running[i]->Finished.load())
                    return true;
            return false;
        });
    }

    void fail(const std::string &format, const std::string &why)
    {
        if (failure_.empty())
            failure_ = format + ": " + why;
        EndAllArchivers(ctx_.control);
    }

    const std::string &failure() const { return failure_; }
    const FormatJob &job(std::size_t index) const { return jobs_[index]; }

private:
    RunContext &ctx_;
    const std::vector<PlannedFormat> &formats_;
    std::vector<FormatJob> jobs_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::string failure_;
};

void showState(RunContext &ctx, int finished, int total)
{
    ctx.host.setCounterText(std::to_string(finished) + "/" + std::to_string(total));
    ctx.host.setMessageText(runningMessage(ctx.control));
}

} // namespace

int formatsAtOnce(int jobs, bool dllVisible, int formats, unsigned cores)
{
    if (dllVisible)
        return 1;
    const int wanted = jobs > 0 ? jobs : static_cast<int>(std::max(1u, cores));
    return std::clamp(std::min(wanted, static_cast<int>(kMaxFormatsAtOnce)), 1,
                      std::max(1, formats));
}

void EndAllArchivers(RunControl &control)
{
    control.CancelRequested = true;
    for (const auto &running : control.Running) {
        const std::int64_t pid = running->ArchiverProcess.load();
        if (pid == 0)
            continue;
        running->ArchiverProcessCancelled = true;
        control.ArchiverProcessGroups.endProcessGroup(pid);
    }
}

bool makeArchivesAtOnce(RunContext &ctx, const std::vector<PlannedFormat> &formats, int atOnce,
                        std::string *reason)
{
    RunControl &control = ctx.control;
    RunState &state = ctx.state;
    const std::string listPath = state.TempBase + ".lst";
    control.CancelRequested = false;
    control.CurrentFormat.clear();
    control.Reported.clear();
    control.Running.clear();
    for (const PlannedFormat &f : formats) {
        control.Running.push_back(std::make_unique<RunningFormat>());
        control.Running.back()->Format = f.name;
    }
    const ActiveRunControl active(control);
    const bool watchWindows = anyStatusWindow(formats, ctx.host.dllVisible());
    if (watchWindows)
        ctx.host.setStatusWindowTimer(true);

    Batch batch(ctx, formats);
    const int total = static_cast<int>(formats.size());
    std::size_t next = 0;
    int running = 0, finished = 0;
    bool changed = true;
    for (;;) {
        // A cancel, or a failure, starts nothing more.
        const bool stopping = control.CancelRequested.load() || !batch.failure().empty();
        while (!stopping && running < atOnce && next < formats.size()) {
            if (!batch.start(next++, listPath))
                break;
            ++running;
            changed = true;
        }
        const int ended = batch.collect();
        running -= ended;
        finished += ended;
        changed = changed || ended > 0;
        if (running == 0
            && (next == formats.size() || control.CancelRequested.load()
                || !batch.failure().empty()))
            break;
        if (changed)
            showState(ctx, finished, total);
        changed = false;
        ctx.host.processPendingEvents();
        batch.waitAWhile();
    }
    if (watchWindows)
        ctx.host.setStatusWindowTimer(false);

    std::string failure = batch.failure();
    if (failure.empty() && next < formats.size()) // cancelled before it could start
        failure = formats[next].name + ": " + kStoppedByUser;
    control.Running.clear(); // every archiver has ended
    control.CancelRequested = false;
    if (!failure.empty()) {
        *reason = failure;
        return false;
    }
    for (std::size_t i = 0; i < formats.size(); ++i)
        state.Results.push_back(batch.job(i).record);
    // As one at a time leaves it: the last format's library output (none for a script).
    state.ArchiverMessage =
        formats.empty() ? std::string() : batch.job(formats.size() - 1).libraryOutput;
    return true;
}

} // namespace vexel
