#pragma once

#include "platform/printing/MeasuredSurface.h"

#include <QList>

// A page that keeps what is drawn on it, for tests: texts and lines with their positions on the paper.
class RecordingSurface : public MeasuredSurface
{
public:
    struct Op
    {
        enum Kind { Text, Line, EndDoc };
        Kind kind = Text;
        double x = 0, y = 0, x2 = 0, y2 = 0;
        QString text;
        PrintFont font;
    };

    // A Letter page by default, in twips.
    explicit RecordingSurface(double width = 12240, double height = 15840);

    double pageWidth() const override { return m_width; }
    double pageHeight() const override { return m_height; }

    // Type of made-up, round measures, so that a test can write every position out as a number: each character
    // is as wide as ten twips per point of the font's size, and a line is 25 twips per point high. Wrapping keeps
    // the real font's measures.
    bool fixedMetrics = false;
    // With fixed metrics: a font this much wider and taller than those round measures, as a substitute font is.
    double metricScale = 1;
    double textWidth(const QString &text) const override
    {
        return fixedMetrics ? double(text.size()) * font().size * 10 * metricScale : MeasuredSurface::textWidth(text);
    }
    double lineHeight() const override
    {
        return fixedMetrics ? font().size * 25 * metricScale : MeasuredSurface::lineHeight();
    }

    QList<Op> ops;
    // Draws this many times, then fails as a printer that went away would; -1 never fails.
    int failAfter = -1;

protected:
    void drawText(double x, double y, const QString &text) override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void endDocument() override;

private:
    void countDraw();

    double m_width;
    double m_height;
};
