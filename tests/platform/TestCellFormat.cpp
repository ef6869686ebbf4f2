#include "TestSupport.h"
#include "platform/sheets/CellFormat.h"

using CellFormat::DateSystem;

Q_DECLARE_METATYPE(CellFormat::DateSystem)

// Number format codes as a spreadsheet shows a value under them, in the United States' conventions. Every
// expected text is what a spreadsheet program displays for that value and code.
class TestCellFormat : public QObject
{
    Q_OBJECT

private slots:
    void numbers_data();
    void numbers();
    void datesAndTimes_data();
    void datesAndTimes();
    void general_data();
    void general();
    void texts_data();
    void texts();
    void datesItCannotShow_data();
    void datesItCannotShow();
    void builtInFormats();
};

void TestCellFormat::numbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("shown");

    newRow("leading zeros of a passport number", 1234567.0, "00000000", "01234567");
    newRow("more digits than placeholders", 123456789.0, "0000", "123456789");
    newRow("thousands and two decimals", 1234567.891, "#,##0.00", "1,234,567.89");
    newRow("grouping of a small number", 12.0, "#,##0", "12");
    newRow("zero under #,##0", 0.0, "#,##0", "0");
    newRow("percent multiplies", 0.125, "0.00%", "12.50%");
    newRow("percent without decimals rounds", 0.125, "0%", "13%");
    newRow("three fixed decimals", 12.5, "0.000", "12.500");
    newRow("half rounds away from zero at the fifteenth digit", 2.675, "0.00", "2.68");
    newRow("rounding carries into the integer", 9.999, "0.00", "10.00");
    newRow("negative with one section takes a minus", -1234.5, "#,##0.0", "-1,234.5");
    newRow("negative section shows no minus of its own", -5.0, "0;(0)", "(5)");
    newRow("zero section", 0.0, "0;(0);\"zero\"", "zero");
    newRow("quoted literal before digits", 1234.0, "\"ID\"0", "ID1234");
    newRow("escaped literal", 5.0, "\\N0", "N5");
    newRow("literals between placeholders", 123456789.0, "000-00-0000", "123-45-6789");
    newRow("scaling comma divides by a thousand", 1500000.0, "#,##0,\"K\"", "1,500K");
    newRow("optional integer digit shows none", 0.5, "#.##", ".5");
    newRow("optional decimals keep the point", 1.0, "#.##", "1.");
    newRow("question marks keep room", 1.5, "0.0?", "1.5 ");
    newRow("scientific", 12345.678, "0.00E+00", "1.23E+04");
    newRow("scientific of a small number", 0.000123, "0.0E+00", "1.2E-04");
    newRow("engineering steps of three", 12345.0, "##0.0E+0", "12.3E+3");
    newRow("colour and locale tags are not shown", -3.0, "[Red]0.0;[Blue]-0.0", "-3.0");
    newRow("currency tag shows its symbol", 5.0, "[$€-407]0.00", "€5.00");
    newRow("condition met", 150.0, "[>100]\"big\";\"small\"", "big");
    newRow("condition not met", 50.0, "[>100]\"big\";\"small\"", "small");
    newRow("room for a parenthesis", 5.0, "0_);(0)", "5 ");
    newRow("fill character takes no room", 5.0, "* 0", "5");
    newRow("General inside a section", 2.5, "General\" kg\"", "2.5 kg");
    newRow("an empty zero section shows nothing", 0.0, "0;-0;", "");
    newRow("negative zero", -0.0, "00000000", "00000000");
}

void TestCellFormat::numbers()
{
    QFETCH(double, value);
    QFETCH(QString, code);
    QFETCH(QString, shown);
    QCOMPARE(CellFormat::number(value, code, DateSystem::Excel1900), shown);
}

