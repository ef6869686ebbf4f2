#include "platform/widgets/BusyWait.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <memory>
#include <vector>

namespace {

class InputBlocker : public QObject
{
public:
    explicit InputBlocker(QPushButton *cancel = nullptr)
        : m_cancel(cancel)
    {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (m_cancel && watched == m_cancel)
                return false;
            event->ignore();
            return true;
        case QEvent::KeyPress:
            if (m_cancel && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                m_cancel->click();
                return true;
            }
            event->ignore();
            return true;
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

private:
    QPushButton *m_cancel;
};

constexpr int ShowAfterMs = 150;

std::vector<std::unique_ptr<QThread>> &abandoned()
{
    static std::vector<std::unique_ptr<QThread>> threads;
    return threads;
}

} // namespace

BusyLine::BusyLine(QWidget *parent)
    : QWidget(parent)
    , m_text(new QLabel(this))
    , m_bar(new QProgressBar(this))
    , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("BusyLine"));
    m_text->setObjectName(QStringLiteral("BusyText"));
    m_bar->setObjectName(QStringLiteral("BusyBar"));
    m_cancel->setObjectName(QStringLiteral("BusyCancel"));
    // How long the work takes is not known beforehand: the bar moves to say the program is at it.
    m_bar->setRange(0, 0);
    m_bar->setTextVisible(false);
    m_bar->setMaximumWidth(160);
    m_cancel->setCursor(Qt::ArrowCursor);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &BusyLine::cancelRequested);
    hide();
}

void BusyLine::start(const QString &doing, bool cancellable)
{
    m_text->setText(doing);
    m_cancel->setVisible(cancellable);
    show();
    raise();
}

void BusyLine::finish()
{
    hide();
    m_text->clear();
}

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

Ended run(const std::function<void()> &work, BusyLine &line, const QString &doing, std::atomic<bool> *cancelled)
{
    InputBlocker blocker(cancelled ? line.cancelButton() : nullptr);
    qApp->installEventFilter(&blocker);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    std::unique_ptr<QThread> thread(QThread::create(work));
    QEventLoop loop;
    // Work done within a blink shows no line, so the window does not flicker at every small search.
    QTimer shown;
    shown.setSingleShot(true);
    QObject::connect(&shown, &QTimer::timeout, &line, [&] { line.start(doing, cancelled != nullptr); });
    shown.start(ShowAfterMs);
    bool cancel = false;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QObject::connect(&line, &BusyLine::cancelRequested, &loop, [&] {
        cancel = true;
        if (cancelled)
            *cancelled = true;
        loop.quit();
    });
    thread->start();
    loop.exec();
    if (cancel && !thread->isFinished())
        abandoned().push_back(std::move(thread));
    else
        thread->wait();

    line.finish();
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(&blocker);
    return cancel ? Ended::Cancelled : Ended::Done;
}

void finishAbandoned()
{
    for (const auto &thread : abandoned())
        thread->wait();
    abandoned().clear();
}

} // namespace BusyWait
