#include "TestSupport.h"
#include "engine/LargePages.h"
#include "engine/RecordStarts.h"
#include "engine/TextTable.h"
#include "engine/TextTableError.h"
#include "support/CsvDifference.h"

#include <QTemporaryDir>

#include <random>

class TestTextTable : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
    void largeArraysKeepTheirValues_data();
    void largeArraysKeepTheirValues();
    void refusals_data();
    void refusals();
    void agreesWithTheReferenceReader();
    void oneBadByteChangesNoOtherField();
    void fileReadInPiecesReadsTheSame_data();
    void fileReadInPiecesReadsTheSame();
    void twoThreadPathsOnASmallFile_data();
    void twoThreadPathsOnASmallFile();
    void sha256IsThatOfTheFile_data();
    void sha256IsThatOfTheFile();
    void recordStartsPastFourGibibytes();
};

namespace {

// Records as "field|field;field|field", every field decoded.
QString recordsOf(const TextTable &table)
{
    QStringList records;
    TextTable::Cursor cursor(table);
    for (size_t r = 0; r < table.rowCount(); ++r) {
        cursor.start(r);
        QStringList fields;
        for (int k = 0; k < cursor.count(); ++k)
            fields << table.decode(cursor.field(k));
        records << fields.join(u'|');
    }
    return records.join(u';');
}

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        bytes += bigEndian ? QByteArray{1, hi} + QByteArray{1, lo} : QByteArray{1, lo} + QByteArray{1, hi};
    }
    return bytes;
}

} // namespace

void TestTextTable::records_data()
{
    QTest::addColumn<QString>("columns");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("records");

    newRow("CR LF line ends", "A,B", QByteArray("A,B\r\n1,2\r\n3,4\r\n"), "1|2;3|4");
    newRow("lone CR line ends, as old exports write them", "A,B", QByteArray("A,B\r1,2\r3,4\r"), "1|2;3|4");
    newRow("CR inside quotes stays in the field", "A,B", QByteArray("A,B\r1,\"x\ry\"\r2,z"), "1|x\ry;2|z");
    newRow("UTF-16 LE with its BOM", "NAME,X", utf16(QString::fromUtf8("NAME,X\r\nMÜLLER,\"a\rb\"\r\n"), false),
           QString::fromUtf8("MÜLLER|a\rb"));
    newRow("UTF-16 BE with its BOM", "NAME", utf16(QString::fromUtf8("NAME\nJOSÉ\n"), true), QString::fromUtf8("JOSÉ"));
    newRow("header only", "A,B", QByteArray("A,B\r\n"), "");
    newRow("empty file", "", QByteArray(), "");
}

void TestTextTable::records()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, records);
    QFETCH(QString, columns);
    const TextTable table(bytes, true, QStringLiteral("list.csv"));
    QCOMPARE(recordsOf(table), records);
    QCOMPARE(table.columnNames().join(u','), columns);
}

void TestTextTable::refusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    newRow("unclosed quote on line 3 swallows the rest",
           QByteArray("SID,LASTNAME\r\n1,SMITH\r\n2,\"JONES\r\n3,BROWN\r\n4,GREEN\r\n"),
           "Unclosed quote in Veyra_No_Fly.csv at line 3");
    newRow("lines counted across lone CRs and a quoted line break", QByteArray("A\r\"x\ny\"\r1\r\"2"),
           "Unclosed quote in Veyra_No_Fly.csv at line 5");
    newRow("doubled quote at the end does not close", QByteArray("A\n\"abc\"\"\n"),
           "Unclosed quote in Veyra_No_Fly.csv at line 2");
    newRow("UTF-16 without its BOM", QByteArray("N\0A\0\n\0", 6),
           "NUL byte (a UTF-16 file without its byte-order mark?) in "
           "Veyra_No_Fly.csv at line 1");
    newRow("lone surrogate in UTF-16",
           QByteArray("\xFF\xFE"
                      "A\0\n\0\x00\xD8"
                      "B\0",
                      10),
           "Invalid UTF-16 in Veyra_No_Fly.csv at line 2");
    newRow("UTF-16 cut in half a character",
           QByteArray("\xFF\xFE"
                      "A\0B",
                      5),
           "Invalid UTF-16 in Veyra_No_Fly.csv at line 1");
}

