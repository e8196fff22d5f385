// The archive file being written. Data goes to a temporary file beside the archive,
// which replaces the archive only on commit(); a failed or stopped call thus never
// leaves a partial archive, and never removes a file it did not write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexel::kit {

class ArchiveOutput {
public:
    explicit ArchiveOutput(std::string archivePath);
    ~ArchiveOutput(); // removes the temporary file unless committed
    ArchiveOutput(const ArchiveOutput &) = delete;
    ArchiveOutput &operator=(const ArchiveOutput &) = delete;

    // Creates the temporary file (mode 0666 less the umask) in the archive's folder.
    bool open(std::string *reason);

    const std::string &archivePath() const { return archivePath_; }
    // The temporary file; for writers (such as a container library) that open by name.
    const std::string &temporaryPath() const { return temporaryPath_; }
    int fd() const { return fd_; }

    // Appends at the current end; sets a reason naming the archive on failure.
    bool write(const void *data, std::size_t size, std::string *reason);
    // Overwrites bytes already written (headers patched after their data).
    bool writeAt(std::uint64_t offset, const void *data, std::size_t size, std::string *reason);
    std::uint64_t size() const { return size_; }
    // Cuts the file back to `size` bytes (a member rewritten in another form).
    bool truncate(std::uint64_t size, std::string *reason);

    // Closes the file and moves it onto the archive path.
    bool commit(std::string *reason);

private:
    void discard();

    std::string archivePath_;
    std::string temporaryPath_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    bool committed_ = false;
};

} // namespace vexel::kit
