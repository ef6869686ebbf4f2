#include "RunningApp.h"
#include "TestSupport.h"
#include "app/FolderConfig.h"
#include "lists/VeyraExcelImport.h"
#include "platform/files/SpreadsheetReader.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/TextBox.h"

#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

// Spreadsheets made here (python3-xlwt, python3-openpyxl, and .ods XML, then saved by LibreOffice as an
// operator's spreadsheet program would), good and damaged, read by the reader and through the import window.
class TestSpreadsheetImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readerReads_data();
    void readerReads();
    void sheetsAsTheyShow_data();
    void sheetsAsTheyShow();
    void formulasNeverCalculatedAreRefused_data();
    void formulasNeverCalculatedAreRefused();
    void csvIsReadByTheEnginesRules_data();
    void csvIsReadByTheEnginesRules();
    void openFillsTheGrid();
    void everyReadableFormatIsListed();
    void cancelLeavesTheRowsEmpty();
    void folderChangeForgetsTheChosenFile();
    void unreadableFileIsReported_data();
    void unreadableFileIsReported();

private:
    QString fixture(const QString &name) const { return m_dir.filePath(name); }
    VeyraExcelImport *openImportWindow(RunningApp &app);

    QTemporaryDir m_dir;
};

void TestSpreadsheetImport::initTestCase()
{
    VEYRA_RUN_SCRIPT(MAKE_XLS_SCRIPT, "names", fixture("names.xls"), "1200");
    VEYRA_RUN_SCRIPT(MAKE_XLS_SCRIPT, "header", fixture("header.xls"), "2");
    VEYRA_RUN_SCRIPT(MAKE_XLS_SCRIPT, "two-columns", fixture("two.xls"), "3");
    VEYRA_RUN_SCRIPT(MAKE_SHEETS_SCRIPT, m_dir.path());

    const QByteArray valid = readFile(fixture("names.xls"));
    writeFile(fixture("truncated.xls"), valid.left(valid.size() / 3));
    QByteArray noisy = valid.left(1024);
    for (int i = 0; i < 8192; ++i)
        noisy.append(char(QRandomGenerator::global()->bounded(256)));
    writeFile(fixture("noise.xls"), noisy);
    writeFile(fixture("renamed.xls"), "SMITH,JOHN,1/1/1970,X1\r\n");
    writeFile(fixture("NAMES.xlsb"), QByteArray("PK\x03\x04", 4) + QByteArray(200, 'x'));
    const QByteArray xlsx = readFile(fixture("crew.xlsx"));
    writeFile(fixture("truncated.xlsx"), xlsx.left(xlsx.size() - 200));
    writeFile(fixture("renamed.ods"), "SMITH\tJOHN\r\n");
    QByteArray flipped = xlsx;
    flipped[xlsx.size() / 2] = char(flipped[xlsx.size() / 2] ^ 0x55); // inside a compressed part
    writeFile(fixture("flipped.xlsx"), flipped);
    QVERIFY(QFile::copy(fixture("written/crew.xlsx"), fixture("uncalculated.xlsx")));
}

void TestSpreadsheetImport::readerReads_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("firstRow");
    QTest::addColumn<QStringList>("thirdRow");
    QTest::addColumn<QString>("notice");

    newRow("1200 rows: the first 1000, four columns", "names.xls", 1000,
           QStringList{"Ångström1", "Zoë", "1/2/1970", "1001"}, QStringList{"Ångström3", "JOHN", "1/4/1970", "12.5"},
           "Only rows 1 to 1000 were read; the sheet has names down to row 1200.");
    newRow("a header row is a row like any other", "header.xls", 3,
           QStringList{"Last Name", "First Name", "DOB", "Passport"}, QStringList{"SMITH2", "JOHN", "1/3/1970", "1002"},
           "");
    newRow("two columns only", "two.xls", 3, QStringList{"Ångström1", "Zoë"}, QStringList{"Ångström3", "JOHN"}, "");
}

void TestSpreadsheetImport::readerReads()
{
    QFETCH(QString, file);
    QFETCH(int, rows);
    QFETCH(QStringList, firstRow);
    QFETCH(QStringList, thirdRow);
    QFETCH(QString, notice);
    const SpreadsheetReader::Result read = SpreadsheetReader::read(fixture(file));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.rows.size(), rows);
    QCOMPARE(read.rows[0], firstRow);
    QCOMPARE(read.rows[2], thirdRow);
    QCOMPARE(read.notice, notice);
}

// One workbook in three formats: a hidden first sheet, an old second one, and the active third. Each text is what
// a spreadsheet program shows in the cell.
void TestSpreadsheetImport::sheetsAsTheyShow_data()
{
    QTest::addColumn<QString>("file");
    for (const char *file : {"crew.xls", "crew.xlsx", "crew.ods"})
        newRow(file, file);
}

