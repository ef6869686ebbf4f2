#pragma once

#include <QColor>
#include <QLabel>

// A label whose text and background colours are properties; without a back colour it shows the window's.
class Label : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)

public:
    explicit Label(const QString &text = QString(), QWidget *parent = nullptr);

    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &color);
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &color);

private:
    QColor m_foreColor = Qt::black;
    QColor m_backColor;
};
