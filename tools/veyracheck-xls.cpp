// Prints the cell texts of a spreadsheet's first sheet, A1 to D1000, one line per row with the cells separated
// by TAB, for VeyraCheck's spreadsheet import. It runs as a process of its own because a damaged file can make
// the reading library fail badly; the program then only loses this process.
//   veyracheck-xls FILE.xls
// Exit status 0 when the file was read, 1 (with the reason on standard error) when it could not be.

#include "platform/SpreadsheetReader.h"

#include <freexl.h>

#include <cstdio>
#include <string>

namespace {

std::string cellText(const FreeXL_CellValue &cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return std::to_string(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return SpreadsheetReader::numberText(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return cell.value.text_value ? SpreadsheetReader::cellText(cell.value.text_value) : std::string();
    case FREEXL_CELL_DATE:
        return SpreadsheetReader::dateText(cell.value.text_value);
    case FREEXL_CELL_DATETIME:
        return SpreadsheetReader::dateTimeText(cell.value.text_value);
    case FREEXL_CELL_TIME:
        return SpreadsheetReader::timeText(cell.value.text_value);
    default:
        return std::string();
    }
}

int fail(const char *reason)
{
    std::fprintf(stderr, "%s\n", reason);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2)
        return fail("usage: veyracheck-xls FILE.xls");

    const void *handle = nullptr;
    const int opened = freexl_open(argv[1], &handle);
    struct Closer
    {
        const void *&handle;
        ~Closer() { freexl_close(handle); }
    } closer{handle};
    if (opened != FREEXL_OK)
        return fail("The file is not a spreadsheet in XLS format, or it is damaged.");

    unsigned int password = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED)
        return fail("The spreadsheet is protected by a password.");
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(handle, 0) != FREEXL_OK ||
        freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        return fail("The spreadsheet has no sheet that can be read.");

    const unsigned int lastRow = rows < SpreadsheetReader::MaxRows ? rows : SpreadsheetReader::MaxRows;
    const unsigned short lastCol = columns < SpreadsheetReader::MaxCols ? columns : SpreadsheetReader::MaxCols;
    std::string out;
    for (unsigned int r = 0; r < lastRow; ++r) {
        for (unsigned short c = 0; c < lastCol; ++c) {
            if (c > 0)
                out += '\t';
            FreeXL_CellValue cell{};
            if (freexl_get_cell_value(handle, r, c, &cell) != FREEXL_OK)
                return fail("A cell of the spreadsheet cannot be read; the file is damaged.");
            out += cellText(cell);
        }
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
