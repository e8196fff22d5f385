#include "dirtree/RealPath.h"

#include <QDir>

namespace vexel::dirtree {
namespace {

// The name of `component` inside `folder` as stored on disk, or "" when there is none.
QString storedName(const QString &folder, const QString &component, FolderSource &source)
{
    if (source.isFolder(folder + component))
        return component;
    QString match;
    for (const QString &name : source.listSubfolders(folder).names) {
        if (name.compare(component, Qt::CaseInsensitive) != 0)
            continue;
        if (!match.isEmpty())
            return {}; // ambiguous: "Data" and "data" both exist
        match = name;
    }
    return match;
}

} // namespace

QString realPath(const QString &path, FolderSource &source)
{
    QString absolute = path.trimmed();
    if (!absolute.startsWith('/'))
        absolute = source.currentFolder() + absolute;
    QString real = "/";
    for (const QString &component : QDir::cleanPath(absolute).split('/', Qt::SkipEmptyParts)) {
        const QString name = storedName(real, component, source);
        if (name.isEmpty())
            break;
        real += name + '/';
    }
    return real;
}

} // namespace vexel::dirtree
