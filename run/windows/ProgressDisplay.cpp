#include "run/windows/ProgressDisplay.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <cmath>

namespace vexel {

namespace {

constexpr int kLeft = 8;
constexpr int kWidth = 296; // the design's controls span 8 to 304 pixels
constexpr int kCaptionWidth = 56;
constexpr int kRow = 22;

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QProgressBar *makeBar(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setGeometry(geometry);
    bar->setRange(0, ProgressDisplay::kBarSteps);
    bar->setValue(0);
    return bar;
}

int steps(double fraction)
{
    return static_cast<int>(
        std::lround(std::clamp(fraction, 0.0, 1.0) * ProgressDisplay::kBarSteps));
}

} // namespace

int ProgressDisplay::build(QWidget *window, int top)
{
    top_ = top;
    FormatLabel = makeLabel(window, "FormatLabel", QStringLiteral("この形式"), {});
    FormatBar = makeBar(window, "FormatBar", {});
    for (int i = 0; i < kExtraBars; ++i) {
        const QByteArray number = QByteArray::number(i + 1);
        RunningLabel[i] = makeLabel(window, ("RunningLabel" + number).constData(), QString(), {});
        RunningBar[i] = makeBar(window, ("RunningBar" + number).constData(), {});
    }
    OverallLabel = makeLabel(window, "OverallLabel", QStringLiteral("全体"), {});
    OverallBar = makeBar(window, "OverallBar", {});
    MemberName = makeLabel(window, "MemberName", QString(), {});
    TimeText = makeLabel(window, "TimeText", QString(), {});
    FileCount = makeLabel(window, "FileCount", QString(), {});
    FileCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return layOut(1);
}

int ProgressDisplay::layOut(int formatRows)
{
    formatRows_ = formatRows;
    const int barLeft = kLeft + kCaptionWidth;
    const int barWidth = kWidth - kCaptionWidth;
    int top = top_;
    FormatLabel->setGeometry(kLeft, top, kCaptionWidth, 18);
    FormatBar->setGeometry(barLeft, top, barWidth, 18);
    top += kRow;
    for (int i = 0; i < kExtraBars; ++i) {
        const bool shown = i + 1 < formatRows;
        RunningLabel[i]->setVisible(shown);
        RunningBar[i]->setVisible(shown);
        if (!shown)
            continue;
        RunningLabel[i]->setGeometry(kLeft, top, kCaptionWidth, 18);
        RunningBar[i]->setGeometry(barLeft, top, barWidth, 18);
        top += kRow;
    }
    OverallLabel->setGeometry(kLeft, top, kCaptionWidth, 18);
    OverallBar->setGeometry(barLeft, top, barWidth, 18);
    top += kRow;
    MemberName->setGeometry(kLeft, top, kWidth, 17);
    top += kRow - 2;
    TimeText->setGeometry(kLeft, top, 200, 17);
    FileCount->setGeometry(kLeft + 200, top, kWidth - 200, 17);
    bottom_ = top + 17;
    return bottom_;
}

void ProgressDisplay::reset()
{
    FormatLabel->setText(QStringLiteral("この形式"));
    layOut(1);
    FormatBar->setRange(0, kBarSteps);
    FormatBar->setValue(0);
    OverallBar->setValue(0);
    MemberName->clear();
    MemberName->setToolTip(QString());
    FileCount->clear();
    TimeText->clear();
}

namespace {

// A bar for a format's share: its own records, else a busy bar (an archiver that tells
// nothing would otherwise look hung).
void showShare(QProgressBar *bar, bool known, double fraction)
{
    if (known) {
        bar->setRange(0, ProgressDisplay::kBarSteps);
        bar->setValue(steps(fraction));
    } else {
        bar->setRange(0, 0);
    }
}

} // namespace

// Several at once: one bar per running format, captioned with its entry text.
void ProgressDisplay::showRunning(const RunProgress &p)
{
    const int rows = std::min<int>(static_cast<int>(p.running.size()), kExtraBars + 1);
    if (rows != formatRows_)
        layOut(rows);
    for (int i = 0; i < rows; ++i) {
        const FormatProgress &f = p.running[i];
        QLabel *label = i == 0 ? FormatLabel : RunningLabel[i - 1];
        QProgressBar *bar = i == 0 ? FormatBar : RunningBar[i - 1];
        label->setText(QString::fromStdString(f.format));
        showShare(bar, f.known, f.fraction);
    }
}

void ProgressDisplay::show(const RunProgress &p)
{
    if (!p.running.empty()) {
        showRunning(p);
    } else if (formatRows_ != 1 || FormatLabel->text() != QStringLiteral("この形式")) {
        FormatLabel->setText(QStringLiteral("この形式"));
        layOut(1);
    }
    // An archiver that tells nothing (a command-line one, or a library without
    // records) gets a busy bar: a bar stuck at 0 would look like a hang.
    const bool allMade = p.formatCount > 0 && p.formatsFinished >= p.formatCount;
    if (!p.running.empty()) {
        // shown above, bar by bar
    } else if (p.formatKnown || allMade) {
        FormatBar->setRange(0, kBarSteps);
        FormatBar->setValue(allMade ? kBarSteps : steps(p.formatFraction));
    } else if (!p.format.empty()) {
        FormatBar->setRange(0, 0);
    }
    OverallBar->setValue(steps(p.overallFraction));

    const QString member = QString::fromUtf8(p.member); // undecodable bytes show as U+FFFD
    const QFontMetrics metrics(MemberName->font());
    MemberName->setText(metrics.elidedText(member, Qt::ElideMiddle, MemberName->width()));
    MemberName->setToolTip(member);
    FileCount->setText(p.filesTotal > 0
                           ? QStringLiteral("%1 / %2 ファイル").arg(p.filesDone).arg(p.filesTotal)
                           : QString());

    QString time =
        QStringLiteral("経過 %1").arg(QString::fromStdString(clockText(p.elapsedSeconds)));
    if (p.remainingSeconds >= 0)
        time += QStringLiteral("　残り 約%1")
                    .arg(QString::fromStdString(clockText(p.remainingSeconds)));
    TimeText->setText(time);
}

} // namespace vexel
