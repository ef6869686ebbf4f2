#include "TestSupport.h"
#include "platform/files/SpreadsheetReader.h"
#include "platform/sheets/SheetCells.h"
#include "platform/sheets/SpreadsheetFile.h"

#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

// Spreadsheets built byte by byte (make_sheet_cases.py), good and hostile: the reader gives what the sheet shows,
// or refuses the whole file with a sentence that names the cell or part.
class TestSpreadsheetFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsTheShownSheet_data();
    void readsTheShownSheet();
    void refusesWhatItCannotTrust_data();
    void refusesWhatItCannotTrust();
    void aCutFileIsNeverHalfRead_data();
    void aCutFileIsNeverHalfRead();
    void namesBelowTheLastRowAreNoted();
    void aCancelledReadEnds();
    void csvIsReadByTheEnginesRules_data();
    void csvIsReadByTheEnginesRules();

private:
    QString fixture(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestSpreadsheetFile::initTestCase()
{
    VEYRA_RUN_SCRIPT(MAKE_XLS_SCRIPT, "names", fixture("names.xls"), "1200");
    VEYRA_RUN_SCRIPT(MAKE_SHEET_CASES_SCRIPT, m_dir.path(), fixture("names.xls"));
}

void TestSpreadsheetFile::readsTheShownSheet_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QList<QStringList>>("rows");
    const QList<QStringList> smith{{"SMITH", "JOHN"}};

    newRow("active sheet hidden: the first visible one", "active-hidden.xlsx", "People", smith);
    newRow("active sheet very hidden: the first visible one", "active-veryHidden.xlsx", "People", smith);
    newRow("the second sheet active", "active-second.xlsx", "People", smith);
    newRow("xls: active sheet hidden", "active-hidden.xls", "People", smith);
    newRow("ods: active table hidden", "active-hidden.ods", "People", smith);
    newRow("ods: a table inside a cell is no sheet and no text", "nested-table.ods", "People",
           QList<QStringList>{{"SMITH"}});
    newRow("ods: an error in a table before the active one is not read", "error-in-another-table.ods", "People",
           QList<QStringList>{{"SMITH"}});
    newRow("no styles part: General", "no-styles.xlsx", "People", QList<QStringList>{{"SMITH", "4400123"}});
    newRow("ods: a cell without a style takes the Default style's format", "default-style.ods", "People",
           QList<QStringList>{{"SMITH", "01234567"}});
    newRow("a cell at XFD1048576 is outside columns A to D", "far-cell.xlsx", "People", QList<QStringList>{{"SMITH"}});
    newRow("a formula's stored result, never fetched again", "stored-result.xlsx", "People", smith);
    newRow("recalculation asked for, but no formula in A to D", "calc-on-load-outside.xlsx", "People", smith);
    newRow("runs joined, phonetic guide left out, escapes, 1904 dates, text format", "texts-1904.xlsx", "People",
           QList<QStringList>{{"SMITH", "JOHN PAUL", "1/1/1904", "P-123"}, {"TRUE", "", "1/1/1960"}});
}

void TestSpreadsheetFile::readsTheShownSheet()
{
    QFETCH(QString, file);
    QFETCH(QString, sheet);
    QFETCH(QList<QStringList>, rows);
    const SpreadsheetReader::Result read = SpreadsheetReader::read(fixture(file));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.sheet, sheet);
    QCOMPARE(read.rows, rows);
    QCOMPARE(read.notice, QString());
}

