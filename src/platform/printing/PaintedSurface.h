#pragma once

#include "platform/printing/MeasuredSurface.h"

#include <QPageSize>
#include <QPainter>

#include <memory>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

// Paper: a printer, each document its own job; or a PDF file, each document starting a new page of the one file.
// On a printer W, H and the origin are those of the printable area, so nothing falls into the margin the printer
// cannot reach; a PDF has no such margin, and there they are the whole page.
class PaintedSurface : public MeasuredSurface
{
public:
    ~PaintedSurface() override;

    // The default printer, or nothing when the system has none.
    static std::unique_ptr<PaintedSurface> forDefaultPrinter();
    // A printer as it is set up: its page layout's paint rectangle is the page drawn on.
    static std::unique_ptr<PaintedSurface> forPrinter(std::unique_ptr<QPrinter> printer);
    static std::unique_ptr<PaintedSurface> forPdf(const QString &path, const QPageSize &pageSize);
    // The default printer's paper where one is known, else Letter.
    static QPageSize defaultPageSize();

    double pageWidth() const override { return m_pageTwips.width(); }
    double pageHeight() const override { return m_pageTwips.height(); }

    // Ends the last page; a PDF is then complete. False when it could not be written.
    bool finish();

protected:
    void drawText(double x, double y, const QString &text) override;
    void drawLine(double x1, double y1, double x2, double y2) override;
    void endDocument() override;

private:
    PaintedSurface() = default;
    void ensurePage();

    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPagedPaintDevice *m_device = nullptr;
    QPainter m_painter;
    QSizeF m_pageTwips;
    bool m_newPageDue = false;
};
