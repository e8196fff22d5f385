// The INI backing of the settings store: where the file lives, the text it holds, and
// what happens to a file that cannot be parsed or written.
#include "config/KryOpr.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace vexel {
namespace {

QByteArray fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

class IniStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home_.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved_); }

    QString iniPath() const { return home_.path() + "/Korvane Club.ini"; }

    QTemporaryDir home_;
    QByteArray saved_;
};

TEST_F(IniStore, LivesInTheConfigHomeUnderTheApplicationName)
{
    EXPECT_EQ(settingsFilePath(), iniPath());
    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(settingsFilePath(), QDir::homePath() + "/.config/Korvane Club.ini");
}

TEST_F(IniStore, ClosingWritesTheDesignsKeysAsTextInSectionKry)
{
    std::ostringstream errors;
    {
        IniSettingsStore store(settingsFilePath(), errors);
        RunSettings values;
        values.LHAFreezeType = "4";
        values.CABFreezeLevel = " 15";
        ASSERT_TRUE(SaveSettings(store, "/srv/save dir/", true, false, values));
        ASSERT_TRUE(writeCheckMark(store, OrdinaryKind, "ZIP", false));
    }
    const QByteArray text = fileText(iniPath());
    EXPECT_TRUE(text.startsWith("[Kry]\n")) << text.constData();
    for (const char *line : {"DefaultPath=/srv/save dir/\n", "AlwaysTop=1\n", "DLLVisible=0\n",
                             "LHAFreezeType=4\n", "CABFreezeType=0\n", "CABFreezeLevel=\" 15\"\n",
                             "ZIPFreezeLevel=6\n", "BGAFreezeLevel=9\n", "FT_Chk_NA_ZIP=False\n"})
        EXPECT_TRUE(text.contains(line)) << line << " in\n" << text.constData();
    EXPECT_FALSE(text.contains("\nFreezeType=")) << text.constData();
    EXPECT_TRUE(errors.str().empty());

    // A restart reads back what was written, the level's blank included.
    IniSettingsStore again(settingsFilePath(), errors);
    const StoredOptions o = readStoredOptions(again, "/");
    EXPECT_EQ(again.GetSetting("DefaultPath", ""), "/srv/save dir/");
    EXPECT_EQ(o.values.LHAFreezeType, "4");
    EXPECT_EQ(o.values.CABFreezeLevel, " 15");
    EXPECT_TRUE(o.AlwaysTop);
    EXPECT_FALSE(readCheckMark(again, OrdinaryKind, "ZIP"));
}

TEST_F(IniStore, ValuesWrittenByHandAreReadAsText)
{
    writeText(iniPath(),
              "[Kry]\nDefaultPath=/a,b\nCABFreezeLevel= 16\nFreezeType=1\n"
              "; a comment\n\n[Other]\nx=y\n");
    std::ostringstream errors;
    IniSettingsStore store(iniPath(), errors);
    EXPECT_EQ(store.GetSetting("DefaultPath", ""), "/a,b");
    EXPECT_EQ(readStoredOptions(store, "/").values.CABFreezeLevel, "16");
    EXPECT_EQ(readStoredOptions(store, "/").kind, SelfExtractingKind);
    EXPECT_EQ(store.GetSetting("Missing", "dflt"), "dflt");
    EXPECT_TRUE(errors.str().empty());
    EXPECT_TRUE(store.brokenFileKeptAs().isEmpty());
}

// A file the store cannot parse is kept aside for the user, never overwritten.
TEST_F(IniStore, ABrokenFileIsKeptAsideAndANewOneStarted)
{
    const QByteArray broken = "[Kry\nAlwaysTop=1\n";
    const QByteArray garbage = "[Kry]\nAlwaysTop=1\nthis line is no setting\n";
    const QByteArray notUtf8 = "[Kry]\nDefaultPath=/caf\xe9\n";
    writeText(iniPath() + ".broken", "an earlier one");
    int n = 1;
    for (const QByteArray &content : {broken, garbage, notUtf8}) {
        writeText(iniPath(), content);
        std::ostringstream errors;
        IniSettingsStore store(iniPath(), errors);
        const QString kept = iniPath() + ".broken." + QString::number(n++);
        EXPECT_EQ(store.brokenFileKeptAs(), kept);
        EXPECT_EQ(fileText(kept), content);
        EXPECT_EQ(fileText(iniPath() + ".broken"), "an earlier one");
        const std::string message = errors.str();
        EXPECT_NE(message.find(iniPath().toStdString()), std::string::npos) << message;
        EXPECT_NE(message.find(kept.toStdString()), std::string::npos) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        // The store starts empty and can be written again.
        EXPECT_FALSE(readStoredOptions(store, "/").AlwaysTop);
        EXPECT_TRUE(store.SaveSetting("AlwaysTop", "0"));
        EXPECT_EQ(fileText(iniPath()), "[Kry]\nAlwaysTop=0\n");
    }
}

TEST_F(IniStore, AFailedWriteIsReportedOnTheErrorStream)
{
    // The config home is a plain file: no folder can be made there, not even by root.
    writeText(home_.path() + "/blocker", "x");
    const QString path = home_.path() + "/blocker/Korvane Club.ini";
    std::ostringstream errors;
    IniSettingsStore store(path, errors);
    EXPECT_FALSE(store.SaveSetting("AlwaysTop", "1"));
    const std::string message = errors.str();
    EXPECT_EQ(message.rfind("vexel: " + path.toStdString() + ": 設定を保存できません: ", 0), 0u)
        << message;
    EXPECT_FALSE(SaveSettings(store, "/", false, false, RunSettings{}));
}

TEST(IniText, ReadableTextIsRecognised)
{
    EXPECT_TRUE(isReadableIniText(""));
    EXPECT_TRUE(isReadableIniText("[Kry]\r\nA=1\r\n# note\n; note\n  \n"));
    EXPECT_TRUE(isReadableIniText("[Kry]\nDefaultPath=/ホーム/\n"));
    EXPECT_FALSE(isReadableIniText("[Kry\n"));
    EXPECT_FALSE(isReadableIniText("[Kry]\nloose words\n"));
    EXPECT_FALSE(isReadableIniText("[Kry]\nA=\xff\n"));
}

} // namespace
} // namespace vexel
