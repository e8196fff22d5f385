// Checks that a window shows all its texts: every visible control is big enough for
// its text, lies inside its parent, and overlaps no visible sibling. Run it on a shown
// window (after QTest::qWaitForWindowExposed), at the default font and again with the
// application font enlarged (ScopedFontScale) before the window is made.
//
//     QStringList problems = vexel::test::layoutProblems(&window);
//     QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
#pragma once

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QStringList>
#include <QTabBar>
#include <QTextEdit>
#include <QWidget>

namespace vexel::test {

// Scales the application's font by `factor` for the life of the object.
class ScopedFontScale {
public:
    explicit ScopedFontScale(double factor) : saved_(QApplication::font())
    {
        QFont scaled = saved_;
        scaled.setPointSizeF(saved_.pointSizeF() * factor);
        QApplication::setFont(scaled);
    }
    ~ScopedFontScale() { QApplication::setFont(saved_); }
    ScopedFontScale(const ScopedFontScale &) = delete;
    ScopedFontScale &operator=(const ScopedFontScale &) = delete;

private:
    QFont saved_;
};

namespace layout_detail {

inline QString describe(const QWidget *w)
{
    const QString name = w->objectName().isEmpty() ? QStringLiteral("(unnamed)") : w->objectName();
    return name + QLatin1Char(' ') + QLatin1String(w->metaObject()->className());
}

// Controls draw their own insides; their children (scroll bars, viewports, tab
// scroll buttons) are theirs to place and are not checked one by one.
inline bool isControl(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLabel *>(w)
        || qobject_cast<const QAbstractSlider *>(w) || qobject_cast<const QAbstractScrollArea *>(w)
        || qobject_cast<const QLineEdit *>(w) || qobject_cast<const QComboBox *>(w)
        || qobject_cast<const QTabBar *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
        || qobject_cast<const QProgressBar *>(w);
}

inline bool tooSmall(const QWidget *w, QSize needed)
{
    return w->width() < needed.width() || w->height() < needed.height();
}

inline void checkText(const QWidget *w, QStringList &problems)
{
    auto complain = [&](const QString &what) {
        problems << describe(w) + QStringLiteral(": ") + what;
    };
    if (auto *label = qobject_cast<const QLabel *>(w)) {
        if (label->text().isEmpty())
            return;
        if (label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                              : tooSmall(label, label->minimumSizeHint()))
            complain(QStringLiteral("text \"%1\" cut off").arg(label->text()));
    } else if (auto *button = qobject_cast<const QAbstractButton *>(w)) {
        if (tooSmall(button, button->minimumSizeHint()))
            complain(QStringLiteral("text \"%1\" cut off").arg(button->text()));
    } else if (auto *group = qobject_cast<const QGroupBox *>(w)) {
        const int title = QFontMetrics(group->font()).horizontalAdvance(group->title());
        if (group->width() < title || tooSmall(group, group->minimumSizeHint()))
            complain(QStringLiteral("title \"%1\" or content cut off").arg(group->title()));
    } else if (auto *tabs = qobject_cast<const QTabBar *>(w)) {
        const QFontMetrics metrics(tabs->font());
        for (int i = 0; i < tabs->count(); ++i) {
            const QRect tab = tabs->tabRect(i);
            if (!tabs->rect().contains(tab)
                || tab.width() < metrics.horizontalAdvance(tabs->tabText(i)))
                complain(QStringLiteral("tab \"%1\" cut off").arg(tabs->tabText(i)));
        }
    } else if (auto *slider = qobject_cast<const QAbstractSlider *>(w)) {
        if (tooSmall(slider, slider->minimumSizeHint()))
            complain(QStringLiteral("squeezed"));
    } else if (auto *area = qobject_cast<const QAbstractScrollArea *>(w)) {
        // A read-only text is something to read: all of it must show without scrolling.
        const bool readOnlyText = (qobject_cast<const QPlainTextEdit *>(w)
                                   && static_cast<const QPlainTextEdit *>(w)->isReadOnly())
            || (qobject_cast<const QTextEdit *>(w)
                && static_cast<const QTextEdit *>(w)->isReadOnly());
        if (readOnlyText
            && (area->verticalScrollBar()->maximum() > 0
                || area->horizontalScrollBar()->maximum() > 0))
            complain(QStringLiteral("read-only text needs scrolling"));
    }
}

inline void checkChildren(const QWidget *parent, QStringList &problems)
{
    QList<const QWidget *> shown;
    for (QObject *child : parent->children()) {
        auto *w = qobject_cast<const QWidget *>(child);
        if (w == nullptr || w->isWindow() || !w->isVisible())
            continue;
        shown << w;
        if (!parent->rect().contains(w->geometry()))
            problems << describe(w) + QStringLiteral(" reaches outside ") + describe(parent);
        checkText(w, problems);
        if (!isControl(w))
            checkChildren(w, problems);
    }
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                problems << describe(shown[i]) + QStringLiteral(" overlaps ") + describe(shown[j]);
}

} // namespace layout_detail

// Every problem found in `window` and its visible descendants, one line each.
inline QStringList layoutProblems(const QWidget *window)
{
    QStringList problems;
    layout_detail::checkChildren(window, problems);
    return problems;
}

} // namespace vexel::test
