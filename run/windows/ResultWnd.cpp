#include "run/windows/ResultWnd.h"

#include "run/windows/Twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vexel {

namespace {

bool isClosingKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

ResultWnd::ResultWnd(const QString &runReport, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("ResultWnd"));
    setWindowTitle(QStringLiteral("Vexel - 圧縮結果"));
    setFixedSize(twipsSize(4680, 3015));

    Label1 = new QLabel(QStringLiteral("▼ 圧縮結果"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(120, 120, 2535, 255));

    ResultText = new QPlainTextEdit(this);
    ResultText->setObjectName(QStringLiteral("ResultText"));
    ResultText->setGeometry(twipsRect(120, 360, 4455, 2175));
    ResultText->setReadOnly(true);
    ResultText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ResultText->setPlainText(runReport);

    CloseButton = new QPushButton(QStringLiteral("閉じる"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setGeometry(twipsRect(3120, 2640, 1455, 285));
    connect(CloseButton, &QPushButton::clicked, this, &ResultWnd::CloseButton_Click);

    // Key preview: the text box would otherwise take Enter for itself.
    ResultText->installEventFilter(this);
    CloseButton->installEventFilter(this);
}

bool ResultWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (isClosingKey(event)) {
        CloseButton_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ResultWnd::keyPressEvent(QKeyEvent *event)
{
    if (isClosingKey(event))
        CloseButton_Click();
    else
        QDialog::keyPressEvent(event);
}

void ResultWnd::CloseButton_Click() { accept(); }

} // namespace vexel
