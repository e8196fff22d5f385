// The engine zip32.so through its C interface: Zip64 members and end records, the UTF-8
// name flag, and the checks on member sizes.
#include "ZipEngine.h"

#include "TestTree.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <random>
#include <sstream>
#include <vector>

using namespace vexel::testsupport;

namespace {

struct EngineDeleter {
    void operator()(ZipEngine *engine) const { ZipEngineDestroy(engine); }
};
using Engine = std::unique_ptr<ZipEngine, EngineDeleter>;

Engine create(const std::string &path, int level)
{
    char reason[256] = "";
    Engine engine(ZipEngineCreate(path.c_str(), level, reason, sizeof reason));
    EXPECT_TRUE(engine) << reason;
    return engine;
}

TEST(ZipEngine, MemberBeyondFourGibibytesIsWrittenAsZip64)
{
    TempFolder tmp;
    const std::string zip = tmp.path() + "big.zip";
    Engine engine = create(zip, 1);
    const std::uint64_t size = 0x100000000ull + 1;
    const ZipEngineMember member{"zeros.bin", 0, size, 1600000000, 0644};
    ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &member));
    const std::vector<char> zeros(8 << 20, 0);
    for (std::uint64_t done = 0; done < size;) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(zeros.size(), size - done));
        ASSERT_TRUE(ZipEngineWriteData(engine.get(), zeros.data(), n))
            << ZipEngineError(engine.get());
        done += n;
    }
    ASSERT_TRUE(ZipEngineEndMember(engine.get())) << ZipEngineError(engine.get());
    const ZipEngineMember after{"after.txt", 0, 5, 1600000000, 0644};
    ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &after));
    ASSERT_TRUE(ZipEngineWriteData(engine.get(), "after", 5));
    ASSERT_TRUE(ZipEngineEndMember(engine.get()));
    ASSERT_TRUE(ZipEngineFinish(engine.get())) << ZipEngineError(engine.get());
    std::string listing;
    ASSERT_EQ(runCommand("7zz l -slt " + shellQuote(zip), &listing), 0) << listing;
    EXPECT_NE(listing.find("Size = 4294967297"), std::string::npos) << listing;
    // The small member after the big one is read back whole (its own header found by offset).
    std::string output;
    ASSERT_EQ(runCommand("unzip -p " + shellQuote(zip) + " after.txt", &output), 0) << output;
    EXPECT_EQ(output, "after");
}

// What Python's zipfile, an independent reader, sees: one line per entry with the UTF-8
// flag bit and the name's raw bytes in hex (names without the flag are decoded as
// CP437, which maps every byte, so encoding back gives the stored bytes).
std::string pythonListing(const std::string &zip)
{
    const std::string script = "import sys, zipfile\n"
                               "z = zipfile.ZipFile(sys.argv[1])\n"
                               "for i in z.infolist():\n"
                               "    utf8 = bool(i.flag_bits & 0x800)\n"
                               "    raw = i.filename.encode('utf-8' if utf8 else 'cp437')\n"
                               "    print(int(utf8), raw.hex())\n";
    std::string output;
    EXPECT_EQ(runCommand(python3() + " -c " + shellQuote(script) + " " + shellQuote(zip), &output),
              0)
        << output;
    return output;
}

std::string hex(const std::string &bytes)
{
    std::ostringstream out;
    for (const unsigned char c : bytes)
        out << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    return out.str();
}

bool hasZip64Locator(const std::string &zip)
{
    const std::string bytes = readFile(zip);
    return bytes.size() >= 42 && bytes.compare(bytes.size() - 42, 4, "PK\x06\x07") == 0;
}

