#include "TestSupport.h"
#include "engine/TableCache.h"
#include "engine/TextTableConnection.h"
#include "platform/widgets/FlexGrid.h"
#include "search/ImportedNamesSearch.h"
#include "search/SearchRun.h"

#include <QProgressBar>
#include <QTemporaryDir>

using TestSupport::writeFile;

// One search run over rows held in memory, against a list in the working name: which rows are visited, what is
// written back, the marks each row gets, the records handed over, and where a run stops.
class TestSearchRun : public QObject
{
    Q_OBJECT

private slots:
    void nameRows_data();
    void nameRows();
    void gridRows_data();
    void gridRows();
    void refusalStopsOrGoesOn();
    void engineFailureIsTheRunsFailure();
    void importedRowWithoutItsDateIsShown();
};

namespace {

const QByteArray Header = TestSupport::ListHeader;

struct MemoryRow
{
    NameQuery::Row texts;
    bool ticked = true;
    bool red = false;
    std::optional<RowMarks> marks; // the last marks the run left
    QString refusal;
    bool started = false;
    bool reset = false; // the back colour set back before the row was searched
};

class MemoryRows : public SearchRows
{
public:
    explicit MemoryRows(QList<MemoryRow> rows, bool grid = false)
        : rows(std::move(rows))
        , m_grid(grid)
    {}

    bool gridMode() const override { return m_grid; }
    int lastRow() const override { return int(rows.size()) - 1; }
    void startRow(int row) override { rows[row].started = true; }
    void resetBackground(int row) override { rows[row].reset = true; }
    bool isRed(int row) const override { return rows[row].red; }
    bool isTicked(int row) const override { return rows[row].ticked; }
    bool dateRuleApplies(int row) const override { return m_grid || rows[row].red; }
    NameQuery::Row texts(int row) const override { return rows[row].texts; }
    void writeBack(int row, const NameQuery::Row &written) override { rows[row].texts = written; }
    void mark(int row, const RowMarks &marks) override { rows[row].marks = marks; }
    void refused(int row, const QString &message) override { rows[row].refusal = message; }

    QList<MemoryRow> rows;

private:
    bool m_grid;
};

class MemoryResults : public SearchResults
{
public:
    void setFieldCount(int) override {}
    void addRecord(const std::vector<std::optional<QString>> &fields) override
    {
        sids.append(fields.empty() ? QString() : fields[0].value_or(QString()));
    }
    void rowDone() override { sids.append("|"); }
    QStringList sids; // each record's SID, "|" after each searched row
};

MemoryRow person(const QString &last, const QString &first = QString(), const QString &dob = QString())
{
    MemoryRow row;
    row.texts = {last, first, dob, QString()};
    return row;
}

// The row as an uncleared match left it.
MemoryRow red(MemoryRow row)
{
    row.red = true;
    return row;
}

// The list under its working name in a folder of its own; listName says which kind of list it is.
SearchRun::Outcome runOn(const QByteArray &records, const QString &listName, SearchRows &rows, MemoryResults &results,
                         SearchRun::Refusals refusals = SearchRun::Refusals::Stop, QString *failure = nullptr)
{
    QTemporaryDir folder;
    writeFile(folder.filePath("Veyra.csv"), records);
    TableCache cache;
    TextTableConnection connection(cache);
    connection.open(NameQuery::connectionText(folder.path()));
    return SearchRun::run(connection, listName, rows, results, refusals, failure);
}

} // namespace

Q_DECLARE_METATYPE(MemoryRow)
Q_DECLARE_METATYPE(Rgb)

