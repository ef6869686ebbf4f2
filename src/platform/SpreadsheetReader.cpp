#include "platform/SpreadsheetReader.h"

#include <QProcess>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

int numberAt(std::string_view text, size_t pos, size_t length)
{
    int value = -1;
    if (pos + length <= text.size())
        std::from_chars(text.data() + pos, text.data() + pos + length, value);
    return value;
}

} // namespace

SpreadsheetReader::Result SpreadsheetReader::read(const QString &helperPath, const QString &file, int timeoutMs)
{
    Result result;
    QProcess helper;
    helper.start(helperPath, {file});
    if (!helper.waitForStarted(timeoutMs)) {
        result.error = QStringLiteral("The spreadsheet reader %1 could not be started.").arg(helperPath);
        return result;
    }
    if (!helper.waitForFinished(timeoutMs)) {
        helper.kill();
        helper.waitForFinished();
        result.error = QStringLiteral("Reading the file took too long.");
        return result;
    }
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0) {
        const QString reason = QString::fromUtf8(helper.readAllStandardError()).trimmed();
        result.error = reason.isEmpty() ? QStringLiteral("The file is damaged.") : reason;
        return result;
    }
    result.ok = true;
    result.rows = parse(helper.readAllStandardOutput());
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

std::string SpreadsheetReader::numberText(double value)
{
    if (std::isnan(value) || std::isinf(value))
        return "#NUM!";
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        char whole[32];
        std::snprintf(whole, sizeof whole, "%.0f", value);
        return whole;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string SpreadsheetReader::dateText(std::string_view isoDate)
{
    const int year = numberAt(isoDate, 0, 4);
    const int month = numberAt(isoDate, 5, 2);
    const int day = numberAt(isoDate, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::string(isoDate);
    return std::to_string(month) + '/' + std::to_string(day) + '/' + std::to_string(year);
}

std::string SpreadsheetReader::dateTimeText(std::string_view isoDateTime)
{
    const std::string date = dateText(isoDateTime.substr(0, 10));
    const int hour = numberAt(isoDateTime, 11, 2);
    if (hour < 0 || isoDateTime.size() < 16)
        return date;
    return date + ' ' + std::to_string(hour) + std::string(isoDateTime.substr(13, 3));
}

std::string SpreadsheetReader::timeText(std::string_view isoTime)
{
    const int hour = numberAt(isoTime, 0, 2);
    if (hour < 0 || isoTime.size() < 8)
        return std::string(isoTime);
    return std::to_string(hour) + std::string(isoTime.substr(2, 6));
}

std::string SpreadsheetReader::cellText(std::string_view text)
{
    std::string clean(text);
    for (char &c : clean) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return clean;
}
