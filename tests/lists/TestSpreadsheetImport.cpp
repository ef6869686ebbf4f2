#include "RunningApp.h"
#include "TestSupport.h"
#include "app/FolderConfig.h"
#include "lists/VeyraExcelImport.h"
#include "platform/FileList.h"
#include "platform/FlexGrid.h"
#include "platform/Label.h"
#include "platform/SpreadsheetReader.h"
#include "platform/TextBox.h"

#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

// Spreadsheets made here with python3-xlwt, good and damaged, read through the helper and the import window.
class TestSpreadsheetImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void displayedTexts_data();
    void displayedTexts();
    void helperReads_data();
    void helperReads();
    void openFillsTheGrid();
    void xlsxIsListedButRefused();
    void cancelLeavesTheRowsEmpty();
    void unreadableFileIsReported_data();
    void unreadableFileIsReported();

private:
    QString fixture(const QString &name) const { return m_dir.filePath(name); }
    VeyraExcelImport *openImportWindow(RunningApp &app);

    QTemporaryDir m_dir;
};

void TestSpreadsheetImport::initTestCase()
{
    auto make = [&](const QStringList &args) {
        QProcess python;
        python.start("/usr/bin/python3", QStringList{MAKE_XLS_SCRIPT} + args);
        QVERIFY(python.waitForFinished(30000));
        QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    };
    make({"names", fixture("names.xls"), "1200"});
    make({"header", fixture("header.xls"), "2"});
    make({"two-columns", fixture("two.xls"), "3"});

    const QByteArray valid = readFile(fixture("names.xls"));
    writeFile(fixture("truncated.xls"), valid.left(valid.size() / 3));
    QByteArray noisy = valid.left(1024);
    for (int i = 0; i < 8192; ++i)
        noisy.append(char(QRandomGenerator::global()->bounded(256)));
    writeFile(fixture("noise.xls"), noisy);
    writeFile(fixture("renamed.xls"), "SMITH,JOHN,1/1/1970,X1\r\n");
    writeFile(fixture("NAMES.xlsx"), QByteArray("PK\x03\x04", 4) + QByteArray(200, 'x'));
}

void TestSpreadsheetImport::displayedTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("displayed");
    QTest::newRow("whole number without .0")
        << QString::fromStdString(SpreadsheetReader::numberText(4400123.0)) << "4400123";
    QTest::newRow("negative whole number") << QString::fromStdString(SpreadsheetReader::numberText(-12.0)) << "-12";
    QTest::newRow("fraction") << QString::fromStdString(SpreadsheetReader::numberText(12.5)) << "12.5";
    QTest::newRow("date as M/D/YYYY") << QString::fromStdString(SpreadsheetReader::dateText("1984-11-02"))
                                      << "11/2/1984";
    QTest::newRow("date and time") << QString::fromStdString(SpreadsheetReader::dateTimeText("1984-11-02 07:05:09"))
                                   << "11/2/1984 7:05";
    QTest::newRow("tab and line break become spaces")
        << QString::fromStdString(SpreadsheetReader::cellText("A\tB\r\nC")) << "A B  C";
}

void TestSpreadsheetImport::displayedTexts()
{
    QFETCH(QString, text);
    QFETCH(QString, displayed);
    QCOMPARE(text, displayed);
}

void TestSpreadsheetImport::helperReads_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("firstRow");
    QTest::addColumn<QStringList>("thirdRow");

    QTest::newRow("1200 rows: the first 1000, four columns")
        << "names.xls" << 1000 << QStringList{"Ångström1", "Zoë", "1/2/1970", "1001"}
        << QStringList{"Ångström3", "JOHN", "1/4/1970", "12.5"};
    QTest::newRow("a header row is a row like any other")
        << "header.xls" << 3 << QStringList{"Last Name", "First Name", "DOB", "Passport"}
        << QStringList{"SMITH2", "JOHN", "1/3/1970", "1002"};
    QTest::newRow("two columns only") << "two.xls" << 3 << QStringList{"Ångström1", "Zoë"}
                                      << QStringList{"Ångström3", "JOHN"};
}

