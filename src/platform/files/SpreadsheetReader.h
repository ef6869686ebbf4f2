#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// Cell texts of a spreadsheet's active sheet, A1 to D1000, as the sheet displays them. .xls, .xlsx, .xlsm and
// .ods files are read by the helper veyracheck-sheet in a process of its own, so that a damaged or hostile file
// can at worst end the helper, never the program; a .csv file is read by the text-table engine's rules.
class SpreadsheetReader
{
public:
    static constexpr int MaxRows = 1000;
    static constexpr int MaxCols = 4;
    // Long enough for a busy machine; the operator can cancel sooner.
    static constexpr int TimeoutMs = 120000;
    // The file name patterns of what can be read, for a file list.
    static constexpr auto Patterns = "*.xls;*.xlsx;*.xlsm;*.ods;*.csv";

    struct Result
    {
        bool ok = false;
        QString error;
        QList<QStringList> rows; // row r of the sheet is rows[r - 1]; short rows hold only their leading cells
        QString notice;          // read, but something the operator must know (names below row 1000)
    };

    // True for the extensions read here (letter case ignored).
    static bool isReadable(const QString &fileName);

    // cancelled, when given and set from another thread, ends the read at once, with an error.
    static Result read(const QString &helperPath, const QString &file, int timeoutMs = TimeoutMs,
                       const std::atomic<bool> *cancelled = nullptr);

    // A names file of comma-separated values without a header: the first four fields of each record. A file
    // with more than maxRows records is refused whole rather than cut short; 0 takes any number.
    static Result readCsv(const QString &file, int maxRows = MaxRows);

    // The helper's output: one line per row, cells separated by TAB.
    static QList<QStringList> parse(const QByteArray &output);
};
