// Several formats made at once against the fake archivers: the same outcome as one
// after another, the first failure or a cancel stopping every running archiver, each
// library call's progress reaching its own format, and how many run at once.
#include "RunFixture.h"

#include "run/FormatsAtOnce.h"
#include "run/RunProgress.h"

#include <algorithm>
#include <chrono>
#include <set>

namespace vexel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::vector<std::pair<std::string, bool>> kAllEight{
    {"LHA", true},   {"ZIP", true}, {"CAB", true}, {"GZIP", true},
    {"BZIP2", true}, {"RAR", true}, {"GCA", true}, {"ACE", true}};

TEST(FormatsAtOnce, CountFollowsTheSettingTheCoresAndTheFormats)
{
    EXPECT_EQ(formatsAtOnce(0, false, 5, 2), 2) << "0: one per core";
    EXPECT_EQ(formatsAtOnce(0, false, 5, 16), 5) << "never more than there are formats";
    EXPECT_EQ(formatsAtOnce(0, false, 5, 0), 1) << "cores unknown";
    EXPECT_EQ(formatsAtOnce(1, false, 8, 16), 1);
    EXPECT_EQ(formatsAtOnce(3, false, 8, 2), 3) << "a count asked for is kept, cores or not";
    EXPECT_EQ(formatsAtOnce(40, false, 8, 64), 8);
    EXPECT_EQ(formatsAtOnce(4, true, 8, 16), 1) << "status windows shown: one at a time";
    EXPECT_EQ(formatsAtOnce(4, false, 0, 16), 1);
}

class FormatsAtOnceRun : public RunFixture {
protected:
    struct Outcome {
        bool abandoned;
        std::string report, errors, saved;
        std::int64_t savedSize;
    };

    Outcome runWith(int jobs)
    {
        settings.Jobs = jobs;
        state.RunReport.clear();
        host.errors.clear();
        host.events.clear();
        for (const std::string &name : namesIn(save))
            std::filesystem::remove(save + name);
        Outcome o;
        o.abandoned = RunFormats(ctx);
        o.report = state.RunReport;
        for (const std::string &e : host.errors)
            o.errors += e + "\n";
        const auto names = namesIn(save);
        o.saved = names.size() == 1 ? names[0] : std::to_string(names.size()) + " files";
        o.savedSize = names.size() == 1 ? platform::fileSize(save + names[0]) : -1;
        EXPECT_TRUE(namesIn(tmp).empty()) << "jobs " << jobs;
        return o;
    }

    // The counters the run showed, in order.
    std::vector<std::string> counters() const
    {
        std::vector<std::string> texts;
        for (const std::string &e : host.events)
            if (e.starts_with("Prg "))
                texts.push_back(e.substr(4));
        return texts;
    }

    const RunningFormat *running(const std::string &format) const
    {
        for (const auto &r : control.Running)
            if (r->Format == format)
                return r.get();
        return nullptr;
    }

    bool allStarted(std::initializer_list<const char *> formats) const
    {
        return std::all_of(formats.begin(), formats.end(), [this](const char *f) {
            const RunningFormat *r = running(f);
            return r != nullptr && r->Started.load() && !r->Finished.load();
        });
    }
};

// Finishing out of list order (LHA works longest) changes nothing: the report keeps list
// order, the earlier of two equal sizes wins, and the saved archive is the same.
TEST_F(FormatsAtOnceRun, SameReportAndSavedArchiveAsOneAfterAnother)
{
    offer(kAllEight);
    qputenv(fakes::kSizesEnv, "lzh=900,zip=300,cab=300,gza=700,bza=301,rar=500,gca=300,ace=999");
    qputenv(fakes::kWorkEnv, "lzh=400,zip=50,cab=150,gza=10,bza=250");
    qputenv(fakes::kCheckMembersEnv, "1");
    const Outcome inTurn = runWith(1);
    ASSERT_FALSE(inTurn.abandoned) << inTurn.errors;
    EXPECT_EQ(inTurn.saved, "data.ZIP");
    for (int jobs : {0, 2, 3, 8}) {
        const Outcome atOnce = runWith(jobs);
        EXPECT_FALSE(atOnce.abandoned) << jobs << ": " << atOnce.errors;
        EXPECT_EQ(atOnce.report, inTurn.report) << jobs;
        EXPECT_EQ(atOnce.saved, inTurn.saved) << jobs;
        EXPECT_EQ(atOnce.savedSize, inTurn.savedSize) << jobs;
        EXPECT_TRUE(control.Running.empty());
        EXPECT_FALSE(control.CancelRequested.load());
    }
}

