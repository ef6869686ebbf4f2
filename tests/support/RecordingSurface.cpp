#include "support/RecordingSurface.h"

RecordingSurface::RecordingSurface(double width, double height)
    : m_width(width)
    , m_height(height)
{
    setFont(PrintFont());
}

void RecordingSurface::countDraw()
{
    if (failAfter == 0)
        throw PrintFailure("the printer went away");
    if (failAfter > 0)
        --failAfter;
}

void RecordingSurface::drawText(double x, double y, const QString &text)
{
    countDraw();
    ops.append({Op::Text, x, y, 0, 0, text, font()});
}

void RecordingSurface::drawLine(double x1, double y1, double x2, double y2)
{
    countDraw();
    ops.append({Op::Line, x1, y1, x2, y2, QString(), font()});
}

void RecordingSurface::endDocument()
{
    ops.append({Op::EndDoc, 0, 0, 0, 0, QString(), font()});
}
