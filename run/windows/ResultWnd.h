// ResultWnd: the modal report of a completed run. Enter and Esc close it wherever the
// focus is: the window sees key presses before its controls do. Below the report, a bar
// chart of every archive's size (ResultChart) and, beside the close button,
// OpenSaveFolder, which asks the desktop to show the folder the archive was saved in.
#pragma once

#include "run/windows/ResultChart.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vexel {

class ResultWnd : public QDialog {
    Q_OBJECT
public:
    // The report alone, without a chart or a folder to open.
    explicit ResultWnd(const QString &runReport, QWidget *parent = nullptr);
    // `saveFolder`: the folder that holds the saved archive (bytes of a Linux path).
    ResultWnd(const QString &runReport, const ChartInput &chart, const std::string &saveFolder,
              QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void CloseButton_Click();
    void OpenSaveFolder_Click();

private:
    QLabel *Label1 = nullptr;
    QPlainTextEdit *ResultText = nullptr;
    QPushButton *CloseButton = nullptr;
    QPushButton *OpenSaveFolder = nullptr;
    ResultChart *Chart = nullptr;
    std::string saveFolder_;
};

} // namespace vexel
