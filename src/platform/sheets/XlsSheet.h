#pragma once

#include <QByteArray>
#include <QString>

class SheetCells;

// The shown sheet of a binary Excel workbook (.xls: BIFF8, and BIFF5 of Excel 5 and 95) in its compound file:
// the active sheet when it is visible, otherwise the first visible one. Formula cells give their stored results.
namespace XlsSheet {

// The workbook stream of a compound file, passed to cells; returns the sheet's name. Throws SheetRefusal.
QString read(const QByteArray &compoundFile, SheetCells &cells);

} // namespace XlsSheet
