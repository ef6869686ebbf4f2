#include "TestSupport.h"
#include "audit/FileHistory.h"
#include "lists/NameListFile.h"

#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;
using Rows = QList<NameQuery::Row>;

class TestNameListFile : public QObject
{
    Q_OBJECT

private slots:
    void fileNames();
    void writeKeepsRowsWithALastName();
    void read_data();
    void read();
    void doubleQuoteIsRefusedAndTheFileKept();
};

namespace {
QStringList lastNames(const Rows &rows)
{
    QStringList names;
    for (const auto &row : rows)
        names.append(row.lastName);
    return names;
}
} // namespace

void TestNameListFile::fileNames()
{
    QCOMPARE(NameListFile::fileName(NameListFile::Kind::Crew, 1), "Crew-1");
    QCOMPARE(NameListFile::fileName(NameListFile::Kind::Employee, 2), "Employee-2");
    QCOMPARE(NameListFile::fileName(NameListFile::Kind::Mechanic, 3), "Mechanic-3");
    QCOMPARE(NameListFile::fileName(NameListFile::Kind::Passenger, 4), "Passenger-4");
}

void TestNameListFile::writeKeepsRowsWithALastName()
{
    QTemporaryDir dir;
    const Rows rows = {
        {"SMITH", "JOHN A", "01/02/1960", "X1234567"}, {"", "ONLY FIRST", "", ""}, {"DOE, JR.", "", "", ""}};
    QString error;
    QVERIFY(NameListFile::write(dir.filePath("Crew-1"), rows, FileHistory(dir.path()), &error));
    QCOMPARE(readFile(dir.filePath("Crew-1")),
             QByteArray("\"SMITH\",\"JOHN A\",\"01/02/1960\",\"X1234567\"\r\n\"DOE, JR.\",\"\",\"\",\"\"\r\n"));
    QVERIFY(NameListFile::write(dir.filePath("Crew-2"), Rows(10), FileHistory(dir.path()), &error));
    QCOMPARE(readFile(dir.filePath("Crew-2")), QByteArray());
}

void TestNameListFile::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("lastNames");

    QByteArray twelve;
    for (int i = 1; i <= 12; ++i)
        twelve += QStringLiteral("\"L%1\",\"F\",\"\",\"\"\r\n").arg(i).toUtf8();
    QStringList ten;
    for (int i = 1; i <= 10; ++i)
        ten.append(QStringLiteral("L%1").arg(i));
    newRow("twelve records fill ten rows", twelve, ten);
    newRow("an empty last name ends the list",
           QByteArray("\"A\",\"\",\"\",\"\"\r\n\"\",\"X\",\"\",\"\"\r\n\"C\",\"\",\"\",\"\"\r\n"), QStringList{"A"});
    newRow("a record the file does not hold whole is dropped", QByteArray("\"A\",\"1\",\"2\",\"3\"\r\n\"B\",\"1\"\r\n"),
           QStringList{"A"});
    newRow("line ends only separate values", QByteArray("\"A\",\"1\"\r\n\"2\",\"3\",\"B\",\"4\",\"5\",\"6\""),
           QStringList{"A", "B"});
    newRow("empty file", QByteArray(), QStringList{});
}

void TestNameListFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, lastNames);
    QTemporaryDir dir;
    writeFile(dir.filePath("Passenger-3"), file);
    QCOMPARE(::lastNames(NameListFile::read(dir.filePath("Passenger-3"))), lastNames);
    QVERIFY(NameListFile::read(dir.filePath("Passenger-4")).isEmpty());
}

void TestNameListFile::doubleQuoteIsRefusedAndTheFileKept()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Crew-1"), "\"OLD\",\"\",\"\",\"\"\r\n");
    QString error;
    QVERIFY(!NameListFile::write(dir.filePath("Crew-1"), {{"A", "", "", ""}, {"O\"NEIL", "", "", ""}},
                                 FileHistory(dir.path()), &error));
    QVERIFY2(error.contains("Row 2"), qPrintable(error));
    QCOMPARE(readFile(dir.filePath("Crew-1")), QByteArray("\"OLD\",\"\",\"\",\"\"\r\n"));
}

VEYRA_TEST(TestNameListFile)
#include "TestNameListFile.moc"
