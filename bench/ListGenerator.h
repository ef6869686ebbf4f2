#pragma once

// A seeded generator of realistic watch lists for the benchmarks: the eleven columns, skewed surnames, 40 % empty
// middle names, 10 % empty dates of birth in both written forms, 30 % empty passports, quoted MISC with commas.
// Names are made of syllables, so no real person is named.

#include <QDate>
#include <QString>

#include <random>
#include <vector>

struct Person
{
    QString last, first, middle, dobTyped, passport;
    QDate dob;
};

struct Generated
{
    std::vector<Person> sample; // about one record in a thousand, to build searches that match
    qint64 bytes = 0;
};

QString isoDate(const QDate &d);

// Writes the list to listPath and, when sqlitePath is given, a copy with an added ISO date column for sqlite3.
Generated generate(const QString &listPath, const QString &sqlitePath, int rows, std::mt19937_64 &rng);