// The counter says finished/total and only ever grows; the message names the formats
// being made.
TEST_F(FormatsAtOnceRun, CounterCountsFinishedFormatsAndTheMessageNamesTheRunningOnes)
{
    offer({{"LHA", true}, {"ZIP", false}, {"CAB", true}, {"GZIP", true}});
    qputenv(fakes::kWorkEnv, "lzh=600,cab=300,gza=50");
    settings.Jobs = 3;
    ASSERT_FALSE(RunFormats(ctx));
    const auto texts = counters();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "0/3");
    EXPECT_TRUE(std::is_sorted(texts.begin(), texts.end())) << texts.back();
    EXPECT_NE(std::find(host.events.begin(), host.events.end(),
                        "MainMsg ファイルを圧縮しています － LHA・CAB・GZIP形式"),
              host.events.end());
    EXPECT_NE(std::find(host.events.begin(), host.events.end(),
                        "MainMsg ファイルを圧縮しています － LHA形式"),
              host.events.end())
        << "LHA alone at the end";
}

// Jobs 1 and a run whose libraries show their status windows are made one after another,
// telling the progress window exactly what one after another tells it.
TEST_F(FormatsAtOnceRun, OneAtATimeKeepsTheOrderOfProgressTexts)
{
    const std::vector<std::string> inTurn{"Prg 1/3",
                                          "MainMsg ファイルを圧縮しています － LHA形式",
                                          "pending",
                                          "timer on",
                                          "timer off",
                                          "Prg 2/3",
                                          "MainMsg ファイルを圧縮しています － ZIP形式",
                                          "pending",
                                          "timer on",
                                          "timer off",
                                          "Prg 3/3",
                                          "MainMsg ファイルを圧縮しています － RAR形式",
                                          "pending",
                                          "timer off"};
    offer({{"LHA", true}, {"ZIP", true}, {"RAR", true}});
    host.display = true;
    settings.Jobs = 1;
    ASSERT_FALSE(RunFormats(ctx));
    EXPECT_EQ(host.events, inTurn);
    host.events.clear();
    settings.Jobs = 0; // display on: one at a time whatever the setting
    ASSERT_FALSE(RunFormats(ctx));
    EXPECT_EQ(host.events, inTurn);
}

// A library that fails after a while stops the libraries and the command-line archiver
// working beside it; the run is abandoned with the failing format's reason.
TEST_F(FormatsAtOnceRun, FirstFailureStopsTheOthersAndAbandons)
{
    offer({{"LHA", true}, {"CAB", true}, {"GZIP", true}, {"BZIP2", true}, {"RAR", true}});
    qputenv(fakes::kWorkEnv, "lzh=60000,cab=60000,bza=60000,gza=400");
    qputenv(fakes::kFailEnv, "gza");
    qputenv(fakes::kHangEnv, "rar");
    settings.Jobs = 5;
    Clock::time_point failedAt{};
    host.onPendingEvents = [&] {
        const RunningFormat *gzip = running("GZIP");
        if (failedAt == Clock::time_point{} && gzip != nullptr && gzip->Finished.load())
            failedAt = Clock::now();
    };
    const auto started = Clock::now();
    ASSERT_TRUE(RunFormats(ctx));
    const auto ended = Clock::now();
    EXPECT_EQ(host.errors, std::vector<std::string>{"処理を中止しました"});
    ASSERT_EQ(host.details.size(), 1u);
    EXPECT_EQ(host.details[0], "GZIP: " VEXEL_FAKE_LIB_DIR "bga32.so: failed on request");
    EXPECT_LT(ended - started, 10s) << "nothing waited for its 60 s of work";
    if (failedAt != Clock::time_point{}) {
        EXPECT_LT(ended - failedAt, 3s) << "the others stopped soon after the failure";
    }
    EXPECT_TRUE(namesIn(save).empty());
    EXPECT_TRUE(namesIn(tmp).empty());
    EXPECT_EQ(state.RunReport, "the previous report");
    EXPECT_TRUE(control.Running.empty());
}

