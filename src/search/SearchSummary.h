#pragma once

#include "search/SearchRun.h"
#include "shared/Rgb.h"

#include <QString>

// What the status line says after a search, in which colour, and whether "Remove Cleared" is offered.
struct SearchSummary
{
    QString text;
    Rgb color;
    bool offerRemoval = false;

    // uncleared: the imported names left red (grid mode). A refused run reports success, as the operators know
    // it; a failed one asks for the search again.
    static SearchSummary of(SearchRun::Outcome outcome, bool gridMode, int uncleared);
};
