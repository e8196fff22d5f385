// Image keys for the folder tree from QFileIconProvider. The key is "ICON:" followed by
// the icon's theme name, or else its cache key (the provider hands out one shared icon
// per kind, so the cache key is stable). The open-folder icon is the theme's "<name>-open"
// where the theme has one, else the closed icon.
#pragma once

#include "dirtree/IconKeys.h"
#include "dirtree/TreeImageList.h"

#include <QFileIconProvider>
#include <QHash>

namespace vexel::dirtree {

class ProviderIcons : public IconKeys {
public:
    explicit ProviderIcons(TreeImageList &images) : images_(images) {}

    QString driveImage(const QString &root) override;
    FolderIcons folderImages(const QString &path) override;
    void removeAll() override;

    static QString imageKey(const QIcon &icon);

private:
    QString ensureImage(const QIcon &icon);
    QString openImage(const QIcon &closed, const QString &closedKey);

    TreeImageList &images_;
    QFileIconProvider provider_;
    QHash<QString, QIcon> openIconOfClosed_;
};

} // namespace vexel::dirtree
