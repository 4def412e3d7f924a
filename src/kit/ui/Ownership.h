#pragma once

#include <QObject>
#include <QQmlEngine>

// Gives an object that was made without an owner to one, so that it goes when its owner does.
// A swipe row's action item is such an object: the row makes it on the first swipe and leaves it
// behind when the row is destroyed.
class Ownership : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    // Leaves an object that already has a parent as it is.
    Q_INVOKABLE static void adopt(QObject *object, QObject *owner);
};
