// LoadSettings' reading, SaveSettings, the check marks and the archive kind's list,
// over a store in memory: defaults, checked values, order of writes, kinds kept apart.
#include "config/KryOpr.h"

#include "MemoryStore.h"
#include "tests/support/EveryArchiver.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vexel {
namespace {

using test::everyArchiver;
using test::MemoryStore;

std::vector<std::string> texts(const std::vector<FormatListEntry> &entries)
{
    std::vector<std::string> result;
    for (const FormatListEntry &e : entries)
        result.push_back(e.text);
    return result;
}

TEST(StoredSettings, AnEmptyStoreGivesTheDefaults)
{
    QTemporaryDir here;
    MemoryStore store;
    const StoredOptions o = readStoredOptions(store, here.path().toStdString());
    EXPECT_EQ(o.values.DefaultPath, here.path().toStdString());
    EXPECT_FALSE(o.AlwaysTop);
    EXPECT_FALSE(o.DLLVisible);
    EXPECT_EQ(o.values.LHAFreezeType, "2");
    EXPECT_EQ(o.values.CABFreezeType, "0");
    EXPECT_EQ(o.values.CABFreezeLevel, "15");
    EXPECT_EQ(o.values.ZIPFreezeLevel, "6");
    EXPECT_EQ(o.values.BGAFreezeLevel, "9");
    EXPECT_EQ(o.values.Jobs, 0) << "as many formats at once as the machine has cores";
    EXPECT_EQ(o.kind, OrdinaryKind);
    EXPECT_TRUE(store.writes.empty());
}

TEST(StoredSettings, StoredValuesInsideTheirRangesAreUsedAsStored)
{
    MemoryStore store;
    store.values = {{"LHAFreezeType", "4"},  {"CABFreezeType", "1"},   {"CABFreezeLevel", " 21"},
                    {"ZIPFreezeLevel", "1"}, {"BGAFreezeLevel", " 5"}, {"AlwaysTop", "1"},
                    {"DLLVisible", "1"}};
    const StoredOptions o = readStoredOptions(store, "/");
    EXPECT_EQ(o.values.LHAFreezeType, "4");
    EXPECT_EQ(o.values.CABFreezeType, "1");
    EXPECT_EQ(o.values.CABFreezeLevel, " 21");
    EXPECT_EQ(o.values.ZIPFreezeLevel, "1");
    EXPECT_EQ(o.values.BGAFreezeLevel, " 5");
    EXPECT_TRUE(o.AlwaysTop);
    EXPECT_TRUE(o.DLLVisible);
}

// A value that no archiver accepts would fail every later run: it reads as its default.
TEST(StoredSettings, ValuesOutsideTheirRangesOrNotNumbersReadAsTheDefault)
{
    const auto key = [](std::string_view name) {
        for (const NumericSettingKey &k : numericSettingKeys())
            if (k.key == name)
                return k;
        ADD_FAILURE() << name;
        return numericSettingKeys()[0];
    };
    EXPECT_EQ(checkedNumericSetting(key("LHAFreezeType"), "9"), "2");
    EXPECT_EQ(checkedNumericSetting(key("LHAFreezeType"), "1"), "2");
    EXPECT_EQ(checkedNumericSetting(key("ZIPFreezeLevel"), "abc"), "6");
    EXPECT_EQ(checkedNumericSetting(key("ZIPFreezeLevel"), "0"), "6");
    EXPECT_EQ(checkedNumericSetting(key("ZIPFreezeLevel"), "-5"), "6");
    EXPECT_EQ(checkedNumericSetting(key("ZIPFreezeLevel"), "5.5"), "6");
    EXPECT_EQ(checkedNumericSetting(key("ZIPFreezeLevel"), ""), "6");
    EXPECT_EQ(checkedNumericSetting(key("ZIPFreezeLevel"), "5 -r"), "6");
    EXPECT_EQ(checkedNumericSetting(key("CABFreezeLevel"), "22"), "15");
    EXPECT_EQ(checkedNumericSetting(key("CABFreezeLevel"), "99999999999999999999"), "15");
    EXPECT_EQ(checkedNumericSetting(key("CABFreezeType"), "2"), "0");
    EXPECT_EQ(checkedNumericSetting(key("BGAFreezeLevel"), "+3"), "9");
    // " 15" and "15" are the same level and both stay as stored.
    EXPECT_EQ(checkedNumericSetting(key("CABFreezeLevel"), " 15"), " 15");
    EXPECT_EQ(checkedNumericSetting(key("CABFreezeLevel"), "15"), "15");

    MemoryStore store;
    store.values = {{"LHAFreezeType", "9"}, {"ZIPFreezeLevel", "abc"}};
    const StoredOptions o = readStoredOptions(store, "/");
    EXPECT_EQ(o.values.LHAFreezeType, "2");
    EXPECT_EQ(o.values.ZIPFreezeLevel, "6");
}

TEST(StoredSettings, CheckBoxesAreCheckedOnlyByOne)
{
    for (const auto &[stored, checked] : std::vector<std::pair<std::string, bool>>{
             {"1", true}, {" 1", true}, {"0", false}, {"2", false}, {"yes", false}, {"", false}}) {
        MemoryStore store;
        store.values = {{"AlwaysTop", stored}, {"DLLVisible", stored}};
        const StoredOptions o = readStoredOptions(store, "/");
        EXPECT_EQ(o.AlwaysTop, checked) << stored;
        EXPECT_EQ(o.DLLVisible, checked) << stored;
    }
}

TEST(StoredSettings, AMissingSaveFolderBecomesTheCurrentDirectory)
{
    QTemporaryDir here, saved;
    const std::string gone = saved.path().toStdString() + "/deleted";
    for (const std::string &stored : {gone, std::string(), saved.path().toStdString() + "/"}) {
        MemoryStore store;
        store.values["DefaultPath"] = stored;
        const std::string expected =
            stored.empty() || stored == gone ? here.path().toStdString() : stored;
        EXPECT_EQ(readStoredOptions(store, here.path().toStdString()).values.DefaultPath, expected);
    }
    // A file is no save folder.
    MemoryStore store;
    QFile file(saved.path() + "/plain");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    store.values["DefaultPath"] = (saved.path() + "/plain").toStdString();
    EXPECT_EQ(readStoredOptions(store, "/").values.DefaultPath, "/");
}

TEST(StoredSettings, FreezeTypeSelectsTheKind)
{
    for (const auto &[stored, kind] :
         std::vector<std::pair<std::string, ArchiveKind>>{{"0", OrdinaryKind},
                                                          {"1", SelfExtractingKind},
                                                          {"-3", SelfExtractingKind},
                                                          {" 7", SelfExtractingKind},
                                                          {"abc", OrdinaryKind},
                                                          {"", OrdinaryKind}}) {
        MemoryStore store;
        store.values["FreezeType"] = stored;
        EXPECT_EQ(readStoredOptions(store, "/").kind, kind) << stored;
    }
}

TEST(StoredSettings, SaveSettingsWritesItsKeysInOrderAndNeverTheKind)
{
    MemoryStore store;
    RunSettings values;
    values.LHAFreezeType = "3";
    values.CABFreezeLevel = " 18";
    values.Jobs = 3;
    ASSERT_TRUE(SaveSettings(store, "/home/u/", true, false, values));
    const std::vector<std::pair<std::string, std::string>> expected{
        {"DefaultPath", "/home/u/"}, {"AlwaysTop", "1"},      {"DLLVisible", "0"},
        {"LHAFreezeType", "3"},      {"CABFreezeType", "0"},  {"CABFreezeLevel", " 18"},
        {"ZIPFreezeLevel", "6"},     {"BGAFreezeLevel", "9"}, {"Jobs", "3"}};
    EXPECT_EQ(store.writes, expected);
}

TEST(StoredSettings, JobsIsACountFromZeroUpToEightAndAnythingElseTheDefault)
{
    QTemporaryDir here;
    const std::pair<const char *, int> cases[] = {
        {"0", 0},  {"1", 1},   {" 4 ", 4}, {"8", 8}, {"9", 8}, {"1000000000000", 8},
        {"-1", 0}, {"two", 0}, {"2.5", 0}, {"", 0}};
    for (auto [stored, jobs] : cases) {
        MemoryStore store;
        store.values = {{"Jobs", stored}};
        EXPECT_EQ(readStoredOptions(store, here.path().toStdString()).values.Jobs, jobs) << stored;
    }
}

TEST(StoredSettings, CheckMarksAreKeptPerKindAndReadLeniently)
{
    MemoryStore store;
    for (const FormatInfo &f : formatTable()) {
        EXPECT_EQ(checkMarkKey(OrdinaryKind, f.entryText), f.checkKeyOrdinary);
        EXPECT_EQ(checkMarkKey(SelfExtractingKind, f.entryText), f.checkKeySelfExtracting);
        EXPECT_TRUE(readCheckMark(store, OrdinaryKind, f.entryText)); // absent: checked
    }
    writeCheckMark(store, OrdinaryKind, "ZIP", false);
    EXPECT_EQ(store.values.at("FT_Chk_NA_ZIP"), "False");
    EXPECT_FALSE(readCheckMark(store, OrdinaryKind, "ZIP"));
    EXPECT_TRUE(readCheckMark(store, SelfExtractingKind, "ZIP"));
    writeCheckMark(store, OrdinaryKind, "ZIP", true);
    EXPECT_EQ(store.values.at("FT_Chk_NA_ZIP"), "True");

    for (const auto &[stored, checked] :
         std::vector<std::pair<std::string, bool>>{{"false", false},
                                                   {"FALSE", false},
                                                   {"0", false},
                                                   {"true", true},
                                                   {"-1", true},
                                                   {"garbage", true},
                                                   {"", true}}) {
        store.values["FT_Chk_EA_LHA"] = stored;
        EXPECT_EQ(readCheckMark(store, SelfExtractingKind, "LHA"), checked) << stored;
    }
}

TEST(ArchiveKind, EachKindListsItsFormatsWithItsOwnMarks)
{
    MemoryStore store;
    const ArchiverAvailability all = everyArchiver();
    EXPECT_EQ(
        texts(archiveKindEntries(0, all, store)),
        (std::vector<std::string>{"LHA", "ZIP", "CAB", "GZIP", "BZIP2", "RAR", "GCA", "ACE"}));
    EXPECT_EQ(texts(archiveKindEntries(1, all, store)),
              (std::vector<std::string>{"LHA", "ZIP", "CAB", "GZIP", "BZIP2"}));
    for (const FormatListEntry &e : archiveKindEntries(0, all, store))
        EXPECT_TRUE(e.checked) << e.text;

    store.values["FT_Chk_NA_CAB"] = "False";
    store.values["FT_Chk_EA_BZIP2"] = "False";
    const auto ordinary = archiveKindEntries(0, all, store);
    const auto selfExtracting = archiveKindEntries(1, all, store);
    EXPECT_FALSE(ordinary[2].checked);
    EXPECT_TRUE(selfExtracting[2].checked);
    // GZIP and BZIP2 come from one archiver but keep their own marks.
    EXPECT_TRUE(selfExtracting[3].checked);
    EXPECT_FALSE(selfExtracting[4].checked);
    EXPECT_TRUE(store.writes.empty());
    EXPECT_TRUE(archiveKindEntries(2, all, store).empty());
}

TEST(ArchiveKind, AMissingArchiversEntryIsNotListedAndItsKeyStays)
{
    MemoryStore store;
    store.values["FT_Chk_NA_LHA"] = "False";
    ArchiverAvailability some = everyArchiver();
    some.LHAAvailable = some.LHAExeAvailable = false;
    some.BGAAvailable = some.BGAExeAvailable = false;
    EXPECT_EQ(texts(archiveKindEntries(0, some, store)),
              (std::vector<std::string>{"ZIP", "CAB", "RAR", "GCA", "ACE"}));
    EXPECT_EQ(store.values.at("FT_Chk_NA_LHA"), "False");

    // Only the command-line archivers: the self-extracting list is empty.
    ArchiverAvailability cliOnly;
    cliOnly.RARAvailable = cliOnly.GCAAvailable = cliOnly.ACEAvailable = true;
    EXPECT_TRUE(archiveKindEntries(1, cliOnly, store).empty());
}

} // namespace
} // namespace vexel
