#include "Members.h"

#include "Progress.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <utility>

namespace vexel::kit {
namespace {

std::string errnoText() { return std::strerror(errno); }

// Path components without "", "." and "..": a ".." can never climb above the archive root.
std::string cleanStoredName(const std::string &path)
{
    std::string result;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != "." && part != "..") {
            if (!result.empty())
                result.push_back('/');
            result += part;
        }
        start = end + 1;
    }
    return result;
}

std::string joinPath(const std::string &folder, const std::string &name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string joinStored(const std::string &folder, const std::string &name)
{
    return folder.empty() ? name : folder + "/" + name;
}

bool hasWildcard(const std::string &name) { return name.find_first_of("*?") != std::string::npos; }
bool matchesEverything(const std::string &pattern) { return pattern == "*.*" || pattern == "*"; }

class Collector {
public:
    Collector(const CollectOptions &options, std::vector<Member> *members, Progress *progress,
              std::vector<std::string> *warnings)
        : options_(options), members_(members), progress_(progress), warnings_(warnings)
    {}

    bool addListed(const std::string &diskPath, const std::string &storedName, std::string *reason);

private:
    bool addPattern(const std::string &diskFolder, const std::string &storedFolder,
                    const std::string &pattern, std::string *reason);
    bool addFolder(const std::string &diskPath, const std::string &storedName,
                   const struct stat &st, bool withContents, std::string *reason);
    bool addContents(const std::string &diskPath, const std::string &storedName,
                     const std::string &pattern, bool descend, std::string *reason);
    bool addEntry(const std::string &diskPath, const std::string &storedName, bool descend,
                  std::string *reason);
    bool addFile(const std::string &diskPath, const std::string &storedName, const struct stat &st,
                 std::string *reason);
    void push(Member member);
    void warn(std::string text);
    bool stopped(std::string *reason) const;

    const CollectOptions &options_;
    std::vector<Member> *members_;
    Progress *progress_;
    std::vector<std::string> *warnings_;
    std::unordered_set<std::string> storedNames_;
    // The folders on the path being walked, from the listed one down: a folder met again
    // among its own ancestors is a loop. Only there; a folder reached twice by separate
    // paths (a link to a sibling) is walked twice, so neither place loses its contents.
    std::vector<std::pair<dev_t, ino_t>> walkPath_;
};

void Collector::warn(std::string text)
{
    if (warnings_)
        warnings_->push_back(std::move(text));
}

bool Collector::stopped(std::string *reason) const
{
    if (progress_ && progress_->stopRequested()) {
        *reason = "stopped by the user";
        return true;
    }
    return false;
}

void Collector::push(Member member)
{
    if (storedNames_.insert(member.storedName).second)
        members_->push_back(std::move(member));
}

bool Collector::addListed(const std::string &diskPath, const std::string &storedName,
                          std::string *reason)
{
    const std::size_t slash = diskPath.rfind('/');
    const std::string last = slash == std::string::npos ? diskPath : diskPath.substr(slash + 1);
    // "*" and "?" are bytes a Linux name may hold: a listed name that exists as written
    // is that file, not a pattern that would also take in its neighbours.
    struct stat literal {};
    const bool exists = !matchesEverything(last) && ::stat(diskPath.c_str(), &literal) == 0;
    if (hasWildcard(last) && !exists) {
        const std::string folder =
            slash == std::string::npos ? std::string(".") : diskPath.substr(0, slash + 1);
        const std::size_t storedSlash = storedName.rfind('/');
        const std::string storedFolder =
            storedSlash == std::string::npos ? std::string() : storedName.substr(0, storedSlash);
        return addPattern(folder, storedFolder, last, reason);
    }
    struct stat st {};
    if (::stat(diskPath.c_str(), &st) != 0) {
        *reason = "cannot find " + diskPath + ": " + errnoText();
        return false;
    }
    if (S_ISDIR(st.st_mode))
        return addFolder(diskPath, storedName, st, true, reason);
    return addFile(diskPath, storedName, st, reason);
}

bool Collector::addPattern(const std::string &diskFolder, const std::string &storedFolder,
                           const std::string &pattern, std::string *reason)
{
    struct stat st {};
    if (::stat(diskFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *reason =
            "cannot find the folder " + diskFolder + (errno ? ": " + errnoText() : std::string());
        return false;
    }
    if (matchesEverything(pattern))
        return addFolder(diskFolder, storedFolder, st, true, reason);
    const std::size_t before = members_->size();
    if (!addContents(diskFolder, storedFolder, pattern, options_.recurse, reason))
        return false;
    if (members_->size() == before) {
        *reason = "nothing matches " + joinPath(diskFolder, pattern);
        return false;
    }
    return true;
}

// The folder itself (unless it is the archive root), then its contents. A folder that
// is its own ancestor on the walked path (reached through a link) is a loop: it is left
// out with a warning, as everything in it is already stored above.
bool Collector::addFolder(const std::string &diskPath, const std::string &storedName,
                          const struct stat &st, bool withContents, std::string *reason)
{
    const std::pair<dev_t, ino_t> id{st.st_dev, st.st_ino};
    if (withContents && std::find(walkPath_.begin(), walkPath_.end(), id) != walkPath_.end()) {
        warn("skipped " + diskPath + ": a link back to a folder that contains it");
        return true;
    }
    if (options_.foldersAsEntries && !storedName.empty()) {
        Member folder;
        folder.diskPath = diskPath;
        folder.storedName = storedName;
        folder.isFolder = true;
        folder.mtime = st.st_mtim.tv_sec;
        folder.mode = st.st_mode & 07777;
        push(std::move(folder));
    }
    if (!withContents)
        return true;
    walkPath_.push_back(id);
    const bool ok = addContents(diskPath, storedName, "*", options_.recurse, reason);
    walkPath_.pop_back();
    return ok;
}

bool Collector::addContents(const std::string &diskPath, const std::string &storedName,
                            const std::string &pattern, bool descend, std::string *reason)
{
    DIR *dir = ::opendir(diskPath.c_str());
    if (!dir) {
        *reason = "cannot read the folder " + diskPath + ": " + errnoText();
        return false;
    }
    std::vector<std::string> names;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (matchesEverything(pattern) || ::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0)
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end()); // the same tree always gives the same archive
    for (const std::string &name : names) {
        if (stopped(reason))
            return false;
        if (!addEntry(joinPath(diskPath, name), joinStored(storedName, name), descend, reason))
            return false;
    }
    return true;
}

bool Collector::addEntry(const std::string &diskPath, const std::string &storedName, bool descend,
                         std::string *reason)
{
    struct stat st {};
    if (::stat(diskPath.c_str(), &st) != 0) {
        // A link whose target does not exist holds no data to store: it is left out
        // with a warning. Anything else that cannot be read fails the call.
        struct stat link {};
        if (errno == ENOENT && ::lstat(diskPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            warn("skipped " + diskPath + ": a link to nothing");
            return true;
        }
        *reason = "cannot read " + diskPath + ": " + errnoText();
        return false;
    }
    if (S_ISDIR(st.st_mode))
        return addFolder(diskPath, storedName, st, descend, reason);
    return addFile(diskPath, storedName, st, reason);
}

bool Collector::addFile(const std::string &diskPath, const std::string &storedName,
                        const struct stat &st, std::string *reason)
{
    if (!S_ISREG(st.st_mode)) {
        *reason = diskPath + " is not a regular file";
        return false;
    }
    // Found unreadable now rather than halfway through the archive.
    const int fd = ::open(diskPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *reason = "cannot open " + diskPath + ": " + errnoText();
        return false;
    }
    ::close(fd);
    if (storedName.empty()) {
        *reason = "no name to store for " + diskPath;
        return false;
    }
    Member file;
    file.diskPath = diskPath;
    file.storedName = storedName;
    file.size = static_cast<std::uint64_t>(st.st_size);
    file.mtime = st.st_mtim.tv_sec;
    file.mode = st.st_mode & 07777;
    push(std::move(file));
    return true;
}

std::string unquoted(std::string line)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    // A line holds one name, written between double quotes without escaping: the
    // name runs to the last quote, so a name may itself hold double quotes.
    const std::size_t open = line.find('"');
    if (open != std::string::npos) {
        const std::size_t close = line.rfind('"');
        if (close > open && line.find_first_not_of(" \t") == open)
            return line.substr(open + 1, close - open - 1);
    }
    if (line.find_first_not_of(" \t") == std::string::npos)
        return {};
    return line;
}

} // namespace

