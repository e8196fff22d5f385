// The archiver lookup: program folder, its ../lib/vexel/, the current directory, PATH.
#include "platform/SearchPath.h"

#include "platform/Files.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace vexel::platform {

namespace fs = std::filesystem;

namespace {

std::string withTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// An absolute, tidy folder ending in "/": a relative PATH entry such as "bin" is
// resolved now, because the folder is later written into a script that runs elsewhere.
std::string absoluteFolder(const std::string &folder)
{
    const QString absolute = QDir(QString::fromStdString(currentDirectory()))
                                 .absoluteFilePath(QString::fromStdString(folder));
    return withTrailingSlash(QDir::cleanPath(absolute).toStdString());
}

bool endsWithIgnoringCase(const std::string &text, const std::string &suffix)
{
    if (text.size() < suffix.size())
        return false;
    return QString::fromStdString(text.substr(text.size() - suffix.size()))
               .compare(QString::fromStdString(suffix), Qt::CaseInsensitive)
        == 0;
}

std::vector<std::string> searchFolders(const std::string &program)
{
    std::vector<std::string> folders{program, absoluteFolder(program + "../lib/vexel/"),
                                     currentDirectory()};
    // An empty PATH entry means the current directory, as it does for the shell.
    const char *path = std::getenv("PATH");
    const QStringList entries = QString::fromUtf8(path ? path : "").split(':');
    for (const QString &entry : entries)
        folders.push_back(absoluteFolder(entry.isEmpty() ? "." : entry.toStdString()));
    return folders;
}

} // namespace

std::string programFolder()
{
    if (QCoreApplication::instance())
        return withTrailingSlash(QCoreApplication::applicationDirPath().toStdString());
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return currentDirectory();
    return withTrailingSlash(self.parent_path().string());
}

SearchPath::SearchPath() : programFolder_(platform::programFolder()) {}

SearchPath::SearchPath(std::string programFolder)
    : programFolder_(withTrailingSlash(std::move(programFolder)))
{}

std::string mapArchiverName(const std::string &name)
{
    if (endsWithIgnoringCase(name, ".dll"))
        return name.substr(0, name.size() - 4) + ".so";
    if (endsWithIgnoringCase(name, ".exe"))
        return name.substr(0, name.size() - 4);
    return name;
}

std::string findEntryIgnoringCase(const std::string &folder, const std::string &name)
{
    std::error_code error;
    if (fs::is_regular_file(fs::path(folder) / name, error))
        return name; // the exact spelling wins over other spellings in the same folder
    const QString wanted = QString::fromStdString(name);
    std::string found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (wanted.compare(QString::fromStdString(entry), Qt::CaseInsensitive) != 0)
            continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        if (found.empty() || entry < found) // several spellings: a stable choice
            found = entry;
    }
    return found;
}

bool findOnSearchPath(const std::string &name, std::string *folder)
{
    return SearchPath().find(name, folder);
}

bool SearchPath::find(const std::string &name, std::string *folder) const
{
    const std::string mapped = mapArchiverName(name);
    if (!mapped.empty() && mapped.find('/') == std::string::npos) {
        for (const std::string &candidate : searchFolders(programFolder_)) {
            if (!findEntryIgnoringCase(candidate, mapped).empty()) {
                if (folder)
                    *folder = candidate;
                return true;
            }
        }
    }
    if (folder)
        folder->clear();
    return false;
}

} // namespace vexel::platform
