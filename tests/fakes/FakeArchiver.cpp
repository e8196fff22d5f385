// The test double of the four archiver libraries. One source is built under every
// library's file name; each copy exports all entry points. Steered by the environment
// variables of FakeArchiver.h, read at every call.
#include "tests/fakes/FakeArchiver.h"
#include "archivers/KryUnPackDec.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>
#include <QWidget>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using namespace vexel::fakes;
namespace fs = std::filesystem;

// Well below the 10 ms at which the callback must be called at the latest.
constexpr auto kCallbackSlice = std::chrono::milliseconds(4);

enum class Entry { Unlha, Zip, Cab, Bga };

const char *entryName(Entry entry)
{
    switch (entry) {
    case Entry::Unlha: return "Unlha";
    case Entry::Zip: return "Zip";
    case Entry::Cab: return "Cab";
    case Entry::Bga: return "Bga";
    }
    return "";
}

// A registration belongs to the thread that made it, as with the real libraries; a
// call on a thread that registered nothing gets the last one made anywhere.
std::atomic<ARCHIVERPROC> lastCallback[4]{};
thread_local ARCHIVERPROC ownCallback[4]{};

void registerCallback(Entry entry, ARCHIVERPROC callback)
{
    ownCallback[static_cast<int>(entry)] = callback;
    lastCallback[static_cast<int>(entry)] = callback;
}

ARCHIVERPROC registeredCallback(Entry entry)
{
    const ARCHIVERPROC own = ownCallback[static_cast<int>(entry)];
    return own ? own : lastCallback[static_cast<int>(entry)].load();
}

