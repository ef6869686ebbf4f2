#include "TestSupport.h"
#include "platform/files/RecordFile.h"
#include "shared/TextEncoding.h"

#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestRecordFile : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void formatQuotesTextAndLeavesNumbersBare();
    void missingFileIsReportedNotEmpty();
    void failedWriteLeavesTheOldFile();
    void decodesUtf8AndWindows1252();
};

void TestRecordFile::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("values");

    newRow("quoted values keep their commas", QByteArray("\"Smith, Jr.\",\"b\"\r\n"), QStringList{"Smith, Jr.", "b"});
    newRow("unquoted values lose surrounding blanks", QByteArray("  x y  ,\t2\r\n"), QStringList{"x y", "2"});
    newRow("line ends only separate", QByteArray("\"a\",\"b\"\r\n\"c\"\r\n"), QStringList{"a", "b", "c"});
    newRow("LF and a missing last line end", QByteArray("\"a\"\n\"b\""), QStringList{"a", "b"});
    newRow("blank lines hold no value", QByteArray("\r\n\"a\"\r\n\r\n\r\n\"b\"\r\n"), QStringList{"a", "b"});
    newRow("empty quoted values count", QByteArray("\"\",\"\",\"x\"\r\n"), QStringList{"", "", "x"});
    newRow("comma before the line end promises a value", QByteArray("\"a\",\r\n\"b\""), QStringList{"a", "", "b"});
    newRow("text after a closing quote is dropped", QByteArray("\"a\" junk,\"b\""), QStringList{"a", "b"});
    newRow("a quote inside runs to the next quote", QByteArray("\"say \"hi\"\",\"b\""), QStringList{"say ", "b"});
    newRow("comment lines are values too", QByteArray("# note\r\n\"0x00000000\"\r\n"),
           QStringList{"# note", "0x00000000"});
    newRow("unterminated quote runs to the end", QByteArray("\"a\",\"open"), QStringList{"a", "open"});
    newRow("empty file", QByteArray(), QStringList{});
}

void TestRecordFile::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, values);
    QCOMPARE(RecordFile::parse(QString::fromUtf8(text)), values);
}

void TestRecordFile::formatQuotesTextAndLeavesNumbersBare()
{
    const QList<Record> records = {{QStringLiteral("a, b"), qint64(2), QString(), qint64(-7)}, {QStringLiteral("Zoë")}};
    QCOMPARE(RecordFile::format(records), QByteArray("\"a, b\",2,\"\",-7\r\n\"Zo\xC3\xAB\"\r\n"));
}

void TestRecordFile::missingFileIsReportedNotEmpty()
{
    QTemporaryDir dir;
    const RecordFile::Contents contents = RecordFile::read(dir.filePath("absent"));
    QVERIFY(!contents.opened);
    QVERIFY(!contents.error.isEmpty());
}

void TestRecordFile::failedWriteLeavesTheOldFile()
{
    // A folder in the file's place cannot be replaced: the write fails, says why, and the folder stays.
    QTemporaryDir dir;
    QString error;
    const QString blocked = dir.filePath("blocked");
    QVERIFY(QDir().mkdir(blocked));
    writeFile(blocked + "/inside", "kept");
    QVERIFY(!RecordFile::write(blocked, {{QStringLiteral("x")}}, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(blocked + "/inside"), QByteArray("kept"));
}

void TestRecordFile::decodesUtf8AndWindows1252()
{
    QCOMPARE(TextEncoding::decodeFile("\xEF\xBB\xBF\"M\xC3\xBCller\""), QStringLiteral("\"Müller\""));
    QCOMPARE(TextEncoding::decodeFile("M\xFCller \x80 \x93quoted\x94"), QStringLiteral("Müller € “quoted”"));
}

VEYRA_TEST(TestRecordFile)
#include "TestRecordFile.moc"
