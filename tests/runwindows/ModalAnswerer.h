// Answers the modal windows a test provokes, so that the code under test goes on:
// message boxes (their title, text and icon are recorded, then OK is pressed) and the
// result window (its report and whether it was kept on top are recorded, then it is
// closed by its button).
#pragma once

#include "run/windows/ResultWnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <vector>

namespace vexel::test {

struct CaughtMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QString details; // the box's detailed text: why
};

struct CaughtReport {
    QString text;
    bool onTop;
};

class ModalAnswerer {
public:
    ModalAnswerer()
    {
        poll_.setInterval(5);
        QObject::connect(&poll_, &QTimer::timeout, [this] { answerOpenWindows(); });
        poll_.start();
    }

    std::vector<CaughtMessage> messages;
    std::vector<CaughtReport> reports;
    // Called with a shown result window before it is closed (to look at it).
    std::function<void(ResultWnd *)> onResult;

    QStringList texts() const
    {
        QStringList list;
        for (const CaughtMessage &m : messages)
            list << m.text;
        return list;
    }

private:
    void answerOpenWindows()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (!w->isVisible())
                continue;
            if (auto *box = qobject_cast<QMessageBox *>(w))
                answer(box);
            else if (auto *result = qobject_cast<ResultWnd *>(w))
                answer(result);
        }
    }

    void answer(QMessageBox *box)
    {
        messages.push_back({box->windowTitle(), box->text(), box->icon(), box->detailedText()});
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

    void answer(ResultWnd *result)
    {
        reports.push_back({result->findChild<QPlainTextEdit *>("ResultText")->toPlainText(),
                           result->windowFlags().testFlag(Qt::WindowStaysOnTopHint)});
        if (onResult)
            onResult(result);
        result->findChild<QPushButton *>("CloseButton")->click();
    }

    QTimer poll_;
};

} // namespace vexel::test
