// Feeds arbitrary bytes to the screening record as its file: verify may say what it likes but must not crash,
// an append must always succeed, cut nothing but a damaged end back to a line boundary (and nothing at all from
// a record that verifies whole), add its two lines, and leave a record that verifies whole wherever the lines
// before it did.
#include "audit/ScreeningRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ScreeningRecord record(folder.path());
    const auto write = [&record](const QByteArray &contents) {
        QFile file(record.path());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size())
            std::abort();
    };
    // At most what an append keeps: every line that has its line end.
    const QByteArray whole = bytes.left(bytes.lastIndexOf('\n') + 1);
    write(whole);
    const bool wholeBefore = record.verify().whole;
    write(bytes);
    (void)record.verify();

    ScreeningEntry entry;
    entry.mode = QString::fromLatin1(ScreeningEntry::BatchMode);
    entry.lastName = QString::fromUtf8(bytes.left(40));
    entry.records = {QStringLiteral("1")};
    const ScreeningRecord::Appended appended =
        record.append({entry, entry}, QStringLiteral("fuzz"), QStringLiteral("fuzz"));
    if (!appended.ok)
        std::abort();
    QFile file(record.path());
    file.open(QIODevice::ReadOnly);
    const QByteArray after = file.readAll();
    // What stayed of the lines before: a start of them, ending at a line end.
    const qsizetype kept = after.size() > 0 ? after.lastIndexOf('\n', after.size() - 2) : -1;
    const qsizetype keptEnd = after.lastIndexOf('\n', kept - 1) + 1;
    const QByteArray before = after.left(keptEnd);
    if (!whole.startsWith(before) || after.count('\n') != before.count('\n') + 2)
        std::abort();
    if (wholeBefore && before != whole)
        std::abort();
    if (wholeBefore && !record.verify().whole)
        std::abort();
    QFile::remove(record.path());
    QDir(folder.path() + QStringLiteral("/History")).removeRecursively(); // the torn pieces kept
    return 0;
}
