// RunFormats: one compression run from the list files to the saved archive.
#include "run/KryArc.h"

#include "platform/Files.h"
#include "platform/RunFolder.h"
#include "run/BaseFolder.h"
#include "run/FormatTable.h"
#include "run/FormatsAtOnce.h"
#include "run/ListFiles.h"
#include "run/RunProgress.h"
#include "run/RunReport.h"

#include <thread>
#include <vector>

namespace vexel {

namespace {

const char *const kAbandoned = "処理を中止しました";
const char *const kNothingToCompress = "圧縮する形式がありませんでした";

void deleteTemporaryFiles(const std::string &tempBase)
{
    if (platform::anyMatching(tempBase + ".*"))
        platform::deleteMatching(tempBase + ".*");
}

// Every way a run can end early: tell the user what and why, leave no temporary file,
// save nothing.
bool abandon(RunContext &ctx, const std::string &message, const std::string &reason)
{
    ctx.host.showError(message, reason);
    deleteTemporaryFiles(ctx.state.TempBase);
    return true;
}

bool takesPart(const RunContext &ctx, int entry)
{
    const std::string &single = ctx.request.SingleFormat;
    if (!single.empty())
        return ctx.host.formatEntryText(entry) == single;
    return ctx.host.formatEntryChecked(entry);
}

void showFormatStarting(RunContext &ctx, int k, const std::string &formatName)
{
    ctx.host.setCounterText(std::to_string(k) + "/" + std::to_string(ctx.request.FormatCount));
    ctx.host.setMessageText("ファイルを圧縮しています － " + formatName + "形式");
    ctx.host.processPendingEvents();
}

// The formats that take part, in list order, each with its temporary archive.
std::vector<PlannedFormat> plannedFormats(RunContext &ctx)
{
    std::vector<PlannedFormat> planned;
    for (int entry = 0; entry < ctx.host.formatEntryCount(); ++entry) {
        if (!takesPart(ctx, entry))
            continue;
        const std::string formatName = ctx.host.formatEntryText(entry);
        const FormatInfo *format = findFormat(formatName);
        planned.push_back(
            {formatName, ctx.state.TempBase + (format ? std::string(format->typedExtension) : "")});
    }
    return planned;
}

// One after another: each format's counter and message, then its archiver.
bool makeArchivesInTurn(RunContext &ctx, const std::vector<PlannedFormat> &formats,
                        std::string *reason)
{
    RunState &state = ctx.state;
    const std::string listPath = state.TempBase + ".lst";
    for (const PlannedFormat &planned : formats) {
        const int k = static_cast<int>(state.Results.size());
        showFormatStarting(ctx, k, planned.name);
        FormatResult record;
        const ArchiverOutcome outcome =
            RunArchiver(ctx, planned.name, state.BaseFolder, planned.archivePath, listPath, record,
                        state.TempBase);
        if (outcome.result != 0) {
            *reason = planned.name + ": " + outcome.reason;
            return false;
        }
        state.Results.push_back(record);
    }
    return true;
}

// Makes every participating format's archive into ctx.state.Results (record 0 stays
// empty), one after another or several at once as the settings say. Returns false
// when one of them failed or was cancelled; *reason then says which format and why.
bool makeArchives(RunContext &ctx, std::string *reason)
{
    ctx.state.Results.assign(1, FormatResult{});
    const std::vector<PlannedFormat> formats = plannedFormats(ctx);
    const int atOnce =
        formatsAtOnce(ctx.settings.Jobs, ctx.host.dllVisible(), static_cast<int>(formats.size()),
                      std::thread::hardware_concurrency());
    if (atOnce <= 1)
        return makeArchivesInTurn(ctx, formats, reason);
    return makeArchivesAtOnce(ctx, formats, atOnce, reason);
}

} // namespace

bool RunFormats(RunContext &ctx)
{
    // The run folder and everything in it go away when this returns, however it ends.
    const platform::RunFolder runFolder;
    RunState &state = ctx.state;
    if (!runFolder.ok()) {
        ctx.host.showError("一時フォルダを作成できませんでした", runFolder.error());
        return true;
    }
    beginRunProgress(state, ctx.request);
    state.TempBase = runFolder.path() + "krytmp";
    // The process's current directory stays as it is: the libraries get the base
    // folder on their command line and each script "cd"s into it itself.
    state.BaseFolder = BaseFolder(ctx.request.FileList);

    std::string error;
    if (!writeListFiles(state.TempBase, ctx.request.FileList, state.BaseFolder, &error))
        return abandon(ctx, error, {});
    if (!makeArchives(ctx, &error))
        return abandon(ctx, kAbandoned, error);
    if (state.Results.size() == 1)
        return abandon(ctx, kNothingToCompress, {});

    const std::vector<FormatResult> made(state.Results.begin() + 1, state.Results.end());
    const std::size_t winner = chooseWinner(made);
    const bool typedExtension = !ctx.request.SingleFormat.empty();
    const std::string destination = savedPath(ctx.request.SaveDir, ctx.host.outputName(),
                                              made[winner].FormatName, typedExtension);
    if (!platform::copyReplacing(made[winner].ArchivePath, destination, &error))
        return abandon(ctx, "圧縮ファイルを保存できませんでした", error);

    state.RunReport = reportText(made, winner, destination, typedExtension);
    state.SavedPath = destination;
    deleteTemporaryFiles(state.TempBase);
    return false;
}

} // namespace vexel
