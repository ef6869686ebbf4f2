#pragma once

#include <QString>
#include <QStringList>

// One searched person, as the screening record keeps it.
struct ScreeningEntry
{
    static constexpr auto TextBoxMode = "text-box";
    static constexpr auto GridMode = "grid";
    static constexpr auto BatchMode = "batch";
    static constexpr auto RescreenMode = "rescreen"; // saved name lists and manifests screened again

    QString mode;
    // The list, as it was read.
    QString listFile;
    qint64 listRecords = 0;
    QString listSha256;
    // The person's four fields as they were searched.
    QString lastName;
    QString firstAndMiddleName;
    QString dateOfBirth;
    QString passport;
    // What the search decided: one of the words below.
    QString match;
    static constexpr auto NoMatch = "no match";
    static constexpr auto Matched = "match";
    static constexpr auto ClearedMatch = "cleared match";
    static constexpr auto Refused = "refused"; // no statement ran, or the engine rejected it
    static constexpr auto Failed = "failed";   // the search stopped at this row
    // The row's mark ("red on yellow", "unchanged"), the batch status ("NO FLY"), or the refusal.
    QString outcome;
    QStringList records; // the matching records' identifiers
};
