// Helpers for the cabinet tests: a private temporary folder, whole-file reads and
// writes, running the reference tools, and comparing extracted trees.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace cabtest {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "vexel-cab-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const fs::path &path() const { return path_; }

private:
    fs::path path_;
};

inline void writeBytes(const fs::path &path, const Bytes &data)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(data.data()), std::streamsize(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

inline Bytes readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline std::string shellQuote(const std::string &text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct ToolResult {
    int exitCode = -1;
    std::string output;
};

// Runs a shell command, capturing stdout and stderr together.
inline ToolResult runTool(const std::string &command)
{
    ToolResult result;
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Every regular file below `root`, by relative path, with its contents.
inline std::map<std::string, Bytes> filesBelow(const fs::path &root)
{
    std::map<std::string, Bytes> files;
    for (const auto &entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = readBytes(entry.path());
    return files;
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

} // namespace cabtest
