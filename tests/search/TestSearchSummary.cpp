#include "TestSupport.h"
#include "search/SearchSummary.h"

Q_DECLARE_METATYPE(SearchRun::Outcome)

class TestSearchSummary : public QObject
{
    Q_OBJECT

private slots:
    void of_data();
    void of();
};

void TestSearchSummary::of_data()
{
    QTest::addColumn<SearchRun::Outcome>("outcome");
    QTest::addColumn<bool>("gridMode");
    QTest::addColumn<int>("uncleared");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("red"); // red, else the status blue (0, 0, 225)
    QTest::addColumn<bool>("offerRemoval");

    using O = SearchRun::Outcome;
    newRow("name rows, in the operators' spelling", O::Finished, false, 0, "Search succesful", false, false);
    newRow("a refused name row still reports success", O::Refused, false, 0, "Search succesful", false, false);
    newRow("grid with uncleared names offers Remove Cleared", O::Finished, true, 3,
           "Search successful. There are 3 uncleared names", true, true);
    newRow("grid with every name cleared", O::Finished, true, 0, "Search successful. All names have cleared", false,
           false);
    newRow("a failed run asks for another, with its leading blank", O::Failed, true, 5, " Incomplete Search, Try again",
           true, false);
}

void TestSearchSummary::of()
{
    QFETCH(SearchRun::Outcome, outcome);
    QFETCH(bool, gridMode);
    QFETCH(int, uncleared);
    QFETCH(QString, text);
    QFETCH(bool, red);
    QFETCH(bool, offerRemoval);

    const SearchSummary summary = SearchSummary::of(outcome, gridMode, uncleared);
    QCOMPARE(summary.text, text);
    QVERIFY(summary.color == (red ? Rgb{255, 0, 0} : Rgb{0, 0, 225}));
    QCOMPARE(summary.offerRemoval, offerRemoval);
}

VEYRA_TEST(TestSearchSummary)
#include "TestSearchSummary.moc"