bool readListFile(const std::string &path, std::vector<std::string> *lines, std::string *reason)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *reason = "cannot read the list file " + path + ": " + errnoText();
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        std::string name = unquoted(line);
        if (!name.empty())
            lines->push_back(std::move(name));
    }
    if (in.bad()) {
        *reason = "cannot read the list file " + path + ": " + errnoText();
        return false;
    }
    return true;
}

bool collectMembers(const ParsedCommand &command, const CollectOptions &options,
                    std::vector<Member> *members, std::string *reason, Progress *progress,
                    std::vector<std::string> *warnings)
{
    std::vector<std::string> lines;
    if (command.listFile.empty()) {
        *reason = "the command line names no list file";
        return false;
    }
    if (!readListFile(command.listFile, &lines, reason))
        return false;
    Collector collector(options, members, progress, warnings);
    for (const std::string &line : lines) {
        std::string relative = line;
        if (!command.baseFolder.empty() && line.rfind(command.baseFolder, 0) == 0)
            relative = line.substr(command.baseFolder.size());
        const bool absolute = !relative.empty() && relative.front() == '/';
        const std::string diskPath = absolute ? relative : joinPath(command.baseFolder, relative);
        errno = 0;
        if (!collector.addListed(diskPath, cleanStoredName(relative), reason))
            return false;
    }
    return true;
}

std::uint64_t totalBytes(const std::vector<Member> &members)
{
    std::uint64_t total = 0;
    for (const Member &m : members)
        total += m.size;
    return total;
}

} // namespace vexel::kit
