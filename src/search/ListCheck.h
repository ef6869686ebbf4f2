#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <vector>

// What a watch-list file holds as the engine reads it, and what in it would make a search less than exact: for
// an operator to check a list before trusting it.
struct ListCheck
{
    struct Place
    {
        size_t line = 0; // physical line, from 1, the header being line 1
        QString text;
    };
    // How many, and the first few of them.
    struct Findings
    {
        size_t count = 0;
        std::vector<Place> first;
        void add(size_t line, const QString &text);
    };
    static constexpr size_t Shown = 10;

    QString fileName;
    QString refusal; // the engine's reason when the file cannot be read at all
    size_t records = 0;
    int columns = 0;
    QString encoding;
    size_t windows1252Fields = 0; // fields that are not valid UTF-8
    size_t crlf = 0, lf = 0, cr = 0;
    Findings longer;  // records with more fields than the header names (the text: how many)
    Findings shorter; // records with fewer
    QStringList duplicateColumns;
    QStringList missingColumns; // columns the search's statements name
    Findings unreadableDates;
    size_t partialDates = 0;

    bool readable() const { return refusal.isEmpty(); }
    QStringList warnings() const;

    static ListCheck check(const QString &path);
    // The report as veyracheck-lists prints it.
    QString report() const;
};
