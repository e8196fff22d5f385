// Finding the status window an archiver library opens while it works, by its title.
#pragma once

#include <QString>

#include <string_view>

class QWidget;

namespace vexel {

// The exact title of the status window that the library of `format` (an entry text)
// shows, from the format table; empty for a format whose status window is never
// looked for.
QString statusWindowTitle(std::string_view format);

// A shown top-level widget whose title is exactly `title`, or null. Hidden windows are
// passed over: one not yet shown would escape a hide() and appear when its owner shows it.
QWidget *findShownTopLevelWindow(const QString &title);

// Keeps a shown top-level window above other windows.
void keepOnTop(QWidget *window);

} // namespace vexel
