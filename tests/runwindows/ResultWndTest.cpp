// The result window: the report as given, its controls, and closing by Enter or Esc
// wherever the focus is.
#include "run/windows/ResultWnd.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using vexel::ResultWnd;

class ResultWndTest : public QObject {
    Q_OBJECT

private:
    static QPlainTextEdit *text(ResultWnd &w) { return w.findChild<QPlainTextEdit *>("ResultText"); }

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

    void closeButtonEndsTheModalDisplay()
    {
        ResultWnd w(QStringLiteral("report"));
        QTimer::singleShot(0, &w, [&w] { w.findChild<QPushButton *>("CloseButton")->click(); });
        w.exec();
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(ResultWndTest)
#include "ResultWndTest.moc"