TEST(ZipEngine, Utf8FlagOnlyOnValidNonAsciiNames)
{
    TempFolder tmp;
    const std::string zip = tmp.path() + "names.zip";
    const std::string latin1 = "d\xe9j\xe0"; // a folder name from another locale
    const std::vector<std::pair<std::string, int>> names = {{"plain.txt", 0},
                                                            {"日本語.txt", 1},
                                                            {"bad\xff\xfe.txt", 0},
                                                            {latin1 + "/in.txt", 0},
                                                            {"\xed\xa0\x80surrogate", 0},
                                                            {"\xc0\xafoverlong", 0},
                                                            {"cut\xe6\x97", 0}};
    {
        Engine engine = create(zip, 6);
        const ZipEngineMember folder{latin1.c_str(), 1, 0, 1600000000, 0755};
        ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &folder));
        for (const auto &[name, flag] : names) {
            const ZipEngineMember file{name.c_str(), 0, 2, 1600000000, 0644};
            ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &file));
            ASSERT_TRUE(ZipEngineWriteData(engine.get(), "xy", 2));
            ASSERT_TRUE(ZipEngineEndMember(engine.get())) << ZipEngineError(engine.get());
        }
        ASSERT_TRUE(ZipEngineFinish(engine.get())) << ZipEngineError(engine.get());
    }
    std::string expected = "0 " + hex(latin1 + "/") + "\n";
    for (const auto &[name, flag] : names)
        expected += std::to_string(flag) + " " + hex(name) + "\n";
    EXPECT_EQ(pythonListing(zip), expected);
    EXPECT_FALSE(hasZip64Locator(zip)) << "a small archive keeps the plain end record";
    std::string output;
    EXPECT_EQ(runCommand("unzip -tq " + shellQuote(zip), &output), 0) << output;
}

// `count` one-byte stored members named 0 .. count-1.
void writeEntries(const std::string &zip, int count)
{
    Engine engine = create(zip, 0);
    for (int i = 0; i < count; ++i) {
        const std::string name = std::to_string(i);
        const ZipEngineMember member{name.c_str(), 0, 1, 1600000000, 0644};
        ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &member));
        ASSERT_TRUE(ZipEngineWriteData(engine.get(), "z", 1));
        ASSERT_TRUE(ZipEngineEndMember(engine.get())) << ZipEngineError(engine.get());
    }
    ASSERT_TRUE(ZipEngineFinish(engine.get())) << ZipEngineError(engine.get());
}

// The number of entries Python's zipfile finds, and the contents of the last one.
std::string pythonCount(const std::string &zip)
{
    std::string output;
    EXPECT_EQ(runCommand(python3()
                             + " -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                               "print(len(z.namelist()), z.read(z.namelist()[-1]).decode())' "
                             + shellQuote(zip),
                         &output),
              0)
        << output;
    return output;
}

// The end record's count field ends at 65,535, which readers take as "see the Zip64
// record": from there on the Zip64 end record and locator must be present.
TEST(ZipEngine, Zip64EndRecordsFrom65535Entries)
{
    TempFolder tmp;
    for (const int count : {65535, 65536}) {
        SCOPED_TRACE(count);
        const std::string zip = tmp.path() + std::to_string(count) + ".zip";
        writeEntries(zip, count);
        EXPECT_TRUE(hasZip64Locator(zip));
        EXPECT_EQ(pythonCount(zip), std::to_string(count) + " z\n");
        std::string output; // runCommand appends
        EXPECT_EQ(runCommand("unzip -Z -1 " + shellQuote(zip) + " | wc -l", &output), 0);
        EXPECT_EQ(output, std::to_string(count) + "\n");
        std::remove(zip.c_str());
    }
}

TEST(ZipEngine, SeventyThousandEntriesPassEveryReader)
{
    TempFolder tmp;
    const std::string zip = tmp.path() + "70k.zip";
    writeEntries(zip, 70000);
    std::string output;
    EXPECT_EQ(runCommand("unzip -tq " + shellQuote(zip), &output), 0) << output;
    EXPECT_NE(output.find("No errors detected"), std::string::npos) << output;
    EXPECT_EQ(runCommand("7zz t " + shellQuote(zip), &output), 0) << output;
    EXPECT_NE(output.find("Files: 70000"), std::string::npos) << output;
    EXPECT_EQ(pythonCount(zip), "70000 z\n");
    // The last entry, found through the Zip64 records, reads back.
    output.clear();
    EXPECT_EQ(runCommand("unzip -p " + shellQuote(zip) + " 69999", &output), 0);
    EXPECT_EQ(output, "z");
}

