#include "TestSupport.h"
#include "search/RowMarks.h"

using namespace RowColors;

class TestRowMarks : public QObject
{
    Q_OBJECT

private slots:
    void nameRow_data();
    void nameRow();
    void gridRow_data();
    void gridRow();
};

Q_DECLARE_METATYPE(MatchState)
Q_DECLARE_METATYPE(RowMarks)

void TestRowMarks::nameRow_data()
{
    QTest::addColumn<MatchState>("state");
    QTest::addColumn<QString>("list");
    QTest::addColumn<bool>("red");
    QTest::addColumn<RowMarks>("marks");

    const RowMarks unchanged;
    newRow("no match on a Cleared list changes nothing", MatchState::None, "Cleared", false, unchanged);
    newRow("no match clears the mark", MatchState::None, "No_Fly", false, RowMarks{true, Black, std::nullopt, false});
    newRow("no match leaves a red row red", MatchState::None, "No_Fly", true, unchanged);
    newRow("Selectee match turns yellow", MatchState::Matched, "Selectee", false, RowMarks{true, Black, Yellow, true});
    newRow("Selectee match leaves a red row red", MatchState::Matched, "Selectee", true, unchanged);
    newRow("No-Fly match turns red", MatchState::Matched, "No_Fly", false, RowMarks{true, Red, std::nullopt, true});
    newRow("uncleared entry on a Cleared list stays red", MatchState::Matched, "Cleared", true,
           RowMarks{true, Red, std::nullopt, true});
    newRow("other list matches like No-Fly", MatchState::Matched, "Other", false,
           RowMarks{true, Red, std::nullopt, true});
    newRow("cleared entry turns green", MatchState::MatchedCleared, "Cleared", true,
           RowMarks{true, Black, Green, false});
}

void TestRowMarks::nameRow()
{
    QFETCH(MatchState, state);
    QFETCH(QString, list);
    QFETCH(bool, red);
    QFETCH(RowMarks, marks);
    QVERIFY(RowMarks::forNameRow(state, list == "Cleared", list == "Selectee", red) == marks);
}

void TestRowMarks::gridRow_data()
{
    QTest::addColumn<MatchState>("state");
    QTest::addColumn<QString>("list");
    QTest::addColumn<RowMarks>("marks");

    newRow("no match on a Cleared list changes nothing", MatchState::None, "Cleared", RowMarks{});
    newRow("no match turns a red row black", MatchState::None, "Selectee", RowMarks{true, Black, std::nullopt, false});
    newRow("Selectee match turns yellow", MatchState::Matched, "Selectee", RowMarks{true, Black, Yellow, false});
    newRow("match turns red", MatchState::Matched, "No_Fly", RowMarks{true, Red, std::nullopt, false});
    newRow("cleared entry turns green", MatchState::MatchedCleared, "Selectee", RowMarks{true, Black, Green, false});
}

void TestRowMarks::gridRow()
{
    QFETCH(MatchState, state);
    QFETCH(QString, list);
    QFETCH(RowMarks, marks);
    QVERIFY(RowMarks::forGridRow(state, list == "Cleared", list == "Selectee") == marks);
}

VEYRA_TEST(TestRowMarks)
#include "TestRowMarks.moc"
