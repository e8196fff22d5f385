#include "run/windows/ResultWnd.h"

#include "run/windows/Twips.h"

#include <QDesktopServices>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

namespace vexel {

namespace {

constexpr int kBottomMargin = 8;

bool isClosingKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

ResultWnd::ResultWnd(const QString &runReport, QWidget *parent)
    : ResultWnd(runReport, ChartInput{}, std::string(), parent)
{}

ResultWnd::ResultWnd(const QString &runReport, const ChartInput &chart,
                     const std::string &saveFolder, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                  | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("ResultWnd"));
    setWindowTitle(QStringLiteral("Vexel - 圧縮結果"));

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

    saveFolder_ = saveFolder;
    OpenSaveFolder = new QPushButton(QStringLiteral("保存先を開く"), this);
    OpenSaveFolder->setObjectName(QStringLiteral("OpenSaveFolder"));
    OpenSaveFolder->setGeometry(twipsRect(120, 2640, 1815, 285));
    OpenSaveFolder->setAutoDefault(false);
    OpenSaveFolder->setEnabled(!saveFolder.empty());
    connect(OpenSaveFolder, &QPushButton::clicked, this, &ResultWnd::OpenSaveFolder_Click);

    // The chart goes below the design's controls; the window grows to hold it.
    int bottom = twipsToPixels(3015);
    if (!chart.made.empty()) {
        const QRect text = ResultText->geometry();
        Chart = new ResultChart(chart, this);
        Chart->setGeometry(text.left(), bottom, text.width(),
                           ResultChart::heightFor(chart.made.size()));
        bottom = Chart->geometry().bottom() + 1 + kBottomMargin;
    }
    setFixedSize(twipsToPixels(4680), bottom);

    // Key preview: the text box would otherwise take Enter for itself.
    ResultText->installEventFilter(this);
    CloseButton->installEventFilter(this);
    OpenSaveFolder->installEventFilter(this);
}

void ResultWnd::OpenSaveFolder_Click()
{
    const QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(saveFolder_)));
    if (!QDesktopServices::openUrl(url))
        QMessageBox::critical(this, QStringLiteral("Vexel"),
                              QStringLiteral("保存先を開けませんでした\n") + url.toLocalFile());
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

// The meta-object code compiled with this file, not in a unit of its own.
#include "moc_ResultWnd.cpp"
