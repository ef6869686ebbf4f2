#pragma once

#include "platform/MeasuredSurface.h"

#include <QPageSize>
#include <QPainter>

#include <memory>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

// Paper: the system's default printer, each document its own job; or a PDF file, each document starting a new
// page of the one file. The whole page is used, so W and H are the paper's width and height.
class PaintedSurface : public MeasuredSurface
{
public:
    ~PaintedSurface() override;

    // The default printer, or nothing when the system has none.
    static std::unique_ptr<PaintedSurface> forDefaultPrinter();
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
