#include "platform/Drives.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace vexel::platform {
namespace {

namespace fs = std::filesystem;

// The mount table writes " ", "\t", "\n" and "\\" in names as "\040" and the like.
std::string decodeOctalEscapes(const std::string &field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        const bool escape = field[i] == '\\' && i + 3 < field.size()
            && std::all_of(field.begin() + i + 1, field.begin() + i + 4,
                           [](char c) { return c >= '0' && c <= '7'; });
        if (escape) {
            out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

// /dev/disk/by-label writes unsafe characters of a label as "\xHH".
std::string decodeHexEscapes(const std::string &name)
{
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name.compare(i, 2, "\\x") == 0 && i + 3 < name.size()
            && std::isxdigit(static_cast<unsigned char>(name[i + 2]))
            && std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            out += static_cast<char>(std::stoi(name.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

bool isAtOrBelow(const std::string &path, const std::string &folder)
{
    return path == folder || path.rfind(folder + "/", 0) == 0;
}

bool isUserVolume(const std::string &mountPoint)
{
    return isAtOrBelow(mountPoint, "/media") || isAtOrBelow(mountPoint, "/run/media")
        || isAtOrBelow(mountPoint, "/mnt");
}

std::string canonicalOrEmpty(const fs::path &path)
{
    std::error_code error;
    fs::path real = fs::canonical(path, error);
    return error ? std::string() : real.string();
}

std::string labelFromDiskByLabel(const std::string &source)
{
    if (source.rfind("/dev/", 0) != 0)
        return {};
    const std::string device = canonicalOrEmpty(source);
    std::error_code error;
    for (const fs::directory_entry &link : fs::directory_iterator("/dev/disk/by-label", error)) {
        if (!device.empty() && canonicalOrEmpty(link.path()) == device)
            return decodeHexEscapes(link.path().filename().string());
    }
    return {};
}

std::string readWholeFile(const char *path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::vector<MountEntry> parseMountInfo(const std::string &text)
{
    std::vector<MountEntry> mounts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mount-point options [optional...] - type source options
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;)
            words.push_back(word);
        const auto separator = std::find(words.begin(), words.end(), "-");
        if (words.size() < 5 || separator == words.end() || words.end() - separator < 3)
            continue;
        mounts.push_back({decodeOctalEscapes(words[4]), decodeOctalEscapes(*(separator + 2))});
    }
    return mounts;
}

std::vector<DriveRoot> driveRootsFromMounts(const std::vector<MountEntry> &mounts,
                                            std::string (*labelOfSource)(const std::string &source))
{
    std::string rootLabel;
    std::map<std::string, std::string> volumes; // sorted by path; a later mount wins
    for (const MountEntry &mount : mounts) {
        if (mount.mountPoint == "/")
            rootLabel = labelOfSource(mount.source);
        else if (isUserVolume(mount.mountPoint))
            volumes[mount.mountPoint + "/"] = labelOfSource(mount.source);
    }
    std::vector<DriveRoot> roots{{"/", rootLabel}};
    for (const auto &[path, label] : volumes)
        roots.push_back({path, label});
    return roots;
}

std::vector<DriveRoot> listDriveRoots()
{
    return driveRootsFromMounts(parseMountInfo(readWholeFile("/proc/self/mountinfo")),
                                labelFromDiskByLabel);
}

} // namespace vexel::platform
