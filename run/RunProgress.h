// How far a run is, as plain data: what the progress window shows and what any other
// host of a run (a terminal, a test) can show the same way. Read on the thread that
// runs the run, between its steps (the progress window reads it from its own timer).
#pragma once

#include "run/RunState.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vexel {

// One of the formats being made while several are made at once.
struct FormatProgress {
    std::string format;       // entry text
    bool commandLine = false; // its archiver reports nothing while it works
    bool known = false;       // fraction comes from the archiver's own records
    double fraction = 0;      // [0, 1]
};

struct RunProgress {
    int formatCount = 0;        // formats the run makes
    int formatsFinished = 0;    // made so far
    std::string format;         // entry text of the format being made; empty before the first
    bool commandLine = false;   // its archiver reports nothing while it works
    bool formatKnown = false;   // formatFraction comes from the archiver's own records
    double formatFraction = 0;  // of the current format, [0, 1]
    double overallFraction = 0; // of the whole run, [0, 1]
    std::string member;         // the member being written, as the library named it
    std::uint32_t filesDone = 0, filesTotal = 0;
    std::int64_t inputSize = 0;
    double elapsedSeconds = 0;
    double remainingSeconds = -1; // an estimate; -1 until kEstimateFrom of the run is done
    // Several at once: every format being made, in list order (empty one at a time).
    // `format` and the fields after it then tell about the first of them.
    std::vector<FormatProgress> running;
};

// Below this share of the work an estimate of the remaining time says more about the
// start-up than about the run.
constexpr double kEstimateFrom = 0.05;

// Every format reads the same input, so each weighs the input size: the run's share
// done is (formats made + the current formats' shares) / formats to make. A format
// whose archiver reports nothing counts 0 until it is made.
RunProgress runProgress(const RunRequest &request, const RunControl &control, const RunState &state,
                        std::chrono::steady_clock::time_point now);

// Marks the start of a run: no format made yet, the clock started, the input measured.
void beginRunProgress(RunState &state, const RunRequest &request);

// "1:05" or "1:02:03" for a number of seconds (rounded up, so 0.2 s left is "0:01").
std::string clockText(double seconds);

} // namespace vexel
