#include "platform/TreeSize.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <utility>
#include <vector>

namespace vexel::platform {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

std::int64_t sizeBelow(const std::string &path, std::vector<FolderId> &ancestors)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    if (S_ISREG(st.st_mode))
        return st.st_size;
    if (!S_ISDIR(st.st_mode))
        return 0;
    const FolderId id{st.st_dev, st.st_ino};
    for (const FolderId &a : ancestors)
        if (a == id)
            return 0; // a link back up the tree
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
    if (!dir)
        return 0;
    ancestors.push_back(id);
    std::int64_t bytes = 0;
    const std::string prefix = path.ends_with('/') ? path : path + "/";
    while (const dirent *e = ::readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            bytes += sizeBelow(prefix + name, ancestors);
    }
    ancestors.pop_back();
    return bytes;
}

} // namespace

std::int64_t treeSize(const std::string &entry)
{
    std::string path = entry;
    if (path.ends_with("/*.*"))
        path.erase(path.size() - 3);
    if (path.empty())
        path = ".";
    std::vector<FolderId> ancestors;
    return sizeBelow(path, ancestors);
}

} // namespace vexel::platform
