#include "platform/widgets/KeyboardReach.h"

#include "platform/widgets/FolderList.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>

namespace {

// Some desktop styles switch Alt navigation off; the operators' menus need it.
class AltNavigation : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

class EnterClicks : public QObject
{
public:
    EnterClicks(QWidget &window, QPushButton &button)
        : QObject(&window)
        , m_window(window)
        , m_button(button)
    {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        // Enter opens a folder in a folder list and picks a drive; on a file it chooses the file, then clicks.
        QWidget *focus = m_window.focusWidget();
        if (qobject_cast<FolderList *>(focus) || qobject_cast<QComboBox *>(focus) || qobject_cast<QPushButton *>(focus))
            return false;
        if (!m_button.isEnabled() || !m_button.isVisible())
            return false;
        m_button.click();
        return true;
    }

private:
    QWidget &m_window;
    QPushButton &m_button;
};

} // namespace

namespace KeyboardReach {

void menuBar(QMainWindow &window)
{
    QMenuBar *bar = window.menuBar();
    auto *style = new AltNavigation;
    style->setParent(bar);
    bar->setStyle(style);
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    // The menu bar enters its keyboard mode on an Alt pressed and released alone: F10 says just that.
    QObject::connect(f10, &QShortcut::activated, &window, [&window] {
        QWidget *target = window.focusWidget() ? window.focusWidget() : &window;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        QApplication::sendEvent(target, &release);
    });
}

void escapeCloses(QWidget &window)
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
}

void enterClicks(QWidget &window, QPushButton &button)
{
    window.installEventFilter(new EnterClicks(window, button));
}

} // namespace KeyboardReach
