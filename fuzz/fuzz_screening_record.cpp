// Feeds arbitrary bytes to the screening record as its file: verify may say what it likes but must not crash,
// an append must always succeed, keep every whole line before it, and leave a record that verifies whole
// wherever the lines before it did.
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
    // What an append keeps: every line that has its line end.
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
    if (!after.startsWith(whole) || after.count('\n') != whole.count('\n') + 2)
        std::abort();
    if (wholeBefore && !record.verify().whole)
        std::abort();
    QFile::remove(record.path());
    QDir(folder.path() + QStringLiteral("/History")).removeRecursively(); // the torn pieces kept
    return 0;
}
