#pragma once

#include <QString>

class SheetCells;
class ZipParts;

// The shown sheet of an Office Open XML workbook (.xlsx, .xlsm): the active sheet when it is visible,
// otherwise the first visible one. Cells keep the results the file stores; nothing is recalculated.
namespace XlsxSheet {

// True when the package holds a workbook of this kind.
bool isWorkbook(const ZipParts &parts);
// Passes the shown sheet's cells to cells and returns the sheet's name; throws SheetRefusal.
QString read(const ZipParts &parts, SheetCells &cells);

} // namespace XlsxSheet