void TestTextTable::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    try {
        TextTable table(bytes, true, QStringLiteral("Veyra_No_Fly.csv"));
        QFAIL("the file was read");
    } catch (const TextTableError &e) {
        QCOMPARE(e.number(), int(TextTableError::BadFormat));
        QCOMPARE(e.message(), message);
    }
}

// Random texts made of the characters that matter to the reader, read by both readers.
void TestTextTable::agreesWithTheReferenceReader()
{
    static const std::vector<std::string> pieces = {"a",    "b", ",",        "\"",   "\"\"",         "\r",       "\n",
                                                    "\r\n", " ", "\xC3\xA9", "\xE9", "\xEF\xBB\xBF", "\xFF\xFE", "x,y"};
    std::mt19937 rng(20261206);
    for (int i = 0; i < 2500; ++i) {
        std::string input;
        const size_t length = rng() % 24;
        for (size_t k = 0; k < length; ++k)
            input += pieces[rng() % pieces.size()];
        const bool header = rng() % 2;
        const std::string difference = CsvDifference::first(input, header);
        if (!difference.empty())
            QFAIL(qPrintable(QString::fromStdString(difference + " on \"" + CsvDifference::show(input) + "\"")));
        // The index must list every record under its field's key, however the field is written.
        try {
            const TextTable table(QByteArray(input.data(), qsizetype(input.size())), header);
            TextTable::Cursor cursor(table);
            std::string key;
            for (int column = 0; column < 3; ++column) {
                for (size_t r = 0; r < table.rowCount(); ++r) {
                    cursor.start(r);
                    table.fold(cursor.field(column), key);
                    // And so must the prefixes of the next column, however that field is written.
                    std::string next;
                    table.fold(cursor.field(column + 1), next);
                    const auto filter = TextTable::prefixFilter(column + 1, next, true);
                    for (const auto &rows : {table.candidates(column, key), table.candidates(column, key, filter)})
                        QVERIFY2(std::find(rows.begin(), rows.end(), r) != rows.end(),
                                 qPrintable(QString::fromStdString(CsvDifference::show(input))));
                }
            }
        } catch (const TextTableError &) {
        }
    }
}

void TestTextTable::oneBadByteChangesNoOtherField()
{
    // One Windows-1252 byte in the last record must not turn the UTF-8 names above into mojibake.
    const TextTable table(QByteArray("LASTNAME,NOTE\nM\xC3\x9CLLER,ok\nJOS\xC3\x89,caf\xE9\n"), true);
    QVERIFY(!table.isUtf8());
    std::string key;
    TextTable::Cursor cursor(table);
    cursor.start(0);
    table.fold(cursor.field(0), key);
    QCOMPARE(key, std::string("muller"));
    cursor.start(1);
    QCOMPARE(table.decode(cursor.field(0)), QString::fromUtf8("JOSÉ"));
    QCOMPARE(table.decode(cursor.field(1)), QString::fromUtf8("café"));
}

