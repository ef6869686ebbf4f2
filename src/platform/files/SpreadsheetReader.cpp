#include "platform/files/SpreadsheetReader.h"

#include "engine/TableCache.h"
#include "engine/TextTable.h"
#include "engine/TextTableError.h"

#include "platform/sheets/SheetCells.h"
#include "platform/sheets/SpreadsheetFile.h"

#include <QFile>
#include <QFileInfo>

bool SpreadsheetReader::isReadable(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm") ||
           suffix == QLatin1String("ods") || suffix == QLatin1String("csv");
}

bool SpreadsheetReader::hasSpreadsheetContainer(const QString &file)
{
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = source.read(8);
    return head.startsWith("PK\x03\x04") || head == QByteArray::fromHex("D0CF11E0A1B11AE1");
}

SpreadsheetReader::Result SpreadsheetReader::read(const QString &file, int maxRows, const std::atomic<bool> *cancelled)
{
    if (QFileInfo(file).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return readCsv(file, maxRows);
    Result result;
    // One read: the bytes judged are the bytes shown, whatever happens to the file meanwhile.
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly)) {
        result.error = source.errorString();
        return result;
    }
    if (source.size() > MaxFileBytes) {
        result.error = QStringLiteral("It is larger than 256 MB, more than a list of names needs.");
        return result;
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        result.error = source.errorString();
        return result;
    }
    try {
        const SpreadsheetFile::Sheet sheet =
            SpreadsheetFile::read(bytes, QFileInfo(file).fileName(), maxRows, cancelled);
        result.rows = sheet.rows;
        result.sheet = sheet.name;
        if (sheet.lastRowBeyond > 0)
            result.notice = QStringLiteral("Only rows 1 to %1 were read; the sheet has names down to row %2.")
                                .arg(maxRows)
                                .arg(sheet.lastRowBeyond);
    } catch (const SheetRefusal &refusal) {
        result.error = refusal.reason;
        return result;
    }
    result.ok = true;
    return result;
}

SpreadsheetReader::Result SpreadsheetReader::readCsv(const QString &file, int maxRows)
{
    Result result;
    try {
        TableCache cache(1);
        const std::shared_ptr<TextTable> table = cache.table(file, false);
        const size_t rows = table->rowCount();
        if (maxRows > 0 && rows > size_t(maxRows)) {
            result.error =
                QStringLiteral("It holds %1 names; at most %2 can be imported at once.").arg(rows).arg(maxRows);
            return result;
        }
        TextTable::Cursor cursor(*table);
        for (size_t r = 0; r < rows; ++r) {
            cursor.start(r);
            QStringList cells;
            for (int c = 0; c < MaxCols; ++c)
                cells.append(table->decode(cursor.field(c)));
            while (!cells.isEmpty() && cells.last().isEmpty())
                cells.removeLast();
            result.rows.append(cells);
        }
    } catch (const TextTableError &e) {
        result.error = e.message();
        return result;
    }
    result.ok = true;
    return result;
}
