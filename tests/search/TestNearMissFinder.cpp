#include "TestSupport.h"
#include "engine/TextTable.h"
#include "search/NearMissFinder.h"
#include "search/NearMissIndex.h"
#include "search/NearMissIndexes.h"
#include "search/NearMissScorer.h"

#include <QDate>

Q_DECLARE_METATYPE(QList<int>)

// Which records of a list come close to a person, found through the index, best first.
class TestNearMissFinder : public QObject
{
    Q_OBJECT

private slots:
    void closeRecords_data();
    void closeRecords();
    void namingCultures_data();
    void namingCultures();
    void exactMatchesAreNotNearMisses();
    void thresholdAndLimit();
    void recordsAsASearchHandsThemOut();
    void listWithoutSurnames();
    void aListIsIndexedOnce();
    void fieldsLongerThanAnyName();
    void workIsBoundedWhateverTheName();
    void indexOfLongMadeUpWordsStaysWithinTheFile();

private:
    static TextTable list();
};

namespace {

// The rows of the records that come close to the person, best first.
QList<int> rowsFound(const TextTable &table, const QStringList &person)
{
    const NearMissIndex index(table);
    QList<int> found;
    for (const NearMiss &miss : NearMissFinder(table, index).find({person[0], person[1], person[2], person[3]}))
        found.append(int(miss.row));
    return found;
}

} // namespace

TextTable TestNearMissFinder::list()
{
    QByteArray bytes = "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\r\n"
                       "1,,MOHAMMED,ALI,,PERSON,3/4/1970,,,,\r\n"
                       "2,,MUHAMMAD,ALI,,PERSON,3/4/1970,,,,\r\n"
                       "3,,HASSAN,OMAR,KHALID,PERSON,1/1/1980,,,P77,\r\n"
                       "4,,GARCIA-LOPEZ,ANA,,PERSON,5/6/1977,,,,\r\n"
                       "5,,SMITH,ALI,,PERSON,3/4/1970,,,,\r\n"
                       "6,,MOHAMED,ALI,,PERSON,3/4/1990,,,,\r\n"
                       "7,,M\xdcLLER,HANS,,PERSON,2/2/1950,,,,\r\n"                              // Windows-1252
                       "8,YES,\xd0\x90\xd0\x9b\xd0\x98\xd0\x95\xd0\x92,RUSTAM,,PERSON,,,,,\r\n"; // UTF-8 Cyrillic
    return TextTable(bytes, true, QStringLiteral("Veyra_No_Fly_Test.csv"));
}

void TestNearMissFinder::namingCultures_data()
{
    QTest::addColumn<QStringList>("person");
    QTest::addColumn<QList<int>>("rows");
    newRow("Russian ending -OFF", QStringList{"IVANOFF", "SERGEI", "1/2/1960", ""}, QList<int>{0});
    newRow("Korean YI for LEE", QStringList{"YI", "MIN HO", "5/6/1977", ""}, QList<int>{1});
    newRow("Wade-Giles, given names joined", QStringList{"HSU", "HUNGCHENG", "5/6/1977", ""}, QList<int>{2});
    newRow("one of two Hispanic surnames", QStringList{"PEREZ", "LUCIA", "7/8/1985", ""}, QList<int>{3});
    newRow("another surname, the same given name", QStringList{"ORTIZ", "LUCIA", "7/8/1985", ""}, QList<int>{});
    newRow("Vietnamese three parts in another order", QStringList{"LINH", "LE KIM", "1/2/1960", ""}, QList<int>{4});
    newRow("Dutch particles left out", QStringList{"BERG", "JAN", "5/6/1977", ""}, QList<int>{5});
    newRow("initials with points", QStringList{"SMITH", "J. R.", "1/2/1960", ""}, QList<int>{6});
    newRow("Greek, both names varied", QStringList{"PAPADOPULOS", "YIORGOS", "1/2/1960", ""}, QList<int>{7});
    newRow("Arabic particle written on", QStringList{"SAYED", "OMAR", "3/4/1970", ""}, QList<int>{8});
    // Five records of the name within a year of the date, one a year apart to the day: that one alone.
    newRow("a year's slip outranks dates merely close", QStringList{"SMITH", "MICHAEL", "4/30/2003", ""},
           QList<int>{9});
    newRow("Korean given name joined", QStringList{"KIM", "SEONGMIN", "1/1/1990", ""}, QList<int>{14});
    newRow("another first given name is another person", QStringList{"AL-RASHID", "KHADIJA AHMED", "3/4/1970", ""},
           QList<int>{});
}

