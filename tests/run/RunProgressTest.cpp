// How far a run is: what ArchiverCallback keeps of a library's progress record, the run's
// share done and time left, and the input size measured as the run starts.
#include "run/KryArc.h"

#include "run/ArchiverCallback.h"
#include "run/RunProgress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstddef>
#include <unistd.h>

namespace vexel {
namespace {

KryProgress record(std::uint64_t done, std::uint64_t total, const char *member = "dir/a.txt")
{
    KryProgress r{};
    r.size = sizeof r;
    r.bytesDone = done;
    r.bytesTotal = total;
    r.filesDone = 1;
    r.filesTotal = 3;
    r.member = member;
    return r;
}

TEST(ArchiverCallbackProgress, KeepsTheRecordOfTheActiveRunOnly)
{
    RunControl control;
    KryProgress r = record(10, 40);
    EXPECT_EQ(ArchiverCallback(nullptr, KRY_MSG_PROGRESS, KRY_STATE_WORKING, &r), 1);
    EXPECT_FALSE(control.Reported.latest().reported) << "no run is active";
    {
        const ActiveRunControl active(control);
        EXPECT_EQ(ArchiverCallback(nullptr, KRY_MSG_PROGRESS, KRY_STATE_WORKING, &r), 1);
        control.CancelRequested = true;
        r = record(20, 40, "dir/b.txt");
        EXPECT_EQ(ArchiverCallback(nullptr, KRY_MSG_PROGRESS, KRY_STATE_WORKING, &r), 0)
            << "a record does not change the answer";
        EXPECT_EQ(ArchiverCallback(nullptr, 7, 0, nullptr), 0) << "other messages carry no record";
    }
    const ArchiverReport kept = control.Reported.latest();
    EXPECT_TRUE(kept.reported);
    EXPECT_FALSE(kept.ended);
    EXPECT_EQ(kept.bytesDone, 20u);
    EXPECT_EQ(kept.bytesTotal, 40u);
    EXPECT_EQ(kept.filesDone, 1u);
    EXPECT_EQ(kept.filesTotal, 3u);
    EXPECT_EQ(kept.member, "dir/b.txt");
    EXPECT_DOUBLE_EQ(kept.fraction(), 0.5);
    control.Reported.clear();
    EXPECT_FALSE(control.Reported.latest().reported);
}

TEST(ArchiverCallbackProgress, ShortOrOddRecordsAreReadOnlyAsFarAsTheyGo)
{
    ArchiverProgress progress;
    // An older library whose record ends after the byte counts: no files, no name.
    KryProgress r = record(5, 50);
    r.size = offsetof(KryProgress, member);
    progress.store(r, KRY_STATE_WORKING);
    EXPECT_EQ(progress.latest().bytesDone, 5u);
    EXPECT_EQ(progress.latest().filesTotal, 3u);
    EXPECT_EQ(progress.latest().member, "");
    r.size = offsetof(KryProgress, bytesTotal); // too short to say anything
    r.bytesDone = 40;
    progress.store(r, KRY_STATE_WORKING);
    EXPECT_EQ(progress.latest().bytesDone, 5u);
    // Done beyond the total, a null name: bounded and empty, never trusted blindly.
    r = record(90, 50, nullptr);
    r.filesDone = 9;
    progress.store(r, KRY_STATE_WORKING);
    EXPECT_EQ(progress.latest().bytesDone, 50u);
    EXPECT_EQ(progress.latest().filesDone, 3u);
    EXPECT_EQ(progress.latest().member, "");
    // The end of a library with nothing to read is complete all the same.
    r = record(0, 0);
    progress.store(r, KRY_STATE_END);
    EXPECT_DOUBLE_EQ(progress.latest().fraction(), 1.0);
}

struct RunParts {
    RunRequest request;
    RunControl control;
    RunState state;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    RunParts(int formats, int made, const std::string &current)
    {
        request.FormatCount = formats;
        state.StartedAt = start;
        state.Results.assign(1 + made, FormatResult{});
        control.CurrentFormat = current;
    }
    RunProgress at(double seconds) const
    {
        return runProgress(request, control, state,
                           start
                               + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::duration<double>(seconds)));
    }
};

TEST(RunProgressTest, RunShareIsFormatsMadePlusTheCurrentShare)
{
    RunParts run(4, 1, "CAB");
    KryProgress r = record(30, 40);
    run.control.Reported.store(r, KRY_STATE_WORKING);
    const RunProgress p = run.at(35);
    EXPECT_EQ(p.formatsFinished, 1);
    EXPECT_TRUE(p.formatKnown);
    EXPECT_FALSE(p.commandLine);
    EXPECT_DOUBLE_EQ(p.formatFraction, 0.75);
    EXPECT_DOUBLE_EQ(p.overallFraction, (1 + 0.75) / 4);
    EXPECT_DOUBLE_EQ(p.elapsedSeconds, 35);
    EXPECT_NEAR(p.remainingSeconds, 35 * (1 - 0.4375) / 0.4375, 1e-6);
    EXPECT_EQ(p.member, "dir/a.txt");
    EXPECT_EQ(p.filesTotal, 3u);
}

TEST(RunProgressTest, NoEstimateBeforeFivePercentAndNoShareFromACommandLineArchiver)
{
    RunParts run(2, 0, "LHA");
    KryProgress r = record(9, 100); // 4.5% of the run
    run.control.Reported.store(r, KRY_STATE_WORKING);
    EXPECT_EQ(run.at(10).remainingSeconds, -1);
    r = record(10, 100); // 5%
    run.control.Reported.store(r, KRY_STATE_WORKING);
    EXPECT_NEAR(run.at(10).remainingSeconds, 190, 1e-6);

    RunParts cli(2, 1, "RAR");
    const RunProgress p = cli.at(3);
    EXPECT_TRUE(p.commandLine);
    EXPECT_FALSE(p.formatKnown);
    EXPECT_DOUBLE_EQ(p.overallFraction, 0.5);

    RunParts before(3, 0, ""); // the first format is not announced yet
    EXPECT_DOUBLE_EQ(before.at(0).overallFraction, 0);
    EXPECT_EQ(before.at(0).remainingSeconds, -1);
}

TEST(RunProgressTest, ClockTextRoundsUpAndShowsHours)
{
    EXPECT_EQ(clockText(0), "0:00");
    EXPECT_EQ(clockText(0.2), "0:01");
    EXPECT_EQ(clockText(65), "1:05");
    EXPECT_EQ(clockText(3723), "1:02:03");
    EXPECT_EQ(clockText(-4), "0:00");
}

TEST(RunProgressTest, InputSizeCountsListedFilesAndFoldersOnceEvenWithALinkLoop)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir().mkpath(root + "/f/sub");
    const auto write = [](const QString &path, int bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(bytes, 'x'));
    };
    write(root + "/one.txt", 100);
    write(root + "/f/two.txt", 20);
    write(root + "/f/sub/three.txt", 3);
    ASSERT_EQ(::symlink("..", (root + "/f/sub/up").toUtf8().constData()), 0);
    RunRequest request;
    request.FileList = {(root + "/one.txt").toStdString(), (root + "/f/*.*").toStdString(),
                        (root + "/missing.txt").toStdString()};
    RunState state;
    state.Results.assign(3, FormatResult{}); // a previous run's
    beginRunProgress(state, request);
    EXPECT_EQ(state.InputSize, 123);
    EXPECT_EQ(state.Results.size(), 1u);
}

} // namespace
} // namespace vexel
