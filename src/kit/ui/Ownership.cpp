#include "Ownership.h"

void Ownership::adopt(QObject *object, QObject *owner)
{
    if (!object || !owner || object == owner || object->parent())
        return;
    for (QObject *o = owner; o; o = o->parent())
        if (o == object)
            return; // would make a loop
    object->setParent(owner);
}