// Data that deflates (to about three quarters, with matches) in a fifth of the time
// that text takes at level 9: random characters out of 64, and every 4000 of them a
// copy of 100 bytes from up to 30,000 back. Where a test is about how the engine cuts,
// joins and orders deflated data, not about how well it deflates, this does as well.
std::string quickToDeflate(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string data;
    data.reserve(size + 4100);
    while (data.size() < size) {
        for (int i = 0; i < 4000; ++i)
            data.push_back(static_cast<char>('0' + rng() % 64));
        const std::size_t from =
            data.size() - 1 - rng() % std::min<std::size_t>(30000, data.size() - 100);
        for (std::size_t i = 0; i < 100; ++i)
            data.push_back(data[from + i]);
    }
    data.resize(size);
    return data;
}

// Level 9 deflates a long file in pieces of 8 MiB joined into one stream: files ending
// just before, on and after a piece boundary, fed in odd-sized writes, come back exact
// through unzip; one whose first piece does not shrink is stored whole.
TEST(ZipEngine, LevelNineFilesAcrossPieceBoundariesExtractExact)
{
    TempFolder tmp;
    const std::string zip = tmp.path() + "pieces.zip";
    Engine engine = create(zip, 9);
    const std::size_t piece = 8 << 20;
    std::mt19937 rng(17);
    const std::string text = quickToDeflate(2 * piece + 4096, 17);
    std::string noise(piece + 100, '\0');
    for (char &c : noise)
        c = static_cast<char>(rng());
    const std::pair<std::string, std::string> files[] = {
        {"before.txt", text.substr(0, piece - 1)},
        {"exact.txt", text.substr(0, piece)},
        {"after.txt", text.substr(0, piece + 1)},
        {"two.txt", text.substr(0, 2 * piece + 4096)},
        {"noise-then-text.bin", noise + text.substr(0, piece)},
    };
    for (const auto &[name, data] : files) {
        const ZipEngineMember member{name.c_str(), 0, data.size(), 1600000000, 0644};
        ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &member));
        for (std::size_t at = 0; at < data.size();) {
            const std::size_t n = std::min<std::size_t>(data.size() - at, 1 + rng() % (3 << 20));
            ASSERT_TRUE(ZipEngineWriteData(engine.get(), data.data() + at, n))
                << ZipEngineError(engine.get());
            at += n;
        }
        ASSERT_TRUE(ZipEngineEndMember(engine.get())) << ZipEngineError(engine.get());
    }
    ASSERT_TRUE(ZipEngineFinish(engine.get())) << ZipEngineError(engine.get());
    std::string output;
    ASSERT_EQ(runCommand("unzip -tq " + shellQuote(zip), &output), 0) << output;
    for (const auto &[name, data] : files) {
        output.clear();
        ASSERT_EQ(runCommand("unzip -p " + shellQuote(zip) + " " + name, &output), 0) << name;
        EXPECT_TRUE(output == data) << name;
    }
    std::string listing;
    ASSERT_EQ(runCommand("7zz l -slt " + shellQuote(zip), &listing), 0) << listing;
    const std::size_t noisy = listing.find("Path = noise-then-text.bin");
    ASSERT_NE(noisy, std::string::npos);
    EXPECT_NE(listing.find("Method = Store", noisy), std::string::npos)
        << "the first piece decides";
    EXPECT_NE(listing.find("Method = Deflate"), std::string::npos);
}

