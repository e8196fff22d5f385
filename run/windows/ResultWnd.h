// ResultWnd: the modal report of a completed run. Enter and Esc close it wherever the
// focus is: the window sees key presses before its controls do.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vexel {

class ResultWnd : public QDialog {
    Q_OBJECT
public:
    explicit ResultWnd(const QString &runReport, QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void CloseButton_Click();

private:
    QLabel *Label1 = nullptr;
    QPlainTextEdit *ResultText = nullptr;
    QPushButton *CloseButton = nullptr;
};

} // namespace vexel
