// Feeds arbitrary bytes to the spreadsheet reader as a file (ZIP and compound-file seeds steer it into .xlsx,
// .ods and .xls): it may refuse, but must not crash, hang or grow without bound, and what it gives holds at most
// four cells a row, each one line of at most 32,767 characters.
#include "platform/sheets/SheetCells.h"
#include "platform/sheets/SpreadsheetFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const SpreadsheetFile::Sheet sheet = SpreadsheetFile::read(bytes, QStringLiteral("fuzz.xlsx"), 1000);
        if (sheet.rows.size() > 1000)
            std::abort();
        for (const QStringList &row : sheet.rows) {
            if (row.size() > SheetCells::Columns)
                std::abort();
            for (const QString &cell : row)
                if (cell.size() > SheetCells::MaxCellLength || cell.contains(u'\n') || cell.contains(u'\t') ||
                    cell.contains(u'\r'))
                    std::abort();
        }
    } catch (const SheetRefusal &refusal) {
        if (refusal.reason.isEmpty())
            std::abort();
    }
    return 0;
}
