#pragma once

#include <QColor>
#include <QLineEdit>

// A one-line text box whose text and background colours are properties, as the name rows use them.
class TextBox : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)

public:
    explicit TextBox(QWidget *parent = nullptr);

    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &color);
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &color);

private:
    QColor m_foreColor = Qt::black;
    QColor m_backColor = Qt::white;
};
