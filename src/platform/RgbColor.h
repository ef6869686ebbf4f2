#pragma once

#include "platform/Rgb.h"

#include <QColor>

inline QColor toColor(Rgb c)
{
    return QColor(c.red, c.green, c.blue);
}
