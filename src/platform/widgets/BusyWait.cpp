#include "platform/widgets/BusyWait.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>

#include <memory>

namespace {

class InputBlocker : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::Close:
            event->ignore();
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

} // namespace

namespace BusyWait {

void run(const std::function<void()> &work)
{
    InputBlocker blocker;
    qApp->installEventFilter(&blocker);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    std::unique_ptr<QThread> thread(QThread::create(work));
    QEventLoop loop;
    // Queued to this thread, so it cannot arrive before the loop runs.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    thread->wait();

    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(&blocker);
}

} // namespace BusyWait