void TestSpreadsheetImport::sheetsAsTheyShow()
{
    QFETCH(QString, file);
    const SpreadsheetReader::Result read = SpreadsheetReader::read(fixture(file));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.rows.size(), 4);
    QCOMPARE(read.sheet, "Crew");
    // =UPPER("rossi"); a date as DD-MMM-YYYY; 1234567 as 00000000
    QCOMPARE(read.rows[0], (QStringList{"ROSSI", "marco", "02-Jan-1960", "01234567"}));
    // a boolean; General numbers as a default-width column shows them; a percentage
    QCOMPARE(read.rows[1], (QStringList{"TRUE", "0.333333333", "1.23457E+11", "12.50%"}));
    // ="X"&TEXT(42,"000"); thousands separators; a General whole number; fixed decimals
    QCOMPARE(read.rows[2], (QStringList{"X042", "1,234,567.89", "4400123", "12.500"}));
    // FALSE; a date as M/D/YYYY; a text formula; a non-ASCII formula result
    QCOMPARE(read.rows[3], (QStringList{"FALSE", "11/2/1984", "PB4400123", "zoë"}));
}

void TestSpreadsheetImport::formulasNeverCalculatedAreRefused_data()
{
    QTest::addColumn<QString>("file");
    newRow("xlwt's .xls", "crew.xls");
    newRow("openpyxl's .xlsx", "crew.xlsx");
}

// The same workbooks as a script writes them, before any spreadsheet program calculated their formulas.
void TestSpreadsheetImport::formulasNeverCalculatedAreRefused()
{
    QFETCH(QString, file);
    const SpreadsheetReader::Result read = SpreadsheetReader::read(fixture("written/" + file));
    QVERIFY(!read.ok);
    QCOMPARE(read.error, file + " was written by a program that does not calculate its formulas (cell A1). Open it "
                                "in a spreadsheet program and save it, or save it as CSV.");
}

void TestSpreadsheetImport::csvIsReadByTheEnginesRules_data()
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

void TestSpreadsheetImport::csvIsReadByTheEnginesRules()
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

VeyraExcelImport *TestSpreadsheetImport::openImportWindow(RunningApp &app)
{
    app.module.SpreadsheetFolder = m_dir.path();
    app.find<QAction>("FromExcel")->trigger();
    return app.module.existingExcelImportWindow();
}

void TestSpreadsheetImport::openFillsTheGrid()
{
    RunningApp app;
    app.find<TextBox>("Text1_0")->setText("GONE");
    VeyraExcelImport *import = openImportWindow(app);
    QVERIFY(import && import->isVisible());
    QCOMPARE(import->windowTitle(), "Import Excel File");
    QCOMPARE(import->findChild<Label *>("Label1")->text(), VeyraExcelImport::Instructions);
    QCOMPARE(app.find<TextBox>("Text1_0")->text(), "");
    QCOMPARE(app.find<QPushButton>("Command2")->text(), "Remove Cleared");
    QCOMPARE(app.find<QProgressBar>("ProgressBar1")->value(), 1);

    import->File1_Click("names.xls");
    QCOMPARE(app.module.CurrentNameFile, "names.xls");
    QTest::mouseClick(import->findChild<QPushButton *>("Command1_1"), Qt::LeftButton);

    auto *grid = app.find<FlexGrid>("MSFlexGrid2");
    QVERIFY(grid->isVisible());
    QCOMPARE(grid->rows(), 1001);
    QCOMPARE(grid->colWidth(0), 3500);
    QCOMPARE(grid->textMatrix(0, 1), "Zoë");
    QCOMPARE(grid->textMatrix(999, 0), "SMITH1000");
    QCOMPARE(grid->textMatrix(1000, 0), "");
    // The 200 people below row 1000 are not taken, and the operator is told.
    QCOMPARE(app.find<Label>("Label3")->text(),
             "names.xls, sheet \"Names\": Only rows 1 to 1000 were read; the sheet has names down to row 1200.");
    QCOMPARE(grid->col(), 1);
    QVERIFY(!app.module.existingExcelImportWindow());
    QVERIFY(readFile(FolderConfig::path(app.data())).contains(QDir::toNativeSeparators(m_dir.path()).toUtf8()));
}

