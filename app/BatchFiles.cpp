#include "app/BatchFiles.h"

#include "platform/PathKind.h"

#include <filesystem>

namespace vexel {

namespace {

// Lexical only (no link resolved, nothing looked up): a name stays the name the user gave.
std::string absoluteTidyPath(const std::string &name, const std::string &currentDir)
{
    const std::filesystem::path joined = name.starts_with('/')
        ? std::filesystem::path(name)
        : std::filesystem::path(currentDir) / name;
    std::string tidy = joined.lexically_normal().string();
    while (tidy.size() > 1 && tidy.back() == '/')
        tidy.pop_back();
    return tidy;
}

} // namespace

std::string batchFileListEntry(const std::string &name, const std::string &currentDir)
{
    const std::string full = absoluteTidyPath(name, currentDir);
    // "name/" names a folder, as it does for the system: a file there is no match.
    const bool folderOnly = name.ends_with('/');
    switch (platform::pathKind(full)) {
    case platform::PathKind::Missing: return {};
    case platform::PathKind::File: return folderOnly ? std::string() : full;
    case platform::PathKind::Folder: break;
    }
    return full + (full.ends_with('/') ? "*.*" : "/*.*");
}

std::string batchSaveFolder(const std::string &saveDir, const std::string &currentDir)
{
    if (saveDir.empty())
        return currentDir;
    const std::string full = absoluteTidyPath(saveDir, currentDir);
    if (platform::pathKind(full) != platform::PathKind::Folder)
        return {};
    return full.ends_with('/') ? full : full + "/";
}

} // namespace vexel
