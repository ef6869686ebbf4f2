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
    void sheetsAsTheyShow_data();
    void sheetsAsTheyShow();
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
    QVERIFY(QFile::copy(fixture("written/crew.xls"), fixture("uncalculated.xls")));
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
    newRow("xls: formulas never calculated", "uncalculated.xls");
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
