#include "run/windows/StatusWindowWatch.h"

#include "run/FormatTable.h"

#include <QApplication>
#include <QWidget>

namespace vexel {

QString statusWindowTitle(std::string_view format)
{
    const FormatInfo *info = findFormat(format);
    if (info == nullptr)
        return {};
    return QString::fromUtf8(info->statusTitle.data(), qsizetype(info->statusTitle.size()));
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
