#include "TestSupport.h"
#include "engine/DateParser.h"

class TestDateParser : public QObject
{
    Q_OBJECT

private slots:
    void wholeDates_data();
    void wholeDates();
    void listDates_data();
    void listDates();
};

void TestDateParser::wholeDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");

    newRow("month/day/year", "1/2/1960", QDate(1960, 1, 2));
    newRow("two-digit month and day", "12/31/1970", QDate(1970, 12, 31));
    newRow("dashes", "01-02-1960", QDate(1960, 1, 2));
    newRow("year-month-day", "1984-11-02", QDate(1984, 11, 2));
    newRow("year/month/day", "1960/01/02", QDate(1960, 1, 2));
    newRow("blanks around", " 1/2/1960 ", QDate(1960, 1, 2));
    newRow("leap day", "2/29/2000", QDate(2000, 2, 29));
    newRow("a day above 12 first is day-first", "31/12/1960", QDate(1960, 12, 31));
    newRow("13 first is day-first", "13/01/1960", QDate(1960, 1, 13));
    newRow("both up to 12 is month first", "02/01/1960", QDate(1960, 2, 1));
    newRow("midnight after the date", "01/02/1960 00:00:00", QDate(1960, 1, 2));
    newRow("time with AM", "1/2/1960 12:00:00 AM", QDate(1960, 1, 2));
    newRow("time with pm, no seconds", "1/2/1960 5:30pm", QDate(1960, 1, 2));
    newRow("ISO time", "1960-01-02T00:00:00", QDate(1960, 1, 2));
    newRow("ISO time with fraction and zone", "1960-01-02T00:00:00.000Z", QDate(1960, 1, 2));
    newRow("ISO time with offset", "1960-01-02T00:00:00+01:00", QDate(1960, 1, 2));
    newRow("day-MON-year", "02-JAN-1960", QDate(1960, 1, 2));
    newRow("day mon year, any case", "2 jan 1960", QDate(1960, 1, 2));
    newRow("day-Month-two-digit year", "2-January-60", QDate(1960, 1, 2));
    newRow("Mon day, year", "Jan 2, 1960", QDate(1960, 1, 2));
    newRow("MONTH day year", "SEPTEMBER 30 1990", QDate(1990, 9, 30));
    newRow("Sept", "Sept 3, 1971", QDate(1971, 9, 3));
    newRow("MON-day-year", "JAN-02-1960", QDate(1960, 1, 2));
    newRow("two-digit year 60 is 1960", "1/2/60", QDate(1960, 1, 2));
    newRow("two-digit year 29 is 2029", "1/2/29", QDate(2029, 1, 2));
    newRow("two-digit year 30 is 1930", "1/2/30", QDate(1930, 1, 2));
    newRow("two-digit year 00 is 2000", "2/29/00", QDate(2000, 2, 29));

    newRow("no leap day", "2/29/1900", QDate());
    newRow("both above 12", "13/13/1960", QDate());
    newRow("day 31 of a short month, day-first", "31/04/1960", QDate());
    newRow("three-digit year", "1/2/196", QDate());
    newRow("mixed separators", "1/2-1960", QDate());
    newRow("three-digit month", "001/2/1960", QDate());
    newRow("a word that is no month", "2 Foo 1960", QDate());
    newRow("trailing text", "1/2/1960x", QDate());
    newRow("hour 24 is no hour", "1/2/1960 24:00", QDate());
    newRow("a time alone", "12:00:00", QDate());
    newRow("year only is no whole date", "1960", QDate());
    newRow("month and year is no whole date", "01/1960", QDate());
    newRow("year zero", "1/2/0000", QDate());
    newRow("empty", "", QDate());
    newRow("not ASCII", QString::fromUtf8("1/2/１９６０"), QDate());
}

void TestDateParser::wholeDates()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(DateParser::parse(QStringView(text)).value_or(QDate()), date);
    QCOMPARE(DateParser::isValidDate(text), date.isValid());
}

void TestDateParser::listDates_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");

    newRow("whole date is one day", "1/2/1960", QDate(1960, 1, 2), QDate(1960, 1, 2));
    newRow("year", "1960", QDate(1960, 1, 1), QDate(1960, 12, 31));
    newRow("month/year", "01/1960", QDate(1960, 1, 1), QDate(1960, 1, 31));
    newRow("one-digit month/year", "2/1960", QDate(1960, 2, 1), QDate(1960, 2, 29));
    newRow("year-month", "1961-02", QDate(1961, 2, 1), QDate(1961, 2, 28));
    newRow("MON year", "JAN 1960", QDate(1960, 1, 1), QDate(1960, 1, 31));
    newRow("Month year", "December 1960", QDate(1960, 12, 1), QDate(1960, 12, 31));
    newRow("month 13", "13/1960", QDate(), QDate());
    newRow("two-digit year alone", "60", QDate(), QDate());
    newRow("unreadable", "unknown", QDate(), QDate());
}

void TestDateParser::listDates()
{
    QFETCH(QString, text);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    const QByteArray bytes = text.toUtf8();
    const auto range = DateParser::parseRange(std::string_view(bytes.constData(), size_t(bytes.size())));
    QCOMPARE(range.has_value(), first.isValid());
    if (range) {
        QCOMPARE(range->first, first);
        QCOMPARE(range->last, last);
    }
}

VEYRA_TEST(TestDateParser)
#include "TestDateParser.moc"
