// Feeds arbitrary bytes to the CSV reader: every record split, every field decoded, an index built and used.
#include "engine/TextTable.h"
#include "engine/TextTableError.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const bool hasHeader = data[0] & 1;
    try {
        TextTable table(QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)), hasHeader);
        TextTable::Cursor cursor(table);
        std::string folded;
        for (size_t row = 0; row < table.rowCount(); ++row) {
            cursor.start(row);
            const int count = cursor.count();
            for (int k = 0; k < count; ++k) {
                (void)table.decode(cursor.field(k));
                table.fold(cursor.field(k), folded);
            }
        }
        if (table.columnCount() > 0 && table.rowCount() > 0) {
            cursor.start(0);
            table.fold(cursor.field(0), folded);
            const auto filter = TextTable::prefixFilter(table.columnCount() - 1, "ab%", false, true);
            for (uint32_t row : table.candidates(0, folded, filter))
                cursor.start(row);
        }
    } catch (const TextTableError &) {
        // A file that cannot be read whole is refused; that is an answer, not a fault.
    }
    return 0;
}
