#pragma once

#include "platform/printing/PrintSurface.h"

#include <functional>

// What both printouts share: the frame that ends the document and puts the font back whatever happens, and
// centred lines.
namespace PrintSteps {

// Runs draw; a PrintFailure skips the rest of it. Then ends the document and restores the surface's font.
// False when draw did not run to its end.
bool run(PrintSurface &page, const std::function<void()> &draw);

// Prints text centred on the page (it may start left of the edge when it is wider) and ends the line.
void centred(PrintSurface &page, const QString &text);

// Names the versions of the lists used ("file  SHA-256 prefix", empty ones left out) in small type at the
// bottom left of the page, below all the printout draws.
void listIdentities(PrintSurface &page, const QStringList &identities);

} // namespace PrintSteps
