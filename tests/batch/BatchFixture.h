// A batch run's setting: a corpus with awkward names, a save folder, a private TMPDIR,
// a settings folder (XDG_CONFIG_HOME) holding a settings file, and an environment
// without any display variable. Every test ends by checking that the settings file
// was left exactly as it was.
#pragma once

#include "VexelChild.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace vexel::test {

class BatchFixture : public ::testing::Test {
protected:
    QTemporaryDir root;
    std::string top = root.path().toStdString() + "/";
    std::string source = top + "src/";
    std::string save = top + "save/";
    std::string tmp = top + "tmp/";
    std::string config = top + "config/";
    std::string capture = top + "capture/";
    std::string settingsFile = config + "Korvane Club.ini";
    std::map<std::string, std::string> env;

    void SetUp() override
    {
        for (const std::string &folder : {source, save, tmp, config, capture, top + "home/"})
            std::filesystem::create_directories(folder);
        // Names a shell, a quoting rule or a decoder could break.
        writeFile(source + "a b.txt", corpusText(40000, 1));
        writeFile(source + "quote'\"$x`.txt", corpusText(9000, 2));
        writeFile(source + "日本語の名前.txt", corpusText(12000, 3));
        writeFile(source + "bad\xff\xfe name.txt", corpusText(7000, 4));
        writeFile(source + "-dash.txt", "a name that looks like an option");
        writeFile(source + "sub dir/inner.txt", corpusText(30000, 5));
        writeFile(settingsFile, "[Kry]\nDLLVisible=1\nZIPFreezeLevel=6\n");
        settingsBefore = snapshot(config);

        env = {{"PATH", "/usr/bin:/bin"},
               {"HOME", top + "home"},
               {"XDG_CONFIG_HOME", config},
               {"TMPDIR", tmp},
               {"LANG", "C.UTF-8"}};
    }

    // Replaces the settings file; the new one is what must stay unchanged.
    void storeSettings(const std::string &text)
    {
        writeFile(settingsFile, text);
        settingsBefore = snapshot(config);
    }

    void TearDown() override
    {
        EXPECT_EQ(snapshot(config), settingsBefore) << "the settings folder was changed";
        // QTemporaryDir cannot remove names that are not UTF-8.
        std::error_code error;
        std::filesystem::remove_all(top, error);
    }

    // Runs vexel in `top` and waits for it.
    ChildResult run(const std::vector<std::string> &args)
    {
        VexelChild child(VEXEL_PROGRAM, args, env, top, capture);
        EXPECT_TRUE(child.started());
        return child.wait();
    }

    static void writeFile(const std::string &path, const std::string &text)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    // Word salad from a fixed seed: compressible, but not trivially.
    static std::string corpusText(std::size_t bytes, unsigned seed)
    {
        static const char *const words[] = {
            "archive", "smallest", "format", "level", "folder", "member", "window", "batch", "size",
            "run",     "圧縮",     "書庫",   "the",   "of",     "and",    "0x1F",   "42"};
        std::string text;
        std::uint32_t state = seed * 2654435761u + 1;
        while (text.size() < bytes) {
            state = state * 1664525u + 1013904223u;
            text += words[(state >> 16) % (sizeof words / sizeof *words)];
            text += (state & 0x70) == 0 ? "\n" : " ";
        }
        return text;
    }

    static std::vector<std::string> namesIn(const std::string &folder)
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }

    // Every file below `folder` with its bytes and modification time.
    static std::map<std::string, std::string> snapshot(const std::string &folder)
    {
        std::map<std::string, std::string> files;
        for (const auto &entry : std::filesystem::recursive_directory_iterator(folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const auto time =
                std::filesystem::last_write_time(entry.path()).time_since_epoch().count();
            files[entry.path().string()] = std::to_string(time) + ":" + bytes;
        }
        return files;
    }

private:
    std::map<std::string, std::string> settingsBefore;
};

} // namespace vexel::test
