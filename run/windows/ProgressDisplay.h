// The part of the progress window below the design's controls: a bar for the format
// being made (one per format while several are made at once, each captioned with its
// format), a bar for the whole run, the member being written and the time. It shows a
// RunProgress and nothing else; the progress window feeds it from its own timer and
// grows or shrinks with the number of format bars (bottom()).
#pragma once

#include "run/RunProgress.h"

#include <array>

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
    // The pixel row below the lowest control as laid out now.
    int bottom() const { return bottom_; }

    // Steps of both bars: fine enough for a smooth bar, and no overflow for any size.
    static constexpr int kBarSteps = 1000;

    // Format bars beyond the first, shown while several formats are made at once.
    static constexpr int kExtraBars = 7;

private:
    // Places every control for `formatRows` format bars; returns the row below them.
    int layOut(int formatRows);
    void showRunning(const RunProgress &progress);

    int top_ = 0;
    int bottom_ = 0;
    int formatRows_ = 1;
    std::array<QLabel *, kExtraBars> RunningLabel{};
    std::array<QProgressBar *, kExtraBars> RunningBar{};
    QLabel *FormatLabel = nullptr;
    QProgressBar *FormatBar = nullptr;
    QLabel *OverallLabel = nullptr;
    QProgressBar *OverallBar = nullptr;
    QLabel *MemberName = nullptr;
    QLabel *FileCount = nullptr;
    QLabel *TimeText = nullptr;
};

} // namespace vexel
