#include "TestSupport.h"
#include "search/NameQuery.h"

class TestNameQuery : public QObject
{
    Q_OBJECT

private slots:
    void build_data();
    void build();
    void namesAreWrittenBackUpperCased();
};

void TestNameQuery::build_data()
{
    QTest::addColumn<QStringList>("row"); // last, first and middle, date of birth, passport
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("flagged");
    QTest::addColumn<bool>("grid");
    QTest::addColumn<QString>("result"); // the statement, or the refusal, or "" for no statement

    const QString select = "SELECT * FROM Veyra.csv WHERE ";
    newRow("last name only", QStringList{"smith", "", "", ""}, false, false, false, select + "LASTNAME='SMITH'");
    newRow("prefix names and date", QStringList{"smith", "john paul", "1/2/1960", ""}, false, false, false,
           select + "LASTNAME='SMITH' AND FIRSTNAME LIKE 'JOHN%' AND MIDDLENAME LIKE 'PAUL%' AND DOB=#1/2/1960#");
    newRow("exact names and date on a Cleared list", QStringList{"smith", "john paul", "1/2/1960", ""}, true, false,
           false, select + "LASTNAME='SMITH' AND FIRSTNAME = 'JOHN' AND MIDDLENAME = 'PAUL' AND DOB=#1/2/1960#");
    newRow("no middle name on a Cleared list means an empty one", QStringList{"smith", "john", "", "x123"}, true, false,
           false,
           select + "LASTNAME='SMITH' AND FIRSTNAME = 'JOHN' AND MIDDLENAME = '' AND [PASSPORT/IDNUMBER]='X123'");
    newRow("only the first space splits", QStringList{"x", "anna maria luisa", "", ""}, false, false, false,
           select + "LASTNAME='X' AND FIRSTNAME LIKE 'ANNA%' AND MIDDLENAME LIKE 'MARIA LUISA%'");
    newRow("space at position 3 splits", QStringList{"cruz", "de la cruz", "", ""}, false, false, false,
           select + "LASTNAME='CRUZ' AND FIRSTNAME LIKE 'DE%' AND "
                    "MIDDLENAME LIKE 'LA CRUZ%'");
    newRow("one-letter first word is taken whole", QStringList{"x", "j smith", "", ""}, false, false, false,
           select + "LASTNAME='X' AND FIRSTNAME LIKE 'J SMITH%'");
    newRow("year-month-day date is sent as typed", QStringList{"x", "", "1960-01-02", ""}, false, false, false,
           select + "LASTNAME='X' AND DOB=#1960-01-02#");
    newRow("date the parser refuses is left out", QStringList{"x", "", "31/13/1960", ""}, false, false, false,
           select + "LASTNAME='X'");
    newRow("a year alone is no date of birth", QStringList{"x", "", "1960", ""}, false, false, false,
           select + "LASTNAME='X'");
    newRow("day-first date is sent as typed", QStringList{"x", "", "31/12/1960", ""}, false, false, false,
           select + "LASTNAME='X' AND DOB=#31/12/1960#");
    newRow("apostrophe is not doubled", QStringList{"o'brien", "", "", ""}, false, false, false,
           select + "LASTNAME='O'BRIEN'");
    newRow("single-space last name counts in a name row", QStringList{" ", "", "", ""}, false, false, false,
           select + "LASTNAME=' '");
    newRow("single-space last name does not count in the grid", QStringList{" ", "ann", "", ""}, false, false, true,
           "Need Last Name");
    newRow("date of birth alone needs a last name", QStringList{"", "", "1/2/1960", ""}, false, false, false,
           "Need Last Name");
    newRow("passport alone needs a last name", QStringList{"", "", "", "x1"}, false, false, false, "Need Last Name");
    newRow("empty row gives nothing", QStringList{"", "", "", ""}, false, false, false, "");
    newRow("flagged row on a Cleared list needs a date", QStringList{"smith", "john", "", ""}, true, true, false,
           "Must enter DOB");
    newRow("date rule before the last-name rule", QStringList{"", "", "bad", ""}, true, true, false, "Must enter DOB");
    newRow("unflagged row on a Cleared list needs no date", QStringList{"smith", "", "", ""}, true, false, false,
           select + "LASTNAME='SMITH'");
    newRow("flagged row on a No-Fly list needs no date", QStringList{"smith", "", "", ""}, false, true, false,
           select + "LASTNAME='SMITH'");
}

void TestNameQuery::build()
{
    QFETCH(QStringList, row);
    QFETCH(bool, cleared);
    QFETCH(bool, flagged);
    QFETCH(bool, grid);
    QFETCH(QString, result);

    const NameQuery query = NameQuery::build({row[0], row[1], row[2], row[3]}, cleared, flagged, grid);
    switch (query.outcome) {
    case NameQuery::Statement:
        QCOMPARE(query.statement, result);
        break;
    case NameQuery::Refused:
        QCOMPARE(query.refusal, result);
        break;
    case NameQuery::NoStatement:
        QCOMPARE(QString(), result);
        break;
    }
}

void TestNameQuery::namesAreWrittenBackUpperCased()
{
    const NameQuery query = NameQuery::build({"müller", "zoë ann", "1/2/1960", "ab12"}, true, true, false);
    QCOMPARE(query.written.lastName, QStringLiteral("MÜLLER"));
    QCOMPARE(query.written.firstAndMiddleName, QStringLiteral("ZOË ANN"));
    QCOMPARE(query.written.dateOfBirth, QStringLiteral("1/2/1960"));
    QCOMPARE(query.written.passport, QStringLiteral("AB12"));
    // Refused rows are upper-cased all the same: the fields change before the date is tested.
    QCOMPARE(NameQuery::build({"doe", "", "", ""}, true, true, false).written.lastName, QStringLiteral("DOE"));
}

VEYRA_TEST(TestNameQuery)
#include "TestNameQuery.moc"
