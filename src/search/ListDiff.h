#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What changed between two versions of a watch list. A record is known by its first column when both lists begin
// with a column named SID (records sharing a SID meet the one with the same content first, the rest in the order
// they come in), and by everything it holds otherwise, when there can be no "changed", only removed and added.
// Both are the decoded text, so a change of encoding or of line ends alone is no change; a change of letter case
// or of blanks is.
struct ListDiff
{
    enum class Change { Added, Removed, Changed };

    struct Field
    {
        QString name;
        QString oldValue;
        QString newValue;
    };

    struct Entry
    {
        Change change = Change::Added;
        QString sid;          // empty when records are known by their whole text
        QStringList record;   // added: the new record's fields; removed: the old one's
        QList<Field> changed; // changed: each field that differs, in the new list's column order
    };

    QString error; // why a list could not be compared: it cannot be read whole
    bool bySid = false;
    QStringList columns;  // the new list's columns, then any the old one alone has, then "(field N)" for a field
                          // a record holds beyond its list's header
    QList<Entry> entries; // changed and added in the new list's order, then removed in the old list's order

    bool identical() const { return error.isEmpty() && entries.isEmpty(); }

    static ListDiff compare(const QString &oldPath, const QString &newPath);

    // "change,SID,field,old,new": one line per changed field; an added or removed record is one line, its
    // fields as one CSV line in "new" or "old".
    QString csv() const;
    QByteArray json() const;
};
