#include "LhaHeader.h"
#include "Crc16.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace vexel::lha;

namespace {

std::uint32_t le(const std::vector<std::uint8_t> &h, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | h[at + static_cast<std::size_t>(i)];
    return v;
}

struct Extension {
    std::uint8_t type;
    std::string body;
};

// Walks the extension chain the way 7-Zip does, by the "next size" fields alone,
// and returns where the chain ends: the data must start there.
std::vector<Extension> walkExtensions(const std::vector<std::uint8_t> &h, std::size_t *end)
{
    std::vector<Extension> ext;
    std::size_t at = 26;
    std::size_t size = le(h, 24, 2);
    while (size != 0) {
        Extension x{h[at],
                    std::string(h.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                                h.begin() + static_cast<std::ptrdiff_t>(at + size) - 2)};
        ext.push_back(x);
        at += size;
        size = le(h, at - 2, 2);
    }
    *end = at;
    return ext;
}

std::vector<std::uint8_t> header(const LhaEntry &e)
{
    std::vector<std::uint8_t> h;
    std::string reason;
    EXPECT_TRUE(buildLevel2Header(e, &h, &reason)) << reason;
    return h;
}

} // namespace

TEST(Crc16, MatchesTheArcCheckValue)
{
    const char *check = "123456789";
    EXPECT_EQ(crc16(reinterpret_cast<const std::uint8_t *>(check), 9), 0xBB3D);
    Crc16 pieces;
    pieces.update(reinterpret_cast<const std::uint8_t *>(check), 4);
    pieces.update(reinterpret_cast<const std::uint8_t *>(check) + 4, 5);
    EXPECT_EQ(pieces.value(), 0xBB3D);
}

TEST(LhaHeader, FileHeaderFieldsAndExtensions)
{
    LhaEntry e;
    e.storedName = "docs/日本語/a b.txt";
    e.method = "-lh7-";
    e.packedSize = 1234;
    e.originalSize = 99999;
    e.mtime = 1700000000;
    e.permissions = 0640;
    e.dataCrc = 0xBEEF;
    const auto h = header(e);
    EXPECT_EQ(le(h, 0, 2), h.size());
    EXPECT_EQ(std::string(h.begin() + 2, h.begin() + 7), "-lh7-");
    EXPECT_EQ(le(h, 7, 4), 1234u);
    EXPECT_EQ(le(h, 11, 4), 99999u);
    EXPECT_EQ(le(h, 15, 4), 1700000000u);
    EXPECT_EQ(h[19], 0x20);
    EXPECT_EQ(h[20], 2);
    EXPECT_EQ(le(h, 21, 2), 0xBEEFu);
    EXPECT_EQ(h[23], 'U');

    std::size_t end = 0;
    const auto ext = walkExtensions(h, &end);
    EXPECT_EQ(end, h.size());
    ASSERT_EQ(ext.size(), 5u);
    EXPECT_EQ(ext[0].type, 0x00);
    EXPECT_EQ(ext[1].type, 0x01);
    EXPECT_EQ(ext[1].body, "a b.txt");
    EXPECT_EQ(ext[2].type, 0x02);
    EXPECT_EQ(ext[2].body, "docs\xFF日本語\xFF");
    EXPECT_EQ(ext[3].type, 0x46);
    EXPECT_EQ(ext[3].body, std::string("\xE9\xFD\x00\x00", 4)); // 65001
    EXPECT_EQ(ext[4].type, 0x50);
    EXPECT_EQ(ext[4].body, std::string("\xA0\x81", 2)); // 0100640

    // The header CRC covers the whole header with its own field zeroed.
    auto zeroed = h;
    zeroed[27] = zeroed[28] = 0;
    EXPECT_EQ(le(h, 27, 2), crc16(zeroed.data(), zeroed.size()));
}

TEST(LhaHeader, NameThatIsNotUtf8KeepsItsBytesWithoutTheUtf8CodePage)
{
    LhaEntry e;
    e.storedName = "d\xe9j\xe0/bad\xff.txt";
    e.method = "-lh0-";
    std::size_t end = 0;
    const auto ext = walkExtensions(header(e), &end);
    ASSERT_GE(ext.size(), 3u);
    EXPECT_EQ(ext[1].body, "bad\xff.txt");
    EXPECT_EQ(ext[2].body, "d\xe9j\xe0\xFF");
    for (const auto &x : ext)
        EXPECT_NE(x.type, 0x46) << "no code page 65001 on a name that is not UTF-8";
}

