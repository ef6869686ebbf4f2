#include "TestSupport.h"
#include "engine/TableCache.h"
#include "engine/TextTable.h"

#include <QTemporaryDir>

using TestSupport::writeFile;

// Parsed lists kept by file identity: what is served from memory, what is read again, and what is let go.
class TestTableCache : public QObject
{
    Q_OBJECT

private slots:
    void leastRecentlyUsedGoes_data();
    void leastRecentlyUsedGoes();
    void renameCostsNothingAndAnEditIsReadAgain();
    void refusedFileStaysRefusedUntilItChanges();
};

void TestTableCache::leastRecentlyUsedGoes_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QString>("reads");     // one letter per read of list a, b, c or d
    QTest::addColumn<QList<int>>("parses"); // the count of parses after each read

    newRow("each list read once", 2, "abab", QList<int>{1, 2, 2, 2});
    newRow("a third list pushes out the least recently used", 2, "abcb", QList<int>{1, 2, 3, 3});
    newRow("the pushed-out list is read again", 2, "abca", QList<int>{1, 2, 3, 4});
    newRow("using a list keeps it", 2, "abacab", QList<int>{1, 2, 2, 3, 3, 4});
    newRow("a cache of one keeps the last", 1, "aab", QList<int>{1, 1, 2});
    newRow("a capacity of 0 is taken as one", 0, "aa", QList<int>{1, 1});
    newRow("four lists in a cache of four", 4, "abcdabcd", QList<int>{1, 2, 3, 4, 4, 4, 4, 4});
}

void TestTableCache::leastRecentlyUsedGoes()
{
    QFETCH(int, capacity);
    QFETCH(QString, reads);
    QFETCH(QList<int>, parses);

    QTemporaryDir dir;
    for (const char name : {'a', 'b', 'c', 'd'})
        writeFile(dir.filePath(QStringLiteral("%1.csv").arg(name)), QByteArray("ID\r\n") + name + "\r\n");
    TableCache cache{size_t(capacity)};
    QList<int> seen;
    for (const QChar name : reads) {
        const auto table = cache.table(dir.filePath(QStringLiteral("%1.csv").arg(name)), true);
        TextTable::Cursor cursor(*table);
        cursor.start(0);
        QCOMPARE(QString::fromUtf8(cursor.field(0).data(), qsizetype(cursor.field(0).size())), QString(name));
        seen.append(cache.parses());
    }
    QCOMPARE(seen, parses);
}

void TestTableCache::renameCostsNothingAndAnEditIsReadAgain()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra_No_Fly.csv"), "ID,NAME\r\n1,ROE\r\n");
    TableCache cache;
    QCOMPARE(cache.table(dir.filePath("Veyra_No_Fly.csv"), true)->rowCount(), size_t(1));
    QVERIFY(QFile::rename(dir.filePath("Veyra_No_Fly.csv"), dir.filePath("Veyra.csv")));
    QCOMPARE(cache.table(dir.filePath("Veyra.csv"), true)->rowCount(), size_t(1));
    QCOMPARE(cache.parses(), 1);

    writeFile(dir.filePath("Veyra.csv"), "ID,NAME\r\n1,ROE\r\n2,DOE\r\n");
    QCOMPARE(cache.table(dir.filePath("Veyra.csv"), true)->rowCount(), size_t(2));
    QCOMPARE(cache.parses(), 2);
    // Read without a header, the same file is another table.
    QCOMPARE(cache.table(dir.filePath("Veyra.csv"), false)->rowCount(), size_t(3));
    QCOMPARE(cache.parses(), 3);

    QFile::remove(dir.filePath("Veyra.csv"));
    try {
        cache.table(dir.filePath("Veyra.csv"), true);
        QFAIL("a deleted file was served");
    } catch (const TextTableError &e) {
        QCOMPARE(e.number(), int(TextTableError::TableNotFound));
    }
}

void TestTableCache::refusedFileStaysRefusedUntilItChanges()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("list.csv"), "ID,NAME\r\n1,\"ROE\r\n");
    TableCache cache;
    QString first, second;
    for (QString *message : {&first, &second}) {
        try {
            cache.table(dir.filePath("list.csv"), true);
            QFAIL("an unclosed quote was read");
        } catch (const TextTableError &e) {
            QCOMPARE(e.number(), int(TextTableError::BadFormat));
            *message = e.message();
        }
    }
    QCOMPARE(second, first);
    QCOMPARE(cache.parses(), 1);
    writeFile(dir.filePath("list.csv"), "ID,NAME\r\n1,\"ROE\"\r\n");
    QCOMPARE(cache.table(dir.filePath("list.csv"), true)->rowCount(), size_t(1));
    QCOMPARE(cache.parses(), 2);
}

VEYRA_TEST(TestTableCache)
#include "TestTableCache.moc"
