// The progress record of the callback, through the real libraries loaded as the program
// loads them: every record well formed (done never falls, never passes the total, and
// reaches it at the end), the names those of the members, and a 0 answer to the first
// record still stopping the work before it starts.
#include "LoadedLibrary.h"
#include "TestTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <vector>

using namespace vexel::testsupport;
namespace fs = std::filesystem;

namespace {

struct Seen {
    std::uint32_t message = 0;
    std::uint32_t state = 0;
    bool hasRecord = false;
    KryProgress record{};
    std::string member;
};

std::mutex seenMutex;
std::vector<Seen> seen;
int answer = 1;

int recordingCallback(void *, std::uint32_t message, std::uint32_t state, void *info)
{
    Seen s;
    s.message = message;
    s.state = state;
    if (info) {
        s.hasRecord = true;
        s.record = *static_cast<const KryProgress *>(info);
        s.member = s.record.member ? s.record.member : "";
        s.record.member = nullptr; // valid only during the call
    }
    std::lock_guard lock(seenMutex);
    seen.push_back(s);
    return answer;
}

struct LibraryCase {
    const char *file;
    const char *prefix;
    const char *switches;
    const char *extension;
};

// The switches the program passes with the display off (no status window here anyway).
const LibraryCase kCases[] = {
    {"unlha32.so", "Unlha", "a -x1 -r2 -y1 -gm -n -jm2", ".lzh"},
    {"cab32.so", "Cab", "-a -r -i -mz", ".cab"},
    {"cab32.so", "Cab", "-a -r -i -ml:15", ".cab"},
    {"bga32.so", "Bga", "a -r -l9", ".gza"},
    {"bga32.so", "Bga", "a -r -l9", ".bza"},
};

class ProgressRecordTest : public ::testing::TestWithParam<LibraryCase> {
protected:
    void SetUp() override
    {
        base = tmp.path() + "base/";
        fs::create_directories(base + "input");
        buildTree(base + "input", TreeOptions{false, true});
        for (const auto &[name, entry] : scanTree(base + "input")) {
            if (entry.isFolder)
                continue;
            files.insert("input/" + name);
            bytes += entry.size;
        }
        archive = tmp.path() + "krytmp" + GetParam().extension;
        std::lock_guard lock(seenMutex);
        seen.clear();
        answer = 1;
    }

    int run(LoadedLibrary &library, std::string *reason)
    {
        const LibraryCase &c = GetParam();
        EXPECT_TRUE(library.setOwner(c.prefix, nullptr, recordingCallback));
        return library.run(c.prefix,
                           libraryCommandLine(c.switches, archive, base, tmp.path() + "krytmp.lst",
                                              "\"input/*.*\"\n"),
                           reason);
    }

    TempFolder tmp;
    std::string base, archive;
    std::set<std::string> files;
    std::uint64_t bytes = 0;
};

TEST_P(ProgressRecordTest, RecordsAreWellFormedAndEndAtTheTotal)
{
    LoadedLibrary library(GetParam().file);
    ASSERT_TRUE(library.loaded()) << library.error();
    std::string reason;
    ASSERT_EQ(run(library, &reason), 0) << reason;

    std::lock_guard lock(seenMutex);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front().state, std::uint32_t{KRY_STATE_BEGIN});
    EXPECT_EQ(seen.back().state, std::uint32_t{KRY_STATE_END});
    std::uint64_t lastDone = 0, total = 0;
    std::uint32_t lastFiles = 0;
    std::set<std::string> names;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const Seen &s = seen[i];
        SCOPED_TRACE("record " + std::to_string(i));
        ASSERT_EQ(s.message, std::uint32_t{KRY_MSG_PROGRESS});
        ASSERT_TRUE(s.hasRecord);
        EXPECT_EQ(s.record.size, sizeof(KryProgress));
        if (i > 0 && i + 1 < seen.size()) {
            EXPECT_EQ(s.state, std::uint32_t{KRY_STATE_WORKING});
        }
        const KryProgress &r = s.record;
        EXPECT_LE(r.bytesDone, r.bytesTotal);
        EXPECT_LE(r.filesDone, r.filesTotal);
        EXPECT_GE(r.bytesDone, lastDone) << "done never decreases";
        EXPECT_GE(r.filesDone, lastFiles);
        if (total != 0) {
            EXPECT_EQ(r.bytesTotal, total) << "the total, once known, stays";
        }
        total = r.bytesTotal;
        lastDone = r.bytesDone;
        lastFiles = r.filesDone;
        if (!s.member.empty())
            names.insert(s.member);
    }
    const KryProgress &end = seen.back().record;
    EXPECT_EQ(end.bytesTotal, bytes);
    EXPECT_EQ(end.bytesDone, bytes);
    EXPECT_EQ(end.filesTotal, files.size());
    EXPECT_EQ(end.filesDone, files.size());
    for (const std::string &name : names)
        EXPECT_TRUE(files.count(name) || fs::is_directory(base + name)) << "not a member: " << name;
    EXPECT_FALSE(names.empty());
}

TEST_P(ProgressRecordTest, ZeroAnswerToTheFirstRecordStopsBeforeAnyWork)
{
    LoadedLibrary library(GetParam().file);
    ASSERT_TRUE(library.loaded()) << library.error();
    answer = 0;
    std::string reason;
    EXPECT_NE(run(library, &reason), 0);
    EXPECT_FALSE(fileExists(archive));
    std::lock_guard lock(seenMutex);
    ASSERT_EQ(seen.size(), 1u) << "nothing is reported after the stop";
    EXPECT_EQ(seen[0].state, std::uint32_t{KRY_STATE_BEGIN});
    EXPECT_EQ(seen[0].record.bytesDone, 0u);
}

std::string caseName(const ::testing::TestParamInfo<LibraryCase> &info)
{
    std::string name = std::string(info.param.prefix) + (info.param.extension + 1);
    if (std::string(info.param.switches).find("ml:") != std::string::npos)
        name += "Lzx";
    return name;
}

INSTANTIATE_TEST_SUITE_P(Libraries, ProgressRecordTest, ::testing::ValuesIn(kCases), caseName);

} // namespace
