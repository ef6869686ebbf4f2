// Feeds arbitrary text to the statement parser, and runs what parses against a small list.
#include "engine/TableCache.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "engine/TextTableRecordSet.h"
#include "engine/TextTableStatement.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

struct Folder
{
    QTemporaryDir dir;
    Folder()
    {
        QFile list(dir.filePath("Veyra.csv"));
        list.open(QIODevice::WriteOnly);
        list.write("SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,DOB,PASSPORT/IDNUMBER\r\n"
                   "1,,SMITH,JOHN,PAUL,1/2/1960,A1\r\n2,YES,Smith,JO,,1960-01-02,\r\n3,,\"O'BRIEN, P\",,,,\r\n");
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Folder folder;
    static TableCache cache;
    const QString sql = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        TextTableStatement::parse(sql);
        TextTableConnection connection(cache);
        connection.open(QStringLiteral("Data Source=%1/;Extended Properties=\"text;HDR=YES;FMT=Delimited\"")
                            .arg(folder.dir.path()));
        TextTableRecordSet records;
        records.open(sql, connection);
        for (; !records.eof(); records.moveNext()) {
            for (int j = 0; j < records.fieldCount(); ++j)
                (void)records.value(j);
        }
    } catch (const TextTableError &) {
    }
    return 0;
}
