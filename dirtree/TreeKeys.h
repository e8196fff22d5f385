// Keys, texts and order of the folder tree's nodes.
#pragma once

#include <QString>

namespace vexel::dirtree {

// A placeholder child means "not read yet" and gives its parent a plus box without
// touching the disk. No folder name holds a backslash, so it never meets a real folder.
inline const QString placeholderText = QStringLiteral("\\\\DUMMY\\\\");

inline QString placeholderKey(const QString &parentKey)
{
    return parentKey + placeholderText + '/';
}

inline QString childKey(const QString &parentKey, const QString &name)
{
    return parentKey + name + '/';
}

// Children of a folder are shown alphabetically, letter case aside; names that differ
// only in case keep a fixed order.
inline bool folderTextLess(const QString &a, const QString &b)
{
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

// The failure report's text: the system's description, ": &H", the code in upper-case
// hexadecimal (71 gives "&H47").
inline QString failureText(const QString &description, int code)
{
    return description + QStringLiteral(": &H") + QString::number(code, 16).toUpper();
}

} // namespace vexel::dirtree
