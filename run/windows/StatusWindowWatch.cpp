#include "run/windows/StatusWindowWatch.h"

#include <QApplication>
#include <QWidget>

#include <array>
#include <utility>

namespace vexel {

namespace {

// The GZIP/BZIP2 library's status window is never looked for: it stays as the
// library shows it (or not).
constexpr std::array<std::pair<std::string_view, const char *>, 3> kStatusTitles{{
    {"LHA", "圧縮状況"},
    {"ZIP", "ZIP32J.DLL Status"},
    {"CAB", "キャビネットファイルを操作しています..."},
}};

} // namespace

QString statusWindowTitle(std::string_view format)
{
    for (const auto &[entryText, title] : kStatusTitles)
        if (entryText == format)
            return QString::fromUtf8(title);
    return {};
}

QWidget *findShownTopLevelWindow(const QString &title)
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == title)
            return widget;
    return nullptr;
}

void keepOnTop(QWidget *window)
{
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return;
    // Changing a window's flags re-creates and hides it; show it again at once.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window->show();
}

} // namespace vexel
