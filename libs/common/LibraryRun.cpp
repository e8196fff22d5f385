#include "LibraryRun.h"

#include "PostedStatusWindow.h"
#include "StatusWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace vexel::kit {
namespace {

// How often the caller's thread asks the host whether to go on and refreshes the
// window; half the 100 ms that the calling convention promises.
constexpr std::chrono::milliseconds kTick{50};

struct WorkResult {
    bool ok = false;
    std::string reason; // why it failed; on success, the warnings of the walk, if any
};

std::string joinedWarnings(const std::vector<std::string> &warnings)
{
    std::string text;
    for (const std::string &w : warnings)
        text += (text.empty() ? "" : "; ") + w;
    return text;
}

WorkResult doWork(const ParsedCommand &command, const JobPlan &plan, Progress &progress)
{
    WorkResult result;
    try {
        std::vector<Member> members;
        std::vector<std::string> warnings;
        if (!collectMembers(command, plan.collect, &members, &result.reason, &progress, &warnings))
            return result;
        progress.setMembers(members);
        ArchiveOutput output(command.archivePath);
        if (!output.open(&result.reason))
            return result;
        if (!plan.write(members, output, progress, &result.reason))
            return result;
        if (progress.stopRequested()) {
            result.reason = "stopped by the user";
            return result;
        }
        result.ok = output.commit(&result.reason);
        if (result.ok)
            result.reason = joinedWarnings(warnings);
    } catch (const std::exception &e) {
        result.reason = std::string("internal error: ") + e.what();
    }
    return result;
}

// Tells the host where the work is and asks it whether to go on; a 0 answer stops the
// work. The record is filled here, on the caller's thread, at the callback's own pace:
// the worker pays nothing for it beyond the counting it does anyway.
void askOwner(const OwnerSlot::Owner &o, CallbackState state, Progress &progress)
{
    if (!o.callback)
        return;
    Progress::Snapshot snapshot = progress.snapshot();
    if (state == CallbackEnd) {
        // The archive is complete: every byte and file was consumed, whatever the last
        // count a writer made on the way.
        snapshot.done = snapshot.total;
        snapshot.filesDone = snapshot.filesTotal;
    }
    KryProgress record = progressRecord(snapshot);
    if (o.callback(o.window, kCallbackMessage, state, &record) == 0 && state != CallbackEnd)
        progress.requestStop();
}

bool onApplicationThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

bool wantsStatusWindow(const JobPlan &plan)
{
    return plan.showStatus && qobject_cast<QApplication *>(QCoreApplication::instance());
}

// Runs the worker while the caller's thread keeps its event loop (and the status window) alive.
WorkResult runWithEventLoop(const std::function<WorkResult()> &work, const LibraryTraits &traits,
                            const JobPlan &plan, const OwnerSlot::Owner &owner, Progress &progress)
{
    QEventLoop loop;
    std::atomic<bool> finished{false};
    WorkResult result;
    // Guarded: the host holds the window too, and a host that deletes it must not make
    // this run delete it a second time.
    QPointer<StatusWindow> window;
    if (wantsStatusWindow(plan)) {
        window = new StatusWindow(QString::fromUtf8(traits.statusTitle),
                                  [&progress] { progress.requestStop(); });
        // A host that deletes the window instead of closing it stops the work all the same.
        QObject::connect(window, &QObject::destroyed, [&progress, &finished] {
            if (!finished.load())
                progress.requestStop();
        });
        window->show();
    }
    QTimer tick;
    tick.setInterval(kTick);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        askOwner(owner, CallbackWorking, progress);
        if (window)
            window->showProgress(progress.snapshot());
        if (finished.load())
            loop.quit();
    });
    tick.start();
    std::thread worker([&] {
        result = work();
        finished.store(true);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!finished.load())
        loop.exec();
    worker.join();
    delete window.data();
    return result;
}

// On any other thread: the caller waits, and a status window, when one is wanted,
// lives on the application's thread (PostedStatusWindow.h).
WorkResult runAndWait(const std::function<WorkResult()> &work, const LibraryTraits &traits,
                      const JobPlan &plan, const OwnerSlot::Owner &owner, Progress &progress)
{
    std::unique_ptr<PostedStatusWindow> window;
    if (wantsStatusWindow(plan))
        window = std::make_unique<PostedStatusWindow>(QString::fromUtf8(traits.statusTitle));
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    WorkResult result;
    std::thread worker([&] {
        WorkResult r = work();
        std::lock_guard lock(mutex);
        result = std::move(r);
        finished = true;
        done.notify_all();
    });
    std::unique_lock lock(mutex);
    while (!done.wait_for(lock, kTick, [&] { return finished; })) {
        lock.unlock();
        askOwner(owner, CallbackWorking, progress);
        if (window) {
            if (window->closed())
                progress.requestStop();
            window->showProgress(progress.snapshot());
        }
        lock.lock();
    }
    lock.unlock();
    worker.join();
    return result;
}

} // namespace

KryProgress progressRecord(const Progress::Snapshot &snapshot)
{
    KryProgress record{};
    record.size = sizeof record;
    record.filesDone = snapshot.filesDone;
    record.filesTotal = snapshot.filesTotal;
    record.bytesDone = snapshot.done;
    record.bytesTotal = snapshot.total;
    record.member = snapshot.member.c_str();
    return record;
}

void writeOutputLine(const std::string &text, char *output, std::uint32_t outputSize)
{
    if (!output || outputSize == 0)
        return;
    std::size_t n = std::min<std::size_t>(text.size(), outputSize - 1);
    const std::size_t newline = text.find_first_of("\r\n");
    if (newline != std::string::npos && newline < n)
        n = newline;
    // Never cut a UTF-8 sequence in half: back up over continuation bytes.
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    text.copy(output, n);
    output[n] = '\0';
}

int runLibrary(const LibraryCall &call, const LibraryTraits &traits, const OwnerSlot *owner,
               const PlanJob &plan)
{
    std::string reason;
    ParsedCommand command;
    JobPlan jobPlan;
    try {
        if (!call.commandLine) {
            writeOutputLine("no command line", call.output, call.outputSize);
            return 1;
        }
        if (!parseCommandLine(call.commandLine, traits.syntax, &command, &reason)
            || !plan(command, &jobPlan, &reason)) {
            writeOutputLine(reason, call.output, call.outputSize);
            return 1;
        }
        // The owner is this call's for its whole length: one registered later, for
        // another call into the same library, changes nothing here.
        const OwnerSlot::Owner callOwner = owner ? owner->get() : OwnerSlot::Owner{};
        Progress progress;
        askOwner(callOwner, CallbackBegin, progress);
        if (progress.stopRequested()) {
            writeOutputLine("stopped by the user", call.output, call.outputSize);
            return 1;
        }
        const auto work = [&] { return doWork(command, jobPlan, progress); };
        const WorkResult result = onApplicationThread()
            ? runWithEventLoop(work, traits, jobPlan, callOwner, progress)
            : runAndWait(work, traits, jobPlan, callOwner, progress);
        if (result.ok)
            askOwner(callOwner, CallbackEnd, progress);
        writeOutputLine(result.reason, call.output, call.outputSize);
        return result.ok ? 0 : 1;
    } catch (const std::exception &e) {
        writeOutputLine(std::string("internal error: ") + e.what(), call.output, call.outputSize);
        return 1;
    }
}

} // namespace vexel::kit
