// The layout check that window tests share (tests/support/LayoutCheck.h) finds what it
// is meant to find, and only that.
#include "tests/support/LayoutCheck.h"
#include "tests/support/QtTestClasses.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QTest>

using namespace vexel;

namespace {

QLabel *labelAt(QWidget *parent, const char *name, const QString &text, QRect at)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(at);
    return label;
}

QStringList problemsOfShown(QWidget &window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return {QStringLiteral("window not shown")};
    return test::layoutProblems(&window);
}

bool mentions(const QStringList &problems, const QString &what)
{
    return problems.filter(what).size() > 0;
}

} // namespace

class LayoutCheckTest : public QObject {
    Q_OBJECT

private slots:
    void aLaidOutWindowHasNoProblem()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *tabs = new QTabWidget;
        tabs->addTab(new QLabel(QStringLiteral("一番小さい書庫")), QStringLiteral("全般"));
        layout->addWidget(tabs);
        layout->addWidget(new QPushButton(QStringLiteral("キャンセル")));
        auto *text = new QPlainTextEdit(QStringLiteral("one line"));
        text->setReadOnly(true);
        layout->addWidget(text);
        const QStringList problems = problemsOfShown(window);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }

    void aSqueezedTextIsFound()
    {
        QWidget window;
        window.resize(300, 200);
        labelAt(&window, "Squeezed", QStringLiteral("圧縮形式がLZXの場合の圧縮率"),
                QRect(0, 0, 40, 30));
        auto *button = new QPushButton(QStringLiteral("キャンセル"), &window);
        button->setObjectName(QStringLiteral("Flat"));
        button->setGeometry(0, 100, 120, 4);
        const QStringList problems = problemsOfShown(window);
        QVERIFY2(mentions(problems, QStringLiteral("Squeezed")), qPrintable(problems.join('\n')));
        QVERIFY2(mentions(problems, QStringLiteral("Flat")), qPrintable(problems.join('\n')));
    }

    void overlapsAndControlsOutsideTheirParentAreFound()
    {
        QWidget window;
        window.resize(300, 200);
        labelAt(&window, "First", QStringLiteral("低"), QRect(10, 10, 60, 30));
        labelAt(&window, "Second", QStringLiteral("高"), QRect(50, 20, 60, 30));
        labelAt(&window, "Outside", QStringLiteral("高"), QRect(280, 10, 60, 30));
        // Hidden controls are not on show and may lie anywhere.
        labelAt(&window, "Hidden", QStringLiteral("低"), QRect(10, 10, 60, 30))->hide();
        const QStringList problems = problemsOfShown(window);
        QVERIFY2(mentions(problems, QStringLiteral("First QLabel overlaps Second")),
                 qPrintable(problems.join('\n')));
        QVERIFY2(mentions(problems, QStringLiteral("Outside QLabel reaches outside")),
                 qPrintable(problems.join('\n')));
        QVERIFY2(!mentions(problems, QStringLiteral("Hidden")), qPrintable(problems.join('\n')));
    }

    void aReadOnlyTextThatScrollsIsFound()
    {
        QWidget window;
        window.resize(300, 200);
        auto *text =
            new QPlainTextEdit(QStringLiteral("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12"), &window);
        text->setObjectName(QStringLiteral("Report"));
        text->setReadOnly(true);
        text->setGeometry(0, 0, 200, 60);
        const QStringList problems = problemsOfShown(window);
        QVERIFY2(mentions(problems, QStringLiteral("Report")), qPrintable(problems.join('\n')));
    }

    void aCutTabIsFound()
    {
        QWidget window;
        window.resize(400, 200);
        auto *tabs = new QTabWidget(&window);
        tabs->setUsesScrollButtons(false);
        tabs->setElideMode(Qt::ElideNone);
        for (const char *text : {"全般", "圧縮率", "バージョン"})
            tabs->addTab(new QWidget, QString::fromUtf8(text));
        tabs->setGeometry(0, 0, 70, 100);
        const QStringList problems = problemsOfShown(window);
        QVERIFY2(mentions(problems, QStringLiteral("バージョン")), qPrintable(problems.join('\n')));
    }
};

VEXEL_QTEST_CLASS(LayoutCheckTest)
#include "LayoutCheckTest.moc"
