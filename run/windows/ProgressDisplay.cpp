#include "run/windows/ProgressDisplay.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <cmath>

namespace vexel {

namespace {

constexpr int kLeft = 8;
constexpr int kWidth = 296;      // the design's controls span 8 to 304 pixels
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
    return static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * ProgressDisplay::kBarSteps));
}

} // namespace

int ProgressDisplay::build(QWidget *window, int top)
{
    const int barLeft = kLeft + kCaptionWidth;
    const int barWidth = kWidth - kCaptionWidth;
    FormatLabel = makeLabel(window, "FormatLabel", QStringLiteral("この形式"), QRect(kLeft, top, kCaptionWidth, 18));
    FormatBar = makeBar(window, "FormatBar", QRect(barLeft, top, barWidth, 18));
    top += kRow;
    OverallLabel = makeLabel(window, "OverallLabel", QStringLiteral("全体"), QRect(kLeft, top, kCaptionWidth, 18));
    OverallBar = makeBar(window, "OverallBar", QRect(barLeft, top, barWidth, 18));
    top += kRow;
    MemberName = makeLabel(window, "MemberName", QString(), QRect(kLeft, top, kWidth, 17));
    top += kRow - 2;
    TimeText = makeLabel(window, "TimeText", QString(), QRect(kLeft, top, 200, 17));
    FileCount = makeLabel(window, "FileCount", QString(), QRect(kLeft + 200, top, kWidth - 200, 17));
    FileCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return top + 17;
}

void ProgressDisplay::reset()
{
    FormatBar->setRange(0, kBarSteps);
    FormatBar->setValue(0);
    OverallBar->setValue(0);
    MemberName->clear();
    MemberName->setToolTip(QString());
    FileCount->clear();
    TimeText->clear();
}

void ProgressDisplay::show(const RunProgress &p)
{
    // An archiver that tells nothing (a command-line one, or a library without
    // records) gets a busy bar: a bar stuck at 0 would look like a hang.
    const bool allMade = p.formatCount > 0 && p.formatsFinished >= p.formatCount;
    if (p.formatKnown || allMade) {
        FormatBar->setRange(0, kBarSteps);
        FormatBar->setValue(allMade ? kBarSteps : steps(p.formatFraction));
    } else if (!p.format.empty()) {
        FormatBar->setRange(0, 0);
    }
    OverallBar->setValue(steps(p.overallFraction));

    const QString member = QString::fromUtf8(p.member);   // undecodable bytes show as U+FFFD
    const QFontMetrics metrics(MemberName->font());
    MemberName->setText(metrics.elidedText(member, Qt::ElideMiddle, MemberName->width()));
    MemberName->setToolTip(member);
    FileCount->setText(p.filesTotal > 0
                           ? QStringLiteral("%1 / %2 ファイル").arg(p.filesDone).arg(p.filesTotal)
                           : QString());

    QString time = QStringLiteral("経過 %1").arg(QString::fromStdString(clockText(p.elapsedSeconds)));
    if (p.remainingSeconds >= 0)
        time += QStringLiteral("　残り 約%1").arg(QString::fromStdString(clockText(p.remainingSeconds)));
    TimeText->setText(time);
}

} // namespace vexel
