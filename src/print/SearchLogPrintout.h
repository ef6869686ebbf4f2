#pragma once

#include <QString>
#include <QStringList>

class PrintSurface;

// The one-page record that a search was made: company, date, name list, the lists in use, a signature line.
class SearchLogPrintout
{
public:
    struct Inputs
    {
        QString companyName;
        QString date; // today, in the system's short date form
        QString currentNameFile;
        QString noFlyListName;
        QString selecteeListName;
        QString clearedListName;
        QStringList listIdentities; // the lists' versions, named in small type at the bottom of the page
    };

    // Draws the page and ends the document. A failure while drawing ends it with what was drawn; the surface's
    // font is put back either way. False when the page could not be drawn whole.
    static bool print(PrintSurface &surface, const Inputs &inputs);
};
