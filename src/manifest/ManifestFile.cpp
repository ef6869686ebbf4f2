#include "manifest/ManifestFile.h"

#include "audit/FileHistory.h"
#include "engine/TextTable.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "engine/TextTableRecordSet.h"
#include "platform/files/DataFolder.h"
#include "platform/files/RecordFile.h"

#include <QDir>
#include <QFileInfo>

QString ManifestFile::fileName(const QString &manifestNumber)
{
    return QLatin1String(Prefix) + manifestNumber;
}

QString ManifestFile::fileNameProblem(const QString &fileName)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : fileName) {
        if (c.unicode() < 0x20 || forbidden.contains(c))
            return QStringLiteral("A manifest number may not contain \\ / : * ? \" < > | or control characters.");
    }
    if (fileName.endsWith(u' ') || fileName.endsWith(u'.'))
        return QStringLiteral("A manifest number may not end with a space or a full stop.");
    if (fileName.toUtf8().size() > 255)
        return QStringLiteral("The manifest number is too long for a file name.");
    return QString();
}

QString ManifestFile::manifestNumber(const QString &fileName)
{
    const qsizetype dash = fileName.indexOf(u'-');
    QString number = fileName.mid(dash + 1);
    if (fileName.contains(QLatin1String("csv"), Qt::CaseInsensitive))
        number.chop(4);
    return number;
}

namespace {
QList<Record> personRecords(const QList<QStringList> &persons)
{
    QList<Record> records;
    for (const QStringList &person : persons) {
        Record record;
        for (int c = 0; c < ManifestFile::StoredColumns; ++c) {
            QString cell = person.value(c);
            record.append(cell.replace(u'"', QLatin1String("\"\"")));
        }
        records.append(record);
    }
    return records;
}
} // namespace

QByteArray ManifestFile::format(const QList<QStringList> &persons)
{
    return RecordFile::format(personRecords(persons));
}

bool ManifestFile::write(const QString &path, const QList<QStringList> &persons, const FileHistory &history,
                         QString *error)
{
    const QList<Record> records = personRecords(persons);
    return history.keepCopy(path, RecordFile::format(records), error) && RecordFile::write(path, records, error);
}

QString ManifestFile::connectionText(const QString &folder)
{
    return TextTableConnection::connectionText(folder, false);
}

bool ManifestFile::load(TableCache &cache, const QString &path, const CellWriter &setCell, QByteArray *sha256)
{
    if (sha256)
        sha256->clear();
    if (!QFileInfo(path).isFile())
        return true;
    const QString workingName = QString::fromLatin1(WorkingName);
    TextTableConnection connection(cache);
    TextTableRecordSet records;
    try {
        connection.open(connectionText(QFileInfo(path).absolutePath()));
        // Read once and bound: the statement reads exactly the bytes whose hash is given back.
        const std::shared_ptr<TextTable> table = cache.table(path, false);
        connection.bindTable(workingName, path, table);
        if (sha256)
            *sha256 = table->sha256();
        records.open(QStringLiteral("SELECT * FROM ") + workingName, connection);
        records.moveFirst();
        for (int row = 1; !records.eof(); ++row) {
            for (int field = 0; field < records.fieldCount(); ++field) {
                const std::optional<QString> value = records.value(field);
                if (!value)
                    continue;
                if (row > PersonRows || field >= StoredColumns)
                    return false; // the grid has no such cell
                setCell(row, field + 1, *value);
            }
            records.moveNext();
        }
    } catch (const TextTableError &) {
        return false;
    }
    return true;
}
