// The status window of a call made on a thread other than the application's. Widgets
// live on the application's thread only, so this object, held by the calling thread,
// never touches the window: it posts its creation, updates and removal to the
// application's thread, and learns through an atomic flag that the window was closed
// (the host's cancel, or the user's close box). Nothing here waits for the application's
// thread, so a host that is busy elsewhere only delays the window, never the work.
#pragma once

#include "Progress.h"

#include <QString>

#include <memory>

namespace vexel::kit {

class PostedStatusWindow {
public:
    explicit PostedStatusWindow(const QString &title);
    ~PostedStatusWindow(); // the window goes; a close after this stops nothing
    PostedStatusWindow(const PostedStatusWindow &) = delete;
    PostedStatusWindow &operator=(const PostedStatusWindow &) = delete;

    void showProgress(const Progress::Snapshot &snapshot);
    // True once the window was closed or deleted by someone else.
    bool closed() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace vexel::kit