void TestSpreadsheetFile::refusesWhatItCannotTrust_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("maxRows");
    QTest::addColumn<QString>("error");

    newRow("an unescaped ampersand in row 11", "ampersand.xlsx", 1000,
           "It is damaged: its part xl/worksheets/sheet1.xml is not well-formed XML (line 1: Expected '#' or "
           "'[a-zA-Z]', but got ' ')."); // Qt's own words for the fault
    newRow("a part cut short inside a row", "cut-part.xlsx", 1000,
           "It is damaged: its part xl/worksheets/sheet1.xml is cut short (line 1).");
    newRow("a part that fails its checksum", "checksum.xlsx", 1000,
           "It is damaged: its part xl/worksheets/sheet1.xml does not match its checksum.");
    newRow("#NAME? from a function the writer lacked", "error-name.xlsx", 1000,
           "Cell A12 shows #NAME? instead of a name.");
    newRow("xls: #NAME?", "error-name.xls", 1000, "Cell B2 shows #NAME? instead of a name.");
    newRow("a name below the last row a sheet has", "past-last-row.xlsx", 0,
           "It is damaged: it has a cell in row 1048577, past the last row a sheet has (1,048,576).");
    newRow("#N/A", "error-na.xlsx", 1000, "Cell B3 shows #N/A instead of a name.");
    newRow("an error below row 1000 when every row is read", "error-outside.xlsx", 0,
           "Cell A1001 shows #DIV/0! instead of a name.");
    newRow("ods: an error cell", "error-cell.ods", 1000, "Cell A2 shows #DIV/0! instead of a name.");
    newRow("ods: the active table hidden, an error in the first shown", "error-in-first-shown.ods", 1000,
           "Cell A1 shows #N/A instead of a name.");
    newRow("ods: another program's error text", "err-text.ods", 1000, "Cell A1 shows Err:540 instead of a name.");
    newRow("a formula without its result", "no-result.xlsx", 1000,
           "no-result.xlsx was written by a program that does not calculate its formulas (cell A2). Open it in a "
           "spreadsheet program and save it, or save it as CSV.");
    newRow("ods: a formula without its result", "no-result.ods", 1000,
           "no-result.ods was written by a program that does not calculate its formulas (cell B1). Open it in a "
           "spreadsheet program and save it, or save it as CSV.");
    newRow("recalculation asked for with a formula in range", "calc-on-load.xlsx", 1000,
           "calc-on-load.xlsx was written by a program that does not calculate its formulas (cell A2). Open it "
           "in a spreadsheet program and save it, or save it as CSV.");
    newRow("a part that inflates 1000 to 1", "bomb.xlsx", 1000,
           "Its part xl/worksheets/sheet1.xml is too large to be a spreadsheet's (more than 64 MB, or compressed "
           "more than 100 to 1).");
    newRow("a cell longer than a cell can be", "long-cell.xlsx", 1000,
           "Cell A1 holds 40000 characters; a spreadsheet cell holds at most 32,767.");
    newRow("xls: a password", "password.xls", 1000, "It is protected by a password.");
    newRow("xlsx: a password", "password.xlsx", 1000, "It is protected by a password.");
    newRow("ods: a password", "password.ods", 1000, "It is protected by a password.");
    newRow("the active sheet named by a word", "active-word.xlsx", 1000,
           "It is damaged: the active sheet is named \"x\", not by its number (xl/workbook.xml).");
    newRow("a chart sheet shown", "active-chart.xlsx", 1000,
           "The sheet it shows, Chart, is a chart or a dialog, not a table of names.");
    newRow("text named .xlsx", "renamed.xlsx", 1000, "It is not a spreadsheet (.xls, .xlsx, .xlsm or .ods).");
    newRow("an empty file", "empty.ods", 1000, "It is empty.");
    newRow("a ZIP without a workbook", "other.xlsx", 1000, "It is not a spreadsheet (.xls, .xlsx, .xlsm or .ods).");
}

void TestSpreadsheetFile::refusesWhatItCannotTrust()
{
    QFETCH(QString, file);
    QFETCH(int, maxRows);
    QFETCH(QString, error);
    writeFile(fixture("renamed.xlsx"), "SMITH,JOHN\r\n");
    writeFile(fixture("empty.ods"), "");
    writeFile(fixture("other.xlsx"), readFile(fixture("password.ods")).replace("content.xml", "contents.xm"));
    const SpreadsheetReader::Result read = SpreadsheetReader::read(fixture(file), maxRows);
    QCOMPARE(read.error, error);
    QVERIFY(!read.ok);
    QVERIFY(read.rows.isEmpty());
}

void TestSpreadsheetFile::aCutFileIsNeverHalfRead_data()
{
    QTest::addColumn<QString>("file");
    for (const char *file : {"names.xls", "texts-1904.xlsx", "active-hidden.ods"})
        newRow(file, file);
}

