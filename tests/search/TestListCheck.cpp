#include "TestSupport.h"
#include "search/ListCheck.h"

#include <QTemporaryDir>

using TestSupport::writeFile;

class TestListCheck : public QObject
{
    Q_OBJECT

private slots:
    void findsWhatMakesASearchLessThanExact();
    void command_data();
    void command();
};

namespace {

const QByteArray Header = TestSupport::ListHeader.trimmed();

} // namespace

void TestListCheck::findsWhatMakesASearchLessThanExact()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra_No_Fly.csv"), Header + ",dob\r\n"                       // line 1, a second DOB
                                                         "1,,A,B,,P,1/2/1960,,,,,\r\n"    // 2
                                                         "2,,C,D,,P,unknown,,,,,\r\n"     // 3
                                                         "3,,E,\"F\r\nG\",,P,1960,,,,,\r" // 4 and 5
                                                         "4,,H,I,,P,31/31/1960,,,,,,x\n"  // 6: one field more
                                                         "5,,J,K\xE9\n");                 // 7: eight fields fewer
    const ListCheck check = ListCheck::check(dir.filePath("Veyra_No_Fly.csv"));
    QVERIFY(check.readable());
    QCOMPARE(check.records, size_t(5));
    QCOMPARE(check.columns, 12);
    QCOMPARE(check.encoding, QStringLiteral("UTF-8, with 1 field in Windows-1252"));
    QCOMPARE(check.crlf, size_t(4));
    QCOMPARE(check.lf, size_t(2));
    QCOMPARE(check.cr, size_t(1));
    QCOMPARE(check.longer.count, size_t(1));
    QCOMPARE(check.longer.first.front().line, size_t(6));
    QCOMPARE(check.shorter.count, size_t(1));
    QCOMPARE(check.shorter.first.front().line, size_t(7));
    QCOMPARE(check.duplicateColumns, QStringList{"dob"});
    QVERIFY(check.missingColumns.isEmpty());
    QCOMPARE(check.unreadableDates.count, size_t(2));
    QCOMPARE(check.unreadableDates.first[0].line, size_t(3));
    QCOMPARE(check.unreadableDates.first[0].text, QStringLiteral("unknown"));
    QCOMPARE(check.unreadableDates.first[1].line, size_t(6));
    QCOMPARE(check.partialDates, size_t(1));
    QCOMPARE(check.warnings().size(), 4);
    QVERIFY(check.report().contains("\n    line 6: \"31/31/1960\"\n"));
}

void TestListCheck::command_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");

    newRow("a clean list: 0", Header + "\r\n1,,DOE,JANE,,P,1/2/1960,,,,\r\n", 0, "result: ok");
    newRow("a date that cannot be read: 1", Header + "\r\n1,,DOE,JANE,,P,1/2/19600,,,,\r\n", 1,
           "line 2: \"1/2/19600\"");
    newRow("no DOB column: 1", QByteArray("SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,PASSPORT/IDNUMBER\n"), 1,
           "missing columns: DOB");
    newRow("an unclosed quote: 2", Header + "\r\n1,,DOE,JANE,,P,,,,,\r\n2,,\"ROE,AL,,P,,,,,\r\n", 2,
           "cannot be read: Unclosed quote in Veyra_List.csv at line 3");
}

void TestListCheck::command()
{
    QFETCH(QByteArray, list);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra_List.csv"), list);
    const TestSupport::Ran run =
        TestSupport::run(VEYRACHECK_LISTS_EXECUTABLE, {"check", dir.filePath("Veyra_List.csv")});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(run.out).contains(said), run.out.constData());
}

VEYRA_TEST(TestListCheck)
#include "TestListCheck.moc"