std::string env(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string lowered(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> splitList(const std::string &text)
{
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        items.push_back(item);
    return items;
}

// The value for `ext` in an "ext=value,..." list; "*" serves every extension.
std::string valueFor(const char *name, const std::string &ext)
{
    std::string any;
    for (const std::string &item : splitList(env(name))) {
        const auto equals = item.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = lowered(item.substr(0, equals));
        if (key == ext)
            return item.substr(equals + 1);
        if (key == "*")
            any = item.substr(equals + 1);
    }
    return any;
}

bool listed(const char *name, const std::string &ext)
{
    for (const std::string &item : splitList(env(name)))
        if (lowered(item) == ext || item == "*")
            return true;
    return false;
}

// What the fake needs from a command line: switches, "archive", "base" or nothing, @list.
struct CommandLine {
    std::string switches; // everything before the first double quote
    std::string archive;
    std::string base;
    std::string list;
    bool has(const std::string &flag) const
    {
        std::stringstream in(switches);
        for (std::string word; in >> word;)
            if (word == flag)
                return true;
        return false;
    }
};

CommandLine parse(const std::string &line)
{
    CommandLine parsed;
    const auto firstQuote = line.find('"');
    parsed.switches = line.substr(0, firstQuote);
    std::vector<std::string> quoted;
    for (auto open = firstQuote; open != std::string::npos;) {
        const auto close = line.find('"', open + 1);
        if (close == std::string::npos)
            break;
        quoted.push_back(line.substr(open + 1, close - open - 1));
        open = line.find('"', close + 1);
        const auto at = line.find(" @", close);
        if (at != std::string::npos && (open == std::string::npos || at < open))
            break;
    }
    if (!quoted.empty())
        parsed.archive = quoted[0];
    if (quoted.size() > 1)
        parsed.base = quoted[1];
    const auto at = line.rfind(" @");
    if (at != std::string::npos)
        parsed.list = line.substr(at + 2);
    return parsed;
}

std::string extensionOf(const std::string &path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return lowered(path.substr(dot + 1));
}

void appendLog(Entry entry, const std::string &commandLine)
{
    const std::string path = env(kLogEnv);
    if (path.empty())
        return;
    std::error_code error;
    std::ofstream(path, std::ios::app)
        << entryName(entry) << '\t' << fs::current_path(error).string() << '\t' << commandLine
        << '\n';
}

// The first list member that does not exist, or "" when all do. Members are quoted.
std::string missingMember(const CommandLine &command)
{
    std::ifstream list(command.list);
    if (!list)
        return command.list;
    const std::string base = command.base.empty() ? "" : command.base;
    for (std::string line; std::getline(list, line);) {
        std::string member = line;
        if (member.size() >= 2 && member.front() == '"' && member.back() == '"')
            member = member.substr(1, member.size() - 2);
        if (member.ends_with("*.*"))
            member.erase(member.size() - 3);
        std::error_code error;
        if (!fs::exists(base + (member.empty() ? "." : member), error))
            return member;
    }
    return "";
}

// The status window: a top-level window with the library's exact title. Closing it
// (the host's cancel) stops the work.
class StatusWindow : public QWidget {
public:
    StatusWindow(const char *title, std::shared_ptr<std::atomic<bool>> stop)
        : stop_(std::move(stop))
    {
        setWindowTitle(QString::fromUtf8(title));
        auto *layout = new QVBoxLayout(this);
        auto *bar = new QProgressBar(this);
        bar->setRange(0, 0);
        layout->addWidget(bar);
        resize(320, 60);
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        *stop_ = true;
        event->accept();
    }

private:
    std::shared_ptr<std::atomic<bool>> stop_;
};

// The status window of one call, on the application's thread whichever thread calls
// (widgets live there only): made and removed directly on that thread, posted to it
// from any other, as the real libraries do.
class CallWindow {
public:
    CallWindow(const char *title, std::shared_ptr<std::atomic<bool>> stop)
        : shared_(std::make_shared<Shared>())
    {
        run([shared = shared_, title, stop] {
            if (shared->ended)
                return;
            shared->window = new StatusWindow(title, stop);
            shared->window->show();
        });
    }
    ~CallWindow()
    {
        run([shared = shared_] {
            shared->ended = true;
            delete shared->window.data();
        });
    }

private:
    struct Shared {
        QPointer<StatusWindow> window;
        bool ended = false;
    };
    template <typename F>
    static void run(F f)
    {
        if (QThread::currentThread() == qApp->thread())
            f();
        else
            QMetaObject::invokeMethod(qApp, std::move(f), Qt::QueuedConnection);
    }
    std::shared_ptr<Shared> shared_;
};

const char *statusTitle(Entry entry, const CommandLine &command)
{
    switch (entry) {
    case Entry::Unlha: return command.has("-n") ? nullptr : kLhaStatusTitle;
    case Entry::Zip: return kZipStatusTitle;
    case Entry::Cab: return command.has("-i") ? nullptr : kCabStatusTitle;
    case Entry::Bga: return nullptr;
    }
    return nullptr;
}

// The percentages of VEXEL_FAKE_PROGRESS for `ext`; empty when none are asked for.
std::vector<int> progressSteps(const std::string &ext)
{
    std::vector<int> steps;
    std::stringstream in(valueFor(kProgressEnv, ext));
    for (std::string item; std::getline(in, item, ':');)
        steps.push_back(std::atoi(item.c_str()));
    return steps;
}

// Calls back once: with the record of the step reached after `elapsed` of `length`
// when steps are asked for, else as a host that reads nothing expects it.
int callBack(ARCHIVERPROC callback, const std::vector<int> &steps, std::uint32_t state,
             std::chrono::steady_clock::duration elapsed,
             std::chrono::steady_clock::duration length)
{
    if (steps.empty())
        return callback(nullptr, 0, 0, nullptr);
    std::size_t index = steps.size() - 1;
    if (state != KRY_STATE_END && length.count() > 0)
        index = std::min(index, static_cast<std::size_t>(elapsed * steps.size() / length));
    const int percent = steps[index];
    const std::string member = "part-" + std::to_string(percent) + ".txt";
    KryProgress record{};
    record.size = sizeof record;
    record.bytesTotal = kFakeInputBytes;
    record.bytesDone = kFakeInputBytes * static_cast<unsigned>(percent) / 100;
    record.filesTotal = 100;
    record.filesDone = static_cast<std::uint32_t>(percent);
    record.member = member.c_str();
    return callback(nullptr, KRY_MSG_PROGRESS, state, &record);
}

// The work: a worker thread that calls back every few milliseconds until the time is
// up, the callback answers 0 or `stop` is set; meanwhile the caller's thread runs a
// local event loop when there is an application. Returns false when stopped.
bool work(long long milliseconds, bool untilStopped, ARCHIVERPROC callback, std::atomic<bool> &stop,
          const std::vector<int> &steps)
{
    std::atomic<bool> stopped{false};
    QEventLoop *loop = nullptr;
    std::unique_ptr<QEventLoop> localLoop;
    if (QCoreApplication::instance() && QThread::currentThread() == qApp->thread()) {
        localLoop = std::make_unique<QEventLoop>();
        loop = localLoop.get();
    }
    std::thread worker([&] {
        const auto start = std::chrono::steady_clock::now();
        const auto length = std::chrono::milliseconds(milliseconds);
        for (;;) {
            const auto elapsed = std::chrono::steady_clock::now() - start;
            if ((callback && callBack(callback, steps, KRY_STATE_WORKING, elapsed, length) == 0)
                || stop) {
                stopped = true;
                break;
            }
            if (!untilStopped && std::chrono::steady_clock::now() - start >= length)
                break;
            std::this_thread::sleep_for(kCallbackSlice);
        }
        if (!stopped && callback && !steps.empty())
            callBack(callback, steps, KRY_STATE_END, length, length);
        if (loop)
            QMetaObject::invokeMethod(
                loop, [loop] { loop->quit(); }, Qt::QueuedConnection);
    });
    if (loop)
        loop->exec();
    worker.join();
    return !stopped;
}

void say(char *output, std::uint32_t size, const std::string &text)
{
    if (output && size > 0)
        std::snprintf(output, size, "%s", text.c_str());
}

int archive(Entry entry, ARCHIVERPROC callback, const char *line, char *output, std::uint32_t size)
{
    const std::string commandLine = line ? line : "";
    appendLog(entry, commandLine);
    const CommandLine command = parse(commandLine);
    if (command.archive.empty()) {
        say(output, size, "no archive named");
        return 2;
    }
    const std::string ext = extensionOf(command.archive);
    std::ofstream(command.archive, std::ios::binary | std::ios::trunc); // the partial archive

    const auto stop = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<CallWindow> window;
    const char *title = statusTitle(entry, command);
    if (title && qobject_cast<QApplication *>(QCoreApplication::instance()))
        window = std::make_unique<CallWindow>(title, stop);
    const long long milliseconds = std::atoll(valueFor(kWorkEnv, ext).c_str());
    const bool finished =
        work(milliseconds, listed(kHangEnv, ext), callback, *stop, progressSteps(ext));
    window.reset();

    std::string failure = !finished ? "stopped" : listed(kFailEnv, ext) ? "failed on request" : "";
    if (failure.empty() && env(kCheckMembersEnv) == "1") {
        const std::string missing = missingMember(command);
        if (!missing.empty())
            failure = "missing member: " + missing;
    }
    if (!failure.empty() || listed(kNoArchiveEnv, ext)) {
        ::unlink(command.archive.c_str());
        say(output, size, failure.empty() ? "done" : failure);
        return failure.empty() ? 0 : 1;
    }
    const std::string sizeText = valueFor(kSizesEnv, ext);
    const long long bytes = sizeText.empty() ? kDefaultSize : std::atoll(sizeText.c_str());
    if (::truncate(command.archive.c_str(), static_cast<off_t>(bytes)) != 0) {
        ::unlink(command.archive.c_str());
        say(output, size, "cannot write the archive");
        return 1;
    }
    say(output, size, "done");
    return 0;
}

} // namespace

extern "C" {

int Unlha(void *, const char *line, char *output, uint32_t size)
{
    return archive(Entry::Unlha, registeredCallback(Entry::Unlha), line, output, size);
}
uint16_t UnlhaGetVersion(void) { return kFakeVersion; }
int UnlhaSetOwnerWindowEx(void *, ARCHIVERPROC callback)
{
    registerCallback(Entry::Unlha, callback);
    return 1;
}

int Zip(void *, const char *line, char *output, uint32_t size)
{
    return archive(Entry::Zip, nullptr, line, output, size);
}
uint16_t ZipGetVersion(void) { return kFakeVersion; }

int Cab(void *, const char *line, char *output, uint32_t size)
{
    return archive(Entry::Cab, registeredCallback(Entry::Cab), line, output, size);
}
uint16_t CabGetVersion(void) { return kFakeVersion; }
int CabSetOwnerWindowEx(void *, ARCHIVERPROC callback)
{
    registerCallback(Entry::Cab, callback);
    return 1;
}

int Bga(void *, const char *line, char *output, uint32_t size)
{
    return archive(Entry::Bga, registeredCallback(Entry::Bga), line, output, size);
}
uint16_t BgaGetVersion(void) { return kFakeVersion; }
int BgaSetOwnerWindowEx(void *, ARCHIVERPROC callback)
{
    registerCallback(Entry::Bga, callback);
    return 1;
}

} // extern "C"
