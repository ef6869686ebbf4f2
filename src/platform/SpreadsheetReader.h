#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

// Cell texts of a spreadsheet's first sheet, A1 to D1000, as the sheet displays them. Reading runs in the helper
// veyracheck-xls, so that a damaged file can at worst end the helper, never the program.
class SpreadsheetReader
{
public:
    static constexpr int MaxRows = 1000;
    static constexpr int MaxCols = 4;
    static constexpr int TimeoutMs = 15000;

    struct Result
    {
        bool ok = false;
        QString error;
        QList<QStringList> rows; // row r of the sheet is rows[r - 1]; short rows hold only their leading cells
    };

    static Result read(const QString &helperPath, const QString &file, int timeoutMs = TimeoutMs);

    // The helper's output: one line per row, cells separated by TAB.
    static QList<QStringList> parse(const QByteArray &output);

    // Displayed texts: whole numbers without ".0", other numbers with up to 15 significant digits, dates as
    // M/D/YYYY, a TAB or line break inside a text as a space.
    static std::string numberText(double value);
    static std::string dateText(std::string_view isoDate);         // "YYYY-MM-DD"
    static std::string dateTimeText(std::string_view isoDateTime); // "YYYY-MM-DD HH:MM:SS"
    static std::string timeText(std::string_view isoTime);         // "HH:MM:SS"
    static std::string cellText(std::string_view text);
};
