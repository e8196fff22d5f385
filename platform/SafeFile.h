// A file written under a temporary name beside its destination and renamed over it only
// when complete, so that a failed write never truncates nor destroys what was there.
#pragma once

#include <cstddef>
#include <string>

namespace vexel::platform {

class SafeFile {
public:
    explicit SafeFile(std::string destination);
    ~SafeFile(); // removes the temporary file unless commit() succeeded
    SafeFile(const SafeFile &) = delete;
    SafeFile &operator=(const SafeFile &) = delete;

    // Each returns false on failure and puts the path and the system's reason in *error.
    bool open(std::string *error);
    bool write(const char *data, std::size_t size, std::string *error);
    bool commit(std::string *error); // flushes to disk, then renames over the destination

private:
    void discard();

    std::string destination_;
    std::string temporary_;
    int fd_ = -1;
};

// Puts "<path>: <reason of errno>" in *error (when error is not null).
void setSystemError(std::string *error, const std::string &path);

} // namespace vexel::platform
