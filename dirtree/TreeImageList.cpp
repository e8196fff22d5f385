#include "dirtree/TreeImageList.h"

namespace vexel {

int TreeImageList::add(const QString &key, const QIcon &icon)
{
    const auto found = index_.constFind(key);
    if (found != index_.constEnd())
        return *found;
    images_.push_back({key, icon});
    return index_[key] = count() - 1;
}

QIcon TreeImageList::icon(const QString &key) const
{
    const int position = indexOf(key);
    return position < 0 ? QIcon() : images_[static_cast<size_t>(position)].icon;
}

void TreeImageList::clear()
{
    images_.clear();
    index_.clear();
}

} // namespace vexel
