// The part of the progress window below the design's controls: a bar for the format
// being made, a bar for the whole run, the member being written and the time. It shows
// a RunProgress and nothing else; the progress window feeds it from its own timer.
#pragma once

#include "run/RunProgress.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace vexel {

class ProgressDisplay {
public:
    // Creates the controls as children of `window`, from pixel row `top` down; returns
    // the row below them.
    int build(QWidget *window, int top);
    // Empty bars and texts, as before a run.
    void reset();
    void show(const RunProgress &progress);

    // Steps of both bars: fine enough for a smooth bar, and no overflow for any size.
    static constexpr int kBarSteps = 1000;

private:
    QLabel *FormatLabel = nullptr;
    QProgressBar *FormatBar = nullptr;
    QLabel *OverallLabel = nullptr;
    QProgressBar *OverallBar = nullptr;
    QLabel *MemberName = nullptr;
    QLabel *FileCount = nullptr;
    QLabel *TimeText = nullptr;
};

} // namespace vexel
