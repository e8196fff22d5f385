// runLibrary inside a QApplication, as the program calls the libraries: the status
// window, close() on it, and the host's event loop running during the call. The real
// libraries' windows are checked here too, loaded as the program loads them.
#include "LibraryRun.h"

#include "LoadedLibrary.h"
#include "TestTree.h"

#include <QApplication>
#include <QLabel>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

using namespace vexel::kit;
using namespace vexel::testsupport;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

QApplication &application()
{
    static int argc = 1;
    static char name[] = "libkit_window_tests";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

QWidget *findWindow(const QString &title)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title)
            return w;
    return nullptr;
}

class LibraryWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        application();
        writeFile(tmp.path() + "base/a.txt", "a");
        writeFile(tmp.path() + "k.lst", "\"a.txt\"\n");
    }

    // Closes the window titled `title` as soon as it shows; records when.
    // With `hideFirst`, hides it first, as the program does with the display switch off.
    void closeWhenShown(const QString &title, bool hideFirst = false)
    {
        auto *poll = new QTimer(&application());
        QObject::connect(poll, &QTimer::timeout, [this, poll, title, hideFirst] {
            QWidget *w = findWindow(title);
            // Closed once it names the member, which shows within a tick of the start.
            if (w && !w->findChild<QLabel *>(QStringLiteral("Member"))->text().isEmpty()) {
                member = w->findChild<QLabel *>(QStringLiteral("Member"))->text();
                if (hideFirst)
                    w->hide();
                closedAt = std::chrono::steady_clock::now();
                w->close();
                poll->deleteLater();
            }
        });
        poll->start(20);
    }

    TempFolder tmp;
    QString member;
    std::chrono::steady_clock::time_point closedAt;
};

ArchiveWriter slowWriter()
{
    return [](const std::vector<Member> &members, ArchiveOutput &output, Progress &progress,
              std::string *reason) {
        progress.beginMember(members.front().storedName);
        for (int i = 0; i < 5000; ++i) { // 5 s unless stopped
            std::this_thread::sleep_for(1ms);
            if (!progress.advance(0)) {
                *reason = "stopped by the user";
                return false;
            }
        }
        return output.write("done", 4, reason);
    };
}

TEST_F(LibraryWindowTest, CloseOnTheStatusWindowStopsWithinHalfASecond)
{
    const std::string archive = tmp.path() + "out.arc";
    const std::string line =
        "\"" + archive + "\" \"" + tmp.path() + "base/\" @" + tmp.path() + "k.lst";
    closeWhenShown(QStringLiteral("Test Status 状況"));
    int hostTicks = 0;
    QTimer host;
    QObject::connect(&host, &QTimer::timeout, [&] { ++hostTicks; });
    host.start(10);
    char output[260];
    const int rc = runLibrary({nullptr, line.c_str(), output, sizeof output},
                              LibraryTraits{"Test Status 状況", {}}, nullptr,
                              [](const ParsedCommand &, JobPlan *plan, std::string *) {
                                  plan->write = slowWriter();
                                  return true;
                              });
    const auto returned = std::chrono::steady_clock::now();
    EXPECT_NE(rc, 0);
    EXPECT_LT(returned - closedAt, 2000ms);
    EXPECT_EQ(member, QStringLiteral("a.txt"));
    EXPECT_GT(hostTicks, 0) << "the host's timers run during the call";
    EXPECT_FALSE(fileExists(archive));
    EXPECT_EQ(findWindow(QStringLiteral("Test Status 状況")), nullptr)
        << "the window is gone after the call";
}

// A call on another thread (a run making several formats at once) still gets its status
// window, made on the application's thread; closing it stops the call there too, and the
// window is gone once the call has returned.
TEST_F(LibraryWindowTest, ACallOnAnotherThreadHasItsWindowOnTheApplicationsThread)
{
    const std::string archive = tmp.path() + "out.arc";
    const std::string line =
        "\"" + archive + "\" \"" + tmp.path() + "base/\" @" + tmp.path() + "k.lst";
    QThread *windowThread = nullptr;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *w = findWindow(QStringLiteral("Elsewhere"));
        if (w && !windowThread
            && !w->findChild<QLabel *>(QStringLiteral("Member"))->text().isEmpty()) {
            windowThread = w->thread();
            w->close();
        }
    });
    poll.start(10);
    std::atomic<bool> done{false};
    int rc = -1;
    std::thread caller([&] {
        char output[260];
        rc = runLibrary({nullptr, line.c_str(), output, sizeof output},
                        LibraryTraits{"Elsewhere", {}}, nullptr,
                        [](const ParsedCommand &, JobPlan *plan, std::string *) {
                            plan->write = slowWriter();
                            return true;
                        });
        done = true;
    });
    const auto started = std::chrono::steady_clock::now();
    while (!done && std::chrono::steady_clock::now() - started < 10s)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    caller.join();
    EXPECT_EQ(windowThread, application().thread());
    EXPECT_NE(rc, 0) << "closing the window stopped the call";
    EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
    EXPECT_FALSE(fileExists(archive));
    for (int i = 0; i < 20 && findWindow(QStringLiteral("Elsewhere")); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(findWindow(QStringLiteral("Elsewhere")), nullptr);
}

