// The result window: the report as given, its controls, and closing by Enter or Esc
// wherever the focus is.
#include "run/windows/ResultWnd.h"

#include "run/RunReport.h"
#include "tests/support/QtTestClasses.h"

#include <QDesktopServices>
#include <QUrl>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vexel;

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

} // namespace

class ResultWndTest : public QObject {
    Q_OBJECT

private:
    static QPlainTextEdit *text(ResultWnd &w)
    {
        return w.findChild<QPlainTextEdit *>("ResultText");
    }

private slots:
    void showsTheReportUnchangedInAReadOnlyScrollingBox()
    {
        const QString report = QStringLiteral(
            "FileType:LHA -> FileSize:10240Byte\nFileType:ZIP -> FileSize:9876Byte\n\n"
            "一番圧縮率の高かったZIP形式で保存しました。\n保存ファイル:/home/u/save/data.ZIP");
        ResultWnd w(report);
        QCOMPARE(w.windowTitle(), QStringLiteral("Vexel - 圧縮結果"));
        QCOMPARE(w.findChild<QLabel *>("Label1")->text(), QStringLiteral("▼ 圧縮結果"));
        QCOMPARE(w.findChild<QPushButton *>("CloseButton")->text(), QStringLiteral("閉じる"));
        QPlainTextEdit *box = text(w);
        QVERIFY(box);
        QCOMPARE(box->toPlainText(), report);
        QVERIFY(box->isReadOnly());
        QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(w.size(), QSize(312, 201));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QCOMPARE(box->geometry(), QRect(8, 24, 297, 145));
    }

    void closingKeysCloseTheWindowWhereverTheFocusIs_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::newRow("Enter in the text") << "ResultText" << int(Qt::Key_Return);
        QTest::newRow("keypad Enter in the text") << "ResultText" << int(Qt::Key_Enter);
        QTest::newRow("Esc in the text") << "ResultText" << int(Qt::Key_Escape);
        QTest::newRow("Enter on the button") << "CloseButton" << int(Qt::Key_Return);
        QTest::newRow("Esc on the button") << "CloseButton" << int(Qt::Key_Escape);
    }
    void closingKeysCloseTheWindowWhereverTheFocusIs()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        ResultWnd w(QStringLiteral("line 1\nline 2"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QWidget *target = w.findChild<QWidget *>(focus);
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(!w.isVisible());
        QCOMPARE(text(w)->toPlainText(), QStringLiteral("line 1\nline 2"));
    }

    void otherKeysLeaveTheWindowOpen()
    {
        ResultWnd w(QStringLiteral("report"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(text(w), Qt::Key_A);
        QTest::keyClick(text(w), Qt::Key_Down);
        QVERIFY(w.isVisible());
        QCOMPARE(text(w)->toPlainText(), QStringLiteral("report"));
    }

    void chartBarsAreInListOrderWithTheWinnerHighlightedAndLabelled()
    {
        ChartInput chart;
        chart.made = {{"a.lzh", "LHA", 10240}, {"a.zip", "ZIP", 9876}, {"a.bza", "BZIP2", 3145728}};
        chart.winner = chooseWinner(chart.made);
        chart.inputSize = 20480;
        const std::string report = reportText(chart.made, chart.winner, "/save/data.ZIP", false);
        ResultWnd w(QString::fromStdString(report), chart, "/save/");
        QCOMPARE(text(w)->toPlainText(), QString::fromStdString(report));
        auto *drawn = w.findChild<ResultChart *>("ResultChart");
        QVERIFY(drawn);
        const auto bars = drawn->bars();
        QCOMPARE(bars.size(), size_t(3));
        // The numbers on the bars are the report's, in its order.
        const QStringList lines = QString::fromStdString(report).split('\n');
        for (std::size_t i = 0; i < bars.size(); ++i) {
            QCOMPARE(lines[int(i)],
                     QStringLiteral("FileType:%1 -> FileSize:%2Byte")
                         .arg(bars[i].format)
                         .arg(bars[i].size));
            QCOMPARE(bars[i].winner, i == 1);
        }
        QCOMPARE(bars[0].label, QStringLiteral("10.0 KiB 50.0%"));
        QCOMPARE(bars[1].label, QStringLiteral("9.64 KiB 48.2%"));
        QCOMPARE(bars[2].label, QStringLiteral("3.00 MiB 15360.0%"));
        // Longest for the largest; each bar below the one before.
        QVERIFY(bars[2].rect.width() > bars[0].rect.width());
        QVERIFY(bars[0].rect.width() >= bars[1].rect.width());
        QVERIFY(bars[1].rect.width() >= 2);
        QVERIFY(bars[0].rect.top() < bars[1].rect.top() && bars[1].rect.top() < bars[2].rect.top());

        // Painted as laid out: the winner's bar in the highlight colour, the others not.
        const QImage image = drawn->grab().toImage();
        const QColor highlight = drawn->palette().color(QPalette::Highlight);
        QCOMPARE(image.pixelColor(bars[1].rect.center()), highlight);
        QVERIFY(image.pixelColor(bars[0].rect.center()) != highlight);
        QVERIFY(image.pixelColor(bars[2].rect.center()) != highlight);

        // The chart lies below the design's controls, inside the grown window.
        QVERIFY(drawn->geometry().top() >= 201);
        QVERIFY(w.rect().contains(drawn->geometry()));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.width(), 312);
    }

    void sizeAndShareLabels()
    {
        QCOMPARE(sizeLabel(0), QStringLiteral("0.00 KiB"));
        QCOMPARE(sizeLabel(1023), QStringLiteral("1.00 KiB"));
        QCOMPARE(sizeLabel(1024 * 1024 - 1), QStringLiteral("1024.0 KiB"));
        QCOMPARE(sizeLabel(1024 * 1024), QStringLiteral("1.00 MiB"));
        QCOMPARE(sizeLabel(std::int64_t(5) << 30), QStringLiteral("5120.0 MiB"));
        QCOMPARE(shareLabel(1, 3), QStringLiteral("33.3%"));
        QCOMPARE(shareLabel(5, 0), QString());
    }

    // The desktop is asked to open the save folder; the test stands in for it.
    void openSaveFolderAsksTheDesktopAndEnterThereStillCloses()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        ChartInput chart;
        chart.made = {{"a.lzh", "LHA", 10}};
        ResultWnd w(QStringLiteral("report"), chart, "/home/u/save folder/");
        auto *open = w.findChild<QPushButton *>("OpenSaveFolder");
        QVERIFY(open);
        QCOMPARE(open->text(), QStringLiteral("保存先を開く"));
        QVERIFY(
            !open->geometry().intersects(w.findChild<QPushButton *>("CloseButton")->geometry()));
        QVERIFY(!open->geometry().intersects(text(w)->geometry()));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        open->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile("/home/u/save folder/")});
        QVERIFY(w.isVisible());
        open->setFocus();
        QTest::keyClick(open, Qt::Key_Return);
        QVERIFY(!w.isVisible());
    }

    void closeButtonEndsTheModalDisplay()
    {
        ResultWnd w(QStringLiteral("report"));
        QTimer::singleShot(0, &w, [&w] { w.findChild<QPushButton *>("CloseButton")->click(); });
        w.exec();
        QVERIFY(!w.isVisible());
    }
};

VEXEL_QTEST_CLASS(ResultWndTest)
#include "ResultWndTest.moc"
