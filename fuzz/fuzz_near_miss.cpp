// Feeds arbitrary list records to the near-miss index and looks up people made of the same bytes: nothing may
// crash, hang on a long field, or break the finder's promises (scores within [threshold, 1], best first, rows of
// the list, reasons given).
#include "engine/TextTable.h"
#include "engine/TextTableError.h"
#include "search/NearMissFinder.h"
#include "search/NearMissIndex.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const TextTable table("LASTNAME,FIRSTNAME,MIDDLENAME,DOB,PASSPORT/IDNUMBER\r\n" + bytes, true);
        const NearMissIndex index(table);
        const NearMissFinder finder(table, index, 0.5);
        // The people: the first line read as one, and two fixed ones.
        const QStringList first = QString::fromUtf8(bytes.left(bytes.indexOf('\n'))).split(u',');
        const NameQuery::Row people[] = {{first.value(0), first.value(1), first.value(2), first.value(3)},
                                         {"MUHAMMAD", "ALI", "3/4/1970", "X1"},
                                         {first.value(1), first.value(0), "1/2/1960", ""}};
        for (const NameQuery::Row &person : people) {
            double last = 1.0;
            for (const NearMiss &miss : finder.find(person)) {
                if (miss.score < 0.5 || miss.score > last || miss.row >= table.rowCount() || miss.reasons.isEmpty())
                    std::abort();
                last = miss.score;
                (void)finder.fields(miss.row);
            }
        }
    } catch (const TextTableError &) {
        // A file that cannot be read whole is refused; that is an answer, not a fault.
    }
    return 0;
}
