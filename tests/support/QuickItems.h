#pragma once

#include <QQuickItem>
#include <QString>

// The item named `name` under `root`, searched through the visual tree: items made from
// components (a row's swipe actions, a sheet's content) are not QObject children.
inline QQuickItem *findItem(QQuickItem *root, const QString &name)
{
    if (root->objectName() == name)
        return root;
    for (QQuickItem *child : root->childItems())
        if (QQuickItem *found = findItem(child, name))
            return found;
    return nullptr;
}
