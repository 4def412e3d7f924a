#pragma once

// Queries on a Qt Quick item tree. Items made from components (a row's swipe actions, a sheet's
// content, a popup in the window's overlay) are not QObject children of the screen that shows
// them, so these walk the visual tree.
#include <QPoint>
#include <QQuickItem>
#include <QString>

#include <functional>

// The first item at or under `root`, depth first, for which `match` holds; null when none does
// or there is no root.
inline QQuickItem *findItemWhere(QQuickItem *root, const std::function<bool(QQuickItem *)> &match)
{
    if (!root)
        return nullptr;
    if (match(root))
        return root;
    for (QQuickItem *child : root->childItems())
        if (QQuickItem *found = findItemWhere(child, match))
            return found;
    return nullptr;
}

// The item named `name` (its objectName) at or under `root`, shown or not.
inline QQuickItem *findItem(QQuickItem *root, const QString &name)
{
    return findItemWhere(root, [&](QQuickItem *i) { return i->objectName() == name; });
}

// The item's Accessible.name, or empty: the attached object is a child QObject of its item.
inline QString accessibleName(const QQuickItem *item)
{
    for (const QObject *c : item->children())
        if (qstrcmp(c->metaObject()->className(), "QQuickAccessibleAttached") == 0)
            return c->property("name").toString();
    return {};
}

// Whether the item can be seen: it and every item it lies in are visible and not transparent.
inline bool isShown(const QQuickItem *item)
{
    for (const QQuickItem *p = item; p; p = p->parentItem())
        if (!p->isVisible() || p->opacity() <= 0.01)
            return false;
    return true;
}

// The item's centre in window coordinates, where a finger taps it.
inline QPoint centreOf(const QQuickItem *item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

// Whether `inner` is `outer` or lies inside it.
inline bool isWithin(const QQuickItem *inner, const QQuickItem *outer)
{
    for (const QQuickItem *p = inner; p; p = p->parentItem())
        if (p == outer)
            return true;
    return false;
}
