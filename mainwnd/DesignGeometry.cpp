#include "mainwnd/DesignGeometry.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <cmath>

namespace vexel {

namespace {

// Steps in which the factor grows, and the largest factor tried (a font four times the
// design's is beyond any screen the window must fit on).
constexpr double kStep = 0.01;
constexpr double kLargest = 4.0;

bool fitsInside(const QSize &needed, const QSize &available)
{
    return needed.width() <= available.width() && needed.height() <= available.height();
}

// The lowest top edge of the children placed inside `container`, in scaled pixels.
int firstChildTop(const QWidget *container, const std::vector<QRect> &childRects)
{
    int top = container->height();
    for (const QRect &r : childRects)
        top = std::min(top, r.top());
    return top;
}

// A list's entries must show in full across its width: the widest entry with its check
// box, the frame and a vertical scroll bar.
int listWidthNeeded(const QListWidget *list)
{
    const int frame = 2 * list->frameWidth();
    return list->sizeHintForColumn(0) + frame + list->verticalScrollBar()->sizeHint().width();
}

// Lines of Japanese text take the height of the fallback CJK font, which the label's
// own estimate can miss: the larger of it and the font's measurement.
int wrappedHeight(const QLabel *label, int width)
{
    const int margins = label->contentsMargins().top() + label->contentsMargins().bottom();
    const QRect measured = label->fontMetrics().boundingRect(
        QRect(0, 0, width, 100000), Qt::TextWordWrap | label->alignment(), label->text());
    return std::max(label->heightForWidth(width), measured.height() + margins);
}

} // namespace

QWidget *DesignGeometry::place(QWidget *widget, const QRect &design)
{
    placed_.push_back({widget, design});
    return widget;
}

QRect DesignGeometry::scaled(const QRect &design, double factor)
{
    const int left = int(std::lround(design.left() * factor));
    const int top = int(std::lround(design.top() * factor));
    const int right = int(std::lround((design.left() + design.width()) * factor));
    const int bottom = int(std::lround((design.top() + design.height()) * factor));
    return QRect(left, top, right - left, bottom - top);
}

QSize DesignGeometry::apply(double factor, const QSize &designSize) const
{
    for (const Placed &p : placed_)
        p.widget->setGeometry(scaled(p.design, factor));
    return scaled(QRect(QPoint(0, 0), designSize), factor).size();
}

// What must fit, per kind of control, with its rectangle scaled by `factor`:
// - buttons, check boxes, option buttons, unwrapped labels: their size hint;
// - a wrapping label: the height its text needs at the scaled width;
// - a one-line field: the height of one line of text;
// - a group box: its title above the first control inside it;
// - a tab strip: its tabs across its width, and above the page's controls;
// - a list: its widest entry.
bool DesignGeometry::fitsAt(double factor) const
{
    for (const Placed &p : placed_) {
        const QRect r = scaled(p.design, factor);
        QWidget *w = p.widget;
        std::vector<QRect> inside;
        for (const Placed &c : placed_)
            if (c.widget->parentWidget() == w)
                inside.push_back(scaled(c.design, factor));

        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->wordWrap() ? wrappedHeight(label, r.width()) > r.height()
                                  : !fitsInside(label->sizeHint(), r.size()))
                return false;
        } else if (qobject_cast<QAbstractButton *>(w) != nullptr) {
            if (!fitsInside(w->sizeHint(), r.size()))
                return false;
        } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            if (edit->minimumSizeHint().height() > r.height())
                return false;
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            const int titleWidth = group->fontMetrics().horizontalAdvance(group->title())
                + group->fontMetrics().averageCharWidth() * 2;
            if (titleWidth > r.width() || group->contentsRect().top() > firstChildTop(w, inside))
                return false;
        } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            const int frame = 2 * tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
            const int pageHeight = r.height() - tabs->tabBar()->sizeHint().height() - frame;
            int pageBottom = 0;
            for (const Placed &c : placed_)
                if (c.widget->parentWidget() != nullptr
                    && tabs->indexOf(c.widget->parentWidget()) >= 0)
                    pageBottom = std::max(pageBottom, scaled(c.design, factor).bottom() + 1);
            if (tabs->tabBar()->sizeHint().width() > r.width() || pageBottom > pageHeight)
                return false;
        } else if (auto *list = qobject_cast<QListWidget *>(w)) {
            if (listWidthNeeded(list) > r.width())
                return false;
        }
    }
    return true;
}

double DesignGeometry::fittingScale() const
{
    for (double factor = 1.0; factor < kLargest; factor += kStep)
        if (fitsAt(factor))
            return factor;
    return kLargest;
}

} // namespace vexel
