#include "TestSupport.h"
#include "platform/DateParser.h"

class TestDateParser : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestDateParser::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");

    QTest::newRow("month/day/year") << "1/2/1960" << QDate(1960, 1, 2);
    QTest::newRow("two-digit month and day") << "12/31/1970" << QDate(1970, 12, 31);
    QTest::newRow("dashes") << "01-02-1960" << QDate(1960, 1, 2);
    QTest::newRow("year-month-day") << "1984-11-02" << QDate(1984, 11, 2);
    QTest::newRow("blanks around") << " 1/2/1960 " << QDate(1960, 1, 2);
    QTest::newRow("leap day") << "2/29/2000" << QDate(2000, 2, 29);
    QTest::newRow("day first is not US") << "31/12/1960" << QDate();
    QTest::newRow("no leap day") << "2/29/1900" << QDate();
    QTest::newRow("two-digit year") << "1/2/60" << QDate();
    QTest::newRow("mixed separators") << "1/2-1960" << QDate();
    QTest::newRow("year-month-day with slashes") << "1960/01/02" << QDate();
    QTest::newRow("three-digit month") << "001/2/1960" << QDate();
    QTest::newRow("text") << "Jan 2 1960" << QDate();
    QTest::newRow("trailing text") << "1/2/1960x" << QDate();
    QTest::newRow("empty") << "" << QDate();
}

void TestDateParser::parse()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(DateParser::parse(QStringView(text)).value_or(QDate()), date);
}

VEYRA_TEST(TestDateParser)
#include "TestDateParser.moc"
