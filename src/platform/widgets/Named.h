#pragma once

#include <QString>

// Names a control: its object name is its control name (Text1_3, Command2, ...), which the tests find it by.
template <typename Object> Object *named(Object *object, const QString &name)
{
    object->setObjectName(name);
    return object;
}
