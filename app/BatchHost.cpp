#include "app/BatchHost.h"

#include "app/TerminalProgress.h"
#include "platform/Interrupts.h"
#include "run/FormatsAtOnce.h"
#include "run/KryArc.h"
#include "run/RunContext.h"

#include <QCoreApplication>

namespace vexel {

namespace {

// How often an interrupt is looked for while an archiver works: inside a library's
// local event loop and between the polls of a command-line archiver's wait.
constexpr int kInterruptCheckMs = 20;

// A library stops within its next callback tick (50 ms) once the callback answers 0.
// ZIP registers no callback, so nothing can reach its worker; after this long the run
// folder is removed and the program ends without waiting for the library.
constexpr auto kLibraryStopGrace = std::chrono::milliseconds(1000);

// How often the terminal bar is redrawn, and how wide it may be (a terminal narrower
// than this wraps the line, which the carriage return then cannot take back).
constexpr int kBarRedrawMs = 200;
constexpr int kBarColumns = 79;

constexpr const char *kAbandoned = "処理を中止しました";

} // namespace

BatchHost::BatchHost(std::vector<std::pair<std::string, bool>> formats, std::string outputName,
                     const RunSettings &settings, RunRequest &request, RunControl &control,
                     RunState &state, std::FILE *progress)
    : formats_(std::move(formats)), outputName_(std::move(outputName)), settings_(settings),
      request_(request), control_(control), state_(state), progress_(progress)
{
    interruptWatch_.setInterval(kInterruptCheckMs);
    QObject::connect(&interruptWatch_, &QTimer::timeout, &interruptWatch_,
                     [this] { checkInterrupt(); });
    barTimer_.setInterval(kBarRedrawMs);
    QObject::connect(&barTimer_, &QTimer::timeout, &barTimer_, [this] { drawLiveBar(); });
}

int BatchHost::formatEntryCount() const { return static_cast<int>(formats_.size()); }
std::string BatchHost::formatEntryText(int index) const { return formats_.at(index).first; }
bool BatchHost::formatEntryChecked(int index) const { return formats_.at(index).second; }
std::string BatchHost::outputName() const { return outputName_; }

void BatchHost::setCounterText(const std::string &text) { counter_ = text; }

void BatchHost::setMessageText(const std::string &text)
{
    if (progress_ == nullptr)
        return;
    clearLiveBar();
    std::fprintf(progress_, "%s %s\n", counter_.c_str(), text.c_str());
    std::fflush(progress_);
}

void BatchHost::drawLiveBar()
{
    if (progress_ == nullptr || !running_)
        return;
    const RunProgress now =
        runProgress(request_, control_, state_, std::chrono::steady_clock::now());
    std::fprintf(progress_, "\r\033[K%s", terminalProgressLine(now, kBarColumns).c_str());
    std::fflush(progress_);
    barShown_ = true;
}

void BatchHost::clearLiveBar()
{
    if (!barShown_)
        return;
    std::fputs("\r\033[K", progress_);
    barShown_ = false;
}

void BatchHost::processPendingEvents()
{
    QCoreApplication::processEvents();
    checkInterrupt();
}

void BatchHost::showError(const std::string &text)
{
    if (progress_ != nullptr)
        clearLiveBar();
    std::fprintf(stderr, "vexel: %s\n", text.c_str());
    std::fflush(stderr);
}

void BatchHost::runProgressModal()
{
    RunContext ctx{*this, settings_, request_, control_, state_};
    running_ = true;
    ran_ = true;
    interruptWatch_.start();
    if (liveBar_ && progress_ != nullptr)
        barTimer_.start();
    abandoned_ = RunFormats(ctx);
    barTimer_.stop();
    interruptWatch_.stop();
    running_ = false;
    if (progress_ != nullptr) {
        clearLiveBar();
        std::fflush(progress_);
    }
}

bool BatchHost::interrupted() const { return platform::interruptSignal() != 0; }

// The progress window's cancel, for an interrupt: a command-line archiver's group is
// ended once; a library is told through the run control, again at every check, because
// each format's start clears CancelRequested.
void BatchHost::checkInterrupt()
{
    if (!running_ || !interrupted())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (interruptSeen_ == std::chrono::steady_clock::time_point{})
        interruptSeen_ = now;
    control_.CancelRequested = true;
    if (!control_.Running.empty()) {
        // Several formats at once: every script's group is ended once; the libraries
        // hear the cancel at their next callback.
        if (!endedAll_) {
            endedAll_ = true;
            EndAllArchivers(control_);
        }
    } else if (control_.ArchiverProcess != 0) {
        if (control_.ArchiverProcess != endedProcess_) {
            endedProcess_ = control_.ArchiverProcess;
            EndArchiverProcess(control_);
        }
        return; // the wait itself escalates to SIGKILL after its grace time
    }
    if (now - interruptSeen_ >= kLibraryStopGrace)
        stopAtOnce();
}

// A library that does not stop: nothing has been saved yet (the winner is copied only
// after every archiver has returned), so removing the run folder leaves nothing behind.
void BatchHost::stopAtOnce()
{
    showError(kAbandoned);
    const std::string &tempBase = state_.TempBase;
    const auto slash = tempBase.rfind('/');
    if (slash != std::string::npos && slash > 0)
        platform::removeFolderTree(tempBase.substr(0, slash + 1));
    platform::exitImmediately(130);
}

} // namespace vexel
