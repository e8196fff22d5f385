#include "run/windows/ResultChart.h"

#include <QPainter>

#include <algorithm>

namespace vexel {

namespace {

constexpr int kRowHeight = 20;
constexpr int kBarHeight = 14;
constexpr int kPadding = 4;
constexpr int kNameWidth = 44;   // the longest entry text and a gap
constexpr int kLabelWidth = 118; // "1536.0 MiB 100.0%"
constexpr double kKiB = 1024.0;
constexpr double kMiB = 1024.0 * 1024.0;

QString decimals(double value, const char *unit)
{
    return QStringLiteral("%1 %2").arg(value, 0, 'f', value < 10 ? 2 : 1).arg(QLatin1String(unit));
}

} // namespace

QString sizeLabel(std::int64_t bytes)
{
    const double b = static_cast<double>(std::max<std::int64_t>(bytes, 0));
    return b < kMiB ? decimals(b / kKiB, "KiB") : decimals(b / kMiB, "MiB");
}

QString shareLabel(std::int64_t bytes, std::int64_t inputSize)
{
    if (inputSize <= 0)
        return QString();
    return QStringLiteral("%1%").arg(
        100.0 * static_cast<double>(bytes) / static_cast<double>(inputSize), 0, 'f', 1);
}

ResultChart::ResultChart(ChartInput input, QWidget *parent)
    : QWidget(parent), input_(std::move(input))
{
    setObjectName(QStringLiteral("ResultChart"));
}

int ResultChart::heightFor(std::size_t rows)
{
    return 2 * kPadding + static_cast<int>(rows) * kRowHeight;
}

std::vector<ResultChart::Bar> ResultChart::bars() const
{
    std::int64_t largest = 1;
    for (const FormatResult &r : input_.made)
        largest = std::max(largest, r.ArchiveSize);
    const int barLeft = kPadding + kNameWidth;
    const int barSpace = std::max(1, width() - barLeft - kLabelWidth - kPadding);
    std::vector<Bar> bars;
    for (std::size_t i = 0; i < input_.made.size(); ++i) {
        const FormatResult &r = input_.made[i];
        Bar bar;
        bar.format = QString::fromStdString(r.FormatName);
        bar.size = r.ArchiveSize;
        const QString share = shareLabel(r.ArchiveSize, input_.inputSize);
        bar.label = share.isEmpty() ? sizeLabel(r.ArchiveSize)
                                    : sizeLabel(r.ArchiveSize) + QLatin1Char(' ') + share;
        bar.winner = i == input_.winner;
        // At least a sliver, so an archive far smaller than the largest is still seen.
        const int length = std::max(
            2,
            static_cast<int>(static_cast<double>(barSpace) * static_cast<double>(r.ArchiveSize)
                             / static_cast<double>(largest)));
        const int top = kPadding + static_cast<int>(i) * kRowHeight + (kRowHeight - kBarHeight) / 2;
        bar.rect = QRect(barLeft, top, length, kBarHeight);
        bars.push_back(bar);
    }
    return bars;
}

void ResultChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QColor plain = palette().color(QPalette::Mid);
    const QColor best = palette().color(QPalette::Highlight);
    const QFont normal = font();
    QFont bold = font();
    bold.setBold(true);
    for (const Bar &bar : bars()) {
        const QRect row(kPadding, bar.rect.top() - (kRowHeight - kBarHeight) / 2,
                        width() - 2 * kPadding, kRowHeight);
        painter.setFont(bar.winner ? bold : normal);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(row.left(), row.top(), kNameWidth, kRowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, bar.format);
        painter.fillRect(bar.rect, bar.winner ? best : plain);
        painter.drawText(QRect(bar.rect.right() + 4, row.top(), kLabelWidth, kRowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, bar.label);
    }
}

} // namespace vexel

// The meta-object code compiled with this file, not in a unit of its own.
#include "moc_ResultChart.cpp"
