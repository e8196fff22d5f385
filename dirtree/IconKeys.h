// The icons of the folder tree, as image keys ("ICON:" + a stable identifier of the
// icon). Asking for a key also puts the icon into the image list when it is not there
// yet, so the list holds one image per distinct icon.
#pragma once

#include <QString>

namespace vexel::dirtree {

struct FolderIcons {
    QString image;         // closed folder
    QString selectedImage; // open folder
};

class IconKeys {
public:
    virtual ~IconKeys() = default;

    // "" when the system has no icon for it.
    virtual QString driveImage(const QString &root) = 0;
    virtual FolderIcons folderImages(const QString &path) = 0;
    virtual void removeAll() = 0;
};

} // namespace vexel::dirtree
