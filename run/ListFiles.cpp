#include "run/ListFiles.h"

#include "platform/Files.h"
#include "platform/SafeFile.h"
#include "run/BaseFolder.h"
#include "run/ShellQuote.h"

namespace vexel {

namespace {

bool holdsLineBreak(const std::string &name)
{
    return name.find_first_of("\r\n") != std::string::npos;
}

// One line per entry, `quote` around each name. Built as one string: a list of 100,000
// entries is then written without a small allocation per line.
std::string listText(const std::vector<std::string> &fileList, const std::string &baseFolder,
                     const char *quote)
{
    std::size_t size = 0;
    for (const std::string &entry : fileList)
        size += entry.size() + 3;
    std::string text;
    text.reserve(size);
    for (const std::string &entry : fileList) {
        text += quote;
        text += relativeName(entry, baseFolder);
        text += quote;
        text += '\n';
    }
    return text;
}

bool writeText(const std::string &path, const std::string &text, std::string *reason)
{
    platform::SafeFile file(path);
    return file.open(reason) && file.write(text.data(), text.size(), reason) && file.commit(reason);
}

} // namespace

std::string responseFileText(const std::vector<std::string> &fileList,
                             const std::string &baseFolder)
{
    return listText(fileList, baseFolder, "\"");
}

std::string plainListText(const std::vector<std::string> &fileList, const std::string &baseFolder)
{
    return listText(fileList, baseFolder, "");
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
        writeText(tempBase + ".lst", responseFileText(fileList, baseFolder), &reason)
        && writeText(tempBase + ".kst", plainListText(fileList, baseFolder), &reason)
        && platform::writeTextLines(tempBase + ".btt", scriptHeadLines(baseFolder), &reason);
    if (!written)
        *error = "一時ファイルを作成できませんでした\n" + reason;
    return written;
}

} // namespace vexel
