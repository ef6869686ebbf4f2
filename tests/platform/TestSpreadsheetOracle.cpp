#include "TestSupport.h"
#include "platform/files/SpreadsheetReader.h"
#include "platform/sheets/SheetCells.h"

#include <QTemporaryDir>

// The reader against another spreadsheet program: LibreOffice calculates and saves one sheet of a few hundred
// cells (texts in many scripts, numbers, dates and times under many formats, booleans, formulas) in the three
// formats and renders it as its cells show; the reader must show the same text in every cell of every format,
// General numbers aside (LibreOffice writes all their digits where a column shows eleven characters).
class TestSpreadsheetOracle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameTextAsLibreOffice_data();
    void sameTextAsLibreOffice();

private:
    QTemporaryDir m_dir;
    struct Shown
    {
        int row;
        int column;
        QString kind;
        QString text;
    };
    QList<Shown> m_shown;
};

void TestSpreadsheetOracle::initTestCase()
{
    VEYRA_RUN_SCRIPT(MAKE_ORACLE_SCRIPT, m_dir.path());
    for (const QByteArray &line : TestSupport::readFile(m_dir.filePath("oracle.tsv")).split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3)
            continue;
        const QString reference = QString::fromUtf8(fields[0]);
        m_shown.append({reference.mid(1).toInt() - 1, reference[0].unicode() - u'A', QString::fromUtf8(fields[1]),
                        QString::fromUtf8(fields[2])});
    }
    QCOMPARE(m_shown.size(), 480);
}

void TestSpreadsheetOracle::sameTextAsLibreOffice_data()
{
    QTest::addColumn<QString>("file");
    for (const char *file : {"oracle.xlsx", "oracle.xls", "oracle.ods"})
        newRow(file, file);
}

void TestSpreadsheetOracle::sameTextAsLibreOffice()
{
    QFETCH(QString, file);
    const SpreadsheetReader::Result read = SpreadsheetReader::read(m_dir.filePath(file));
    QVERIFY2(read.ok, qPrintable(read.error));
    QCOMPARE(read.sheet, "Oracle");
    QStringList differences;
    int compared = 0;
    for (const Shown &cell : m_shown) {
        if (cell.kind == u"general")
            continue;
        ++compared;
        const QString mine = read.rows.value(cell.row).value(cell.column);
        if (mine != cell.text)
            differences.append(QStringLiteral("%1 (%2): LibreOffice \"%3\", reader \"%4\"")
                                   .arg(SheetCells::cellName(cell.row, cell.column), cell.kind, cell.text, mine));
    }
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(u'\n')));
    QVERIFY(compared > 400);
}

VEYRA_TEST(TestSpreadsheetOracle)
#include "TestSpreadsheetOracle.moc"
