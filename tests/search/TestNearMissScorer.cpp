#include "TestSupport.h"
#include "search/NameNormaliser.h"
#include "search/NearMissScorer.h"

// How close a record comes to a person, and the reasons in words, for each way names and dates go astray.
class TestNearMissScorer : public QObject
{
    Q_OBJECT

private slots:
    void variations_data();
    void variations();
    void scoreStaysWithinOne();
};

namespace {

NearMissScorer::Record record(const QString &last, const QString &first, const QString &middle, const QString &dob,
                              const QString &passport = QString())
{
    return {NameNormaliser::tokens(last),
            NameNormaliser::tokens(first),
            NameNormaliser::tokens(middle),
            last,
            first,
            middle,
            dob,
            passport};
}

} // namespace

void TestNearMissScorer::variations_data()
{
    QTest::addColumn<QStringList>("person"); // last, first and middle, date of birth, passport
    QTest::addColumn<QStringList>("listed"); // last, first, middle, date of birth, passport
    QTest::addColumn<double>("atLeast");
    QTest::addColumn<double>("below");
    QTest::addColumn<QStringList>("reasons");

    const QStringList ali{"HASSAN", "ALI", "", "3/4/1970", ""};
    QTest::newRow("surname transliterated")
        << QStringList{"MUHAMMAD", "ALI", "3/4/1970", ""} << QStringList{"MOHAMMED", "ALI", "", "3/4/1970", ""} << 0.95
        << 0.98 << QStringList{"surname spelled differently: MUHAMMAD / MOHAMMED", "same date of birth"};
    QTest::newRow("given name transliterated")
        << QStringList{"HADDAD", "YUSUF", "", ""} << QStringList{"HADDAD", "YOUSEF", "", "", ""} << 0.9 << 0.95
        << QStringList{"given name spelled differently: YUSUF / YOUSEF", "no date of birth given"};
    QTest::newRow("surname and given name swapped")
        << QStringList{"ALI", "HASSAN", "3/4/1970", ""} << ali << 0.97 << 0.99
        << QStringList{"surname and given names swapped", "same date of birth"};
    QTest::newRow("given names in other order")
        << QStringList{"SMITH", "PAUL JOHN", "1/2/1960", ""} << QStringList{"SMITH", "JOHN", "PAUL", "1/2/1960", ""}
        << 0.99 << 1.01 << QStringList{"given names in other order", "same date of birth"};
    QTest::newRow("middle name left out costs nothing")
        << QStringList{"SMITH", "JOHN", "1/2/1960", ""} << QStringList{"SMITH", "JOHN", "PAUL", "1/2/1960", ""} << 0.99
        << 1.01 << QStringList{"middle name missing: PAUL", "same date of birth"};
    QTest::newRow("a middle name the record lacks costs a little")
        << QStringList{"SMITH", "JOHN PAUL", "1/2/1960", ""} << QStringList{"SMITH", "JOHN", "", "1/2/1960", ""} << 0.9
        << 0.97 << QStringList{"middle name not on the record: PAUL", "same date of birth"};
    QTest::newRow("the record's first name left out")
        << QStringList{"STONEL", "LAN", "1/2/1960", ""} << QStringList{"STONEL", "ANDREI", "LAN", "1/2/1960", ""} << 0.0
        << 0.85 << QStringList{"given name missing: ANDREI", "same date of birth"};
    QTest::newRow("apostrophe left out") << QStringList{"OBRIEN", "SEAN", "5/6/1977", ""}
                                         << QStringList{"O'BRIEN", "SEAN", "", "5/6/1977", ""} << 0.99 << 1.01
                                         << QStringList{"surname written differently: OBRIEN / O'BRIEN",
                                                        "same date of birth"};
    QTest::newRow("hyphen as a blank") << QStringList{"GARCIA LOPEZ", "ANA", "5/6/1977", ""}
                                       << QStringList{"GARCIA-LOPEZ", "ANA", "", "5/6/1977", ""} << 0.99 << 1.01
                                       << QStringList{"surname written differently: GARCIA LOPEZ / GARCIA-LOPEZ",
                                                      "same date of birth"};
    QTest::newRow("hyphenated surname written as one word")
        << QStringList{"GARCIALOPEZ", "ANA", "5/6/1977", ""} << QStringList{"GARCIA-LOPEZ", "ANA", "", "5/6/1977", ""}
        << 0.99 << 1.01 << QStringList{"surname written differently: GARCIALOPEZ / GARCIA-LOPEZ", "same date of birth"};
    QTest::newRow("surname in another script")
        << QStringList{"MUHAMMED", "ALI", "3/4/1970", ""}
        << QStringList{u"\u041c\u0423\u0425\u0410\u041c\u041c\u0415\u0414"_qs, "ALI", "", "3/4/1970", ""} << 0.99
        << 1.01
        << QStringList{u"surname written differently: MUHAMMED / \u041c\u0423\u0425\u0410\u041c\u041c\u0415\u0414"_qs,
                       "same date of birth"};
    QTest::newRow("one letter mistyped") << QStringList{"SMIHT", "JOHN", "1/2/1960", ""}
                                         << QStringList{"SMITH", "JOHN", "", "1/2/1960", ""} << 0.97 << 1.0
                                         << QStringList{"surname spelled differently: SMIHT / SMITH",
                                                        "same date of birth"};
    QTest::newRow("day and month swapped")
        << QStringList{"HASSAN", "ALI", "4/3/1970", ""} << ali << 0.96 << 0.98
        << QStringList{"date of birth with day and month swapped: 4/3/1970 / 3/4/1970"};
    QTest::newRow("date of birth within one year")
        << QStringList{"HASSAN", "ALI", "1/20/1971", ""} << ali << 0.94 << 0.96
        << QStringList{"date of birth within one year: 1/20/1971 / 3/4/1970"};
    QTest::newRow("another date of birth is another person")
        << QStringList{"HASSAN", "ALI", "3/4/1980", ""} << ali << 0.6 << 0.75
        << QStringList{"date of birth differs: 3/4/1980 / 3/4/1970"};
    QTest::newRow("a year on the list holds the date")
        << QStringList{"HASSAN", "ALI", "3/4/1970", ""} << QStringList{"HASSAN", "ALI", "", "1970", ""} << 0.99 << 1.01
        << QStringList{"same date of birth"};
    QTest::newRow("no date on the record")
        << QStringList{"HASSAN", "ALI", "3/4/1970", ""} << QStringList{"HASSAN", "ALI", "", "", ""} << 0.94 << 0.96
        << QStringList{"no date of birth on the record"};
    QTest::newRow("same passport lifts a weaker name")
        << QStringList{"HASAN", "ALEE", "", "x 123-45"} << QStringList{"HASSAN", "ALI", "", "", "X12345"} << 0.85
        << 0.95
        << QStringList{"surname spelled differently: HASAN / HASSAN", "given name spelled differently: ALEE / ALI",
                       "no date of birth given", "same passport number"};
    QTest::newRow("another person altogether")
        << QStringList{"JONES", "MARY", "3/4/1970", ""} << ali << 0.0 << 0.6
        << QStringList{"surname spelled differently: JONES / HASSAN", "given name spelled differently: MARY / ALI",
                       "same date of birth"};
}

