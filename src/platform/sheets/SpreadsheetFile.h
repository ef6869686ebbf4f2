#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// A spreadsheet's shown sheet, columns A to D, as the sheet displays them, read from the file's bytes alone:
// .xlsx and .xlsm, .ods, and .xls, told apart by their content, never by their name. Nothing is recalculated,
// fetched or started; a file that cannot be read whole, or whose shown values cannot be trusted, is refused.
namespace SpreadsheetFile {

struct Sheet
{
    QString name;            // of the sheet read
    QList<QStringList> rows; // row r is rows[r - 1]; trailing empty cells and rows dropped
    int lastRowBeyond = 0;   // the last row below the rows read that holds a cell, or 0
};

// maxRows 0 reads every row. Throws SheetRefusal (from platform/sheets/SheetCells.h) with the reason.
Sheet read(const QByteArray &bytes, const QString &fileName, int maxRows, const std::atomic<bool> *cancelled = nullptr);

} // namespace SpreadsheetFile
