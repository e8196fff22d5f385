// Temporary-name-then-rename writing.
#include "platform/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace vexel::platform {

namespace {

// Enough tries to get past stale leftovers of crashed programs; names are random.
constexpr int kNameAttempts = 100;
// The temporary name holds at most this much of the destination's name, so that it
// stays within the 255 bytes a file name may have.
constexpr std::size_t kNameStemLimit = 200;

std::string folderOf(const std::string &path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string randomSuffix()
{
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::string suffix;
    for (int i = 0; i < 10; ++i)
        suffix += kLetters[device() % (sizeof kLetters - 1)];
    return suffix;
}

void syncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // best effort: the rename is already done
        ::close(fd);
    }
}

} // namespace

void setSystemError(std::string *error, const std::string &path)
{
    if (error)
        *error = path + ": " + std::strerror(errno);
}

SafeFile::SafeFile(std::string destination) : destination_(std::move(destination)) {}

SafeFile::~SafeFile() { discard(); }

bool SafeFile::open(std::string *error)
{
    // The temporary name starts with a dot so that a listing of the folder does not show
    // it as a finished archive; O_EXCL keeps it from taking over anything that exists.
    const auto slash = destination_.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : destination_.substr(0, slash + 1);
    const std::string name = destination_.substr(folder.size()).substr(0, kNameStemLimit);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary_ = folder + "." + name + ".part-" + randomSuffix();
        // 0666 before the umask: the finished file gets the permissions of any new file.
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    setSystemError(error, destination_);
    temporary_.clear();
    return false;
}

bool SafeFile::write(const char *data, std::size_t size, std::string *error)
{
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0) {
            setSystemError(error, destination_);
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool SafeFile::commit(std::string *error)
{
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
        fd_ = -1;
        setSystemError(error, destination_);
        return false;
    }
    fd_ = -1;
    if (::rename(temporary_.c_str(), destination_.c_str()) != 0) {
        setSystemError(error, destination_);
        return false;
    }
    temporary_.clear();
    syncFolder(folderOf(destination_));
    return true;
}

void SafeFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

} // namespace vexel::platform
