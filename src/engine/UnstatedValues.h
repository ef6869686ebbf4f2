#pragma once

#include <QStringList>

// How a statement's conditions treat a record that does not state the value they test.
//   Strict: as written: an empty field equals only '', and a date field equals only the same whole date.
//   Open, on the columns named: an empty field passes, and so does a date the engine cannot read; a date that
//   gives only a year or a month and a year passes every date inside it.
struct UnstatedValues
{
    enum Rule { Strict, Open };
    Rule rule = Strict;
    QStringList columns;

    bool isOpen(const QString &column) const { return rule == Open && columns.contains(column, Qt::CaseInsensitive); }
};
