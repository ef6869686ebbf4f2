#pragma once

#include <QString>

class SheetCells;
class ZipParts;

// The shown sheet of an OpenDocument spreadsheet (.ods): the active table when it is visible, otherwise the
// first visible one, counted among the spreadsheet's own tables (never a table inside a cell). Numbers take the
// cell's data style; results are the ones the file stores.
namespace OdsSheet {

bool isSpreadsheet(const ZipParts &parts);
QString read(const ZipParts &parts, SheetCells &cells);

} // namespace OdsSheet