// Writes the files at level 9, one engine call per MiB; false when a call failed.
bool writeLevelNine(ZipEngine *engine,
                    const std::vector<std::pair<std::string, std::string>> &files)
{
    for (const auto &[name, data] : files) {
        const ZipEngineMember member{name.c_str(), 0, data.size(), 1600000000, 0644};
        if (!ZipEngineBeginMember(engine, &member))
            return false;
        for (std::size_t at = 0; at < data.size(); at += 1 << 20)
            if (!ZipEngineWriteData(engine, data.data() + at,
                                    std::min<std::size_t>(data.size() - at, 1 << 20)))
                return false;
        if (!ZipEngineEndMember(engine))
            return false;
    }
    return ZipEngineFinish(engine) != 0;
}

TEST(ZipEngine, AStopQueryChangesNoByteAndAStopEndsALongPieceAtOnce)
{
    TempFolder tmp;
    const std::string data = quickToDeflate((9u << 20) + 777, 5);
    const std::vector<std::pair<std::string, std::string>> files{
        {"small.txt", data.substr(0, 100000)}, // deflated on the engine's thread
        {"middle.txt", data.substr(0, 3 << 20)},
        {"long.txt", data}, // two pieces
    };
    Engine plain = create(tmp.path() + "plain.zip", 9);
    ASSERT_TRUE(writeLevelNine(plain.get(), files)) << ZipEngineError(plain.get());
    Engine watched = create(tmp.path() + "watched.zip", 9);
    ZipEngineSetStop(
        watched.get(), [](void *) { return 0; }, nullptr);
    ASSERT_TRUE(writeLevelNine(watched.get(), files)) << ZipEngineError(watched.get());
    plain.reset();
    watched.reset();
    EXPECT_TRUE(readFile(tmp.path() + "plain.zip") == readFile(tmp.path() + "watched.zip"));

    // Asked once before the piece starts (go on), then while it runs (stop): a piece of
    // 3 MiB of text at this level takes far longer than the first look after it started
    // (and after the stop, the rest of it costs nothing: the test ends).
    std::mt19937 rng(5);
    std::string text;
    while (text.size() < (3u << 20))
        text += "entry " + std::to_string(rng() % 9000) + " in a long log, again and again\n";
    Engine stopped = create(tmp.path() + "stopped.zip", 9);
    int asked = 0;
    ZipEngineSetStop(
        stopped.get(), [](void *count) { return ++*static_cast<int *>(count) > 1 ? 1 : 0; },
        &asked);
    EXPECT_FALSE(writeLevelNine(stopped.get(), {{"middle.txt", text.substr(0, 3 << 20)}}));
    EXPECT_EQ(std::string(ZipEngineError(stopped.get())), "stopped by the user");
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(ZipEngineFinish(stopped.get()));
}

