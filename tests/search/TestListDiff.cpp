#include "TestSupport.h"
#include "search/ListDiff.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using TestSupport::writeFile;

// Two versions of a list, written by the test: what veyracheck-lists diff says changed.
class TestListDiff : public QObject
{
    Q_OBJECT

private slots:
    void compare_data();
    void compare();
    void aRecordOfManyFields();
    void jsonNamesEachField();
    void tool_data();
    void tool();
};

namespace {
const QByteArray Header = "SID,LASTNAME,FIRSTNAME,DOB\r\n";
}

void TestListDiff::compare_data()
{
    QTest::addColumn<QByteArray>("oldList");
    QTest::addColumn<QByteArray>("newList");
    QTest::addColumn<QStringList>("lines"); // after the header line

    const QByteArray base = Header + "1,ROE,RICHARD,3/4/1970\r\n2,DOE,JANE,1/2/1960\r\n3,POE,EDGAR,\r\n";
    newRow("identical", base, base, QStringList{});
    newRow("one added, one removed, one changed", base,
           Header + "1,ROE,RICHARD,3/4/1970\r\n3,POE,\"EDGAR, ALLAN\",1/19/1809\r\n4,NEW,X,\r\n",
           QStringList{"changed,3,FIRSTNAME,EDGAR,\"EDGAR, ALLAN\"", "changed,3,DOB,,1/19/1809",
                       "added,4,,,\"4,NEW,X,\"", "removed,2,,\"2,DOE,JANE,1/2/1960\","});
    newRow("reordered records are the same records", base,
           Header + "3,POE,EDGAR,\r\n1,ROE,RICHARD,3/4/1970\r\n2,DOE,JANE,1/2/1960\r\n", QStringList{});
    newRow("other line ends alone change nothing", base,
           QByteArray("SID,LASTNAME,FIRSTNAME,DOB\n1,ROE,RICHARD,3/4/1970\n2,DOE,JANE,1/2/1960\n3,POE,EDGAR,"),
           QStringList{});
    newRow("the same text in Windows-1252 and in UTF-8 with a BOM", Header + "1,M\xDCLLER,J\xD6RG,\r\n",
           "\xEF\xBB\xBF" + Header + "1,M\xC3\x9CLLER,J\xC3\x96RG,\r\n", QStringList{});
    newRow("letter case is a change", base,
           Header + "1,Roe,RICHARD,3/4/1970\r\n2,DOE,JANE,1/2/1960\r\n"
                    "3,POE,EDGAR,\r\n",
           QStringList{"changed,1,LASTNAME,ROE,Roe"});
    newRow("a column moved to another place changes no record", base,
           QByteArray("SID,FIRSTNAME,LASTNAME,DOB\r\n1,RICHARD,ROE,3/4/1970\r\n2,JANE,DOE,1/2/1960\r\n"
                      "3,EDGAR,POE,\r\n"),
           QStringList{});
    newRow("a new column changes the records that fill it", base,
           QByteArray("SID,LASTNAME,FIRSTNAME,DOB,MISC\r\n1,ROE,RICHARD,3/4/1970,\r\n2,DOE,JANE,1/2/1960,x\r\n"
                      "3,POE,EDGAR,,\r\n"),
           QStringList{"changed,2,MISC,,x"});
    newRow("a field beyond the header is compared too", base,
           Header + "1,ROE,RICHARD,3/4/1970,ALIAS RR\r\n2,DOE,JANE,1/2/1960\r\n3,POE,EDGAR,\r\n",
           QStringList{"changed,1,(field 5),,ALIAS RR"});
    newRow("a SID given twice is matched in order", Header + "7,A,ONE,\r\n7,B,TWO,\r\n",
           Header + "7,A,ONE,\r\n7,C,TWO,\r\n", QStringList{"changed,7,LASTNAME,B,C"});
    newRow("a SID given twice: the record gone is removed, not the other changed",
           Header + "7,ALPHA,,\r\n7,BRAVO,,\r\n", Header + "7,BRAVO,,\r\n", QStringList{"removed,7,,\"7,ALPHA,,\","});
    newRow("a SID given twice: the records swapped change nothing", Header + "7,ALPHA,,\r\n7,BRAVO,,\r\n",
           Header + "7,BRAVO,,\r\n7,ALPHA,,\r\n", QStringList{});
    newRow("a SID given thrice: one changed, met after the same ones", Header + "7,A,,\r\n7,B,,\r\n7,C,,\r\n",
           Header + "7,C,,\r\n7,A,X,\r\n7,B,,\r\n", QStringList{"changed,7,FIRSTNAME,,X"});
    newRow("values a spreadsheet would run are shown as text", Header + "1,ROE,RICHARD,\r\n",
           Header + "1,\"=HYPERLINK(\"\"x\"\")\",RICHARD,\r\n-2,@A,\tB,\r\n",
           QStringList{"changed,1,LASTNAME,ROE,\"'=HYPERLINK(\"\"x\"\")\"", "added,\"'-2\",,,\"'-2,@A,\tB,\""});
    newRow("a quoted SID with doubled quotes", Header + "\"7\"\"A\",X,Y,\r\n", Header + "\"7\"\"A\",X,Z,\r\n",
           QStringList{"changed,\"7\"\"A\",FIRSTNAME,Y,Z"});
    newRow("without a SID column a record is its whole text",
           QByteArray("LASTNAME,FIRSTNAME\r\nROE,RICHARD\r\nDOE,JANE\r\nDOE,JANE\r\n"),
           QByteArray("LASTNAME,FIRSTNAME\r\nDOE,JANE\r\nROE,RICK\r\n"),
           QStringList{"added,,,,\"ROE,RICK\"", "removed,,,\"ROE,RICHARD\",", "removed,,,\"DOE,JANE\","});
    newRow("without a SID column, another encoding and quoting change nothing",
           QByteArray("LASTNAME,FIRSTNAME\r\nM\xDCLLER,J\xD6RG\r\nROE,\"RICHARD\"\r\n"),
           QByteArray("\xEF\xBB\xBFLASTNAME,FIRSTNAME\n\"ROE\",RICHARD\nM\xC3\x9CLLER,J\xC3\x96RG\n"), QStringList{});
    newRow("without a SID column, a column moved changes nothing", QByteArray("LASTNAME,FIRSTNAME\r\nROE,RICHARD\r\n"),
           QByteArray("FIRSTNAME,LASTNAME\r\nRICHARD,ROE\r\n"), QStringList{});
    newRow("without a SID column, the same words in other fields differ", QByteArray("LASTNAME,FIRSTNAME\r\nAB,C\r\n"),
           QByteArray("LASTNAME,FIRSTNAME\r\nA,BC\r\n"), QStringList{"added,,,,\"A,BC\"", "removed,,,\"AB,C\","});
}

