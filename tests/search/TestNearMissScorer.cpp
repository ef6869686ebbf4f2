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
    void weakDatesWeighByHowCommonTheNameIs_data();
    void weakDatesWeighByHowCommonTheNameIs();
    void closeDates_data();
    void closeDates();
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
            passport,
            false,
            std::nullopt};
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
    // Arabic
    newRow("surname transliterated", QStringList{"MUHAMMAD", "ALI", "3/4/1970", ""},
           QStringList{"MOHAMMED", "ALI", "", "3/4/1970", ""}, 0.97, 0.99,
           QStringList{"date of birth equal: 3/4/1970", "surname spelled differently: MUHAMMAD / MOHAMMED",
                       "given names equal: ALI"});
    newRow("given name transliterated", QStringList{"HADDAD", "YUSUF", "", ""},
           QStringList{"HADDAD", "YOUSEF", "", "", ""}, 0.9, 0.95,
           QStringList{"surname equal: HADDAD", "given name spelled differently: YUSUF / YOUSEF",
                       "no date of birth given"});
    newRow("particle written onto the surname", QStringList{"SAYED", "OMAR", "3/4/1970", ""},
           QStringList{"ALSAYED", "OMAR", "", "3/4/1970", ""}, 0.98, 0.99,
           QStringList{"date of birth equal: 3/4/1970", "surname with its particles left out: SAYED / ALSAYED",
                       "given names equal: OMAR"});
    newRow("an unpaired first given name is another person", QStringList{"AL-RASHID", "KHADIJA AHMED", "3/4/1970", ""},
           QStringList{"AL-RASHID", "AHMED", "", "3/4/1970", ""}, 0.7, 0.85,
           QStringList{"date of birth equal: 3/4/1970", "surname equal: AL-RASHID",
                       "given name not on the record: KHADIJA"});
    newRow("surname and given name swapped", QStringList{"ALI", "HASSAN", "3/4/1970", ""}, ali, 0.97, 0.99,
           QStringList{"date of birth equal: 3/4/1970", "surname and given names swapped"});
    // Russian and Ukrainian
    newRow("ending -OFF for -OV, two letters apart", QStringList{"IVANOFF", "SERGEI", "1/2/1960", ""},
           QStringList{"IVANOV", "SERGEI", "", "1/2/1960", ""}, 0.97, 0.99,
           QStringList{"date of birth equal: 1/2/1960", "surname spelled differently: IVANOFF / IVANOV",
                       "given names equal: SERGEI"});
    newRow("both names varied", QStringList{"PAPADOPULOS", "YIORGOS", "1/2/1960", ""},
           QStringList{"PAPADOPOULOS", "GEORGIOS", "", "1/2/1960", ""}, 0.95, 0.99,
           QStringList{"date of birth equal: 1/2/1960", "surname spelled differently: PAPADOPULOS / PAPADOPOULOS",
                       "given name in another romanisation: YIORGOS / GEORGIOS"});
    // Korean and Chinese
    newRow("Korean surname in another romanisation", QStringList{"YI", "MIN HO", "5/6/1977", ""},
           QStringList{"LEE", "MIN HO", "", "5/6/1977", ""}, 0.97, 0.99,
           QStringList{"date of birth equal: 5/6/1977", "surname in another romanisation: YI / LEE",
                       "given names equal: MIN HO"});
    newRow("Wade-Giles surname, given names joined", QStringList{"HSU", "HUNGCHENG", "5/6/1977", ""},
           QStringList{"XU", "HONG CHENG", "", "5/6/1977", ""}, 0.94, 0.98,
           QStringList{"date of birth equal: 5/6/1977", "surname in another romanisation: HSU / XU",
                       "given names written together or apart: HUNGCHENG / HONG CHENG"});
    newRow("given names in other order", QStringList{"KIM", "SEONG MIN", "1/2/1960", ""},
           QStringList{"KIM", "MIN", "SEONG", "1/2/1960", ""}, 0.97, 0.98,
           QStringList{"date of birth equal: 1/2/1960", "surname equal: KIM", "given names in other order"});
    // Vietnamese
    newRow("three-part name in another order", QStringList{"LINH", "LE KIM", "1/2/1960", ""},
           QStringList{"LE", "KIM", "LINH", "1/2/1960", ""}, 0.95, 0.97,
           QStringList{"date of birth equal: 1/2/1960", "name words in another order: LINH, LE KIM / LE, KIM LINH"});
    // Hispanic, Dutch, Irish
    newRow("one of two surnames", QStringList{"PEREZ", "LUCIA", "5/6/1977", ""},
           QStringList{"FLORES PEREZ", "LUCIA", "", "5/6/1977", ""}, 0.965, 0.975,
           QStringList{"date of birth equal: 5/6/1977", "surname one part of the other's: PEREZ / FLORES PEREZ",
                       "given names equal: LUCIA"});
    newRow("particles left out", QStringList{"BERG", "JAN", "5/6/1977", ""},
           QStringList{"VAN DER BERG", "JAN", "", "5/6/1977", ""}, 0.98, 0.99,
           QStringList{"date of birth equal: 5/6/1977", "surname with its particles left out: BERG / VAN DER BERG",
                       "given names equal: JAN"});
    newRow("apostrophe left out", QStringList{"OBRIEN", "SEAN", "5/6/1977", ""},
           QStringList{"O'BRIEN", "SEAN", "", "5/6/1977", ""}, 0.99, 1.01,
           QStringList{"date of birth equal: 5/6/1977", "surname written differently: OBRIEN / O'BRIEN",
                       "given names equal: SEAN"});
    newRow("surname in another script", QStringList{"MUHAMMED", "ALI", "3/4/1970", ""},
           QStringList{u"\u041c\u0423\u0425\u0410\u041c\u041c\u0415\u0414"_qs, "ALI", "", "3/4/1970", ""}, 0.99, 1.01,
           QStringList{"date of birth equal: 3/4/1970",
                       u"surname written differently: MUHAMMED / \u041c\u0423\u0425\u0410\u041c\u041c\u0415\u0414"_qs,
                       "given names equal: ALI"});
    // Anglo
    newRow("initials for the given names", QStringList{"SMITH", "J. R.", "1/2/1960", ""},
           QStringList{"SMITH", "JOHN", "ROBERT", "1/2/1960", ""}, 0.94, 0.96,
           QStringList{"date of birth equal: 1/2/1960", "surname equal: SMITH",
                       "given names as initials: J R / JOHN ROBERT"});
    newRow("middle name left out costs nothing", QStringList{"SMITH", "JOHN", "1/2/1960", ""},
           QStringList{"SMITH", "JOHN", "PAUL", "1/2/1960", ""}, 0.99, 1.01,
           QStringList{"date of birth equal: 1/2/1960", "surname equal: SMITH", "middle name missing: PAUL"});
    newRow("a middle name the record lacks costs a little", QStringList{"SMITH", "JOHN PAUL", "1/2/1960", ""},
           QStringList{"SMITH", "JOHN", "", "1/2/1960", ""}, 0.96, 0.97,
           QStringList{"date of birth equal: 1/2/1960", "surname equal: SMITH", "middle name not on the record: PAUL"});
    newRow("the record's first name left out", QStringList{"STONEL", "LAN", "1/2/1960", ""},
           QStringList{"STONEL", "ANDREI", "LAN", "1/2/1960", ""}, 0.0, 0.85,
           QStringList{"date of birth equal: 1/2/1960", "surname equal: STONEL", "given name missing: ANDREI"});
    newRow("one letter mistyped", QStringList{"SMIHT", "JOHN", "1/2/1960", ""},
           QStringList{"SMITH", "JOHN", "", "1/2/1960", ""}, 0.97, 1.0,
           QStringList{"date of birth equal: 1/2/1960", "surname spelled differently: SMIHT / SMITH",
                       "given names equal: JOHN"});
    newRow("a different word is not a spelling", QStringList{"ORTIZ", "ANA", "1/2/1960", ""},
           QStringList{"MARTINEZ", "ANA", "", "1/2/1960", ""}, 0.0, 0.85,
           QStringList{"date of birth equal: 1/2/1960", "surname a different word: ORTIZ / MARTINEZ",
                       "given names equal: ANA"});
    // Dates, graded: equal, swapped or a year apart, then a year only, then none, then merely close.
    newRow("day and month swapped", QStringList{"HASSAN", "ALI", "4/3/1970", ""}, ali, 0.96, 0.98,
           QStringList{"surname equal: HASSAN", "given names equal: ALI",
                       "date of birth with day and month swapped: 4/3/1970 / 3/4/1970"});
    newRow("a year apart, same day and month", QStringList{"HASSAN", "ALI", "3/4/1971", ""}, ali, 0.96, 0.98,
           QStringList{"surname equal: HASSAN", "given names equal: ALI",
                       "date of birth a year apart: 3/4/1971 / 3/4/1970"});
    newRow("a year on the list holds the date", QStringList{"HASSAN", "ALI", "3/4/1970", ""},
           QStringList{"HASSAN", "ALI", "", "1970", ""}, 0.965, 0.975,
           QStringList{"year of birth equal: 3/4/1970 / 1970", "surname equal: HASSAN", "given names equal: ALI"});
    newRow("no date on the record", QStringList{"HASSAN", "ALI", "3/4/1970", ""},
           QStringList{"HASSAN", "ALI", "", "", ""}, 0.925, 0.935,
           QStringList{"surname equal: HASSAN", "given names equal: ALI", "no date of birth on the record"});
    newRow("date of birth within one year", QStringList{"HASSAN", "ALI", "1/20/1971", ""}, ali, 0.79, 0.81,
           QStringList{"surname equal: HASSAN", "given names equal: ALI",
                       "date of birth within one year: 1/20/1971 / 3/4/1970"});
    newRow(
        "another date of birth is another person", QStringList{"HASSAN", "ALI", "3/4/1980", ""}, ali, 0.59, 0.61,
        QStringList{"surname equal: HASSAN", "given names equal: ALI", "date of birth differs: 3/4/1980 / 3/4/1970"});
    newRow("same passport lifts a weaker name", QStringList{"HASAN", "ALEE", "", "x 123-45"},
           QStringList{"HASSAN", "ALI", "", "", "X12345"}, 0.85, 0.95,
           QStringList{"passport equal: X12345", "surname spelled differently: HASAN / HASSAN",
                       "given name spelled differently: ALEE / ALI", "no date of birth given"});
    newRow("another person altogether", QStringList{"JONES", "MARY", "3/4/1970", ""}, ali, 0.0, 0.6,
           QStringList{"date of birth equal: 3/4/1970", "surname a different word: JONES / HASSAN",
                       "given name a different word: MARY / ALI"});
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
    // Eight words in each of the record's three fields against sixteen of the person's: every arrangement stays
    // within the words a name can hold.
    const QString eight = QStringLiteral("AB CD EF GH IJ KL MN OP");
    const NearMissScorer many({eight, eight + u' ' + eight, "3/4/1970", ""});
    const double score = many.score(record(eight, eight, eight, "3/4/1970"), true).score;
    QVERIFY(score > 0.9 && score <= 1.0);
    // A person without a name scores nothing against anyone.
    QCOMPARE(NearMissScorer({"", "", "3/4/1970", ""}).score(record("HASSAN", "ALI", "", "3/4/1970"), false).score, 0.0);
}

