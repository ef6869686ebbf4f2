#include "platform/widgets/Label.h"

Label::Label(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setForeColor(m_foreColor);
}

void Label::setForeColor(const QColor &color)
{
    m_foreColor = color;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void Label::setBackColor(const QColor &color)
{
    m_backColor = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
    setAutoFillBackground(color.isValid());
}
