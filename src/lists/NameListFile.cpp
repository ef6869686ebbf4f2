#include "lists/NameListFile.h"

#include "audit/FileHistory.h"
#include "platform/files/RecordFile.h"

namespace {

QList<Record> rowRecords(const QList<NameQuery::Row> &rows)
{
    QList<Record> records;
    for (const NameQuery::Row &row : rows) {
        if (!row.lastName.isEmpty())
            records.append({row.lastName, row.firstAndMiddleName, row.dateOfBirth, row.passport});
    }
    return records;
}

} // namespace

QString NameListFile::fileName(Kind kind, int number)
{
    static const char *const prefixes[] = {"Crew-", "Employee-", "Mechanic-", "Passenger-"};
    return QLatin1String(prefixes[static_cast<int>(kind)]) + QString::number(number);
}

QByteArray NameListFile::format(const QList<NameQuery::Row> &rows)
{
    return RecordFile::format(rowRecords(rows));
}

bool NameListFile::write(const QString &path, const QList<NameQuery::Row> &rows, const FileHistory &history,
                         QString *error)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const NameQuery::Row &row = rows[i];
        if (row.lastName.isEmpty())
            continue;
        for (const QString *text : {&row.lastName, &row.firstAndMiddleName, &row.dateOfBirth, &row.passport}) {
            if (text->contains(u'"')) {
                if (error)
                    *error =
                        QStringLiteral("Row %1 holds a double quote (\"), which a name list cannot keep.").arg(i + 1);
                return false;
            }
        }
    }
    const QList<Record> records = rowRecords(rows);
    return history.keepCopy(path, RecordFile::format(records), error) && RecordFile::write(path, records, error);
}

QList<NameQuery::Row> NameListFile::read(const QString &path)
{
    const QStringList values = RecordFile::read(path).values;
    QList<NameQuery::Row> rows;
    for (qsizetype i = 0; i + 3 < values.size() && rows.size() < MaxRows; i += 4) {
        if (values[i].isEmpty())
            break;
        rows.append({values[i], values[i + 1], values[i + 2], values[i + 3]});
    }
    return rows;
}
