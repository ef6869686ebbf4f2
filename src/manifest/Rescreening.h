#pragma once

#include "search/BatchScreening.h"

#include <QList>
#include <QString>
#include <QStringList>

class TableCache;

// After a new list: the saved name lists (the sixteen slots) and the saved manifests of a folder screened again,
// as the batch tool screens, and the persons whose status the new lists change. A manifest's person is reported
// when the status differs from the one saved with them; a name list's when the person is now "NO FLY" or "SSSS".
struct Rescreening
{
    struct Finding
    {
        QString source; // "Crew-1", "Manifest-VX1205"
        NameQuery::Row person;
        QString oldStatus; // the manifest's saved status; empty for a name list
        QString newStatus;
        std::optional<BatchScreening::Match> match; // the first record that matched
    };

    QList<Finding> findings;
    QString error;                 // a list or a manifest that cannot be read: nothing is reported as unchanged then
    QList<ScreeningEntry> entries; // every person each list's search looked at, for the screening record

    static Rescreening run(const QString &folder, const QStringList &lists, TableCache &cache);

    // A manifest's Full Name split at its last blank: the last word is the last name, the rest the first and
    // middle names.
    static NameQuery::Row manifestPerson(const QString &fullName, const QString &dateOfBirth, const QString &passport);

    // source,lastName,firstAndMiddleName,dateOfBirth,oldStatus,newStatus,list,record: one line per finding, the
    // record as one CSV line.
    QString csv() const;
};
