#include "platform/widgets/TextBox.h"

TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
    setForeColor(m_foreColor);
    setBackColor(m_backColor);
}

void TextBox::setForeColor(const QColor &color)
{
    m_foreColor = color;
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}

void TextBox::setBackColor(const QColor &color)
{
    m_backColor = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}