void TestSpreadsheetImport::helperReads()
{
    QFETCH(QString, file);
    QFETCH(int, rows);
    QFETCH(QStringList, firstRow);
    QFETCH(QStringList, thirdRow);
    const SpreadsheetReader::Result read = SpreadsheetReader::read(VEYRACHECK_XLS_EXECUTABLE, fixture(file));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.rows.size(), rows);
    QCOMPARE(read.rows[0], firstRow);
    QCOMPARE(read.rows[2], thirdRow);
}

VeyraExcelImport *TestSpreadsheetImport::openImportWindow(RunningApp &app)
{
    app.module.setSpreadsheetHelper(VEYRACHECK_XLS_EXECUTABLE);
    app.module.SpreadsheetFolder = m_dir.path();
    app.find<QAction>("FromExcel")->trigger();
    return app.module.existingExcelImportWindow();
}

void TestSpreadsheetImport::openFillsTheGrid()
{
    QTemporaryDir data;
    RunningApp app(data.path());
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
    QCOMPARE(grid->col(), 1);
    QVERIFY(!app.module.existingExcelImportWindow());
    QVERIFY(readFile(FolderConfig::path(data.path())).contains(QDir::toNativeSeparators(m_dir.path()).toUtf8()));
}

void TestSpreadsheetImport::xlsxIsListedButRefused()
{
    QTemporaryDir data;
    RunningApp app(data.path());
    VeyraExcelImport *import = openImportWindow(app);
    QVERIFY(import->findChild<FileList *>("File1")->fileNames().contains("NAMES.xlsx"));
    auto *open = import->findChild<QPushButton *>("Command1_1");
    import->File1_Click("names.xls");
    import->File1_Click("NAMES.xlsx");
    QVERIFY(!open->isEnabled());
    import->File1_Click("NAMES.XLSX"); // the test is case-sensitive
    QVERIFY(open->isEnabled());
}

void TestSpreadsheetImport::cancelLeavesTheRowsEmpty()
{
    QTemporaryDir data;
    RunningApp app(data.path());
    app.find<TextBox>("Text1_3")->setText("GONE");
    VeyraExcelImport *import = openImportWindow(app);
    QTest::mouseClick(import->findChild<QPushButton *>("Command1_0"), Qt::LeftButton);
    QVERIFY(!app.find<FlexGrid>("MSFlexGrid2")->isVisible());
    QCOMPARE(app.find<TextBox>("Text1_3")->text(), "");
    QCOMPARE(app.find<QPushButton>("Command2")->text(), "Remove Cleared");
    QVERIFY(!app.module.existingExcelImportWindow());
}

void TestSpreadsheetImport::unreadableFileIsReported_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("a text file named .xls") << "renamed.xls";
    QTest::newRow("a truncated file") << "truncated.xls";
    QTest::newRow("random bytes after a valid start") << "noise.xls";
    QTest::newRow("a file removed after it was listed") << "missing.xls";
}

void TestSpreadsheetImport::unreadableFileIsReported()
{
    QFETCH(QString, file);
    QTemporaryDir data;
    RunningApp app(data.path());
    VeyraExcelImport *import = openImportWindow(app);
    import->File1_Click(file);
    import->Command1_Click(1);

    auto *grid = app.find<FlexGrid>("MSFlexGrid2");
    const QString status = app.find<Label>("Label3")->text();
    QCOMPARE(grid->textMatrix(0, 0), "");
    QVERIFY2(status.startsWith(file + " could not be read: "), qPrintable(status));
    QVERIFY(grid->isVisible());
    QVERIFY(!app.module.existingExcelImportWindow());
}

VEYRA_TEST(TestSpreadsheetImport)
#include "TestSpreadsheetImport.moc"
