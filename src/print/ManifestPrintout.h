#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class PrintSurface;

// The manifest on paper: title, one line per person, the operator's two footer texts and the verification
// block, which goes on a second page when the person lines leave too little room.
class ManifestPrintout
{
public:
    struct Inputs
    {
        QString companyName;
        QString manifestNumber;
        QList<QStringList> rows; // grid rows 1 to 49, each with the cells of columns 0 to 6
        QString noFlyListName;
        QString selecteeListName;
        QString footerFolder; // where Footer1.txt and Footer2.txt lie
        QDate today;
        QStringList listIdentities; // the lists' versions, named in small type at the bottom of the last page
    };

    static constexpr double FooterSpace = 4890; // the footer block starts this far above the page's end

    // Draws and ends the document; a failure (a footer file missing or empty, the printer gone) ends it with
    // what was drawn. The surface's font is put back either way. False when the printout was not drawn whole.
    static bool print(PrintSurface &surface, const Inputs &inputs);

    // The first value of a footer file; throws PrintFailure when the file cannot be read or holds no value.
    static QString footerText(const QString &path);
};
