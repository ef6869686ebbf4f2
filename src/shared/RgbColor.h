#pragma once

#include "shared/Rgb.h"

#include <QColor>

inline QColor toColor(Rgb c)
{
    return QColor(c.red, c.green, c.blue);
}

inline Rgb toRgb(const QColor &c)
{
    return {c.red(), c.green(), c.blue()};
}
