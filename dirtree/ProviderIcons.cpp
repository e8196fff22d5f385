#include "dirtree/ProviderIcons.h"

#include <QFileInfo>

namespace vexel::dirtree {
namespace {

QIcon openIconFor(const QIcon &closed)
{
    const QString openName = closed.name() + QStringLiteral("-open");
    return !closed.name().isEmpty() && QIcon::hasThemeIcon(openName) ? QIcon::fromTheme(openName)
                                                                     : closed;
}

} // namespace

QString ProviderIcons::imageKey(const QIcon &icon)
{
    const QString id = icon.name().isEmpty() ? QString::number(icon.cacheKey()) : icon.name();
    return QStringLiteral("ICON:") + id;
}

QString ProviderIcons::driveImage(const QString &)
{
    return ensureImage(provider_.icon(QAbstractFileIconProvider::Drive));
}

FolderIcons ProviderIcons::folderImages(const QString &path)
{
    const QIcon closed = provider_.icon(QFileInfo(path));
    const QString closedKey = ensureImage(closed);
    return {closedKey, openImage(closed, closedKey)};
}

void ProviderIcons::removeAll()
{
    images_.clear();
    openIconOfClosed_.clear();
}

QString ProviderIcons::ensureImage(const QIcon &icon)
{
    if (icon.isNull())
        return {};
    const QString key = imageKey(icon);
    images_.add(key, icon);
    return key;
}

// Found once per closed icon: theme lookups are too slow to repeat for every folder.
QString ProviderIcons::openImage(const QIcon &closed, const QString &closedKey)
{
    if (closedKey.isEmpty())
        return {};
    auto known = openIconOfClosed_.constFind(closedKey);
    if (known == openIconOfClosed_.constEnd())
        known = openIconOfClosed_.insert(closedKey, openIconFor(closed));
    return ensureImage(*known);
}

} // namespace vexel::dirtree
