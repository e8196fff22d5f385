// The main window's layout at the default font and at a user's 1.5x font: every text
// fully visible in its control, no two visible sibling controls overlapping, every
// control inside its parent. Set VEXEL_GRAB_DIR to keep a picture of each window.
#include "config/SettingsStore.h"
#include "mainwnd/HelpWnd.h"
#include "mainwnd/KryMain.h"

#include "AllArchiversAvailable.h"
#include "tests/support/QtTestClasses.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace vexel;

namespace {

QString withoutMnemonic(QString text) { return text.remove('&'); }

QString where(const QWidget *w)
{
    return w->objectName() + " (" + w->metaObject()->className() + ")";
}

// What a text needs, measured with the control's own font, against its contents.
void checkTextFits(QWidget *w, QStringList &faults)
{
    const QFontMetrics fm = w->fontMetrics();
    const QRect box = w->contentsRect();
    const QStyle *style = w->style();
    if (auto *label = qobject_cast<QLabel *>(w)) {
        const QRect need = label->wordWrap()
            ? fm.boundingRect(box, Qt::TextWordWrap | label->alignment(), label->text())
            : fm.boundingRect(label->text());
        if (need.width() > box.width() || need.height() > box.height())
            faults << where(w)
                    + QString(" needs %1x%2, has %3x%4")
                          .arg(need.width())
                          .arg(need.height())
                          .arg(box.width())
                          .arg(box.height());
    } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        int indicator = 0;
        if (qobject_cast<QCheckBox *>(w))
            indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w)
                + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
        if (qobject_cast<QRadioButton *>(w))
            indicator = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w)
                + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
        const int frame = qobject_cast<QPushButton *>(w) ? 8 : 0;
        const int width = indicator + fm.horizontalAdvance(withoutMnemonic(button->text())) + frame;
        if (width > box.width() || fm.height() > box.height())
            faults << where(w)
                    + QString(" text needs %1x%2, has %3x%4")
                          .arg(width)
                          .arg(fm.height())
                          .arg(box.width())
                          .arg(box.height());
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        if (fm.horizontalAdvance(group->title()) > box.width())
            faults << where(w) + " title too wide";
        for (QWidget *child : group->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (child->isVisible() && child->y() < fm.height())
                faults << where(w) + " title covers " + child->objectName();
    } else if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
        QTabBar *bar = tabs->tabBar();
        for (int i = 0; i < bar->count(); ++i)
            if (fm.horizontalAdvance(bar->tabText(i)) > bar->tabRect(i).width()
                || bar->tabRect(i).right() >= tabs->width())
                faults << where(w) + " tab " + bar->tabText(i);
    } else if (auto *list = qobject_cast<QListWidget *>(w)) {
        const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w);
        for (int i = 0; i < list->count(); ++i) {
            const QRect item = list->visualItemRect(list->item(i));
            const int need = indicator + fm.horizontalAdvance(list->item(i)->text());
            if (need > item.width() || item.right() >= list->viewport()->width())
                faults << where(w) + " entry " + list->item(i)->text();
        }
    }
}

void checkSiblings(QWidget *parent, QStringList &faults)
{
    QList<QWidget *> shown;
    for (QWidget *child : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (child->isVisible() && !child->isWindow())
            shown << child;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (!parent->rect().contains(shown[i]->geometry()))
            faults << where(shown[i]) + " sticks out of " + where(parent);
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry())
                && !shown[i]->objectName().isEmpty() && !shown[j]->objectName().isEmpty())
                faults << where(shown[i]) + " overlaps " + where(shown[j]);
    }
}

