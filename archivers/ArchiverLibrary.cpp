// Binding one archiver library's entry points with QLibrary.
#include "archivers/ArchiverLibrary.h"

#include "platform/SearchPath.h"

#include <QLibrary>

#include <vector>

namespace vexel {

struct ArchiverLibrary::Impl {
    // Never unloaded: a library's worker thread may outlive a stopped call, and code
    // that is unmapped under a running thread takes the whole program down.
    QLibrary library;
    ArchiverMainProc main = nullptr;
    ArchiverVersionProc version = nullptr;
    ArchiverOwnerProc setOwner = nullptr;
};

namespace {

// The file to load: the folder's entry that matches the mapped name ignoring case
// ("ZIP32J.DLL" -> zip32j.so), or the mapped name itself so that the loader's own
// message tells why it is missing.
std::string libraryPath(const std::string &folder, const std::string &designName)
{
    const std::string mapped = platform::mapArchiverName(designName);
    const std::string entry = platform::findEntryIgnoringCase(folder, mapped);
    return folder + (entry.empty() ? mapped : entry);
}

template <typename Proc>
Proc resolve(QLibrary &library, const std::string &symbol)
{
    return reinterpret_cast<Proc>(library.resolve(symbol.c_str()));
}

} // namespace

ArchiverLibrary::ArchiverLibrary(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

ArchiverLibrary::~ArchiverLibrary() = default;

std::unique_ptr<ArchiverLibrary> ArchiverLibrary::load(const std::string &folder,
                                                       const std::string &designName,
                                                       const std::string &prefix,
                                                       std::string *error)
{
    const std::string path = libraryPath(folder, designName);
    auto impl = std::make_unique<Impl>();
    impl->library.setFileName(QString::fromStdString(path));
    impl->library.setLoadHints(QLibrary::PreventUnloadHint);
    if (!impl->library.load()) {
        if (error)
            *error = impl->library.errorString().toStdString();
        return nullptr;
    }
    impl->main = resolve<ArchiverMainProc>(impl->library, prefix);
    impl->version = resolve<ArchiverVersionProc>(impl->library, prefix + "GetVersion");
    impl->setOwner = resolve<ArchiverOwnerProc>(impl->library, prefix + "SetOwnerWindowEx");
    const std::string missing = !impl->main ? prefix : !impl->version ? prefix + "GetVersion" : "";
    if (!missing.empty()) {
        if (error)
            *error = path + ": the entry point " + missing + " is missing";
        return nullptr;
    }
    return std::unique_ptr<ArchiverLibrary>(new ArchiverLibrary(std::move(impl)));
}

int ArchiverLibrary::run(void *window, const std::string &commandLine, std::string *output) const
{
    // One byte more than the library is told about, so the text always ends.
    std::vector<char> buffer(KRY_OUTPUT_SIZE + 1, '\0');
    const int result = impl_->main(window, commandLine.c_str(), buffer.data(), KRY_OUTPUT_SIZE);
    if (output)
        *output = buffer.data();
    return result;
}

bool ArchiverLibrary::setOwnerWindow(void *window, ARCHIVERPROC callback) const
{
    if (!impl_->setOwner)
        return false;
    impl_->setOwner(window, callback);
    return true;
}

std::uint16_t ArchiverLibrary::version() const { return impl_->version(); }

std::string ArchiverLibrary::path() const { return impl_->library.fileName().toStdString(); }

} // namespace vexel
