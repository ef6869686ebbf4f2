#pragma once

#include "search/NameQuery.h"

#include <QList>
#include <QString>

class FileHistory;

// The sixteen saved name lists: four kinds, numbered 1 to 4, one file each ("Crew-1" ... "Passenger-4") in the
// manifest folder, one quoted line of four fields per name row.
class NameListFile
{
public:
    enum class Kind { Crew, Employee, Mechanic, Passenger };
    static constexpr int Slots = 4;
    static constexpr int MaxRows = 10;

    static QString fileName(Kind kind, int number);

    // The rows with a last name, in order, as lines of four quoted fields.
    static QByteArray format(const QList<NameQuery::Row> &rows);
    // Refuses rows whose texts hold a double quote (the format cannot keep one) and names the first such row;
    // otherwise replaces the file whole, or leaves it as it was.
    // The slot's previous contents are kept in history first.
    static bool write(const QString &path, const QList<NameQuery::Row> &rows, const FileHistory &history,
                      QString *error);

    // The records of a list, four values each, up to ten, ending at the first empty last name or at a record
    // the file does not hold whole. A missing file holds none.
    static QList<NameQuery::Row> read(const QString &path);
};