void TestSearchRun::nameRows_data()
{
    QTest::addColumn<MemoryRow>("row");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("written"); // the last name as written back
    QTest::addColumn<QString>("fore");    // of the marks left, "" when none
    QTest::addColumn<QString>("back");    // "" when unchanged
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QStringList>("sids");
    QTest::addColumn<bool>("reset"); // a No-Fly search sets every row's back colour back first

    const QString noFly = "Veyra_No_Fly_1205.csv", cleared = "Veyra_Cleared_1205.csv",
                  selectee = "Veyra_Selectee_1205.csv";
    MemoryRow unticked = person("roe", "richard");
    unticked.ticked = false;

    newRow("a No-Fly match is red and kept", person("roe", "richard"), noFly, "ROE", "red", "", true,
           QStringList{"2", "|"}, true);
    newRow("no match turns the text black", person("zed"), noFly, "ZED", "black", "", false, QStringList{"|"}, true);
    newRow("an unticked row is not visited", unticked, noFly, "roe", "", "", false, QStringList{}, true);
    newRow("a Selectee match is yellow and kept", person("poe", "edgar"), selectee, "POE", "black", "yellow", true,
           QStringList{"9", "|"}, false);
    newRow("a cleared entry turns a red row green", red(person("doe", "jane", "1/2/1960")), cleared, "DOE", "black",
           "green", false, QStringList{"7", "|"}, false);
    newRow("a Selectee match leaves a red row red", red(person("poe", "edgar")), selectee, "POE", "", "", false,
           QStringList{"9", "|"}, false);
    newRow("no match leaves a red row red", red(person("zed")), noFly, "ZED", "", "", false, QStringList{"|"}, true);
}

void TestSearchRun::nameRows()
{
    QFETCH(MemoryRow, row);
    QFETCH(QString, list);
    QFETCH(QString, written);
    QFETCH(QString, fore);
    QFETCH(QString, back);
    QFETCH(bool, keep);
    QFETCH(QStringList, sids);
    QFETCH(bool, reset);

    const QByteArray records = list.contains("Cleared")    ? Header + "7,YES,DOE,JANE,,P,1960-01-02,,,,cleared\r\n"
                               : list.contains("Selectee") ? Header + "9,,POE,EDGAR,,P,,,,,\r\n"
                                                                      "10,,ROE,RICHARD,,P,1970-03-04,,,,\r\n"
                                                           : Header + "1,,DOE,JANE,,P,1/2/1960,,,,\r\n"
                                                                      "2,,ROE,RICHARD,,P,3/4/1970,,,,\r\n";
    MemoryRows rows({row});
    MemoryResults results;
    QCOMPARE(runOn(records, list, rows, results), SearchRun::Outcome::Finished);
    const MemoryRow &after = rows.rows[0];
    QCOMPARE(after.texts.lastName, written);
    const QMap<QString, Rgb> colours{
        {"red", {255, 0, 0}}, {"black", {0, 0, 0}}, {"yellow", {255, 255, 0}}, {"green", {0, 255, 0}}};
    QCOMPARE(after.marks.has_value(), !fore.isEmpty());
    if (after.marks) {
        QVERIFY(after.marks->fore == colours[fore]);
        QCOMPARE(after.marks->back.has_value(), !back.isEmpty());
        if (!back.isEmpty())
            QVERIFY(*after.marks->back == colours[back]);
        QCOMPARE(after.marks->keep, keep);
    }
    QCOMPARE(results.sids, sids);
    QCOMPARE(after.reset, reset);
}

void TestSearchRun::gridRows_data()
{
    QTest::addColumn<MemoryRow>("first");  // never visited
    QTest::addColumn<MemoryRow>("second"); // visited and marked
    QTest::addColumn<QString>("list");
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<Rgb>("back");
    newRow("a Cleared list looks only at red rows, without ticks", person("ROE", "RICHARD", "3/4/1970"),
           red(person("DOE", "JANE", "1/2/1960")), "Veyra_Cleared.csv", QByteArray("7,YES,DOE,JANE,,P,1960-01-02,,,,"),
           Rgb(0, 255, 0));
    newRow("a Selectee list passes over a row an uncleared match made red", red(person("POE", "EDGAR")),
           person("POE", "EDGAR"), "Veyra_Selectee.csv", QByteArray("7,,POE,EDGAR,,P,,,,,"), Rgb(255, 255, 0));
}

