#include "platform/printing/PrintSurface.h"

void PrintSurface::setFont(const PrintFont &font)
{
    m_font = font;
    applyFont(font);
}

void PrintSurface::print(const QString &text, bool endLine)
{
    if (!text.isEmpty())
        drawText(currentX, currentY + OriginShift, text);
    if (endLine) {
        currentX = 0;
        currentY += lineHeight();
    } else {
        currentX += textWidth(text);
    }
}

void PrintSurface::line(double x1, double y1, double x2, double y2)
{
    drawLine(x1, y1 + OriginShift, x2, y2 + OriginShift);
}

void PrintSurface::endDoc()
{
    endDocument();
    currentX = 0;
    currentY = 0;
}
