#include "InputFile.h"

#include "Progress.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace vexel::kit {
namespace {

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

} // namespace

bool readMember(const Member &member, Progress &progress, const ChunkSink &sink,
                std::string *reason, std::size_t chunkSize)
{
    FileHandle file(::open(member.diskPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd() < 0) {
        *reason = "cannot open " + member.diskPath + ": " + std::strerror(errno);
        return false;
    }
    // No bigger than the file (plus the byte that tells it grew): thousands of small
    // members then never pay for a large zero-filled buffer each.
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(chunkSize, member.size + 1)));
    std::uint64_t total = 0;
    while (true) {
        const ssize_t n = ::read(file.fd(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *reason = "cannot read " + member.diskPath + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0)
            break;
        total += static_cast<std::uint64_t>(n);
        if (total > member.size)
            break;
        if (!sink(buffer.data(), static_cast<std::size_t>(n), reason))
            return false;
        if (!progress.advanceRead(member.storedName, total, static_cast<std::uint64_t>(n))) {
            *reason = "stopped by the user";
            return false;
        }
    }
    if (total != member.size) {
        *reason = member.diskPath + " changed while it was being archived";
        return false;
    }
    return true;
}

} // namespace vexel::kit
