#include "platform/sheets/SpreadsheetFile.h"

#include "platform/sheets/CompoundFile.h"
#include "platform/sheets/OdsSheet.h"
#include "platform/sheets/SheetCells.h"
#include "platform/sheets/XlsSheet.h"
#include "platform/sheets/XlsxSheet.h"
#include "platform/sheets/ZipParts.h"

namespace SpreadsheetFile {

Sheet read(const QByteArray &bytes, const QString &fileName, int maxRows, const std::atomic<bool> *cancelled)
{
    SheetCells cells(maxRows, cancelled);
    cells.setFileName(fileName);
    Sheet sheet;
    if (CompoundFile::hasSignature(bytes)) {
        sheet.name = XlsSheet::read(bytes, cells);
    } else if (bytes.startsWith("PK\x03\x04")) {
        const ZipParts parts(bytes);
        if (XlsxSheet::isWorkbook(parts))
            sheet.name = XlsxSheet::read(parts, cells);
        else if (OdsSheet::isSpreadsheet(parts))
            sheet.name = OdsSheet::read(parts, cells);
        else
            throw SheetRefusal{QStringLiteral("It is not a spreadsheet (.xls, .xlsx, .xlsm or .ods).")};
    } else if (bytes.isEmpty()) {
        throw SheetRefusal{QStringLiteral("It is empty.")};
    } else {
        throw SheetRefusal{QStringLiteral("It is not a spreadsheet (.xls, .xlsx, .xlsm or .ods).")};
    }
    sheet.rows = cells.rows();
    sheet.lastRowBeyond = cells.lastRowBeyond();
    return sheet;
}

} // namespace SpreadsheetFile
