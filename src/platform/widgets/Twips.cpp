#include "platform/widgets/Twips.h"

#include <QPaintDevice>
#include <QWidget>

#include <cmath>

namespace Twips {

namespace {
int scale(int value, int numerator, int denominator)
{
    return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}
} // namespace

int toPixelsX(int twips, const QPaintDevice &device)
{
    return scale(twips, device.logicalDpiX(), PerInch);
}
int toPixelsY(int twips, const QPaintDevice &device)
{
    return scale(twips, device.logicalDpiY(), PerInch);
}
int fromPixelsX(int pixels, const QPaintDevice &device)
{
    return scale(pixels, PerInch, device.logicalDpiX());
}
int fromPixelsY(int pixels, const QPaintDevice &device)
{
    return scale(pixels, PerInch, device.logicalDpiY());
}

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(toPixelsX(left, *widget), toPixelsY(top, *widget), toPixelsX(width, *widget),
                        toPixelsY(height, *widget));
}

int textWidth(const QWidget &widget, const QString &text)
{
    return fromPixelsX(widget.fontMetrics().horizontalAdvance(text), widget);
}

QSize toPixels(const QSize &twips, const QPaintDevice &device)
{
    return {toPixelsX(twips.width(), device), toPixelsY(twips.height(), device)};
}

} // namespace Twips
