#include "print/PrintSteps.h"

namespace PrintSteps {

bool run(PrintSurface &page, const std::function<void()> &draw)
{
    const PrintFont before = page.font();
    bool whole = true;
    try {
        draw();
    } catch (const PrintFailure &) {
        whole = false;
    }
    try {
        page.endDoc();
    } catch (const PrintFailure &) {
        whole = false; // nothing more can be done for this document
    }
    // The italic setting stays off, as the printouts leave it.
    page.setFont({before.name, before.size, before.bold, false});
    return whole;
}

void centred(PrintSurface &page, const QString &text)
{
    page.currentX = page.pageWidth() / 2 - page.textWidth(text) / 2;
    page.print(text, true);
}

void listIdentities(PrintSurface &page, const QStringList &identities)
{
    QStringList shown = identities;
    shown.removeAll(QString());
    if (shown.isEmpty())
        return;
    page.setFont({QStringLiteral("Tahoma"), 7, false, false});
    // The lines end 60 twips above the page's bottom on the paper, where every y lands OriginShift lower.
    page.currentY = page.pageHeight() - PrintSurface::OriginShift - 60 - double(shown.size()) * page.lineHeight();
    for (const QString &line : std::as_const(shown)) {
        page.currentX = 200;
        page.print(line, true);
    }
}

} // namespace PrintSteps