void TestCellFormat::datesAndTimes_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("code");
    QTest::addColumn<DateSystem>("dates");
    QTest::addColumn<QString>("shown");
    const DateSystem excel = DateSystem::Excel1900;

    newRow("day, month name, year", 21917.0, "dd-mmm-yyyy", excel, "02-Jan-1960");
    newRow("m/d/yyyy", 30988.0, "m/d/yyyy", excel, "11/2/1984");
    newRow("two-digit year and padded month", 30988.0, "mm/dd/yy", excel, "11/02/84");
    newRow("month and weekday in full", 21917.0, "dddd, mmmm d, yyyy", excel, "Saturday, January 2, 1960");
    newRow("first letter of the month", 21917.0, "mmmmm", excel, "J");
    newRow("afternoon", 0.75, "h:mm AM/PM", excel, "6:00 PM");
    newRow("noon", 0.5, "h:mm AM/PM", excel, "12:00 PM");
    newRow("midnight", 0.0, "h:mm AM/PM", excel, "12:00 AM");
    newRow("lower-case marker", 0.25, "h:mm am/pm", excel, "6:00 am");
    newRow("m after h is minutes", 0.5104166666666666, "hh:mm:ss", excel, "12:15:00");
    newRow("m before s is minutes", 0.000694444444444, "mm:ss", excel, "01:00");
    newRow("elapsed hours pass 24", 1.5, "[h]:mm", excel, "36:00");
    newRow("seconds round into the next day", 44927.999999, "m/d/yyyy h:mm:ss", excel, "1/2/2023 0:00:00");
    newRow("tenths of a second", 0.00001736111, "mm:ss.0", excel, "00:01.5");
    newRow("Excel's 29 February 1900", 60.0, "m/d/yyyy", excel, "2/29/1900");
    newRow("the day after it", 61.0, "m/d/yyyy", excel, "3/1/1900");
    newRow("Excel's day 0", 0.0, "m/d/yyyy", excel, "1/0/1900");
    newRow("1904 system: day 0", 0.0, "m/d/yyyy", DateSystem::Excel1904, "1/1/1904");
    newRow("1904 system: a birth date", 20455.0, "m/d/yyyy", DateSystem::Excel1904, "1/2/1960");
    newRow("null date of 1899: a birth date", 21917.0, "m/d/yyyy", DateSystem::From1899, "1/2/1960");
    newRow("null date of 1899: before it", -1.0, "m/d/yyyy", DateSystem::From1899, "12/29/1899");
}

void TestCellFormat::datesAndTimes()
{
    QFETCH(double, value);
    QFETCH(QString, code);
    QFETCH(DateSystem, dates);
    QFETCH(QString, shown);
    bool ok = false;
    QCOMPARE(CellFormat::number(value, code, dates, &ok), shown);
    QVERIFY(ok);
    QVERIFY(CellFormat::isDate(code));
}

void TestCellFormat::general_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");

    newRow("whole number", 4400123.0, "4400123");
    newRow("eleven digits fit", 12345678901.0, "12345678901");
    newRow("twelve digits do not", 123456789012.0, "1.23457E+11");
    newRow("a third cut to the column", 0.333333333333333, "0.333333333");
    newRow("decimals cut to eleven characters", 1234.56789012345, "1234.56789");
    newRow("trailing zeros dropped", 2.5, "2.5");
    newRow("small number in scientific form", 0.00001, "1E-05");
    newRow("negative", -42.0, "-42");
    newRow("zero", 0.0, "0");
    newRow("huge exponent", 1e300, "1E+300");
}

void TestCellFormat::general()
{
    QFETCH(double, value);
    QFETCH(QString, shown);
    QCOMPARE(CellFormat::general(value), shown);
    QCOMPARE(CellFormat::number(value, QStringLiteral("General"), DateSystem::Excel1900), shown);
}

void TestCellFormat::texts_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("shown");

    newRow("text format", "@", "SMITH");
    newRow("number format leaves text alone", "0.00", "SMITH");
    newRow("fourth section decorates text", "0;-0;0;\"[\"@\"]\"", "[SMITH]");
    newRow("single text section with a literal", "\"Name: \"@", "Name: SMITH");
}

void TestCellFormat::texts()
{
    QFETCH(QString, code);
    QFETCH(QString, shown);
    QCOMPARE(CellFormat::text(QStringLiteral("SMITH"), code), shown);
}

void TestCellFormat::datesItCannotShow_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<DateSystem>("dates");
    newRow("before the first day", -1.0, DateSystem::Excel1900);
    newRow("after 31 December 9999", 2958466.0, DateSystem::Excel1900);
    newRow("before 1904 in the 1904 system", -0.5, DateSystem::Excel1904);
}

void TestCellFormat::datesItCannotShow()
{
    QFETCH(double, value);
    QFETCH(DateSystem, dates);
    bool ok = true;
    CellFormat::number(value, QStringLiteral("m/d/yyyy"), dates, &ok);
    QVERIFY(!ok);
}

void TestCellFormat::builtInFormats()
{
    QCOMPARE(CellFormat::builtIn(14), QStringLiteral("m/d/yyyy"));
    QCOMPARE(CellFormat::number(21917, CellFormat::builtIn(15), DateSystem::Excel1900), QStringLiteral("2-Jan-60"));
    QCOMPARE(CellFormat::number(0.125, CellFormat::builtIn(10), DateSystem::Excel1900), QStringLiteral("12.50%"));
    QCOMPARE(CellFormat::number(-1234, CellFormat::builtIn(37), DateSystem::Excel1900), QStringLiteral("(1,234)"));
    QCOMPARE(CellFormat::number(1234, CellFormat::builtIn(37), DateSystem::Excel1900), QStringLiteral("1,234 "));
    QCOMPARE(CellFormat::builtIn(164), QString());
}

VEYRA_TEST(TestCellFormat)
#include "TestCellFormat.moc"
