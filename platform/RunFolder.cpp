// The run's private temporary folder.
#include "platform/RunFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace vexel::platform {

RunFolder::RunFolder()
{
    // mkdtemp makes the folder with mode 0700 under a name no other user can guess,
    // and fails rather than reuse a folder someone else prepared.
    // TMPDIR is taken as its bytes: a folder name need not be UTF-8, and a decoded and
    // re-encoded name would be another folder. One that names no folder makes mkdtemp
    // fail with the true reason.
    const char *tmpdir = std::getenv("TMPDIR");
    const std::string base = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string pattern = base + (base.ends_with('/') ? "" : "/") + "vexel-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        error_ = base + ": " + std::strerror(errno);
        return;
    }
    path_ = std::string(name.data()) + "/";
}

namespace {

// Gives the owner full rights on every folder below `folder` (links are not followed),
// so that a folder an archiver left read-only cannot keep its content from removal.
void unlockFolders(const std::filesystem::path &folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError))
            unlockFolders(it->path());
    }
}

} // namespace

RunFolder::~RunFolder()
{
    if (path_.empty())
        return;
    // Nothing to report to at this point: removal is best effort, with a second try.
    std::error_code error;
    if (std::filesystem::remove_all(path_, error) == static_cast<std::uintmax_t>(-1) || error) {
        unlockFolders(path_);
        std::filesystem::remove_all(path_, error);
    }
}

} // namespace vexel::platform
