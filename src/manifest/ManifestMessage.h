#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The manifest as the HTML document that is mailed, with no line breaks. Every value is written with &, <, > and "
// as entities: a name from an outside spreadsheet must never become markup in a security officer's mail. A value
// without them goes in as it is.
class ManifestMessage
{
public:
    struct Inputs
    {
        QString companyName;
        QString manifestNumber;
        // Grid rows 1 to 49, each with the seven cells of columns 0 to 6.
        QList<QStringList> rows;
        QString noFlyListName;
        QString selecteeListName;
    };

    static QString build(const Inputs &inputs);
};
