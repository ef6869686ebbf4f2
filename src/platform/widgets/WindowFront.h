#pragma once

#include <QWidget>

namespace WindowFront {

// Shows a window, brings it to the front of the window order and gives it the focus.
inline void show(QWidget &window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace WindowFront
