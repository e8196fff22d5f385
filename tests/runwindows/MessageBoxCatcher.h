// Answers the modal message boxes a test provokes: records each one's title, text and
// icon and presses its OK button, so that the code under test goes on.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <vector>

namespace vexel::test {

struct CaughtMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon;
};

class MessageBoxCatcher {
public:
    MessageBoxCatcher()
    {
        poll_.setInterval(5);
        QObject::connect(&poll_, &QTimer::timeout, [this] { answerOpenBoxes(); });
        poll_.start();
    }

    std::vector<CaughtMessage> messages;

    QStringList texts() const
    {
        QStringList list;
        for (const CaughtMessage &m : messages)
            list << m.text;
        return list;
    }

private:
    void answerOpenBoxes()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (box == nullptr || !box->isVisible())
                continue;
            messages.push_back({box->windowTitle(), box->text(), box->icon()});
            if (QAbstractButton *ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
        }
    }

    QTimer poll_;
};

} // namespace vexel::test
