// Helpers for the cabinet tests, beside the libraries' shared test support: inputs as
// byte vectors, and the command line the program hands to cab32.so.
#pragma once

#include "TestTree.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace cabtest {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using vexel::testsupport::TempFolder;

inline void writeBytes(const fs::path &path, const Bytes &data)
{
    fs::create_directories(path.parent_path());
    vexel::testsupport::writeFile(path.string(), std::string(data.begin(), data.end()));
}

inline Bytes readBytes(const fs::path &path)
{
    const std::string text = vexel::testsupport::readFile(path.string());
    return Bytes(text.begin(), text.end());
}

inline Bytes randomBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    Bytes data(size);
    for (auto &b : data)
        b = std::uint8_t(rng());
    return data;
}

// Word-like text with a skewed vocabulary, the kind of data LZX should shrink well.
inline Bytes textBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<std::string> words;
    for (int i = 0; i < 2000; ++i) {
        std::string w;
        for (unsigned n = 2 + rng() % 8; n > 0; --n)
            w += char('a' + rng() % 26);
        words.push_back(w);
    }
    Bytes data;
    data.reserve(size + 16);
    std::geometric_distribution<int> pick(0.01);
    while (data.size() < size) {
        const std::string &w = words[std::size_t(pick(rng)) % words.size()];
        data.insert(data.end(), w.begin(), w.end());
        data.push_back(rng() % 12 == 0 ? '\n' : ' ');
    }
    data.resize(size);
    return data;
}

// The command line the program builds for a cabinet, with the display off.
inline std::string cabCommand(const std::string &method, const std::string &cabPath,
                              const std::string &base, const std::string &listPath)
{
    return "-a -r -i " + method + " \"" + cabPath + "\" \"" + base + "\" @" + listPath;
}

} // namespace cabtest
