// A library called from a QCoreApplication (a command-line host with an event loop but
// no widgets): it works without a status window and keeps the host's event loop running.
#include "LoadedLibrary.h"
#include "TestTree.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>

using namespace vexel::testsupport;

namespace {

TEST(CoreApplicationHost, LibrariesWorkWithoutWindowsAndLetTheLoopRun)
{
    static int argc = 1;
    static char name[] = "libkit_core_app_tests";
    static char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    TempFolder tmp;
    std::string text;
    for (int i = 0; i < 300000; ++i)
        text += std::to_string(static_cast<long long>(i) * 7919 % 100003) + " ";
    writeFile(tmp.path() + "base/t.txt", text);
    writeFile(tmp.path() + "k.lst", "\"t.txt\"\n");
    int ticks = 0;
    QTimer host;
    QObject::connect(&host, &QTimer::timeout, [&] { ++ticks; });
    host.start(5);
    const struct {
        const char *file, *prefix, *line;
    } cases[] = {{"zip32j.so", "Zip", "-r -9 \"%skrytmp.zip\" \"%sbase/\" @%sk.lst"},
                 {"bga32.so", "Bga", "a -r -l9 \"%skrytmp.bza\" \"%sbase/\" @%sk.lst"}};
    for (const auto &c : cases) {
        LoadedLibrary library(c.file);
        ASSERT_TRUE(library.loaded()) << library.error();
        char line[1024];
        const char *t = tmp.path().c_str();
        std::snprintf(line, sizeof line, c.line, t, t, t);
        ticks = 0;
        std::string reason;
        EXPECT_EQ(library.run(c.prefix, line, &reason), 0) << c.file << ": " << reason;
        EXPECT_GT(ticks, 0) << c.file << ": the host's timer ran during the call";
    }
    EXPECT_TRUE(fileExists(tmp.path() + "krytmp.zip"));
    EXPECT_TRUE(fileExists(tmp.path() + "krytmp.bza"));
}

} // namespace
