#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QPaintDevice;
class QWidget;

// Screen positions and sizes are given in twips (1/1440 inch), converted with the device's logical DPI.
namespace Twips {

inline constexpr int PerInch = 1440;

int toPixelsX(int twips, const QPaintDevice &device);
int toPixelsY(int twips, const QPaintDevice &device);
int fromPixelsX(int pixels, const QPaintDevice &device);
int fromPixelsY(int pixels, const QPaintDevice &device);
QSize toPixels(const QSize &twips, const QPaintDevice &device);

// Places a child widget at a position and size given in twips.
void place(QWidget *widget, int left, int top, int width, int height);

// How wide text is in the widget's own font.
int textWidth(const QWidget &widget, const QString &text);

} // namespace Twips
