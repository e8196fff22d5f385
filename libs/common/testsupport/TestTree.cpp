#include "TestTree.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vexel::testsupport {
namespace {

std::uint64_t nextRandom(std::uint64_t &state)
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 2685821657736338717ULL;
}

std::string randomBytes(std::size_t size, std::uint64_t seed)
{
    std::string out(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<char>(nextRandom(seed) >> 56);
    return out;
}

// Text-like bytes: compressible, but not trivially.
std::string textBytes(std::size_t size, std::uint64_t seed)
{
    static const char *words[] = {"archive ", "folder ", "the ",     "smallest ", "member ",
                                  "of ",      "header ", "stream\n", "data ",     "and ",
                                  "level ",   "name ",   "12345 ",   "\t"};
    std::string out;
    out.reserve(size + 16);
    while (out.size() < size)
        out += words[nextRandom(seed) % (sizeof words / sizeof *words)];
    out.resize(size);
    return out;
}

std::uint64_t hashFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::uint64_t hash = 1469598103934665603ULL; // FNV-1a
    char buffer[1 << 16];
    while (in) {
        in.read(buffer, sizeof buffer);
        for (std::streamsize i = 0; i < in.gcount(); ++i) {
            hash ^= static_cast<unsigned char>(buffer[i]);
            hash *= 1099511628211ULL;
        }
    }
    return hash;
}

} // namespace

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "vexel-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern + "/";
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    // Folders made unreadable by a test must be readable again to be removed.
    for (auto it = fs::recursive_directory_iterator(
             path_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

void writeFile(const std::string &path, const std::string &bytes)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool fileExists(const std::string &path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}

void buildTree(const std::string &folder, const TreeOptions &options)
{
    const fs::path root = folder;
    writeFile((root / "empty.txt").string(), "");
    writeFile((root / "one byte.bin").string(), "x");
    writeFile((root / "random.bin").string(),
              randomBytes(1536 * 1024, 7)); // beyond ZIP's 1 MiB probe
    writeFile((root / "text.txt").string(), textBytes(300 * 1000, 11));
    for (int i = 0; i < 150; ++i)
        writeFile((root / "many" / ("f" + std::to_string(i) + ".dat")).string(),
                  i % 3 ? textBytes(static_cast<std::size_t>(i * 37), i)
                        : randomBytes(static_cast<std::size_t>(i), i));
    writeFile((root / "nested" / "a" / "b" / "c" / "deep.txt").string(), textBytes(5000, 3));
    fs::create_directories(root / "empty folder");
    fs::create_directories(root / "nested" / "a" / "empty inside");
    writeFile((root / "日本語フォルダ" / "テスト ファイル.txt").string(), textBytes(2000, 5));
    writeFile((root / "日本語フォルダ" / "表.csv").string(), "a,b\n1,2\n");
    if (options.nonCp932Names) {
        writeFile((root / "Ünïcødé" / "naïve café.txt").string(), textBytes(700, 9));
        writeFile((root / "emoji 😀.txt").string(), "smile");
    }
    if (options.bigFile) {
        // Sixteen reads of 256 KiB and dozens of compressor blocks: what a big file
        // does to a library shows at this size already.
        std::string big = textBytes(2400 * 1000, 13) + randomBytes(1600 * 1000, 17);
        writeFile((root / "big" / "four megabytes.bin").string(), big);
    }
}

std::map<std::string, TreeEntry> scanTree(const std::string &folder)
{
    std::map<std::string, TreeEntry> entries;
    for (const auto &item : fs::recursive_directory_iterator(folder)) {
        TreeEntry entry;
        entry.isFolder = item.is_directory();
        if (!entry.isFolder) {
            entry.size = item.file_size();
            entry.hash = hashFile(item.path());
        }
        entries[fs::relative(item.path(), folder).generic_string()] = entry;
    }
    return entries;
}

std::string compareTrees(const std::map<std::string, TreeEntry> &expected,
                         const std::map<std::string, TreeEntry> &actual)
{
    std::string report;
    for (const auto &[name, entry] : expected) {
        const auto it = actual.find(name);
        if (it == actual.end())
            report += "missing: " + name + "\n";
        else if (it->second.isFolder != entry.isFolder)
            report += "kind differs: " + name + "\n";
        else if (it->second.size != entry.size || it->second.hash != entry.hash)
            report += "contents differ: " + name + "\n";
    }
    for (const auto &[name, entry] : actual)
        if (!expected.count(name))
            report += "unexpected: " + name + "\n";
    return report;
}

std::string shellQuote(const std::string &text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string python3()
{
    return ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

int runCommand(const std::string &command, std::string *output)
{
    std::FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        if (output)
            output->append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int runUnprivileged(const std::function<int(std::string *text)> &work, std::string *text)
{
    if (::geteuid() != 0)
        return work(text);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return -2;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(254);
        std::string childText;
        const int rc = work(&childText);
        (void)!::write(pipeEnds[1], childText.data(), childText.size());
        ::_exit(rc & 0x7F);
    }
    ::close(pipeEnds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        text->append(buffer, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 254)
        return -2;
    return WEXITSTATUS(status);
}

} // namespace vexel::testsupport
