#include "PostedStatusWindow.h"

#include "StatusWindow.h"

#include <QCoreApplication>
#include <QPointer>

#include <atomic>

namespace vexel::kit {

// `window` and `ended` are touched on the application's thread only; `closed` is the
// one thing both threads share.
struct PostedStatusWindow::Shared {
    QPointer<StatusWindow> window;
    bool ended = false;
    std::atomic<bool> closed{false};
};

namespace {

template <typename Function>
void post(Function function)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(function),
                              Qt::QueuedConnection);
}

} // namespace

PostedStatusWindow::PostedStatusWindow(const QString &title) : shared_(std::make_shared<Shared>())
{
    post([shared = shared_, title] {
        if (shared->ended)
            return; // the call was over before the window could be made
        shared->window = new StatusWindow(title, [shared] { shared->closed = true; });
        QObject::connect(shared->window, &QObject::destroyed, [shared] {
            if (!shared->ended)
                shared->closed = true;
        });
        shared->window->show();
    });
}

PostedStatusWindow::~PostedStatusWindow()
{
    post([shared = shared_] {
        shared->ended = true;
        delete shared->window.data();
    });
}

void PostedStatusWindow::showProgress(const Progress::Snapshot &snapshot)
{
    post([shared = shared_, snapshot] {
        if (shared->window)
            shared->window->showProgress(snapshot);
    });
}

bool PostedStatusWindow::closed() const { return shared_->closed.load(); }

} // namespace vexel::kit
