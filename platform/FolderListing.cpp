#include "platform/FolderListing.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace vexel::platform {
namespace {

// Owns an open directory stream so every return path closes it.
class DirReader {
public:
    explicit DirReader(const std::string &folder)
        : dir_(opendir(folder.empty() ? "." : folder.c_str())), error_(dir_ ? 0 : errno) {}
    ~DirReader() { if (dir_) closedir(dir_); }
    DirReader(const DirReader &) = delete;
    DirReader &operator=(const DirReader &) = delete;

    int error() const { return error_; }

    // The next entry other than "." and "..", or null at the end or on a read error
    // (then error() is set).
    const dirent *next() {
        for (;;) {
            errno = 0;
            const dirent *entry = readdir(dir_);
            if (!entry) {
                error_ = errno;
                return nullptr;
            }
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                return entry;
        }
    }

    // Most file systems fill d_type; links and the others need a look at the target.
    bool isSubfolder(const dirent *entry) const {
        if (entry->d_type == DT_DIR)
            return true;
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            return false;
        struct stat info;
        return fstatat(dirfd(dir_), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
    }

private:
    DIR *dir_;
    int error_;
};

} // namespace

FolderList listSubfolders(const std::string &folder) {
    FolderList list;
    DirReader reader(folder);
    if (reader.error()) {
        list.error = reader.error();
        return list;
    }
    while (const dirent *entry = reader.next()) {
        if (reader.isSubfolder(entry))
            list.names.emplace_back(entry->d_name);
    }
    list.error = reader.error();
    return list;
}

bool hasSubfolder(const std::string &folder) {
    DirReader reader(folder);
    if (reader.error())
        return false;
    while (const dirent *entry = reader.next()) {
        if (reader.isSubfolder(entry))
            return true;
    }
    return false;
}

int probeFolder(const std::string &folder) {
    DirReader reader(folder);
    if (reader.error())
        return reader.error();
    reader.next();
    return reader.error();
}

bool isFolder(const std::string &path) {
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string errorDescription(int code) {
    return std::strerror(code);
}

} // namespace vexel::platform
