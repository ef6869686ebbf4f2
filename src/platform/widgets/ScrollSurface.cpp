#include "platform/widgets/ScrollSurface.h"

#include <QApplication>
#include <QResizeEvent>
#include <QScreen>

namespace {

class Surface : public QWidget
{
public:
    explicit Surface(ScrollSurface &owner)
        : m_owner(owner)
    {}

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        emit m_owner.surfaceResized(event->size());
    }

private:
    ScrollSurface &m_owner;
};

// Room for the window manager's frame and title, which are not known before the window is shown.
constexpr int FrameAllowanceX = 16;
constexpr int FrameAllowanceY = 48;

} // namespace

ScrollSurface::ScrollSurface(QWidget *parent)
    : QScrollArea(parent)
    , m_surface(new Surface(*this))
{
    setObjectName(QStringLiteral("Surface"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(m_surface);
    // The controls take the focus, not the area; a control reached by Tab is scrolled into sight.
    setFocusPolicy(Qt::NoFocus);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_surface->isAncestorOf(now))
            ensureWidgetVisible(now);
    });
}

void ScrollSurface::setFittingSize(const QSize &size)
{
    m_surface->setMinimumSize(size);
}

namespace WindowFit {

void fitToScreen(QWidget &window, const QSize &designed, const QSize &fitting)
{
    QScreen *screen = window.screen();
    if (!screen)
        return;
    const QSize available = screen->availableGeometry().size() - QSize(FrameAllowanceX, FrameAllowanceY);
    window.setMinimumSize(fitting.boundedTo(available));
    window.resize(designed.expandedTo(fitting).boundedTo(available));
}

} // namespace WindowFit
