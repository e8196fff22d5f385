#include "run/StartRun.h"

#include <QString>

namespace vexel {

namespace {

constexpr const char *kNothingChecked = "チェックする圧縮形式がひとつも存在しません";
constexpr const char *kSlashInName = "ファイル名に「/」は使えません";
constexpr const char *kDotName = "ファイル名に「.」や「..」だけの名前は使えません";

// The output name is a file name in the save folder: a "/" would put the archive in
// another folder ("../x" outside the chosen one), and "." and ".." name folders.
const char *outputNameFault(const std::string &name)
{
    if (name.find('/') != std::string::npos)
        return kSlashInName;
    if (name == "." || name == "..")
        return kDotName;
    return nullptr;
}

int checkedEntryCount(const RunHost &host)
{
    int count = 0;
    for (int i = 0; i < host.formatEntryCount(); ++i)
        if (host.formatEntryChecked(i))
            ++count;
    return count;
}

} // namespace

const FormatInfo *formatOfTypedName(const std::string &outputName)
{
    // Characters, not bytes: a name may end in Japanese text.
    const QString tail = QString::fromStdString(outputName).right(4).toLower();
    for (const FormatInfo &format : formatTable())
        if (tail == QLatin1StringView(format.typedExtension.data(), format.typedExtension.size()))
            return &format;
    return nullptr;
}

bool StartRun(RunHost &host, const ArchiverAvailability &availability, RunRequest &request,
              RunControl & /*control: the run reads it, the start does not*/)
{
    request.SingleFormat.clear();
    request.FormatCount = 0;

    if (const char *fault = outputNameFault(host.outputName())) {
        host.showError(fault);
        return true;
    }
    if (const FormatInfo *typed = formatOfTypedName(host.outputName())) {
        if (!(availability.*typed->available)) {
            host.showError(std::string(typed->missingMessage));
            return true;
        }
        request.SingleFormat = typed->entryText;
    }

    request.FormatCount = request.SingleFormat.empty() ? checkedEntryCount(host) : 1;
    if (request.FormatCount == 0) {
        host.showError(kNothingChecked);
        return true;
    }

    host.runProgressModal();
    return false;
}

} // namespace vexel