void TestNearMissFinder::namingCultures()
{
    QFETCH(QStringList, person);
    QFETCH(QList<int>, rows);
    const QByteArray bytes =
        "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\r\n"
        "1,,IVANOV,SERGEI,,PERSON,1/2/1960,,,,\r\n"
        "2,,LEE,MIN HO,,PERSON,5/6/1977,,,,\r\n"
        "3,,XU,HONG CHENG,,PERSON,5/6/1977,,,,\r\n"
        "4,,FLORES PEREZ,LUCIA,,PERSON,7/8/1985,,,,\r\n"
        "5,,LE,KIM,LINH,PERSON,1/2/1960,,,,\r\n"
        "6,,VAN DER BERG,JAN,,PERSON,5/6/1977,,,,\r\n"
        "7,,SMITH,JOHN,ROBERT,PERSON,1/2/1960,,,,\r\n"
        "8,,PAPADOPOULOS,GEORGIOS,,PERSON,1/2/1960,,,,\r\n"
        "9,,ALSAYED,OMAR,,PERSON,3/4/1970,,,,\r\n"
        "10,,SMITH,MICHAEL,,PERSON,4/30/2004,,,,\r\n"
        "11,,SMITH,MICHAEL,,PERSON,5/15/2003,,,,\r\n"
        "12,,SMITH,MICHAEL,,PERSON,6/1/2003,,,,\r\n"
        "13,,SMITH,MICHAEL,,PERSON,3/1/2003,,,,\r\n"
        "14,,SMITH,MICHAEL,,PERSON,12/12/2002,,,,\r\n"
        "15,,KIM,SUNG MIN,,PERSON,1/1/1990,,,,\r\n"
        "16,,AL-RASHID,AHMED,,PERSON,3/4/1970,,,,\r\n";
    QCOMPARE(rowsFound(TextTable(bytes, true, QStringLiteral("Veyra_No_Fly_Cultures.csv")), person), rows);
}

void TestNearMissFinder::closeRecords_data()
{
    QTest::addColumn<QStringList>("person");
    QTest::addColumn<QList<int>>("rows");
    newRow("both spellings, the closer first; another date stays out", QStringList{"muhammad", "ali", "3/4/1970", ""},
           QList<int>{1, 0});
    newRow("a shared given name and date without the surname is not enough",
           QStringList{"WOJCIK", "ALI", "3/4/1970", ""}, QList<int>{});
    newRow("surname and given name swapped", QStringList{"OMAR", "HASSAN KHALID", "1/1/1980", ""}, QList<int>{2});
    newRow("hyphenated surname written as one word", QStringList{"GARCIALOPEZ", "ANA", "", ""}, QList<int>{3});
    newRow("hyphenated surname written as two", QStringList{"GARCIA LOPEZ", "ANA", "", ""}, QList<int>{3});
    newRow("a Windows-1252 field is read as such", QStringList{"MULLER", "HANS", "2/2/1950", ""}, QList<int>{6});
    newRow("a Cyrillic record, a Latin person", QStringList{"ALIEV", "RUSTAM", "", ""}, QList<int>{7});
    newRow("nobody close", QStringList{"WOJCIECHOWSKA", "BARBARA", "9/9/1999", ""}, QList<int>{});
    newRow("no name at all", QStringList{"", "", "3/4/1970", "P77"}, QList<int>{});
}

void TestNearMissFinder::closeRecords()
{
    QFETCH(QStringList, person);
    QFETCH(QList<int>, rows);
    QCOMPARE(rowsFound(list(), person), rows);
}

