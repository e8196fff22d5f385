// File operations of the run over POSIX calls.
#include "platform/Files.h"

#include "platform/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vexel::platform {

namespace fs = std::filesystem;

namespace {

struct SplitPattern {
    std::string folder;   // "" means the current directory
    std::string wildcard; // the last component
};

SplitPattern splitPattern(const std::string &pattern)
{
    const auto slash = pattern.rfind('/');
    if (slash == std::string::npos)
        return {"", pattern};
    return {pattern.substr(0, slash + 1), pattern.substr(slash + 1)};
}

// The non-folder entries of the pattern's folder whose names match its last component.
// A leading dot must be matched explicitly, as in the shell, so "*" never takes ".x".
std::vector<std::string> matchingFiles(const std::string &pattern)
{
    const SplitPattern split = splitPattern(pattern);
    std::vector<std::string> matches;
    if (split.wildcard.empty())
        return matches;
    std::error_code error;
    const fs::path folder = split.folder.empty() ? fs::path(".") : fs::path(split.folder);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (fnmatch(split.wildcard.c_str(), name.c_str(), FNM_PERIOD) != 0)
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError))
            continue;
        matches.push_back(split.folder + name);
    }
    return matches;
}

} // namespace

bool fileExists(const std::string &path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::int64_t fileSize(const std::string &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

int deleteMatching(const std::string &pattern)
{
    int deleted = 0;
    for (const std::string &path : matchingFiles(pattern)) {
        if (::unlink(path.c_str()) == 0)
            ++deleted;
    }
    return deleted;
}

bool anyMatching(const std::string &pattern) { return !matchingFiles(pattern).empty(); }

bool writeTextLines(const std::string &path, const std::vector<std::string> &lines,
                    std::string *error)
{
    std::string text;
    for (const std::string &line : lines) {
        text += line;
        text += '\n';
    }
    SafeFile file(path);
    return file.open(error) && file.write(text.data(), text.size(), error) && file.commit(error);
}

bool copyReplacing(const std::string &from, const std::string &to, std::string *error)
{
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        setSystemError(error, from);
        return false;
    }
    SafeFile file(to);
    bool ok = file.open(error);
    std::vector<char> buffer(1 << 20);
    while (ok) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            setSystemError(error, from);
            ok = false;
        } else if (got == 0) {
            break;
        } else {
            ok = file.write(buffer.data(), static_cast<std::size_t>(got), error);
        }
    }
    ::close(source);
    return ok && file.commit(error);
}

bool setCurrentDirectory(const std::string &folder) { return ::chdir(folder.c_str()) == 0; }

std::string currentDirectory()
{
    std::error_code error;
    std::string folder = fs::current_path(error).string();
    if (error)
        return "/";
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace vexel::platform
