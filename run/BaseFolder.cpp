#include "run/BaseFolder.h"

#include <algorithm>
#include <string_view>

namespace vexel {

namespace {

constexpr std::string_view kAllEntries = "*.*";

// The folder holding what the entry names, with its trailing "/", or empty when the
// entry has none (a bare name, or the root itself).
std::string_view parentFolder(std::string_view entry)
{
    if (entry.ends_with(kAllEntries)) {
        entry.remove_suffix(kAllEntries.size());
        if (entry.ends_with('/'))
            entry.remove_suffix(1); // "X/*.*" names the folder X
    }
    const auto slash = entry.rfind('/');
    return slash == std::string_view::npos ? std::string_view{} : entry.substr(0, slash + 1);
}

// The longest prefix of `a` and `b` that ends in "/".
std::string_view commonFolder(std::string_view a, std::string_view b)
{
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first;
    const std::string_view shared = a.substr(0, static_cast<size_t>(mismatch - a.begin()));
    const auto slash = shared.rfind('/');
    return slash == std::string_view::npos ? std::string_view{} : shared.substr(0, slash + 1);
}

} // namespace

std::string BaseFolder(const std::vector<std::string> &fileList)
{
    if (fileList.empty())
        return {};
    std::string_view base = parentFolder(fileList.front());
    for (const std::string &entry : fileList) {
        if (base.empty())
            break;
        base = commonFolder(base, parentFolder(entry));
    }
    return std::string(base);
}

std::string_view relativeName(const std::string &entry, const std::string &baseFolder)
{
    std::string_view name = entry;
    if (name.starts_with(baseFolder))
        name.remove_prefix(baseFolder.size());
    return name;
}

} // namespace vexel