namespace {

// A list of random records whose fields hold every kind of trouble for a reader cut into pieces.
QByteArray generatedList(unsigned seed, qsizetype size)
{
    static const char *pieces[] = {
        "a", "bc", ",", "\r\n", "\n", "\r", "\"x\r\ny\"", "\"q\"\"q\"", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
        " "};
    std::mt19937 rng(seed);
    QByteArray bytes = seed % 2 ? QByteArray("\xEF\xBB\xBFID,NAME\r\n") : QByteArray("ID,NAME\r\n");
    while (bytes.size() < size) {
        bytes += QByteArray::number(uint(rng() % 1000));
        bytes += ',';
        const int n = int(rng() % 6);
        for (int k = 0; k < n; ++k)
            bytes += pieces[rng() % std::size(pieces)];
        bytes += "\r\n";
    }
    return bytes;
}

// What a reading gives: the counts, the encoding, the header, and every so many records' fields and index entry.
QStringList outcome(const std::function<std::unique_ptr<TextTable>()> &read)
{
    QStringList said;
    try {
        const auto table = read();
        said << QString::number(table->rowCount()) << QString::number(table->isUtf8())
             << table->columnNames().join(u',');
        TextTable::Cursor cursor(*table);
        std::string key;
        for (size_t r = 0; r < table->rowCount(); r += std::max<size_t>(997, table->rowCount() / 40)) {
            cursor.start(r);
            said << QString::number(cursor.count()) << table->decode(cursor.field(1));
            // The index of the names, hashed while the file was read in pieces, lists the record.
            table->fold(cursor.field(1), key);
            const auto rows = table->candidates(1, key);
            said << QString::number(std::find(rows.begin(), rows.end(), r) != rows.end());
        }
        cursor.start(table->rowCount() - 1);
        said << table->decode(cursor.field(1));
    } catch (const TextTableError &e) {
        said << e.message();
    }
    return said;
}

} // namespace

void TestTextTable::fileReadInPiecesReadsTheSame_data()
{
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<QByteArray>("ending");

    newRow("UTF-8, line ends and quotes across the pieces", 1u, QByteArray("9,end\r\n"));
    newRow("another cut", 2u, QByteArray("9,end"));
    newRow("a Windows-1252 byte near the end", 3u, QByteArray("9,caf\xE9\r\n"));
    newRow("an unclosed quote near the end", 4u, QByteArray("9,\"end\r\n10,x\r\n"));
    newRow("a NUL byte near the end", 5u, QByteArray("9,a\0b\n"));
    newRow("CR as the last byte", 6u, QByteArray("9,end\r"));
}

// Large files are read a piece at a time while their records are found; whatever falls on the cut between two
// pieces (a CR LF, a quoted line break, a doubled quote, a character of several bytes), they must read exactly as
// the same bytes read at once.
void TestTextTable::fileReadInPiecesReadsTheSame()
{
    QFETCH(unsigned, seed);
    QFETCH(QByteArray, ending);
    QByteArray bytes = generatedList(seed, 5 * 1024 * 1024);
    bytes += ending;
    QTemporaryDir dir;
    TestSupport::writeFile(dir.filePath("list.csv"), bytes);

    const QStringList atOnce = outcome([&] { return std::make_unique<TextTable>(bytes, true, "list.csv"); });
    const QStringList inPieces = outcome([&] {
        QFile file(dir.filePath("list.csv"));
        file.open(QIODevice::ReadOnly);
        return TextTable::fromFile(file, true, "list.csv", {"NOSUCH", "name"});
    });
    QCOMPARE(inPieces, atOnce);
    QVERIFY(atOnce.size() > 1 || atOnce.first().contains(" at line "));
}

void TestTextTable::twoThreadPathsOnASmallFile_data()
{
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<qint64>("chunk");

    newRow("pieces of one byte", 11u, qint64(1));
    newRow("pieces of seven bytes", 12u, qint64(7));
    newRow("pieces of a page", 13u, qint64(4096));
}

// The second thread that reads a large file and the one that builds half of a large index, run on a small file
// by thresholds of one byte and one row: they must give what one thread gives.
void TestTextTable::twoThreadPathsOnASmallFile()
{
    QFETCH(unsigned, seed);
    QFETCH(qint64, chunk);
    const QByteArray bytes = generatedList(seed, 64 * 1024) + "9,end\r\n";
    QTemporaryDir dir;
    TestSupport::writeFile(dir.filePath("list.csv"), bytes);

    const QStringList atOnce = outcome([&] { return std::make_unique<TextTable>(bytes, true, "list.csv"); });
    const QStringList twoThreads = outcome([&] {
        QFile file(dir.filePath("list.csv"));
        file.open(QIODevice::ReadOnly);
        // No key column: the index of the names is built afterwards, its two halves on two threads.
        return TextTable::fromFile(file, true, "list.csv", {}, {1, 1, chunk});
    });
    QCOMPARE(twoThreads, atOnce);
    QCOMPARE(atOnce.last(), "end");
}

