#include "TestSupport.h"
#include "audit/ScreeningRecord.h"
#include "engine/TableCache.h"
#include "manifest/Rescreening.h"

#include <QTemporaryDir>

using TestSupport::writeFile;

// The saved name lists and manifests of a folder screened again after a new list: who changed, and how.
class TestRescreening : public QObject
{
    Q_OBJECT

private slots:
    void manifestPerson_data();
    void manifestPerson();
    void changedPersonsAreReported();
    void tool_data();
    void tool();
};

namespace {

QString example(const char *name)
{
    return QStringLiteral(EXAMPLES_FOLDER "/") + QLatin1String(name);
}

const QStringList ExampleLists{example("Veyra_No_Fly_Sample.csv"), example("Veyra_Cleared_Sample.csv"),
                               example("Veyra_Selectee_Sample.csv")};

// A crew list with a listed person and a free one, and a manifest saved before the No-Fly list named its first
// person: QUILLFEATHER's saved status is out of date, PEMBERLEAF's and ROSSI's still hold.
void writeSaved(const QString &folder)
{
    writeFile(folder + "/Crew-1",
              "\"QUILLFEATHER\",\"ARNO BEDE\",\"3/14/1971\",\"\"\r\n\"ROSSI\",\"MARCO\",\"\",\"\"\r\n");
    writeFile(folder + "/Manifest-VX1", "\"ARNO BEDE QUILLFEATHER\",\"M\",\"\",\"\",\"3/14/1971\",\"CLEARED\"\r\n"
                                        "\"ORSOLYA PEMBERLEAF\",\"F\",\"PB4400123\",\"\",\"7/30/1990\",\"SSSS\"\r\n"
                                        "\"MARCO ROSSI\",\"M\",\"\",\"\",\"\",\"CLEARED\"\r\n");
}

} // namespace

void TestRescreening::manifestPerson_data()
{
    QTest::addColumn<QString>("fullName");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<QString>("firstAndMiddle");

    newRow("the last word is the last name", "ARNO BEDE QUILLFEATHER", "QUILLFEATHER", "ARNO BEDE");
    newRow("one word is a last name alone", "CHER", "CHER", "");
    newRow("blanks around are dropped", "  MARY ANN SMITH ", "SMITH", "MARY ANN");
    newRow("empty", "", "", "");
}

void TestRescreening::manifestPerson()
{
    QFETCH(QString, fullName);
    QFETCH(QString, lastName);
    QFETCH(QString, firstAndMiddle);
    const NameQuery::Row row = Rescreening::manifestPerson(fullName, "1/2/1960", "P1");
    QCOMPARE(row.lastName, lastName);
    QCOMPARE(row.firstAndMiddleName, firstAndMiddle);
    QCOMPARE(row.dateOfBirth, "1/2/1960");
    QCOMPARE(row.passport, "P1");
}

void TestRescreening::changedPersonsAreReported()
{
    QTemporaryDir folder;
    writeSaved(folder.path());
    TableCache cache;
    const Rescreening result = Rescreening::run(folder.path(), ExampleLists, cache);
    QCOMPARE(result.error, QString());
    QStringList lines = result.csv().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.takeFirst(), "source,lastName,firstAndMiddleName,dateOfBirth,oldStatus,newStatus,list,record");
    const QString record = "\"100001,,QUILLFEATHER,ARNO,BEDE,PERSON,03/14/1971,VALDORA,ZENTRIA,ZX0000001,"
                           "\"\"synthetic entry, no real person\"\"\"";
    QCOMPARE(lines, (QStringList{"Crew-1,QUILLFEATHER,ARNO BEDE,3/14/1971,,NO FLY,Veyra_No_Fly_Sample.csv," + record,
                                 "Manifest-VX1,QUILLFEATHER,ARNO BEDE,3/14/1971,CLEARED,NO FLY,"
                                 "Veyra_No_Fly_Sample.csv," +
                                     record}));
}

void TestRescreening::tool_data()
{
    QTest::addColumn<bool>("savedBefore"); // the saved files as above; else statuses that still hold
    QTest::addColumn<QByteArray>("extraManifest");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");

    newRow("somebody changed: 1", true, QByteArray(), 1, "Manifest-VX1,QUILLFEATHER");
    newRow("nobody changed: 0", false, QByteArray(), 0,
           "source,lastName,firstAndMiddleName,dateOfBirth,oldStatus,newStatus");
    newRow("a name list cut short: 2, with the record", false, QByteArray(), 2,
           "Crew-2 cannot be read whole: record 2");
    newRow("a manifest that cannot be read: 2, named", false, QByteArray("\"BROKEN,M\r\n"), 2, "Manifest-BAD");
}

void TestRescreening::tool()
{
    QFETCH(bool, savedBefore);
    QFETCH(QByteArray, extraManifest);
    QFETCH(int, exitCode);
    QFETCH(QString, said);

    QTemporaryDir folder;
    if (savedBefore)
        writeSaved(folder.path());
    else
        writeFile(folder.filePath("Manifest-VX2"),
                  "\"ARNO BEDE QUILLFEATHER\",\"M\",\"\",\"\",\"3/14/1971\",\"NO FLY\"\r\n");
    if (QByteArray(QTest::currentDataTag()).startsWith("a name list"))
        writeFile(folder.filePath("Crew-2"), "\"ROE\",\"RICHARD\",\"\",\"\"\r\n\"DOE\",\"JANE\"\r\n");
    if (!extraManifest.isEmpty())
        writeFile(folder.filePath("Manifest-BAD"), extraManifest);
    QTemporaryDir data;
    QStringList args{"rescreen", "--folder", folder.path(), "--data-folder", data.path()};
    for (const QString &list : ExampleLists)
        args << "--list" << list;
    const TestSupport::Ran run = TestSupport::run(VEYRACHECK_LISTS_EXECUTABLE, args);
    QCOMPARE(run.exitCode, exitCode);
    const QString out = QString::fromUtf8(run.out + run.err);
    QVERIFY2(out.contains(said), qPrintable(out));

    // Whoever was searched is in the screening record, as a rescreen.
    QStringList modes;
    QVERIFY(ScreeningRecord(data.path())
                .read([&](qint64, const QJsonObject &line) { modes << line["mode"].toString(); }, nullptr));
    if (exitCode != 2) {
        QVERIFY(!modes.isEmpty());
        QCOMPARE(modes, QStringList(modes.size(), "rescreen"));
        QVERIFY(ScreeningRecord(data.path()).verify().whole);
    }
}

VEYRA_TEST(TestRescreening)
#include "TestRescreening.moc"