void TestNearMissFinder::exactMatchesAreNotNearMisses()
{
    const TextTable table = list();
    const NearMissIndex index(table);
    const NearMissFinder finder(table, index);
    const auto misses = finder.find({"MUHAMMAD", "ALI", "3/4/1970", ""}, {table.recordStart(1)});
    QCOMPARE(misses.size(), size_t(1));
    QCOMPARE(misses[0].row, 0u);
}

void TestNearMissFinder::thresholdAndLimit()
{
    const TextTable table = list();
    const NearMissIndex index(table);
    const NameQuery::Row person{"MOHAMAD", "ALI", "3/4/1970", ""};
    QCOMPARE(NearMissFinder(table, index).find(person).size(), size_t(2));
    QCOMPARE(NearMissFinder(table, index).find(person, {}, 1).size(), size_t(1));
    QCOMPARE(NearMissFinder(table, index, 0.99).find(person).size(), size_t(0));
    // A low threshold lets in the record with another date of birth, last.
    const auto all = NearMissFinder(table, index, 0.5).find(person);
    QCOMPARE(all.size(), size_t(3));
    QCOMPARE(all.back().row, 5u);
    QVERIFY(all.back().reasons.contains("date of birth differs: 3/4/1970 / 3/4/1990"));
    // Given names and a date alone never make a candidate, however low the threshold: they are too common.
    QVERIFY(NearMissFinder(table, index, 0.1).find({"WOJCIK", "OMAR KHALID", "1/1/1980", ""}).empty());
}

void TestNearMissFinder::recordsAsASearchHandsThemOut()
{
    const TextTable table = list();
    const NearMissIndex index(table);
    const NearMissFinder finder(table, index);
    const auto fields = finder.fields(2);
    QCOMPARE(fields.size(), size_t(11));
    QCOMPARE(fields[0], std::optional<QString>("3"));
    QCOMPARE(fields[1], std::nullopt);
    QCOMPARE(fields[4], std::optional<QString>("KHALID"));
    QCOMPARE(fields[9], std::optional<QString>("P77"));
    QCOMPARE(finder.fields(6)[2], std::optional<QString>(u"M\u00dcLLER"_qs));
    QCOMPARE(index.recordCount(), size_t(8));
}

void TestNearMissFinder::listWithoutSurnames()
{
    const TextTable table(QByteArray("NAME,DOB\r\nMOHAMMED ALI,3/4/1970\r\n"), true);
    const NearMissIndex index(table);
    QCOMPARE(index.recordCount(), size_t(0));
    QVERIFY(NearMissFinder(table, index).find({"MOHAMMED", "ALI", "3/4/1970", ""}).empty());
}

void TestNearMissFinder::aListIsIndexedOnce()
{
    NearMissIndexes indexes(2);
    const auto first = std::make_shared<const TextTable>(list());
    const auto index = indexes.of(first);
    QCOMPARE(indexes.of(first), index);
    QCOMPARE(indexes.builds(), 1);
    // The same file read again is another table: its index is built anew.
    const auto again = std::make_shared<const TextTable>(list());
    QVERIFY(indexes.of(again) != index);
    QCOMPARE(indexes.builds(), 2);
    // Two lists are kept; a third pushes out the one used longest ago.
    const auto third = std::make_shared<const TextTable>(QByteArray("LASTNAME\r\nX\r\n"), true);
    indexes.of(third);
    indexes.of(again);
    QCOMPARE(indexes.builds(), 3);
    indexes.of(first);
    QCOMPARE(indexes.builds(), 4);
}

