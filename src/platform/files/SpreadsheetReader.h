#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// Cell texts of a spreadsheet's shown sheet, columns A to D, as the sheet displays them. .xls, .xlsx, .xlsm and
// .ods files are read in the program from their bytes (platform/sheets); a .csv file by the text-table engine's
// rules.
class SpreadsheetReader
{
public:
    static constexpr int MaxRows = 1000;
    static constexpr int MaxCols = 4;
    // The file name patterns of what can be read, for a file list.
    static constexpr auto Patterns = "*.xls;*.xlsx;*.xlsm;*.ods;*.csv";
    // Larger files are refused before they are read.
    static constexpr qint64 MaxFileBytes = 256LL * 1024 * 1024;

    struct Result
    {
        bool ok = false;
        QString error;
        QList<QStringList> rows; // row r of the sheet is rows[r - 1]; short rows hold only their leading cells
        QString sheet;           // the name of the sheet read; empty for a .csv file
        QString notice;          // read, but something the operator must know (names below the last row read)
    };
    // How a window reads a file; tests put a stand-in in its place.
    using Read = std::function<Result(const QString &file, const std::atomic<bool> *cancelled)>;

    // True for the extensions read here (letter case ignored).
    static bool isReadable(const QString &fileName);
    // True when the file begins as a ZIP package or a compound file does, whatever its name: such bytes are
    // never names in comma-separated form.
    static bool hasSpreadsheetContainer(const QString &file);

    // Rows 1 to maxRows (0: every row). cancelled, when given and set from another thread, ends the read soon,
    // with an error.
    static Result read(const QString &file, int maxRows = MaxRows, const std::atomic<bool> *cancelled = nullptr);

    // A names file of comma-separated values without a header: the first four fields of each record. A file
    // with more than maxRows records is refused whole rather than cut short; 0 takes any number.
    static Result readCsv(const QString &file, int maxRows = MaxRows);
};
