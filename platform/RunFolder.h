// The private temporary folder of one run: made under the system's temporary folder
// (TMPDIR is honoured) with mode 0700 and an unpredictable name, removed with all its
// content when the object goes away, whatever way the run ended.
#pragma once

#include <string>

namespace vexel::platform {

class RunFolder {
public:
    RunFolder();  // creates the folder; check ok()
    ~RunFolder(); // removes it and everything in it
    RunFolder(const RunFolder &) = delete;
    RunFolder &operator=(const RunFolder &) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string &path() const { return path_; }   // ends in "/"
    const std::string &error() const { return error_; } // why it could not be made

private:
    std::string path_;
    std::string error_;
};

} // namespace vexel::platform
