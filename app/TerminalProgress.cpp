#include "app/TerminalProgress.h"

#include <algorithm>
#include <cstdio>

namespace vexel {

namespace {

constexpr int kBarCells = 20;

std::string mebibytes(double bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", bytes / (1024.0 * 1024.0));
    return text;
}

// Cuts `text` to at most `columns` bytes without ending inside a UTF-8 sequence. Wide
// characters take two columns on a terminal, so the cut errs on the short side.
std::string cutAt(const std::string &text, std::size_t columns)
{
    if (text.size() <= columns)
        return text;
    std::size_t end = columns;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

std::string terminalProgressLine(const RunProgress &progress, int width)
{
    const double overall = std::clamp(progress.overallFraction, 0.0, 1.0);
    const int filled = static_cast<int>(overall * kBarCells);
    std::string line = "[" + std::string(filled, '#') + std::string(kBarCells - filled, '.') + "] ";
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(overall * 100));
    line += percent;
    if (!progress.format.empty()) {
        line += "  " + std::to_string(std::min(progress.formatsFinished + 1, progress.formatCount))
            + "/" + std::to_string(progress.formatCount) + " " + progress.format;
        if (progress.formatKnown)
            line += "  " + mebibytes(progress.formatFraction * progress.inputSize) + "/"
                + mebibytes(progress.inputSize) + " MiB";
    }
    if (progress.remainingSeconds >= 0)
        line += "  残り 約" + clockText(progress.remainingSeconds);
    if (!progress.member.empty())
        line += "  " + progress.member;
    return cutAt(line, static_cast<std::size_t>(std::max(width, 1)));
}

} // namespace vexel
