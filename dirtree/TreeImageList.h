// The image list of the folder tree: icons under unique keys ("ICON:" + identifier),
// kept in the order they were added, found by key in constant time. The main window
// owns it and hands it to cDTree, which fills it.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <vector>

namespace vexel {

class TreeImageList {
public:
    int count() const { return static_cast<int>(images_.size()); }
    // Position of the image with this key, or -1.
    int indexOf(const QString &key) const { return index_.value(key, -1); }
    bool contains(const QString &key) const { return index_.contains(key); }
    // Adds the icon under `key` unless the key is taken; returns the key's position.
    int add(const QString &key, const QIcon &icon);
    QString key(int position) const { return images_.at(static_cast<size_t>(position)).key; }
    // The icon with this key, or a null icon.
    QIcon icon(const QString &key) const;
    void clear();

private:
    struct Image {
        QString key;
        QIcon icon;
    };
    std::vector<Image> images_;
    QHash<QString, int> index_;
};

} // namespace vexel
