#include "run/ListFiles.h"

#include "platform/Files.h"
#include "run/BaseFolder.h"
#include "run/ShellQuote.h"

namespace vexel {

namespace {

bool holdsLineBreak(const std::string &name)
{
    return name.find_first_of("\r\n") != std::string::npos;
}

} // namespace

std::vector<std::string> responseFileLines(const std::vector<std::string> &fileList,
                                           const std::string &baseFolder)
{
    std::vector<std::string> lines;
    lines.reserve(fileList.size());
    for (const std::string &entry : fileList)
        lines.push_back('"' + relativeName(entry, baseFolder) + '"');
    return lines;
}

std::vector<std::string> plainListLines(const std::vector<std::string> &fileList,
                                        const std::string &baseFolder)
{
    std::vector<std::string> lines;
    lines.reserve(fileList.size());
    for (const std::string &entry : fileList)
        lines.push_back(relativeName(entry, baseFolder));
    return lines;
}

std::vector<std::string> scriptHeadLines(const std::string &baseFolder)
{
    if (baseFolder.empty())
        return {};
    return {"cd " + shellQuote(baseFolder)};
}

bool writeListFiles(const std::string &tempBase, const std::vector<std::string> &fileList,
                    const std::string &baseFolder, std::string *error)
{
    for (const std::string &entry : fileList) {
        if (holdsLineBreak(entry)) {
            *error = "改行を含む名前は圧縮できません: " + entry;
            return false;
        }
    }
    std::string reason;
    const bool written =
        platform::writeTextLines(tempBase + ".lst", responseFileLines(fileList, baseFolder),
                                 &reason)
        && platform::writeTextLines(tempBase + ".kst", plainListLines(fileList, baseFolder),
                                    &reason)
        && platform::writeTextLines(tempBase + ".btt", scriptHeadLines(baseFolder), &reason);
    if (!written)
        *error = "一時ファイルを作成できませんでした\n" + reason;
    return written;
}

} // namespace vexel
