#include "platform/printing/PaintedSurface.h"

#include <QFontMetricsF>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
constexpr int PdfResolution = 1200;

QSizeF twipsOf(const QPageSize &page)
{
    return page.size(QPageSize::Point) * 20;
}
} // namespace

PaintedSurface::~PaintedSurface()
{
    finish();
}

std::unique_ptr<PaintedSurface> PaintedSurface::forDefaultPrinter()
{
    if (QPrinterInfo::availablePrinters().isEmpty() || QPrinterInfo::defaultPrinter().isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    // The margins the printer cannot print in, and no more.
    printer->setFullPage(false);
    printer->setPageMargins(printer->pageLayout().minimumMargins(), printer->pageLayout().units());
    return forPrinter(std::move(printer));
}

std::unique_ptr<PaintedSurface> PaintedSurface::forPrinter(std::unique_ptr<QPrinter> printer)
{
    std::unique_ptr<PaintedSurface> surface(new PaintedSurface);
    surface->m_printer = std::move(printer);
    surface->m_device = surface->m_printer.get();
    surface->m_pageTwips = surface->m_printer->pageLayout().paintRect(QPageLayout::Point).size() * 20;
    surface->setFont(PrintFont());
    return surface;
}

std::unique_ptr<PaintedSurface> PaintedSurface::forPdf(const QString &path, const QPageSize &pageSize)
{
    std::unique_ptr<PaintedSurface> surface(new PaintedSurface);
    surface->m_pdf = std::make_unique<QPdfWriter>(path);
    surface->m_pdf->setResolution(PdfResolution);
    surface->m_pdf->setPageSize(pageSize);
    surface->m_pdf->setPageMargins(QMarginsF(0, 0, 0, 0));
    surface->m_pdf->setCreator(QStringLiteral("VeyraCheck"));
    surface->m_device = surface->m_pdf.get();
    surface->m_pageTwips = twipsOf(pageSize);
    surface->setFont(PrintFont());
    return surface;
}

QPageSize PaintedSurface::defaultPageSize()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull() && printer.defaultPageSize().isValid())
        return printer.defaultPageSize();
    return QPageSize(QPageSize::Letter);
}

void PaintedSurface::ensurePage()
{
    if (m_painter.isActive()) {
        if (m_newPageDue && m_pdf && !m_pdf->newPage())
            throw PrintFailure("a new page could not be started");
        m_newPageDue = false;
        return;
    }
    if (!m_painter.begin(m_device))
        throw PrintFailure("the printer could not start a document");
    // One unit is one twip from the corner of the page drawn on.
    const double scale = m_device->logicalDpiX() / 1440.0;
    m_painter.scale(scale, m_device->logicalDpiY() / 1440.0);
    m_painter.setPen(QPen(Qt::black, 15));
    m_newPageDue = false;
}

void PaintedSurface::drawText(double x, double y, const QString &text)
{
    ensurePage();
    m_painter.setFont(qfont());
    m_painter.drawText(QPointF(x, y + QFontMetricsF(qfont()).ascent()), text);
}

void PaintedSurface::drawLine(double x1, double y1, double x2, double y2)
{
    ensurePage();
    m_painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void PaintedSurface::endDocument()
{
    if (m_printer) {
        // The job goes to the printer now; the next output starts a job of its own.
        if (m_painter.isActive())
            m_painter.end();
        return;
    }
    if (m_painter.isActive())
        m_newPageDue = true;
}

bool PaintedSurface::finish()
{
    return !m_painter.isActive() || m_painter.end();
}
