// cab32.so loaded the way the program loads it: dlopen and the three C entry points.
#pragma once

#include "KryUnPackDec.h"

#include <dlfcn.h>
#include <stdexcept>
#include <string>

namespace cabtest {

class Cab32Library {
public:
    Cab32Library()
    {
        handle_ = dlopen(CAB32_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!handle_)
            throw std::runtime_error(dlerror());
        cab_ = reinterpret_cast<ArchiverMainProc>(bind("Cab"));
        version_ = reinterpret_cast<ArchiverVersionProc>(bind("CabGetVersion"));
        owner_ = reinterpret_cast<ArchiverOwnerProc>(bind("CabSetOwnerWindowEx"));
    }
    ~Cab32Library() { dlclose(handle_); }
    Cab32Library(const Cab32Library &) = delete;
    Cab32Library &operator=(const Cab32Library &) = delete;

    // The main entry; *output gets its one-line reason.
    int run(const std::string &commandLine, std::string *output = nullptr) const
    {
        char buffer[KRY_OUTPUT_SIZE] = "";
        const int rc = cab_(nullptr, commandLine.c_str(), buffer, sizeof buffer);
        if (output)
            *output = buffer;
        return rc;
    }
    void setOwner(ARCHIVERPROC callback) const { owner_(nullptr, callback); }
    std::uint16_t version() const { return version_(); }

private:
    void *bind(const char *name)
    {
        void *symbol = dlsym(handle_, name);
        if (!symbol)
            throw std::runtime_error(std::string("cab32.so lacks ") + name);
        return symbol;
    }

    void *handle_ = nullptr;
    ArchiverMainProc cab_ = nullptr;
    ArchiverVersionProc version_ = nullptr;
    ArchiverOwnerProc owner_ = nullptr;
};

// The command line the program builds, with the display off.
inline std::string cabCommand(const std::string &method, const std::string &cabPath, const std::string &base,
                              const std::string &listPath)
{
    return "-a -r -i " + method + " \"" + cabPath + "\" \"" + base + "\" @" + listPath;
}

} // namespace cabtest