// In grid mode every row's back colour is set back first, and only some rows are looked at.
void TestSearchRun::gridRows()
{
    QFETCH(MemoryRow, first);
    QFETCH(MemoryRow, second);
    QFETCH(QString, list);
    QFETCH(QByteArray, record);
    QFETCH(Rgb, back);
    MemoryRows rows({first, second}, true);
    MemoryResults results;
    QCOMPARE(runOn(Header + record + "\r\n", list, rows, results), SearchRun::Outcome::Finished);
    QVERIFY(!rows.rows[0].marks);
    QVERIFY(rows.rows[1].marks && rows.rows[1].marks->back == back);
    QCOMPARE(results.sids, (QStringList{"7", "|"}));
    QVERIFY(rows.rows[0].reset && rows.rows[1].reset);
}

// A red row without a date of birth on a Cleared list: the window stops there, a batch goes on to the next row.
void TestSearchRun::refusalStopsOrGoesOn()
{
    for (const auto refusals : {SearchRun::Refusals::Stop, SearchRun::Refusals::Continue}) {
        MemoryRows rows({red(person("DOE", "JANE")), red(person("DOE", "JANE", "1/2/1960"))});
        MemoryResults results;
        const SearchRun::Outcome outcome =
            runOn(Header + "7,YES,DOE,JANE,,P,1960-01-02,,,,\r\n", "Veyra_Cleared.csv", rows, results, refusals);
        QCOMPARE(rows.rows[0].refusal, "Must enter DOB");
        if (refusals == SearchRun::Refusals::Stop) {
            QCOMPARE(outcome, SearchRun::Outcome::Refused);
            QVERIFY(!rows.rows[1].marks);
        } else {
            QCOMPARE(outcome, SearchRun::Outcome::Finished);
            QVERIFY(rows.rows[1].marks && rows.rows[1].marks->back == Rgb(0, 255, 0));
        }
    }
}

// A list the engine cannot read whole fails the run at its first statement, with the engine's number and text,
// and no row is marked.
void TestSearchRun::engineFailureIsTheRunsFailure()
{
    // A batch, which goes on past a person it refuses, stops here too: the list failed, not the person.
    for (const auto refusals : {SearchRun::Refusals::Stop, SearchRun::Refusals::Continue}) {
        MemoryRows rows({person("ROE"), person("DOE")});
        MemoryResults results;
        QString failure;
        const SearchRun::Outcome outcome =
            runOn(Header + "2,,\"ROE,RICHARD\r\n", "Veyra_No_Fly.csv", rows, results, refusals, &failure);
        QCOMPARE(outcome, SearchRun::Outcome::Failed);
        QVERIFY2(failure.startsWith("error ") && failure.contains("line 2"), qPrintable(failure));
        QVERIFY(!rows.rows[0].marks && !rows.rows[1].marks);
        QVERIFY(rows.rows[0].refusal.isEmpty());
    }
}

// Told that a marked imported person needs a date of birth, the operator finds that row at the top of the grid.
void TestSearchRun::importedRowWithoutItsDateIsShown()
{
    FlexGrid grid;
    grid.setCols(4);
    grid.setRows(1001);
    grid.resize(400, 200);
    grid.show();
    QProgressBar progress;
    ImportedNamesSearch rows(&grid, &progress, nullptr);
    TestSupport::MessageBoxAnswerer answerer;
    rows.refused(45, NameQuery::MustEnterDob);
    QCOMPARE(grid.topRow(), 45);
    rows.refused(60, NameQuery::NeedLastName);
    QCOMPARE(grid.topRow(), 45);
    QCOMPARE(answerer.titles, (QStringList{"Missing Information", "Missing Information"}));
}

VEYRA_TEST(TestSearchRun)
#include "TestSearchRun.moc"