// A hostile list: a surname of 200,000 letters and one of 50,000 words. Forms of every word with a letter left
// out would cost the square of the length; the index and a search must stay about linear.
void TestNearMissFinder::fieldsLongerThanAnyName()
{
    const QByteArray longWord(200000, 'A');
    QByteArray manyWords;
    for (int i = 0; i < 50000; ++i)
        manyWords += "AB" + QByteArray::number(i % 97) + ' ';
    const TextTable table("LASTNAME,FIRSTNAME,DOB\r\n" + longWord + ",ALI,3/4/1970\r\n" + manyWords +
                              ",ALI,3/4/1970\r\nMOHAMMED,ALI,3/4/1970\r\n",
                          true);
    const NearMissIndex index(table);
    QVERIFY(index.memoryBytes() < 20 * 1000 * 1000);
    const NearMissFinder finder(table, index);
    const auto misses = finder.find({"MUHAMMAD", "ALI", "3/4/1970", ""});
    QCOMPARE(misses.size(), size_t(1));
    QCOMPARE(misses[0].row, 2u);
    QVERIFY(finder.find({QString::fromLatin1(longWord.left(199999)), "ALI", "", ""}).size() <= 1);
}

void TestNearMissFinder::workIsBoundedWhateverTheName()
{
    // A thousand listed people of one name: a near spelling of it is scored against 200 of them, not all.
    QByteArray bytes = "LASTNAME,FIRSTNAME,DOB\r\n";
    for (int i = 0; i < 1000; ++i)
        bytes += "SMITH,JOHN," + QDate(1950, 1, 1).addDays(i).toString("M/d/yyyy").toLatin1() + "\r\n";
    const TextTable table(bytes, true);
    const NearMissIndex index(table);
    const NearMissFinder finder(table, index);
    QCOMPARE(finder.find({"SMYTHE", "JOHN", "", ""}).size(), size_t(10));
    QCOMPARE(finder.lastScored(), size_t(200));
    // The record of the person's date is among them, first.
    const auto dated = finder.find({"SMYTHE", "JOHN", "3/1/1951", ""});
    QCOMPARE(dated.front().row, 424u);
    QCOMPARE(finder.lastScored(), size_t(200));

    // A 10,000-letter surname and 10,000 one-letter given names are cut to what a name can hold.
    const QString hostileSurname(10000, u'S');
    QString hostileGiven;
    for (int i = 0; i < 10000; ++i)
        hostileGiven += QStringLiteral("J ");
    const NearMissScorer scorer({hostileSurname, hostileGiven, "", ""});
    const std::vector<std::string> words = scorer.words();
    QCOMPARE(words.size(), size_t(9));
    QCOMPARE(words[0], std::string(32, 'S'));
    QCOMPARE(words[8], std::string("J"));
    QCOMPARE(finder.find({hostileSurname, hostileGiven, "", ""}).size(), size_t(0));
    QVERIFY(finder.lastScored() <= NearMissFinder::MaxScored);
}

void TestNearMissFinder::indexOfLongMadeUpWordsStaysWithinTheFile()
{
    // Unique 32-letter words, three a record, in a list of about 9 MB: the words with a letter left out would take
    // some forty times the file. They are left out for such words, whose letters are read from the list's own
    // bytes, and the index stays within the file.
    QByteArray bytes = "LASTNAME,FIRSTNAME,MIDDLENAME\r\n";
    uint64_t state = 20261207;
    auto word = [&state] {
        QByteArray out(32, 'A');
        for (char &c : out) {
            state = state * 6364136223846793005ULL + 1442695040888963407ULL;
            c = char('A' + (state >> 33) % 26);
        }
        return out;
    };
    for (int i = 0; i < 85000; ++i)
        bytes += word() + ',' + word() + ',' + word() + "\r\n";
    const TextTable table(bytes, true);
    QVERIFY(table.content().size() > (size_t(8) << 20));
    const NearMissIndex index(table);
    QVERIFY2(index.memoryBytes() <= table.content().size(),
             qPrintable(QStringLiteral("%1 of %2").arg(index.memoryBytes()).arg(table.content().size())));
    // Each word is still found by its own spelling.
    const NearMissFinder finder(table, index);
    const QByteArray first = bytes.mid(bytes.indexOf('\n') + 1, 65);
    QCOMPARE(finder.find({QString::fromLatin1(first.left(32)), QString::fromLatin1(first.mid(33, 32)), "", ""}).size(),
             size_t(1));
}

VEYRA_TEST(TestNearMissFinder)
#include "TestNearMissFinder.moc"
