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

} // namespace PrintSteps