void TestSpreadsheetImport::everyReadableFormatIsListed()
{
    RunningApp app;
    writeFile(fixture("people.csv"), "SMITH,JOHN\r\n");
    VeyraExcelImport *import = openImportWindow(app);
    const QStringList listed = import->findChild<FileList *>("File1")->fileNames();
    for (const char *name : {"crew.ods", "crew.xls", "crew.xlsx", "people.csv", "NAMES.xlsb"})
        QVERIFY2(listed.contains(name), name);
    QCOMPARE(import->findChild<Label *>("Label1")->text(),
             "1) File must be in XLS, XLSX, XLSM, ODS or CSV format. 2) First four columns must be lastname, "
             "firstname, DOB and Passport Info. 3) Remove any header rows. 4) Up to 1000 names");
    auto *open = import->findChild<QPushButton *>("Command1_1");
    import->File1_Click("crew.xlsx");
    QVERIFY(open->isEnabled());
    // Listed through "*.xls", as Windows lists it, but not a format the reader takes.
    import->File1_Click("NAMES.xlsb");
    QVERIFY(!open->isEnabled());
    import->File1_Click("CREW.ODS");
    QVERIFY(open->isEnabled());
    import->File1_Click("crew.xlsx");
    import->Command1_Click(1);
    QCOMPARE(app.find<FlexGrid>("MSFlexGrid2")->textMatrix(0, 0), "ROSSI");
    QCOMPARE(app.find<FlexGrid>("MSFlexGrid2")->textMatrix(0, 3), "01234567");
    QFile::remove(fixture("people.csv"));
}

void TestSpreadsheetImport::cancelLeavesTheRowsEmpty()
{
    RunningApp app;
    app.find<TextBox>("Text1_3")->setText("GONE");
    VeyraExcelImport *import = openImportWindow(app);
    QTest::mouseClick(import->findChild<QPushButton *>("Command1_0"), Qt::LeftButton);
    QVERIFY(!app.find<FlexGrid>("MSFlexGrid2")->isVisible());
    QCOMPARE(app.find<TextBox>("Text1_3")->text(), "");
    QCOMPARE(app.find<QPushButton>("Command2")->text(), "Remove Cleared");
    QVERIFY(!app.module.existingExcelImportWindow());
}

// "Open" after a folder change would look for the old folder's file in the new one.
void TestSpreadsheetImport::folderChangeForgetsTheChosenFile()
{
    QTemporaryDir data, other;
    RunningApp app(data.path());
    VeyraExcelImport *import = openImportWindow(app);
    auto *open = import->findChild<QPushButton *>("Command1_1");
    import->File1_Click("crew.xls");
    QVERIFY(open->isEnabled());
    QVERIFY(import->findChild<FolderList *>("Dir1")->changePath(other.path()));
    QVERIFY(!open->isEnabled());
    QCOMPARE(app.module.SpreadsheetFolder, QDir::toNativeSeparators(other.path()));

    // Back in the first folder, a click enables "Open" again and that file is read.
    QVERIFY(import->findChild<FolderList *>("Dir1")->changePath(m_dir.path()));
    QVERIFY(!open->isEnabled());
    import->File1_Click("crew.xls");
    QVERIFY(open->isEnabled());
    import->Command1_Click(1);
    QCOMPARE(app.find<FlexGrid>("MSFlexGrid2")->textMatrix(0, 0), "ROSSI");
}

void TestSpreadsheetImport::unreadableFileIsReported_data()
{
    QTest::addColumn<QString>("file");
    newRow("a text file named .xls", "renamed.xls");
    newRow("a truncated file", "truncated.xls");
    newRow("random bytes after a valid start", "noise.xls");
    newRow("a file removed after it was listed", "missing.xls");
    newRow("a truncated .xlsx", "truncated.xlsx");
    newRow("a damaged part inside an .xlsx", "flipped.xlsx");
    newRow("a text file named .ods", "renamed.ods");
    newRow("formulas never calculated", "uncalculated.xlsx");
}

void TestSpreadsheetImport::unreadableFileIsReported()
{
    QFETCH(QString, file);
    RunningApp app;
    VeyraExcelImport *import = openImportWindow(app);
    import->File1_Click(file);
    import->Command1_Click(1);

    auto *grid = app.find<FlexGrid>("MSFlexGrid2");
    const QString status = app.find<Label>("Label3")->text();
    QCOMPARE(grid->textMatrix(0, 0), "");
    // A reason that names the file is shown as it stands.
    QVERIFY2(status.startsWith(file + " could not be read: ") ||
                 status == file + " was written by a program that does not calculate its formulas (cell A1). Open "
                                  "it in a spreadsheet program and save it, or save it as CSV.",
             qPrintable(status));
    QVERIFY(grid->isVisible());
    QVERIFY(!app.module.existingExcelImportWindow());
}

VEYRA_TEST(TestSpreadsheetImport)
#include "TestSpreadsheetImport.moc"