// The progress window's cancel while four archivers work (three libraries and a
// command-line archiver) stops them all.
TEST_F(FormatsAtOnceRun, CancelStopsEveryRunningArchiver)
{
    offer({{"LHA", true}, {"CAB", true}, {"BZIP2", true}, {"ACE", true}, {"GCA", true}});
    qputenv(fakes::kWorkEnv, "lzh=60000,cab=60000,bza=60000");
    qputenv(fakes::kHangEnv, "ace,gca");
    settings.Jobs = 4;
    Clock::time_point cancelledAt{};
    host.onPendingEvents = [&] {
        const RunningFormat *ace = running("ACE");
        if (cancelledAt == Clock::time_point{} && allStarted({"LHA", "CAB", "BZIP2", "ACE"})
            && ace->ArchiverProcess.load() != 0 && platform::fileExists(state.TempBase + ".ace")) {
            EXPECT_EQ(running("GCA")->Started.load(), false) << "four at once";
            cancelledAt = Clock::now();
            EndAllArchivers(control);
        }
    };
    ASSERT_TRUE(RunFormats(ctx));
    const auto ended = Clock::now();
    ASSERT_NE(cancelledAt, Clock::time_point{}) << "all four never ran at once";
    EXPECT_LT(ended - cancelledAt, 3s);
    EXPECT_EQ(host.errors, std::vector<std::string>{"処理を中止しました"});
    ASSERT_EQ(host.details.size(), 1u);
    EXPECT_NE(host.details[0].find("stopped"), std::string::npos) << host.details[0];
    for (const auto &call : calls())
        EXPECT_NE(call.program, "gcac") << "nothing starts after a cancel";
    EXPECT_TRUE(namesIn(save).empty());
    EXPECT_TRUE(namesIn(tmp).empty());
}

// GZIP and BZIP2 go through the same library at once; each one's records reach its own
// format, and the run's progress adds both shares.
TEST_F(FormatsAtOnceRun, TwoCallsIntoOneLibraryKeepTheirOwnProgress)
{
    offer({{"GZIP", true}, {"BZIP2", true}});
    qputenv(fakes::kWorkEnv, "gza=1500,bza=1500");
    qputenv(fakes::kProgressEnv, "gza=10:20,bza=70:80");
    settings.Jobs = 2;
    std::set<std::string> seen;
    host.onPendingEvents = [&] {
        const RunProgress p = runProgress(request, control, state, Clock::now());
        for (const FormatProgress &f : p.running) {
            if (!f.known)
                continue;
            // A finished call's last record says 1 until the run takes it off the list;
            // before that each shows only its own records (GZIP 10-20%, BZIP2 70-80%).
            if (f.format == "GZIP" && f.fraction < 1.0) {
                EXPECT_LE(f.fraction, 0.2 + 1e-9);
            }
            if (f.format == "BZIP2" && f.fraction < 1.0) {
                EXPECT_GE(f.fraction, 0.7 - 1e-9);
            }
            seen.insert(f.format);
        }
        if (p.running.size() == 2 && p.running[0].known && p.running[1].known) {
            EXPECT_NEAR(p.overallFraction, (p.running[0].fraction + p.running[1].fraction) / 2,
                        1e-9);
        }
    };
    ASSERT_FALSE(RunFormats(ctx)) << (host.details.empty() ? "" : host.details[0]);
    EXPECT_EQ(seen, (std::set<std::string>{"GZIP", "BZIP2"}));
}

TEST_F(FormatsAtOnceRun, ALibraryThatCannotBeLoadedFailsTheRunWithItsReason)
{
    offer({{"LHA", true}, {"GZIP", true}});
    qputenv(fakes::kWorkEnv, "lzh=60000");
    state.Libraries = ArchiverLibraries(platform::SearchPath(top)); // no library there
    qputenv("PATH", "/nonexistent");
    settings.Jobs = 2;
    const auto started = Clock::now();
    ASSERT_TRUE(RunFormats(ctx));
    EXPECT_LT(Clock::now() - started, 10s);
    ASSERT_EQ(host.details.size(), 1u);
    EXPECT_TRUE(host.details[0].starts_with("LHA: ")) << host.details[0];
    EXPECT_TRUE(namesIn(tmp).empty());
}

} // namespace
} // namespace vexel
