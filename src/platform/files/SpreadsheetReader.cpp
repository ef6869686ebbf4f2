#include "platform/files/SpreadsheetReader.h"

#include "engine/TableCache.h"
#include "engine/TextTable.h"
#include "engine/TextTableError.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

bool SpreadsheetReader::isReadable(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm") ||
           suffix == QLatin1String("ods") || suffix == QLatin1String("csv");
}

SpreadsheetReader::Result SpreadsheetReader::read(const QString &helperPath, const QString &file, int timeoutMs,
                                                  const std::atomic<bool> *cancelled)
{
    if (QFileInfo(file).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return readCsv(file);
    Result result;
    QProcess helper;
    helper.start(helperPath, {file});
    if (!helper.waitForStarted(timeoutMs)) {
        result.error = QStringLiteral("The spreadsheet reader %1 could not be started.").arg(helperPath);
        return result;
    }
    QElapsedTimer waited;
    waited.start();
    bool finished = false;
    // In short waits, so that a cancel is heard at once.
    while (!finished && waited.elapsed() < timeoutMs && !(cancelled && *cancelled))
        finished = helper.waitForFinished(50) || helper.state() == QProcess::NotRunning;
    if (!finished) {
        // Asked first, so that the helper can end the office process it started; then made to.
        helper.terminate();
        if (!helper.waitForFinished(3000)) {
            helper.kill();
            helper.waitForFinished();
        }
        result.error =
            cancelled && *cancelled ? QStringLiteral("Cancelled.") : QStringLiteral("Reading the file took too long.");
        return result;
    }
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0) {
        const QString reason = QString::fromUtf8(helper.readAllStandardError()).trimmed();
        result.error = reason.isEmpty() ? QStringLiteral("The file is damaged.") : reason;
        return result;
    }
    result.ok = true;
    result.rows = parse(helper.readAllStandardOutput());
    result.notice = QString::fromUtf8(helper.readAllStandardError()).trimmed();
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

QList<QStringList> SpreadsheetReader::parse(const QByteArray &output)
{
    QList<QStringList> rows;
    for (const QByteArray &line : output.split('\n')) {
        if (rows.size() == MaxRows)
            break;
        QStringList cells = QString::fromUtf8(line).split(u'\t');
        if (cells.size() > MaxCols)
            cells.resize(MaxCols);
        rows.append(cells);
    }
    while (!rows.isEmpty() && rows.last() == QStringList{QString()})
        rows.removeLast(); // the last line end, and trailing empty rows, carry no cell
    return rows;
}