void TestTextTable::sha256IsThatOfTheFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("inPieces"); // read by the two threads, in pieces of 7 bytes

    newRow("a small list", QByteArray("SID,LASTNAME\r\n1,ROE\r\n"), false);
    newRow("the byte order mark is part of the file", QByteArray("\xEF\xBB\xBFSID\r\n1\r\n"), false);
    newRow("UTF-16 is hashed as it is on disk, not as read", QByteArray("\xFF\xFES\0I\0D\0\r\0\n\0001\0", 14), false);
    newRow("read in pieces", generatedList(22, 32 * 1024), true);
    newRow("read in pieces, with a BOM", generatedList(21, 32 * 1024), true);
}

// Held against sha256sum of the same bytes.
void TestTextTable::sha256IsThatOfTheFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, inPieces);
    QTemporaryDir dir;
    TestSupport::writeFile(dir.filePath("list.csv"), bytes);
    const QByteArray expected = TestSupport::sha256sum(dir.filePath("list.csv")).toLatin1();
    QCOMPARE(expected.size(), 64);

    const TextTableThresholds thresholds = inPieces ? TextTableThresholds{1, 1, 7} : TextTableThresholds{};
    // Made while the file is read, or when first asked for: the same hash.
    for (bool whileReading : {true, false}) {
        QFile file(dir.filePath("list.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto table = TextTable::fromFile(file, true, "list.csv", {}, thresholds, whileReading);
        QCOMPARE(table->sha256(), expected);
        QCOMPARE(table->sha256(), expected);
    }
}

// Offsets are kept as their low 32 bits and the rows where the high part grows: each must come back whole,
// on both sides of every 4 GiB boundary, even where a record spans more than one.
void TestTextTable::recordStartsPastFourGibibytes()
{
    const std::vector<uint64_t> offsets{0, 5, 4294967295, 4294967296, 4294967300, 8589934599, 17179869184, 17179869185};
    RecordStarts starts;
    for (uint64_t offset : offsets)
        starts.push_back(offset);
    QCOMPARE(starts.size(), offsets.size());
    for (size_t row = 0; row < offsets.size(); ++row)
        QCOMPARE(starts[row], offsets[row]);
    QCOMPARE(starts.front(), uint64_t(0));
}

// Arrays of a large page or more are placed on large-page bounds; smaller ones come from the usual heap. Either
// way every value written is read back, through growth and copies.
void TestTextTable::largeArraysKeepTheirValues_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("onLargePageBound");
    newRow("a few values", 10, false);
    newRow("just under a large page", 262143, false);
    newRow("one large page", 262144, true);
    newRow("a list's row starts", 1000003, true);
}

void TestTextTable::largeArraysKeepTheirValues()
{
    QFETCH(int, count);
    QFETCH(bool, onLargePageBound);
    LargeVector<uint64_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(uint64_t(i) * 2654435761u);
    values.shrink_to_fit();
    QCOMPARE((reinterpret_cast<uintptr_t>(values.data()) & (LargePages::Size - 1)) == 0, onLargePageBound);
    const LargeVector<uint64_t> copy = values;
    for (int i : {0, count / 2, count - 1}) {
        QCOMPARE(values[size_t(i)], uint64_t(i) * 2654435761u);
        QCOMPARE(copy[size_t(i)], uint64_t(i) * 2654435761u);
    }
}

VEYRA_TEST(TestTextTable)
#include "TestTextTable.moc"
