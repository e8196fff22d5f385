// Choosing the smallest archive, the saved name and the report text.
#include "run/RunReport.h"

#include <gtest/gtest.h>

namespace vexel {
namespace {

FormatResult made(const std::string &format, std::int64_t size)
{
    return FormatResult{"/tmp/r/krytmp.x", format, size};
}

TEST(ChooseWinner, StrictlySmallerWinsEqualKeepsTheEarlier)
{
    EXPECT_EQ(chooseWinner({made("LHA", 10), made("ZIP", 9), made("CAB", 9)}), 1u);
    EXPECT_EQ(chooseWinner({made("LHA", 5), made("ZIP", 5), made("CAB", 5)}), 0u);
    EXPECT_EQ(chooseWinner({made("LHA", 7)}), 0u);
    EXPECT_EQ(chooseWinner({made("LHA", 9), made("ZIP", 8), made("CAB", 1)}), 2u);
}

TEST(ChooseWinner, SizesBeyond32BitsCompareRight)
{
    constexpr std::int64_t kThreeGiB = 3LL << 30;
    EXPECT_EQ(chooseWinner({made("LHA", kThreeGiB), made("ZIP", kThreeGiB - 1)}), 1u);
    EXPECT_EQ(chooseWinner({made("LHA", 1000), made("ZIP", kThreeGiB)}), 0u);
    EXPECT_EQ(reportLine(made("ZIP", kThreeGiB)), "FileType:ZIP -> FileSize:3221225472Byte");
}

TEST(SavedPath, SavedExtensionOfEveryFormat)
{
    const std::pair<const char *, const char *> expected[] = {
        {"LHA", "data.lzh"},   {"ZIP", "data.ZIP"}, {"CAB", "data.CAB"}, {"GZIP", "data.gza"},
        {"BZIP2", "data.bza"}, {"RAR", "data.RAR"}, {"GCA", "data.GCA"}, {"ACE", "data.ACE"}};
    for (const auto &[format, name] : expected)
        EXPECT_EQ(savedPath("/save/", "data", format, false), std::string("/save/") + name);
    EXPECT_EQ(savedPath("/save/", "data.doc", "ZIP", false), "/save/data.doc.ZIP");
}

TEST(SavedPath, TypedExtensionKeepsTheNameAsTyped)
{
    EXPECT_EQ(savedPath("/save/", "Data.LZH", "LHA", true), "/save/Data.LZH");
}

TEST(ReportText, MultiFormatRun)
{
    const std::vector<FormatResult> results{made("LHA", 10240), made("ZIP", 9876),
                                            made("CAB", 9900)};
    EXPECT_EQ(reportText(results, 1, "/save/data.ZIP", false),
              "FileType:LHA -> FileSize:10240Byte\n"
              "FileType:ZIP -> FileSize:9876Byte\n"
              "FileType:CAB -> FileSize:9900Byte\n"
              "\n"
              "一番圧縮率の高かったZIP形式で保存しました。\n"
              "保存ファイル:/save/data.ZIP");
}

TEST(ReportText, TypedExtensionRun)
{
    EXPECT_EQ(reportText({made("LHA", 0)}, 0, "/save/Data.LZH", true),
              "FileType:LHA -> FileSize:0Byte\n"
              "\n"
              "LHA形式で保存しました。\n"
              "保存ファイル:/save/Data.LZH");
}

} // namespace
} // namespace vexel
