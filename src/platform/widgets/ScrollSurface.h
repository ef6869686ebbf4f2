#pragma once

#include <QScrollArea>
#include <QSize>

// A window's drawing surface inside a scroll area. Above the size at which every control fits, the surface grows
// with the window; below it, the window scrolls instead of cutting controls off.
class ScrollSurface : public QScrollArea
{
    Q_OBJECT

public:
    explicit ScrollSurface(QWidget *parent);

    QWidget *surface() const { return m_surface; }
    // The least size, in pixels, at which every control of the surface is in sight.
    void setFittingSize(const QSize &size);

signals:
    void surfaceResized(const QSize &size);

private:
    QWidget *m_surface;
};

namespace WindowFit {

// The size a window opens at: the one it was designed for, no larger than the screen's available area, which
// holds at any scale factor because both are in the same logical pixels. The least size is the fitting one, or
// the whole available area where the screen is smaller than that; the scroll area then reaches the rest.
void fitToScreen(QWidget &window, const QSize &designed, const QSize &fitting);

} // namespace WindowFit
