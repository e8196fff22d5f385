#include "run/RunReport.h"

#include "run/FormatTable.h"

namespace vexel {

std::string reportLine(const FormatResult &record)
{
    return "FileType:" + record.FormatName + " -> FileSize:" + std::to_string(record.ArchiveSize)
        + "Byte";
}

std::size_t chooseWinner(const std::vector<FormatResult> &made)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < made.size(); ++i)
        if (made[i].ArchiveSize < made[best].ArchiveSize)
            best = i;
    return best;
}

std::string savedPath(const std::string &saveDir, const std::string &outputName,
                      const std::string &formatName, bool typedExtension)
{
    if (typedExtension)
        return saveDir + outputName;
    const FormatInfo *format = findFormat(formatName);
    return saveDir + outputName + (format ? std::string(format->savedExtension) : "");
}

std::string reportText(const std::vector<FormatResult> &made, std::size_t winner,
                       const std::string &savedTo, bool typedExtension)
{
    std::string text;
    for (const FormatResult &record : made) {
        if (!text.empty())
            text += '\n';
        text += reportLine(record);
    }
    text += "\n\n";
    if (!typedExtension)
        text += "一番圧縮率の高かった";
    text += made[winner].FormatName + "形式で保存しました。\n保存ファイル:" + savedTo;
    return text;
}

} // namespace vexel
