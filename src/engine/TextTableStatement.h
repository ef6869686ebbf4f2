#pragma once

#include <QDate>
#include <QString>

#include <vector>

// A statement of the text-table engine: SELECT * FROM name [WHERE condition {AND condition}], where a condition
// is column = 'text', column LIKE 'pattern' or column = #date#, and a column is a bare name or [any name].
struct TextTableStatement
{
    struct Condition
    {
        enum Kind { Equals, Like, EqualsDate };
        Kind kind = Equals;
        QString column;
        QString text; // the literal of Equals and Like
        QDate date;   // the literal of EqualsDate
    };

    QString table;
    std::vector<Condition> conditions;

    // Throws TextTableError (SyntaxError) for anything else.
    static TextTableStatement parse(const QString &sql);
};