void TestNearMissScorer::weakDatesWeighByHowCommonTheNameIs_data()
{
    using E = NearMissScorer::DateEvidence;
    QTest::addColumn<int>("evidence");
    QTest::addColumn<double>("bearers");
    QTest::addColumn<bool>("sameShape");
    QTest::addColumn<double>("factor");
    newRow("equal date, however common", int(E::Equal), 5000.0, false, 1.0);
    newRow("swapped", int(E::DayMonthSwapped), 5000.0, false, 0.97);
    newRow("a year apart to the day", int(E::YearApart), 0.0, true, 0.97);
    newRow("no date, a rare name", int(E::NotOnRecord), 1.0, true, 0.93);
    newRow("no date, two bear it", int(E::NotOnRecord), 2.0, true, 0.93);
    newRow("no date, ten bear it", int(E::NotOnRecord), 10.0, true, 0.895);
    newRow("no date, fifty bear it", int(E::NotOnRecord), 50.0, true, 0.86);
    newRow("no date, thousands bear it", int(E::NotOnRecord), 5000.0, true, 0.86);
    newRow("no date, another shape, rare", int(E::NotOnRecord), 1.0, false, 0.90);
    newRow("no date, another shape, common", int(E::NotOnRecord), 50.0, false, 0.80);
    newRow("year only, rare", int(E::SameYear), 0.0, true, 0.97);
    newRow("year only, common", int(E::SameYear), 50.0, true, 0.91);
    newRow("year only, another shape, common", int(E::SameYear), 50.0, false, 0.86);
    newRow("the person gives none", int(E::NotGiven), 5000.0, false, 0.95);
    newRow("within a year", int(E::WithinOneYear), 0.0, true, 0.80);
    newRow("another date", int(E::Differs), 0.0, true, 0.60);
}