TEST_F(LibraryWindowTest, DeletingTheStatusWindowStopsLikeClosingIt)
{
    const std::string archive = tmp.path() + "out.arc";
    const std::string line =
        "\"" + archive + "\" \"" + tmp.path() + "base/\" @" + tmp.path() + "k.lst";
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { delete findWindow(QStringLiteral("Doomed")); });
    poll.start(20);
    char output[260];
    const int rc =
        runLibrary({nullptr, line.c_str(), output, sizeof output}, LibraryTraits{"Doomed", {}},
                   nullptr, [](const ParsedCommand &, JobPlan *plan, std::string *) {
                       plan->write = slowWriter();
                       return true;
                   });
    EXPECT_NE(rc, 0);
    EXPECT_FALSE(fileExists(archive));
}

TEST_F(LibraryWindowTest, NoWindowWhenThePlanSaysDisplayOff)
{
    const std::string line =
        "\"" + tmp.path() + "o.arc\" \"" + tmp.path() + "base/\" @" + tmp.path() + "k.lst";
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout,
                     [&] { seen = seen || findWindow(QStringLiteral("Quiet")); });
    poll.start(5);
    char output[260];
    const int rc =
        runLibrary({nullptr, line.c_str(), output, sizeof output}, LibraryTraits{"Quiet", {}},
                   nullptr, [](const ParsedCommand &, JobPlan *plan, std::string *) {
                       plan->showStatus = false;
                       plan->write = [](const std::vector<Member> &, ArchiveOutput &out, Progress &,
                                        std::string *reason) {
                           std::this_thread::sleep_for(200ms);
                           return out.write("x", 1, reason);
                       };
                       return true;
                   });
    EXPECT_EQ(rc, 0) << output;
    EXPECT_FALSE(seen);
}

// A file that takes the real libraries well over a second to compress.
void writeSlowInput(const std::string &path)
{
    std::string text;
    for (long long i = 0; i < 1500000; ++i)
        text += std::to_string(i * 7919 % 100003) + (i % 7 ? " " : "\n");
    writeFile(path, text);
}

// ZIP's window is hidden before the close, as the program does when it wants no display.
TEST_F(LibraryWindowTest, RealLibrariesShowTheirTitlesAndStopOnClose)
{
    writeSlowInput(tmp.path() + "base/slow.txt");
    writeFile(tmp.path() + "k.lst", "\"slow.txt\"\n");
    struct Case {
        const char *file, *prefix, *title, *line;
    } cases[] = {
        {"zip32j.so", "Zip", "ZIP32J.DLL Status", "-r -9 \"%1krytmp.zip\" \"%1base/\" @%1k.lst"},
        {"bga32.so", "Bga", "BGA32.DLL Status", "a -r -l9 \"%1krytmp.bza\" \"%1base/\" @%1k.lst"}};
    for (const Case &c : cases) {
        LoadedLibrary library(c.file);
        ASSERT_TRUE(library.loaded()) << library.error();
        closeWhenShown(QString::fromUtf8(c.title), std::string(c.prefix) == "Zip");
        const QString line = QString::fromLatin1(c.line).arg(QString::fromStdString(tmp.path()));
        std::string reason;
        const int rc = library.run(c.prefix, line.toStdString(), &reason);
        const auto returned = std::chrono::steady_clock::now();
        EXPECT_NE(rc, 0) << c.file;
        EXPECT_LT(returned - closedAt, 2000ms) << c.file;
        EXPECT_EQ(member, QStringLiteral("slow.txt")) << c.file;
        for (const auto &item : fs::directory_iterator(tmp.path()))
            EXPECT_EQ(item.path().filename().string().find("krytmp"), std::string::npos)
                << item.path();
    }
}

} // namespace