TEST(LhaHeader, FolderEntryHoldsItsPathInTheFolderExtension)
{
    LhaEntry e;
    e.storedName = "a/empty";
    e.isFolder = true;
    e.method = "-lhd-";
    e.permissions = 0750;
    const auto h = header(e);
    std::size_t end = 0;
    const auto ext = walkExtensions(h, &end);
    ASSERT_GE(ext.size(), 3u);
    EXPECT_EQ(ext[1].type, 0x01);
    EXPECT_EQ(ext[1].body, "");
    EXPECT_EQ(ext[2].body,
              "a\xFF"
              "empty\xFF");
    EXPECT_EQ(ext.back().type, 0x50);
    EXPECT_EQ(ext.back().body, std::string("\xE8\x41", 2)); // 040750
    EXPECT_EQ(le(h, 7, 4), 0u);
    EXPECT_EQ(le(h, 11, 4), 0u);
}

// The code page only where the name has bytes beyond ASCII; the mode always for a
// file, and for a folder unless it is 0755, what readers give a folder without one.
TEST(LhaHeader, CodePageAndModeOnlyWhereTheyCarrySomething)
{
    struct Case {
        const char *name;
        bool isFolder;
        std::uint16_t permissions;
        bool codePage;
        int mode; // the expected 0x50 value, or -1 for none
    } cases[] = {
        {"plain/readme.txt", false, 0644, false, 0100644},
        {"plain", true, 0755, false, -1},
        {"caf\xC3\xA9.txt", false, 0644, true, 0100644},
        {"bad\xFF\xFEname", false, 0600, false, 0100600}, // not UTF-8: claims no code page
        {"run.sh", false, 0755, false, 0100755},
        {"secret", false, 0600, false, 0100600},
        {"locked", false, 0444, false, 0100444},
        {"sticky", true, 01777, false, 0041777},
        {"private", true, 0700, false, 0040700},
        {"日本/文書", true, 0755, true, -1},
    };
    for (const Case &c : cases) {
        LhaEntry e;
        e.storedName = c.name;
        e.isFolder = c.isFolder;
        e.method = c.isFolder ? "-lhd-" : "-lh0-";
        e.permissions = c.permissions;
        const auto h = header(e);
        std::size_t end = 0;
        const auto ext = walkExtensions(h, &end);
        EXPECT_EQ(end, h.size()) << c.name;
        const Extension *codePage = nullptr, *mode = nullptr;
        for (const Extension &x : ext) {
            codePage = x.type == 0x46 ? &x : codePage;
            mode = x.type == 0x50 ? &x : mode;
        }
        EXPECT_EQ(codePage != nullptr, c.codePage) << c.name;
        if (codePage) {
            EXPECT_EQ(codePage->body, std::string("\xE9\xFD\x00\x00", 4)) << c.name;
        }
        ASSERT_EQ(mode != nullptr, c.mode >= 0) << c.name;
        if (mode) {
            ASSERT_EQ(mode->body.size(), 2u) << c.name;
            EXPECT_EQ(static_cast<std::uint8_t>(mode->body[0])
                          | static_cast<std::uint8_t>(mode->body[1]) << 8,
                      c.mode)
                << c.name;
        }
    }
}

TEST(LhaHeader, SizeWithLowByteZeroIsLengthenedNotPadded)
{
    // Find name lengths around a multiple of 256 and check every one of them.
    for (std::size_t n = 150; n < 260; ++n) {
        LhaEntry e;
        e.storedName = std::string(n, 'n');
        const auto h = header(e);
        ASSERT_NE(h.size() & 0xFF, 0u) << n;
        std::size_t end = 0;
        walkExtensions(h, &end);
        ASSERT_EQ(end, h.size()) << "data would not follow the last extension";
        EXPECT_EQ(le(h, 0, 2), h.size());
    }
}

TEST(LhaHeader, RefusesNamesBeyondTheHeaderSize)
{
    LhaEntry e;
    e.storedName = std::string(70000, 'x');
    std::vector<std::uint8_t> h;
    std::string reason;
    EXPECT_FALSE(buildLevel2Header(e, &h, &reason));
    EXPECT_NE(reason.find("too long"), std::string::npos);
}

TEST(LhaHeader, TimesOutsideTheFieldAreClamped)
{
    EXPECT_EQ(lhaTime(-5), 0u);
    EXPECT_EQ(lhaTime(1700000000), 1700000000u);
    EXPECT_EQ(lhaTime(std::int64_t{1} << 40), 0xFFFFFFFFu);
}
