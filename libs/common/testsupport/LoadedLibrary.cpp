#include "LoadedLibrary.h"

#include "TestTree.h"

#include <dlfcn.h>

namespace vexel::testsupport {

std::string LoadedLibrary::libraryFolder() { return VEXEL_LIBRARY_DIR "/"; }

LoadedLibrary::LoadedLibrary(const std::string &fileName)
{
    handle_ = ::dlopen((libraryFolder() + fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        error_ = ::dlerror();
}

LoadedLibrary::~LoadedLibrary()
{
    if (handle_)
        ::dlclose(handle_);
}

void *LoadedLibrary::symbol(const std::string &name) const
{
    return handle_ ? ::dlsym(handle_, name.c_str()) : nullptr;
}

int LoadedLibrary::run(const std::string &prefix, const std::string &commandLine,
                       std::string *output, void *window) const
{
    const auto entry = reinterpret_cast<ArchiverMainProc>(symbol(prefix));
    if (!entry)
        return -1;
    char buffer[KRY_OUTPUT_SIZE] = "";
    const int rc = entry(window, commandLine.c_str(), buffer, sizeof buffer);
    if (output)
        *output = buffer;
    return rc;
}

bool LoadedLibrary::setOwner(const std::string &prefix, void *window, ARCHIVERPROC callback) const
{
    const auto set = reinterpret_cast<ArchiverOwnerProc>(symbol(prefix + "SetOwnerWindowEx"));
    if (!set)
        return false;
    set(window, callback);
    return true;
}

std::string libraryCommandLine(const std::string &switches, const std::string &archive,
                               const std::string &base, const std::string &listPath,
                               const std::string &listLines)
{
    writeFile(listPath, listLines);
    const std::string baseArgument = base.empty() ? std::string() : "\"" + base + "\"";
    return switches + " \"" + archive + "\" " + baseArgument + " @" + listPath;
}

} // namespace vexel::testsupport
