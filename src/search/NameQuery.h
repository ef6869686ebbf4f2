#pragma once

#include "engine/UnstatedValues.h"

#include <QString>

// The statement the search sends for one name row.
struct NameQuery
{
    struct Row
    {
        QString lastName;
        QString firstAndMiddleName;
        QString dateOfBirth;
        QString passport;
    };

    enum Outcome { NoStatement, Refused, Statement };

    Outcome outcome = NoStatement;
    QString statement;
    QString refusal; // "Need Last Name" or "Must enter DOB"
    // The fields as the search writes them back: the names and the passport upper-cased where filled.
    Row written;

    // clearedList: exact name matching and the date rule; dateRuleApplies: the row is flagged by an earlier
    // search (every visited row in grid mode); gridMode: a last name must sort above a single space to count.
    static NameQuery build(const Row &row, bool clearedList, bool dateRuleApplies, bool gridMode);

    static QString connectionText(const QString &folder);

    // How the engine treats what a record leaves unstated. On a Cleared list, where a match clears a person,
    // strictly; on any other list an empty or unreadable date of birth, an empty passport, first or middle name,
    // or a date that gives only a year or a month, never excludes the record.
    static UnstatedValues unstatedValues(bool clearedList);

    // The column every statement narrows by first: a list's keys in it are best read with the list.
    static constexpr auto KeyColumn = "LASTNAME";

    static constexpr auto RefusalTitle = "Missing Information";
    static constexpr auto NeedLastName = "Need Last Name";
    static constexpr auto MustEnterDob = "Must enter DOB";
};