// Checks the window on both tab pages.
QStringList layoutFaults(KryMain &wnd, const QString &grabName)
{
    QStringList faults;
    auto *tabs = wnd.findChild<QTabWidget *>("TabStrip1");
    for (int page = 0; page < 2; ++page) {
        tabs->setCurrentIndex(page);
        QCoreApplication::processEvents();
        QList<QWidget *> all = wnd.findChildren<QWidget *>();
        all.prepend(&wnd);
        for (QWidget *w : all) {
            if (!w->isVisible() || w->objectName().isEmpty())
                continue;
            checkTextFits(w, faults);
            checkSiblings(w, faults);
        }
        const QByteArray dir = qgetenv("VEXEL_GRAB_DIR");
        if (!dir.isEmpty())
            wnd.grab().save(QString::fromLocal8Bit(dir) + "/" + grabName + QString::number(page)
                            + ".png");
    }
    tabs->setCurrentIndex(0);
    return faults;
}

} // namespace

class KryMainLayoutTest : public QObject {
    Q_OBJECT

    QTemporaryDir config_;

private slots:
    void init()
    {
        qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
        QFile::remove(settingsFilePath());
    }

    void everyTextFitsAtTheDefaultFontAndAtOneAndAHalfTimesIt()
    {
        const QFont original = QApplication::font();
        double scaleAtDefault = 0;
        for (const double times : {1.0, 1.5}) {
            QFont font = original;
            font.setPointSizeF(original.pointSizeF() * times);
            QApplication::setFont(font);
            KryMain wnd({}, test::allArchiversAvailable());
            wnd.show();
            QVERIFY(QTest::qWaitForWindowExposed(&wnd));
            const QStringList faults = layoutFaults(wnd, QString("kry-main-%1x-").arg(times));
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
            // The window keeps the design's proportions and grows with the font.
            QCOMPARE(wnd.findChild<QWidget *>("TabStrip1")->geometry(),
                     DesignGeometry::scaled({248, 144, 265, 169}, wnd.layoutScale()));
            QVERIFY(qAbs(wnd.width() * 350.0 / (wnd.height() * 520.0) - 1) < 0.01);
            if (times == 1.0)
                scaleAtDefault = wnd.layoutScale();
            else
                QVERIFY(wnd.layoutScale() > scaleAtDefault);
        }
        QApplication::setFont(original);
    }

    // The help text shows whole at the default font and at 1.5 times it, without scrolling.
    void theHelpWindowShowsItsWholeText()
    {
        const QFont original = QApplication::font();
        for (const double times : {1.0, 1.5}) {
            QFont font = original;
            font.setPointSizeF(original.pointSizeF() * times);
            QApplication::setFont(font);
            HelpWnd help(settingsFilePath());
            help.show();
            QVERIFY(QTest::qWaitForWindowExposed(&help));
            auto *text = help.findChild<QLabel *>("HelpText");
            const QRect need = text->fontMetrics().boundingRect(
                text->contentsRect(), Qt::TextWordWrap | text->alignment(), text->text());
            QVERIFY2(need.height() <= text->contentsRect().height(),
                     qPrintable(QString("%1 %2 %3 %4")
                                    .arg(need.height())
                                    .arg(text->contentsRect().height())
                                    .arg(need.width())
                                    .arg(text->contentsRect().width())));
            QVERIFY(help.geometry().contains(text->geometry().translated(help.pos())));
            QCOMPARE(help.windowTitle(), QString("Vexel - ヘルプ"));
            const QByteArray dir = qgetenv("VEXEL_GRAB_DIR");
            if (!dir.isEmpty())
                help.grab().save(QString::fromLocal8Bit(dir) + QString("/help-%1x.png").arg(times));
        }
        QApplication::setFont(original);
    }

    // A font change after the window is open makes room for the texts again.
    void aLaterFontChangeRefitsTheWindow()
    {
        KryMain wnd({}, test::allArchiversAvailable());
        wnd.show();
        const QSize before = wnd.size();
        QFont font = wnd.font();
        font.setPointSizeF(font.pointSizeF() * 1.5);
        wnd.setFont(font);
        QVERIFY(wnd.width() > before.width());
        const QStringList faults = layoutFaults(wnd, "kry-main-refit-");
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }
};

VEXEL_QTEST_CLASS(KryMainLayoutTest)
#include "KryMainLayoutTest.moc"