// Small files deflate on worker threads while the engine takes the next ones; folders,
// empty files, stored files and a long file written at once must still come out in the
// order they went in, each with its own data, method and time.
TEST(ZipEngine, LevelNineKeepsTheOrderOfSmallFilesDeflatedInParallel)
{
    TempFolder tmp;
    const std::string zip = tmp.path() + "order.zip";
    Engine engine = create(zip, 9);
    std::mt19937 rng(23);
    struct Item {
        std::string name;
        std::string data;
        bool folder;
    };
    std::vector<Item> items;
    for (int i = 0; i < 600; ++i) {
        const std::string n = std::to_string(i);
        if (i % 97 == 5)
            items.push_back({"folder" + n, "", true});
        else if (i % 61 == 7)
            items.push_back({"empty" + n, "", false});
        else if (i % 53 == 3) {
            std::string noise(1000 + rng() % 5000, '\0');
            for (char &c : noise)
                c = static_cast<char>(rng());
            items.push_back({"noise" + n + ".bin", noise, false}); // stored: deflate would grow it
        } else if (i == 300) {
            std::string text;
            while (text.size() < 300 * 1024)
                text += "a longer file, written at once in the middle of the queue "
                    + std::to_string(rng() % 100) + "\n";
            items.push_back({"long.txt", text, false});
        } else {
            std::string text;
            const std::size_t size = 50 + rng() % 8000;
            while (text.size() < size)
                text += "file " + n + " line " + std::to_string(rng() % 1000) + "\n";
            items.push_back({"d" + std::to_string(i % 7) + "/f" + n + ".txt", text, false});
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item &item = items[i];
        const ZipEngineMember member{item.name.c_str(), item.folder ? 1 : 0, item.data.size(),
                                     1600000000 + static_cast<std::int64_t>(i) * 2, 0644};
        ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &member)) << ZipEngineError(engine.get());
        if (item.folder)
            continue;
        if (!item.data.empty()) {
            ASSERT_TRUE(ZipEngineWriteData(engine.get(), item.data.data(), item.data.size()));
        }
        ASSERT_TRUE(ZipEngineEndMember(engine.get())) << ZipEngineError(engine.get());
    }
    ASSERT_TRUE(ZipEngineFinish(engine.get())) << ZipEngineError(engine.get());

    // Python's zipfile, an independent reader: names in order, method, data.
    const std::string script =
        "import sys, zipfile, zlib\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "for i in z.infolist():\n"
        "    data = z.read(i)\n"
        "    print(i.filename, i.compress_type, len(data), zlib.crc32(data))\n";
    std::string listing;
    ASSERT_EQ(runCommand(python3() + " -c " + shellQuote(script) + " " + shellQuote(zip), &listing),
              0)
        << listing;
    std::istringstream lines(listing);
    std::string line;
    std::size_t index = 0;
    for (; std::getline(lines, line); ++index) {
        ASSERT_LT(index, items.size()) << line;
        const Item &item = items[index];
        std::istringstream fields(line);
        std::string name;
        int method = -1;
        std::size_t size = 0;
        unsigned long crc = 0;
        fields >> name >> method >> size >> crc;
        EXPECT_EQ(name, item.name + (item.folder ? "/" : "")) << index;
        const bool stored = item.folder || item.data.empty() || item.name.rfind("noise", 0) == 0;
        EXPECT_EQ(method, stored ? 0 : 8) << name;
        EXPECT_EQ(size, item.data.size()) << name;
        EXPECT_EQ(crc,
                  crc32(0, reinterpret_cast<const Bytef *>(item.data.data()),
                        static_cast<uInt>(item.data.size())))
            << name;
    }
    EXPECT_EQ(index, items.size());
}

TEST(ZipEngine, DataMustMatchTheAnnouncedSize)
{
    TempFolder tmp;
    Engine engine = create(tmp.path() + "a.zip", 6);
    const ZipEngineMember member{"a.txt", 0, 3, 0, 0644};
    ASSERT_TRUE(ZipEngineBeginMember(engine.get(), &member));
    EXPECT_FALSE(ZipEngineWriteData(engine.get(), "abcd", 4));
    EXPECT_NE(std::string(ZipEngineError(engine.get())).find("a.txt"), std::string::npos);

    Engine second = create(tmp.path() + "b.zip", 6);
    ASSERT_TRUE(ZipEngineBeginMember(second.get(), &member));
    ASSERT_TRUE(ZipEngineWriteData(second.get(), "ab", 2));
    EXPECT_FALSE(ZipEngineEndMember(second.get()));
    EXPECT_FALSE(ZipEngineFinish(second.get()))
        << "a failed engine never writes a complete-looking archive";
}

TEST(ZipEngine, CreateFailsWithAReasonForAnImpossiblePath)
{
    char reason[256] = "";
    EXPECT_EQ(ZipEngineCreate("/nonexistent-folder/x.zip", 6, reason, sizeof reason), nullptr);
    EXPECT_NE(std::string(reason).find("/nonexistent-folder/x.zip"), std::string::npos) << reason;
}

} // namespace