// Whatever the point of the cut, the file is refused whole: no shorter list of people passes for the list.
void TestSpreadsheetFile::aCutFileIsNeverHalfRead()
{
    QFETCH(QString, file);
    const QByteArray whole = readFile(fixture(file));
    QVERIFY(SpreadsheetReader::read(fixture(file)).ok);
    QTemporaryDir dir;
    const QString cut = dir.filePath(file);
    for (const double share : {0.02, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99}) {
        writeFile(cut, whole.left(qsizetype(whole.size() * share)));
        const SpreadsheetReader::Result read = SpreadsheetReader::read(cut);
        QVERIFY2(!read.ok, qPrintable(QStringLiteral("cut at %1").arg(share)));
        QVERIFY2(read.error.startsWith(QLatin1String("It is damaged")), qPrintable(read.error));
    }
}

void TestSpreadsheetFile::namesBelowTheLastRowAreNoted()
{
    const SpreadsheetReader::Result window = SpreadsheetReader::read(fixture("names.xls"));
    QVERIFY2(window.ok, qPrintable(window.error));
    QCOMPARE(window.rows.size(), 1000);
    QCOMPARE(window.notice, "Only rows 1 to 1000 were read; the sheet has names down to row 1200.");
    QCOMPARE(window.sheet, "Names");
    // Every row, for a tool that screens everyone it is given.
    const SpreadsheetReader::Result all = SpreadsheetReader::read(fixture("names.xls"), 0);
    QCOMPARE(all.rows.size(), 1200);
    QCOMPARE(all.rows[1199], (QStringList{"SMITH1200", "JOHN", "4/15/1973", "12.5"}));
    QCOMPARE(all.notice, QString());
    // An error value below row 1000 is outside what the window reads.
    QVERIFY(SpreadsheetReader::read(fixture("error-outside.xlsx")).ok);
}

void TestSpreadsheetFile::aCancelledReadEnds()
{
    const std::atomic<bool> cancelled = true;
    const SpreadsheetReader::Result read = SpreadsheetReader::read(fixture("names.xls"), 1000, &cancelled);
    QVERIFY(!read.ok);
    QCOMPARE(read.error, "Cancelled.");
}

void TestSpreadsheetFile::csvIsReadByTheEnginesRules_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QString>("error");

    newRow("quoted comma, lone CR line ends", QByteArray("\"SMITH, JR\",JOHN,1/2/1960,X1\rROSSI,MARCO\r"),
           QList<QStringList>{{"SMITH, JR", "JOHN", "1/2/1960", "X1"}, {"ROSSI", "MARCO"}}, "");
    newRow("UTF-16 with its mark", QByteArray("\xff\xfeZ\0o\0\xeb\0,\0A\0\n\0", 14), QList<QStringList>{{"Zoë", "A"}},
           "");
    newRow("a fifth column is not read", QByteArray("A,B,C,D,E\n"), QList<QStringList>{{"A", "B", "C", "D"}}, "");
    QByteArray many;
    for (int n = 1; n <= 1001; ++n)
        many += "NAME" + QByteArray::number(n) + ",A\n";
    newRow("1001 names are refused, not cut to 1000", many, QList<QStringList>{},
           "It holds 1001 names; at most 1000 can be imported at once.");
    newRow("an unclosed quote is refused with its line", QByteArray("SMITH,JOHN\n\"ROSSI,MARCO\n"),
           QList<QStringList>{}, "Unclosed quote in people.csv at line 2");
}

void TestSpreadsheetFile::csvIsReadByTheEnginesRules()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, error);
    QTemporaryDir dir;
    writeFile(dir.filePath("people.csv"), bytes);
    const SpreadsheetReader::Result read = SpreadsheetReader::read(dir.filePath("people.csv"));
    QCOMPARE(read.ok, error.isEmpty());
    QCOMPARE(read.error, error);
    QCOMPARE(read.rows, rows);
}

VEYRA_TEST(TestSpreadsheetFile)
#include "TestSpreadsheetFile.moc"