void TestNearMissScorer::variations()
{
    QFETCH(QStringList, person);
    QFETCH(QStringList, listed);
    QFETCH(double, atLeast);
    QFETCH(double, below);
    QFETCH(QStringList, reasons);
    const NearMissScorer scorer({person[0], person[1], person[2], person[3]});
    const auto rec = record(listed[0], listed[1], listed[2], listed[3], listed[4]);
    const NearMissScorer::Result explained = scorer.score(rec, true);
    QVERIFY2(explained.score >= atLeast && explained.score < below, qPrintable(QString::number(explained.score)));
    QCOMPARE(explained.reasons, reasons);
    // Explaining changes nothing of the score.
    QCOMPARE(scorer.score(rec, false).score, explained.score);
    QVERIFY(scorer.score(rec, false).reasons.isEmpty());
}

void TestNearMissScorer::scoreStaysWithinOne()
{
    // An equal name, date and passport: the passport cannot lift the score past 1.
    const NearMissScorer scorer({"HASSAN", "ALI", "3/4/1970", "X1"});
    QCOMPARE(scorer.score(record("HASSAN", "ALI", "", "3/4/1970", "X1"), false).score, 1.0);
    // A person without a name scores nothing against anyone.
    QCOMPARE(NearMissScorer({"", "", "3/4/1970", ""}).score(record("HASSAN", "ALI", "", "3/4/1970"), false).score, 0.0);
}

VEYRA_TEST(TestNearMissScorer)
#include "TestNearMissScorer.moc"
