// A library's status window: a top-level window with the library's exact title, the
// member being written and a progress bar over bytes. Closing it (the close box, or
// close() from the host) calls `onClose`, which stops the work.
#pragma once

#include "Progress.h"

#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;

namespace vexel::kit {

class StatusWindow : public QWidget {
    Q_OBJECT
public:
    StatusWindow(const QString &title, std::function<void()> onClose);
    void showProgress(const Progress::Snapshot &snapshot);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QLabel *member_;
    QProgressBar *bar_;
    std::function<void()> onClose_;
};

} // namespace vexel::kit
