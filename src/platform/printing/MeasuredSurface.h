#pragma once

#include "platform/printing/PrintSurface.h"

#include <QFont>

// Measures text in twips with the surface's font: the font is sized in twips (a point is 20), so measuring
// needs no device and every surface, paper, PDF or recorder, lays out a page alike.
class MeasuredSurface : public PrintSurface
{
public:
    double textWidth(const QString &text) const override;
    double lineHeight() const override;
    QStringList wrap(const QString &text, double width) const override;

protected:
    void applyFont(const PrintFont &font) override;
    const QFont &qfont() const { return m_font; }

private:
    QFont m_font;
};