void TestNearMissScorer::weakDatesWeighByHowCommonTheNameIs()
{
    QFETCH(int, evidence);
    QFETCH(double, bearers);
    QFETCH(bool, sameShape);
    QFETCH(double, factor);
    const double got = NearMissScorer::dateFactor(NearMissScorer::DateEvidence(evidence), bearers, sameShape);
    QVERIFY2(std::abs(got - factor) < 1e-9, qPrintable(QString::number(got)));
}

// "Within a year" reaches a leap year's span, 366 days, and not a day further.
void TestNearMissScorer::closeDates_data()
{
    using E = NearMissScorer::DateEvidence;
    QTest::addColumn<QDate>("person");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<int>("evidence");
    newRow("366 days after a listed year", QDate(1960, 12, 31), "1959", int(E::WithinOneYear));
    newRow("367 days after a listed year", QDate(1961, 1, 1), "1959", int(E::Differs));
    newRow("366 days before a whole date", QDate(1960, 3, 1), "3/2/1961", int(E::WithinOneYear));
    newRow("367 days before a whole date", QDate(1960, 3, 1), "3/3/1961", int(E::Differs));
}

void TestNearMissScorer::closeDates()
{
    QFETCH(QDate, person);
    QFETCH(QString, listed);
    QFETCH(int, evidence);
    QCOMPARE(int(NearMissScorer::compareDates(person, DateParser::parseRange(listed.toStdString()))), evidence);
}

VEYRA_TEST(TestNearMissScorer)
#include "TestNearMissScorer.moc"
