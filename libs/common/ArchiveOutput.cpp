#include "ArchiveOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace vexel::kit {
namespace {

std::string systemReason(const std::string &what, const std::string &path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

std::string randomSuffix()
{
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::string suffix;
    for (int i = 0; i < 8; ++i)
        suffix.push_back(digits[device() % (sizeof digits - 1)]);
    return suffix;
}

} // namespace

ArchiveOutput::ArchiveOutput(std::string archivePath) : archivePath_(std::move(archivePath)) {}

ArchiveOutput::~ArchiveOutput()
{
    if (!committed_)
        discard();
}

bool ArchiveOutput::open(std::string *reason)
{
    // O_EXCL with a fresh random name: never truncates a file someone else owns.
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporaryPath_ = archivePath_ + ".part-" + randomSuffix();
        fd_ = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    *reason = systemReason("cannot create the archive", archivePath_);
    temporaryPath_.clear();
    return false;
}

bool ArchiveOutput::write(const void *data, std::size_t size, std::string *reason)
{
    if (!writeAt(size_, data, size, reason))
        return false;
    return true;
}

bool ArchiveOutput::writeAt(std::uint64_t offset, const void *data, std::size_t size,
                            std::string *reason)
{
    const char *bytes = static_cast<const char *>(data);
    std::uint64_t at = offset;
    while (size > 0) {
        const ssize_t n = ::pwrite(fd_, bytes, size, static_cast<off_t>(at));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *reason = systemReason("cannot write the archive", archivePath_);
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        at += static_cast<std::uint64_t>(n);
    }
    if (at > size_)
        size_ = at;
    return true;
}

bool ArchiveOutput::truncate(std::uint64_t size, std::string *reason)
{
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        *reason = systemReason("cannot write the archive", archivePath_);
        return false;
    }
    size_ = size;
    return true;
}

bool ArchiveOutput::commit(std::string *reason)
{
    if (fd_ < 0) {
        *reason = "the archive " + archivePath_ + " was not opened";
        return false;
    }
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) {
        *reason = systemReason("cannot write the archive", archivePath_);
        return false;
    }
    if (std::rename(temporaryPath_.c_str(), archivePath_.c_str()) != 0) {
        *reason = systemReason("cannot create the archive", archivePath_);
        return false;
    }
    committed_ = true;
    return true;
}

void ArchiveOutput::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporaryPath_.empty())
        ::unlink(temporaryPath_.c_str());
}

} // namespace vexel::kit
