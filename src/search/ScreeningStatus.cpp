#include "search/ScreeningStatus.h"

#include "search/RowMarks.h"

QString ScreeningStatus::fromMarks(Rgb foreColor, Rgb backColor)
{
    if (foreColor == RowColors::Red)
        return QString::fromLatin1(NoFly);
    if (backColor == RowColors::Yellow)
        return QString::fromLatin1(Selectee);
    return QString::fromLatin1(Cleared);
}