void TestListDiff::compare()
{
    QFETCH(QByteArray, oldList);
    QFETCH(QByteArray, newList);
    QFETCH(QStringList, lines);

    QTemporaryDir dir;
    writeFile(dir.filePath("old.csv"), oldList);
    writeFile(dir.filePath("new.csv"), newList);
    const ListDiff diff = ListDiff::compare(dir.filePath("old.csv"), dir.filePath("new.csv"));
    QCOMPARE(diff.error, QString());
    QCOMPARE(diff.identical(), lines.isEmpty());
    QStringList printed = diff.csv().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(printed.takeFirst(), "change,SID,field,old,new");
    QCOMPARE(printed, lines);
}

void TestListDiff::aRecordOfManyFields()
{
    // 200,000 fields beyond the header, one of them changed: each is found by its place, not searched for.
    QByteArrayList fields(200000, "x");
    const QByteArray before = Header + "1,ROE,RICHARD,3/4/1970," + fields.join(',') + "\r\n";
    fields[149996] = "y";
    const QByteArray after = Header + "1,ROE,RICHARD,3/4/1970," + fields.join(',') + "\r\n";
    QTemporaryDir dir;
    writeFile(dir.filePath("old.csv"), before);
    writeFile(dir.filePath("new.csv"), after);
    const ListDiff diff = ListDiff::compare(dir.filePath("old.csv"), dir.filePath("new.csv"));
    QCOMPARE(diff.csv(), QString("change,SID,field,old,new\nchanged,1,(field 150001),x,y\n"));
    QCOMPARE(diff.columns.size(), 200004);
    QCOMPARE(diff.columns.last(), QString("(field 200004)"));
}

void TestListDiff::jsonNamesEachField()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("old.csv"), Header + "1,ROE,RICHARD,3/4/1970\r\n2,DOE,JANE,\r\n");
    writeFile(dir.filePath("new.csv"), Header + "1,ROE,RICK,3/4/1970\r\n3,POE,EDGAR,\r\n");
    const QJsonObject root =
        QJsonDocument::fromJson(ListDiff::compare(dir.filePath("old.csv"), dir.filePath("new.csv")).json()).object();
    QCOMPARE(root["bySid"].toBool(), true);
    const QJsonObject changed = root["changed"].toArray().at(0).toObject();
    QCOMPARE(changed["SID"].toString(), "1");
    QCOMPARE(changed["fields"].toArray().at(0).toObject(),
             (QJsonObject{{"field", "FIRSTNAME"}, {"old", "RICHARD"}, {"new", "RICK"}}));
    QCOMPARE(root["added"].toArray().at(0).toObject()["record"].toObject()["LASTNAME"].toString(), "POE");
    QCOMPARE(root["removed"].toArray().at(0).toObject()["SID"].toString(), "2");
}

void TestListDiff::tool_data()
{
    QTest::addColumn<QByteArray>("newList");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");

    newRow("the same records: 0", Header + "1,ROE,RICHARD,\r\n", QStringList{}, 0, "change,SID,field,old,new\n");
    newRow("a change: 1", Header + "1,ROE,RICK,\r\n", QStringList{}, 1, "changed,1,FIRSTNAME,RICHARD,RICK");
    newRow("json", Header + "1,ROE,RICK,\r\n", QStringList{"--format", "json"}, 1, "\"changed\"");
    newRow("an unreadable new list: 2, with its line", Header + "1,\"ROE,RICHARD,\r\n", QStringList{}, 2, "line 2");
    newRow("an unknown format: 2", Header, QStringList{"--format", "xml"}, 2, "Usage");
}

void TestListDiff::tool()
{
    QFETCH(QByteArray, newList);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, said);

    QTemporaryDir dir;
    writeFile(dir.filePath("old.csv"), Header + "1,ROE,RICHARD,\r\n");
    writeFile(dir.filePath("new.csv"), newList);
    const TestSupport::Ran run = TestSupport::run(
        VEYRACHECK_LISTS_EXECUTABLE, QStringList{"diff", dir.filePath("old.csv"), dir.filePath("new.csv")} + options);
    QCOMPARE(run.exitCode, exitCode);
    const QString out = QString::fromUtf8(run.out + run.err);
    QVERIFY2(out.contains(said), qPrintable(out));
}

VEYRA_TEST(TestListDiff)
#include "TestListDiff.moc"
