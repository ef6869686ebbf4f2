#pragma once

#include "shared/Rgb.h"

#include <QList>
#include <QString>
#include <QStringList>

// Carrying searched name rows onto the manifest: the status is read from the marks the searches left.
class ManifestScreening
{
public:
    struct SearchedRow
    {
        QString lastName;
        QString firstAndMiddleName;
        QString dateOfBirth;
        QString passport;
        Rgb foreColor; // of the first-and-middle-name box
        Rgb backColor;
        QString advisory; // what the near-miss advisory left on the row, if anything
    };

    struct Placement
    {
        int row = 0; // grid row, 1 to 49
        QString fullName;
        QString dateOfBirth;
        QString passport;
        QString status;
        QString advisory;
    };

    struct Result
    {
        QList<Placement> placements;
        int leftOut = 0; // persons for whom no grid row was left
    };

    // fullNames: the Full Name cells of grid rows 1 to 49. The persons go below the first unbroken block of
    // filled rows, in order, rows without a last name passed over.
    static Result place(const QStringList &fullNames, const QList<SearchedRow> &rows);
};
