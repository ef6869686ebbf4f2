#include "RunningApp.h"
#include "TestSupport.h"
#include "audit/ScreeningRecord.h"
#include "lists/VeyraExcelImport.h"
#include "manifest/VeyraManifest.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/Label.h"
#include "platform/widgets/TextBox.h"

#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>

using TestSupport::MessageBoxAnswerer;
using TestSupport::readFile;
using TestSupport::writeFile;

// The main window's search, Keep Checked and Remove Cleared, driven through its controls.
class TestMainWindowSearch : public QObject
{
    Q_OBJECT

private slots:
    void noFlyThenClearedThenSelectee();
    void gridModeCarriesTheMarks();
    void apostropheEndsTheRunWithTheErrorText();
    void unclosedQuoteIsToldAndNeverCleared();
    void noWorkingFileChangesNothing();
    void keepCheckedKeepsTickedRows();
    void removeClearedKeepsRedRows();
    void gridTyping_data();
    void gridTyping();
    void rowRules();
    void nearMissIsAnAdvisoryBesideTheMarks();
    void nearMissInGridMode();
    void gridShowsTheFirstRedRowAndItsHeadings();
    void newImportStartsAfresh();
    void removingUnseenAdvisoriesAsksFirst_data();
    void removingUnseenAdvisoriesAsksFirst();
    void manifestMarksPersonsWithAnAdvisory();
    void everySearchedRowIsRecorded();
    void unwritableRecordIsToldAfterTheResults();
    void listChangedAfterSelection_data();
    void listChangedAfterSelection();
};

namespace {

const QByteArray Header = TestSupport::ListHeader;

// Three lists in one folder: DOE is on the No-Fly list and cleared, ROE is on the No-Fly list and not cleared,
// POE only on the Selectee list, and ROE also on the Selectee list.
void writeLists(const QString &folder)
{
    writeFile(folder + "/Veyra_No_Fly.csv",
              Header + "1,,DOE,JANE,,P,1/2/1960,,,,\r\n2,,ROE,RICHARD,,P,3/4/1970,,,,\r\n");
    writeFile(folder + "/Veyra_Cleared.csv", Header + "7,YES,DOE,JANE,,P,1960-01-02,,,,cleared\r\n");
    writeFile(folder + "/Veyra_Selectee.csv", Header + "9,,POE,EDGAR,,P,,,,,\r\n10,,ROE,RICHARD,,P,1970-03-04,,,,\r\n");
}

void writeTransliterationList(const QString &folder);

struct Rows
{
    RunningApp &app;
    TextBox *text(int field, int row) { return app.find<TextBox>(QStringLiteral("Text%1_%2").arg(field).arg(row)); }
    QCheckBox *keep(int row) { return app.find<QCheckBox>(QStringLiteral("Check1_%1").arg(row)); }
    QCheckBox *search(int row) { return app.find<QCheckBox>(QStringLiteral("Check2_%1").arg(row)); }
    void fill(int row, const QStringList &texts)
    {
        for (int f = 0; f < texts.size(); ++f)
            text(f + 1, row)->setText(texts[f]);
    }
};

void search(RunningApp &app, const QString &list)
{
    app.window().File1_Click(list);
    QTest::mouseClick(app.find<QPushButton>("Command1"), Qt::LeftButton);
}

const QColor Red(255, 0, 0), Black(0, 0, 0), Yellow(255, 255, 0), Green(0, 255, 0), White(255, 255, 255);

FlexGrid *importedNames(RunningApp &app, const QList<QStringList> &rows)
{
    auto *grid = app.find<FlexGrid>("MSFlexGrid2");
    grid->setCols(4);
    grid->setRows(1001);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            grid->setTextMatrix(r, c, rows[r][c]);
    grid->show();
    app.find<QPushButton>("Command2")->setText("Remove Cleared");
    return grid;
}

} // namespace

void TestMainWindowSearch::noFlyThenClearedThenSelectee()
{
    RunningApp app(writeLists);
    Rows rows{app};
    rows.fill(0, {"doe", "jane", "1/2/1960"});
    rows.fill(1, {"roe", "richard", "3/4/1970"});
    rows.fill(2, {"poe", "edgar"});
    rows.fill(3, {"nobody"});

    search(app, "Veyra_No_Fly.csv");
    auto *status = app.find<Label>("Label3");
    QCOMPARE(status->text(), QStringLiteral("Search succesful"));
    QCOMPARE(status->foreColor(), QColor(0, 0, 225));
    QCOMPARE(rows.text(1, 0)->text(), QStringLiteral("DOE")); // written back upper-cased
    QCOMPARE(rows.text(1, 0)->foreColor(), Red);
    QCOMPARE(rows.text(2, 1)->foreColor(), Red);
    QVERIFY(rows.keep(0)->isChecked() && rows.keep(1)->isChecked());
    QCOMPARE(rows.text(1, 3)->foreColor(), Black);
    QVERIFY(!rows.keep(3)->isChecked());
    auto *results = app.find<FlexGrid>("MSFlexGrid1");
    QCOMPARE(results->rows(), 3);
    QCOMPARE(results->textMatrix(1, 2), QStringLiteral("DOE"));
    QCOMPARE(results->textMatrix(2, 3), QStringLiteral("RICHARD"));

    search(app, "Veyra_Cleared.csv");
    QCOMPARE(rows.text(1, 0)->foreColor(), Black);
    QCOMPARE(rows.text(1, 0)->backColor(), Green);
    QVERIFY(!rows.keep(0)->isChecked());
    QCOMPARE(rows.text(1, 1)->foreColor(), Red); // not on the Cleared list: stays red

    search(app, "Veyra_Selectee.csv");
    QCOMPARE(rows.text(1, 2)->backColor(), Yellow);
    QCOMPARE(rows.text(1, 2)->foreColor(), Black);
    QVERIFY(rows.keep(2)->isChecked());
    QCOMPARE(rows.text(1, 1)->foreColor(), Red); // a Selectee match never hides a red row
    QCOMPARE(rows.text(1, 1)->backColor(), White);
}

void TestMainWindowSearch::gridModeCarriesTheMarks()
{
    RunningApp app(writeLists);
    FlexGrid *grid = importedNames(app, {{"doe", "jane", "1/2/1960"}, {"poe", "edgar"}, {"roe", "richard", ""}});

    search(app, "Veyra_No_Fly.csv");
    QCOMPARE(grid->cellForeColor(0, 0), Red);
    QCOMPARE(grid->cellForeColor(2, 1), Red);
    QCOMPARE(grid->cellForeColor(1, 0), Black);
    auto *status = app.find<Label>("Label3");
    QCOMPARE(status->text(), QStringLiteral("Search successful. There are 2 uncleared names"));
    QCOMPARE(status->foreColor(), Red);

    // The Cleared list visits only red rows and requires their date of birth: the last row has none.
    MessageBoxAnswerer answerer;
    search(app, "Veyra_Cleared.csv");
    QCOMPARE(answerer.texts, QStringList{"Must enter DOB"});
    QCOMPARE(answerer.titles, QStringList{"Missing Information"});
    QCOMPARE(grid->cellBackColor(0, 0), Green);
    QCOMPARE(grid->cellForeColor(0, 0), Black);
    QCOMPARE(grid->topRow(), 2);
    QCOMPARE(status->text(), QStringLiteral("Search successful. There are 1 uncleared names"));

    // A Selectee search passes over red rows: ROE stays red although the Selectee list names him.
    search(app, "Veyra_Selectee.csv");
    QCOMPARE(grid->cellBackColor(1, 0), Yellow);
    QCOMPARE(grid->cellForeColor(1, 1), Black);
    QCOMPARE(grid->cellForeColor(2, 0), Red);
    QCOMPARE(grid->cellBackColor(2, 0), White);
}

void TestMainWindowSearch::apostropheEndsTheRunWithTheErrorText()
{
    RunningApp app(writeLists);
    Rows rows{app};
    rows.fill(0, {"o'brien"});
    rows.fill(1, {"doe"});
    search(app, "Veyra_No_Fly.csv");
    QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral(" Incomplete Search, Try again"));
    QCOMPARE(rows.text(1, 1)->foreColor(), Black);
    // The row the search failed at is recorded as such; the row after it was never looked at.
    QStringList recorded;
    QVERIFY(ScreeningRecord(app.data())
                .read(
                    [&](qint64, const QJsonObject &line) {
                        recorded << line["lastName"].toString() + ": " + line["match"].toString();
                    },
                    nullptr));
    QCOMPARE(recorded, QStringList{"O'BRIEN: failed"});
}

void TestMainWindowSearch::unclosedQuoteIsToldAndNeverCleared()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"),
              Header + "1,,DOE,JANE,,P,,,,,\r\n2,,\"ROE,RICHARD,,P,,,,,\r\n3,,SMITH,JOHN,,P,,,,,\r\n");
    RunningApp app(data.path());
    Rows rows{app};
    rows.fill(0, {"doe"});
    rows.fill(1, {"smith"});
    MessageBoxAnswerer answerer;
    app.window().File1_Click("Veyra_No_Fly.csv");
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY2(answerer.texts.first().contains("Unclosed quote in Veyra_No_Fly.csv at line 3"),
             qPrintable(answerer.texts.first()));

    QTest::mouseClick(app.find<QPushButton>("Command1"), Qt::LeftButton);
    auto *status = app.find<Label>("Label3");
    QCOMPARE(status->text(), QStringLiteral(" Incomplete Search, Try again"));
    QCOMPARE(status->foreColor(), Red);
    QCOMPARE(app.find<FlexGrid>("MSFlexGrid1")->rows(), 1);
    QCOMPARE(answerer.texts.size(), 1);
}

void TestMainWindowSearch::noWorkingFileChangesNothing()
{
    RunningApp app(writeLists);
    Rows rows{app};
    rows.fill(0, {"doe"});
    app.window().File1_Click("Veyra_No_Fly.csv");
    app.window().Command4_Click(); // Delete File: the working file is gone, Search stays enabled
    app.find<Label>("Label3")->setText("before");
    QTest::mouseClick(app.find<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral("before"));
    QCOMPARE(rows.text(1, 0)->text(), QStringLiteral("doe"));
}

void TestMainWindowSearch::keepCheckedKeepsTickedRows()
{
    RunningApp app;
    Rows rows{app};
    for (int i = 0; i < 10; ++i)
        rows.fill(i, {QStringLiteral("name%1").arg(i), "x", "1/1/1970", "p"});
    rows.keep(2)->setChecked(true);
    rows.keep(7)->setChecked(true);
    rows.text(1, 7)->setForeColor(Red);
    QTest::mouseClick(app.find<QPushButton>("Command2"), Qt::LeftButton);
    for (int i = 0; i < 10; ++i) {
        const bool kept = i == 2 || i == 7;
        QCOMPARE(rows.text(1, i)->text().isEmpty(), !kept);
        QCOMPARE(rows.text(4, i)->text().isEmpty(), !kept);
        QCOMPARE(rows.search(i)->isChecked(), kept);
        QCOMPARE(rows.text(1, i)->backColor(), White);
    }
    QCOMPARE(rows.text(1, 7)->foreColor(), Red);
    QVERIFY(!app.find<QPushButton>("Command2")->isEnabled());
}

void TestMainWindowSearch::removeClearedKeepsRedRows()
{
    RunningApp app;
    QList<QStringList> names;
    for (int i = 0; i < 12; ++i)
        names << QStringList{QStringLiteral("N%1").arg(i)};
    FlexGrid *grid = importedNames(app, names);
    grid->setCellForeColor(4, 0, Red);
    grid->setCellForeColor(9, 0, Red);
    grid->setCellBackColor(9, 0, QColor(254, 254, 34));
    grid->setCurrentCell(0, 0);
    app.window().Command2_Click();
    QCOMPARE(grid->rows(), 2);
    QCOMPARE(grid->textMatrix(0, 0), QStringLiteral("N4"));
    QCOMPARE(grid->textMatrix(1, 0), QStringLiteral("N9"));

    // With no red row left in the current column, one empty row remains, without the red mark of N9.
    grid->setCurrentCell(0, 2);
    app.window().Command2_Click();
    QCOMPARE(grid->rows(), 1);
    QCOMPARE(grid->textMatrix(0, 0), QString());
    QCOMPARE(grid->cellForeColor(0, 0), QColor(Qt::black));
    QCOMPARE(grid->cellBackColor(0, 0), QColor(Qt::white));
}

void TestMainWindowSearch::gridTyping_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    newRow("letters, digits and slash are appended", "a1/Z", "ABa1/Z");
    newRow("space, hyphen, apostrophe and full stop are not", " -'.", "AB");
    newRow("backspace takes the last character", "\b", "A");
    newRow("backspace on an empty cell does nothing", "\b\b\b", "");
}

void TestMainWindowSearch::gridTyping()
{
    QFETCH(QString, keys);
    QFETCH(QString, text);
    RunningApp app;
    FlexGrid *grid = importedNames(app, {{"AB"}});
    grid->setCurrentCell(0, 0);
    for (QChar key : keys)
        app.window().MSFlexGrid2_KeyPress(key.unicode());
    QCOMPARE(grid->textMatrix(0, 0), text);
}

void TestMainWindowSearch::rowRules()
{
    RunningApp app;
    Rows rows{app};
    auto *keepChecked = app.find<QPushButton>("Command2");
    auto *status = app.find<Label>("Label3");
    status->setText("old");
    QTest::keyClicks(rows.text(4, 6), "x");
    QVERIFY(rows.search(6)->isChecked());
    QCOMPARE(status->text(), QString());
    QCOMPARE(status->foreColor(), QColor(0, 0, 255));
    QVERIFY(!keepChecked->isEnabled());

    QTest::keyClicks(rows.text(1, 6), "smith, j.");
    QCOMPARE(rows.text(1, 6)->text(), QStringLiteral("smith, j.")); // nothing changes while typing
    QVERIFY(keepChecked->isEnabled());
    rows.search(6)->setChecked(false);
    QCOMPARE(rows.text(3, 6)->backColor(), QColor(254, 254, 34));
    rows.search(6)->setChecked(true);
    QCOMPARE(rows.text(3, 6)->backColor(), White);
    rows.search(5)->setChecked(true);
    rows.search(5)->setChecked(false);
    QCOMPARE(rows.text(1, 5)->backColor(), White);

    rows.text(1, 9)->setFocus();
    QTest::keyClick(rows.text(1, 9), Qt::Key_Return);
    QCOMPARE(app.window().focusWidget(), rows.text(1, 0));
    QTest::keyClick(rows.text(1, 4), Qt::Key_Return);
    QCOMPARE(app.window().focusWidget(), rows.text(1, 5));
}

// Both modes append a line per row the search looked at, with its mark or refusal, the records it found and the
// list's version; rows without a name and rows after a refusal are not looked at.
void TestMainWindowSearch::everySearchedRowIsRecorded()
{
    QTemporaryDir data;
    writeLists(data.path());
    const QString listHash =
        QCryptographicHash::hash(readFile(data.filePath("Veyra_No_Fly.csv")), QCryptographicHash::Sha256).toHex();
    RunningApp app(data.path());
    Rows rows{app};
    rows.fill(0, {"doe", "jane", "1/2/1960"});
    rows.fill(1, {"nobody"});
    rows.fill(3, {"", "", "1/2/1960"});
    rows.fill(4, {"roe"});
    {
        MessageBoxAnswerer answerer;
        search(app, "Veyra_No_Fly.csv");
        QCOMPARE(answerer.texts, QStringList{"Need Last Name"});
    }
    importedNames(app, {{"doe", "jane", "1/2/1960"}, {"poe", "edgar"}});
    search(app, "Veyra_No_Fly.csv");

    QList<QJsonObject> lines;
    const ScreeningRecord record(data.path());
    QVERIFY(record.read([&](qint64, const QJsonObject &line) { lines.append(line); }, nullptr));
    QCOMPARE(lines.size(), 5);
    const auto summary = [](const QJsonObject &line) {
        QStringList records;
        for (const QJsonValue &r : line["records"].toArray())
            records << r.toString();
        return QStringList{line["mode"].toString(), line["lastName"].toString(), line["match"].toString(),
                           line["outcome"].toString(), records.join(' ')};
    };
    QCOMPARE(summary(lines[0]), (QStringList{"text-box", "DOE", "match", "red, Keep ticked", "1"}));
    QCOMPARE(summary(lines[1]), (QStringList{"text-box", "NOBODY", "no match", "black", ""}));
    QCOMPARE(summary(lines[2]), (QStringList{"text-box", "", "refused", "Need Last Name", ""}));
    QCOMPARE(summary(lines[3]), (QStringList{"grid", "DOE", "match", "red", "1"}));
    QCOMPARE(summary(lines[4]), (QStringList{"grid", "POE", "no match", "black", ""}));
    for (const QJsonObject &line : lines) {
        QCOMPARE(line["list"].toString(), QString("Veyra_No_Fly.csv"));
        QCOMPARE(line["listRecords"].toInt(), 2);
        QCOMPARE(line["listSha256"].toString(), listHash);
    }
    QCOMPARE(lines[0]["firstAndMiddleName"].toString(), QString("JANE"));
    QCOMPARE(lines[0]["dateOfBirth"].toString(), QString("1/2/1960"));
    QVERIFY(record.verify().whole);
}

void TestMainWindowSearch::unwritableRecordIsToldAfterTheResults()
{
    QTemporaryDir data;
    writeLists(data.path());
    QVERIFY(QDir(data.path()).mkdir("ScreeningRecord.jsonl"));
    RunningApp app(data.path());
    Rows rows{app};
    rows.fill(0, {"roe"});
    MessageBoxAnswerer answerer;
    search(app, "Veyra_No_Fly.csv");
    QCOMPARE(rows.text(1, 0)->foreColor(), Red);
    QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral("Search succesful"));
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY2(answerer.texts[0].startsWith("This search could not be written to the screening record."),
             qPrintable(answerer.texts[0]));
}

void TestMainWindowSearch::listChangedAfterSelection_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QColor>("rowColor");

    newRow("a newer version copied over it", "newer",
           "Search succesful   Veyra_No_Fly.csv changed since it was selected; this search read the new version.", Red);
    newRow("the same bytes written again", "same", "Search succesful", Black);
    newRow("removed by someone else", "removed", " Incomplete Search, Try again", Black);
}

// Another operator copies a newer list over the one selected here: the next search reads the new bytes, says so,
// and the identity line and the screening record name the version searched.
void TestMainWindowSearch::listChangedAfterSelection()
{
    QFETCH(QString, change);
    QFETCH(QString, status);
    QFETCH(QColor, rowColor);
    RunningApp app(writeLists);
    Rows rows{app};
    rows.fill(0, {"smith", "john"});
    app.window().File1_Click("Veyra_No_Fly.csv");
    const QString path = app.data("Veyra_No_Fly.csv");
    const QByteArray newer = Header + "1,,DOE,JANE,,P,1/2/1960,,,,\r\n3,,SMITH,JOHN,,P,5/6/1980,,,,\r\n";
    if (change == "newer") {
        writeFile(path + ".new", newer);
        QVERIFY(QFile::remove(path) && QFile::rename(path + ".new", path));
    } else if (change == "same") {
        writeFile(path, readFile(path));
    } else {
        QVERIFY(QFile::remove(path));
    }

    QTest::mouseClick(app.find<QPushButton>("Command1"), Qt::LeftButton);
    auto *statusLine = app.find<Label>("Label3");
    QCOMPARE(statusLine->text(), status);
    QCOMPARE(rows.text(1, 0)->foreColor(), rowColor);
    if (change != "newer")
        return;
    const QString newHash = QCryptographicHash::hash(newer, QCryptographicHash::Sha256).toHex();
    QVERIFY2(app.find<Label>("ListIdentity")->text().endsWith("SHA-256 " + newHash.left(12)),
             qPrintable(app.find<Label>("ListIdentity")->text()));
    QString recorded;
    QVERIFY(ScreeningRecord(app.data())
                .read([&](qint64, const QJsonObject &line) { recorded = line["listSha256"].toString(); }, nullptr));
    QCOMPARE(recorded, newHash);
    // Told once: the next search of the same version says nothing more.
    QTest::mouseClick(app.find<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(statusLine->text(), QStringLiteral("Search succesful"));
}

// A full grid of imported people, ROE (listed) at rows 35, 50 and 1000: the search ends on the last row, and the
// grid shows the first red one, under headings that are no grid row. A click on an advisory's mark opens the panel.
void TestMainWindowSearch::gridShowsTheFirstRedRowAndItsHeadings()
{
    RunningApp app(writeTransliterationList);
    app.window().FromExcel_Click();
    app.module.excelImportWindow().hide();
    QList<QStringList> names;
    for (int i = 0; i < 1000; ++i)
        names << QStringList{QStringLiteral("PERSON%1").arg(QChar('A' + i % 26)), "X"};
    names[35] = {"roe", "richard", "3/4/1970"};
    names[50] = {"roe", "richard", "3/4/1970"};
    names[52] = {"muhammad", "ali", "3/4/1970"};
    names[999] = {"roe", "richard", "3/4/1970"}; // the last row the grid holds is counted too
    app.window().fillImportedNames(names);
    auto *grid = app.find<FlexGrid>("MSFlexGrid2");
    QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral("1,000 names imported"));
    search(app, "Veyra_No_Fly.csv");
    QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral("Search successful. There are 3 uncleared names"));
    QCOMPARE(grid->cellForeColor(35, 0), Red);
    QCOMPARE(grid->topRow(), 35);
    QCOMPARE(grid->rows(), 1001); // no heading among the rows
    QStringList headings;
    for (int c = 0; c < 4; ++c)
        headings << grid->model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    QCOMPARE(headings, (QStringList{"Last Name", "First & Middle Name", "Date of Birth", "Passport"}));
    QVERIFY(grid->horizontalHeader()->isVisible());
    // All four columns in sight beside the vertical scroll bar.
    const int right = grid->columnViewportPosition(3) + grid->columnWidth(3);
    QVERIFY2(right <= grid->viewport()->width(), qPrintable(QString::number(right)));

    QVERIFY(grid->cellMarked(52, 0));
    grid->scrollTo(grid->model().index(52, 0));
    auto *panel = app.window().findChild<QWidget *>("PossibleMatches");
    QVERIFY(!panel->isVisible());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model().index(52, 0)).center());
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->findChild<QLabel *>("PossibleMatchesPerson")->text(),
             QStringLiteral("Row 53: MUHAMMAD, ALI, 3/4/1970: 1 possible match."));
}

// Names imported anew are not those the last search marked: its summary, results and removal go.
void TestMainWindowSearch::newImportStartsAfresh()
{
    RunningApp app(writeLists);
    importedNames(app, {{"roe", "richard"}, {"poe", "edgar"}});
    search(app, "Veyra_No_Fly.csv");
    auto *removal = app.find<QPushButton>("Command2");
    QVERIFY(removal->isEnabled());
    QCOMPARE(app.find<FlexGrid>("MSFlexGrid1")->rows(), 2);

    app.window().fillImportedNames({{"nobody", "new"}});
    QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral("1 name imported"));
    QCOMPARE(app.find<Label>("Label3")->foreColor(), Black);
    QCOMPARE(app.find<FlexGrid>("MSFlexGrid1")->rows(), 1);
    QVERIFY(!removal->isEnabled());
    QCOMPARE(removal->text(), QStringLiteral("Remove Cleared"));
}

void TestMainWindowSearch::removingUnseenAdvisoriesAsksFirst_data()
{
    QTest::addColumn<bool>("grid");
    QTest::addColumn<bool>("panelOpened");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("removed");
    newRow("Keep Checked, answered No: the row stays", false, false, int(QMessageBox::No), 1, false);
    newRow("Keep Checked, answered Yes: the row goes", false, false, int(QMessageBox::Yes), 1, true);
    newRow("Keep Checked, panel seen: no question", false, true, int(QMessageBox::No), 0, true);
    newRow("Remove Cleared, answered No: the row stays", true, false, int(QMessageBox::No), 1, false);
    newRow("Remove Cleared, answered Yes: the row goes", true, false, int(QMessageBox::Yes), 1, true);
}

// MUHAMMAD comes close to the listed MOHAMMED without the search finding him: removing his row asks first.
void TestMainWindowSearch::removingUnseenAdvisoriesAsksFirst()
{
    QFETCH(bool, grid);
    QFETCH(bool, panelOpened);
    QFETCH(int, answer);
    QFETCH(int, questions);
    QFETCH(bool, removed);
    RunningApp app(writeTransliterationList);
    Rows rows{app};
    const QList<QStringList> people{
        {"roe", "richard", "3/4/1970"}, {"muhammad", "ali", "3/4/1970"}, {"nobody", "at all"}};
    FlexGrid *names = grid ? importedNames(app, people) : nullptr;
    if (!grid) {
        for (int r = 0; r < people.size(); ++r)
            rows.fill(r, people[r]);
    }
    search(app, "Veyra_No_Fly.csv");
    if (panelOpened)
        app.window().NearMiss_Click(1);
    if (names)
        names->setCurrentCell(0, 0);
    MessageBoxAnswerer answerer;
    answerer.answer = QMessageBox::StandardButton(answer);
    QTest::mouseClick(app.find<QPushButton>("Command2"), Qt::LeftButton);
    QCOMPARE(answerer.texts.size(), questions);
    if (questions > 0)
        QCOMPARE(answerer.texts.first(),
                 QStringLiteral("1 row has possible matches that were not looked at: remove it anyway?"));
    const QString second = names ? names->textMatrix(1, 0) : rows.text(1, 1)->text();
    QCOMPARE(second, removed ? QString() : QString("MUHAMMAD"));
    if (!removed) { // nothing at all was removed, NOBODY included
        const QString third = names ? names->textMatrix(2, 0) : rows.text(1, 2)->text();
        QCOMPARE(third, QStringLiteral("NOBODY"));
    }
}

// Imported into the manifest, a person with an advisory carries a mark beside the row number, and nothing else.
void TestMainWindowSearch::manifestMarksPersonsWithAnAdvisory()
{
    RunningApp app(writeTransliterationList);
    Rows rows{app};
    rows.fill(0, {"muhammad", "ali", "3/4/1970"});
    rows.fill(1, {"nobody", "at all"});
    search(app, "Veyra_No_Fly.csv");
    VeyraManifest &manifest = app.module.manifestWindow();
    manifest.Command2_Click();
    auto *grid = manifest.findChild<FlexGrid *>("MSFlexGrid1");
    QCOMPARE(grid->textMatrix(1, 1), QStringLiteral("ALI MUHAMMAD"));
    QCOMPARE(grid->textMatrix(1, 6), QStringLiteral("CLEARED"));
    QVERIFY(grid->cellMarked(1, 0));
    QCOMPARE(grid->textMatrix(1, 0), QStringLiteral("1"));
    QVERIFY(grid->model().index(0, 0).data(Qt::ToolTipRole).toString().startsWith("1 possible match"));
    QVERIFY(!grid->cellMarked(2, 0));
    // Typing over the name makes it another person's: the mark goes.
    grid->setCurrentCell(1, 1);
    manifest.MSFlexGrid1_KeyPress('x');
    QVERIFY(!grid->cellMarked(1, 0));
}

VEYRA_TEST(TestMainWindowSearch)
#include "TestMainWindowSearch.moc"

namespace {

// MOHAMMED is listed; MUHAMMAD, the same name in another transliteration, is what the operator types.
void writeTransliterationList(const QString &folder)
{
    writeFile(folder + "/Veyra_No_Fly.csv",
              Header + "1,,MOHAMMED,ALI,,P,3/4/1970,,,,\r\n2,,ROE,RICHARD,,P,3/4/1970,,,,\r\n");
}

} // namespace

void TestMainWindowSearch::nearMissIsAnAdvisoryBesideTheMarks()
{
    RunningApp app(writeTransliterationList);
    Rows rows{app};
    rows.fill(0, {"muhammad", "ali", "3/4/1970"});
    rows.fill(1, {"roe", "richard", "3/4/1970"});
    rows.fill(2, {"nobody", "at all"});
    search(app, "Veyra_No_Fly.csv");

    // The exact search's marks are what they would be without the advisory.
    QCOMPARE(rows.text(1, 0)->foreColor(), Black);
    QCOMPARE(rows.text(1, 0)->backColor(), White);
    QVERIFY(!rows.keep(0)->isChecked());
    QCOMPARE(rows.text(1, 1)->foreColor(), Red);
    QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral("Search succesful"));
    QCOMPARE(app.find<FlexGrid>("MSFlexGrid1")->rows(), 2); // ROE's record only

    auto *mark = app.find<QToolButton>("NearMiss_0");
    QVERIFY(mark->isVisible());
    QVERIFY(mark->toolTip().startsWith("1 possible match"));
    QVERIFY(!app.find<QToolButton>("NearMiss_1")->isVisible()); // found exactly: no advisory
    QVERIFY(!app.find<QToolButton>("NearMiss_2")->isVisible()); // nothing close

    auto *panel = app.window().findChild<QWidget *>("PossibleMatches");
    QVERIFY(panel && !panel->isVisible());
    QTest::mouseClick(mark, Qt::LeftButton);
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->windowTitle(), QStringLiteral("Possible matches"));
    QCOMPARE(panel->findChild<QLabel *>("PossibleMatchesPerson")->text(),
             QStringLiteral("Row 1: MUHAMMAD, ALI, 3/4/1970: 1 possible match."));
    auto *list = panel->findChild<QTreeWidget *>("PossibleMatchesList");
    QCOMPARE(list->topLevelItemCount(), 1);
    const QTreeWidgetItem *record = list->topLevelItem(0);
    QCOMPARE(record->text(1), QStringLiteral("Veyra_No_Fly.csv"));
    QCOMPARE(record->text(2), QStringLiteral("1"));
    QCOMPARE(record->text(3), QStringLiteral("MOHAMMED, ALI"));
    QCOMPARE(record->text(4), QStringLiteral("3/4/1970"));
    QCOMPARE(record->childCount(), 3); // the scorer's reasons, one a line

    // Nothing of the search's result grid or rows moved for the mark.
    QCOMPARE(rows.text(1, 0)->foreColor(), Black);
    QCOMPARE(app.find<FlexGrid>("MSFlexGrid1")->rows(), 2);

    // Changing the row takes the advisory away with the search's summary; so does another list.
    rows.text(3, 0)->setText("3/4/1971");
    QVERIFY(!mark->isVisible());
    QCOMPARE(panel->findChild<QLabel *>("PossibleMatchesPerson")->text(),
             QStringLiteral("Row 1 was not searched against the selected list since the last change."));
    search(app, "Veyra_No_Fly.csv");
    QVERIFY(mark->isVisible()); // within one year of the listed date: still close
    app.window().File1_Click("Veyra_No_Fly.csv");
    QVERIFY(!mark->isVisible());
}

void TestMainWindowSearch::nearMissInGridMode()
{
    RunningApp app(writeTransliterationList);
    FlexGrid *grid = importedNames(app, {{"roe", "richard", "3/4/1970"}, {"mohamad", "ali", "4/3/1970"}});
    search(app, "Veyra_No_Fly.csv");
    QCOMPARE(grid->cellForeColor(0, 0), Red);
    QCOMPARE(grid->cellForeColor(1, 0), Black);
    QCOMPARE(grid->cellBackColor(1, 0), White);
    QCOMPARE(app.find<Label>("Label3")->text(), QStringLiteral("Search successful. There are 1 uncleared names"));
    QVERIFY(!grid->cellMarked(0, 0));
    QVERIFY(grid->cellMarked(1, 0));
    QVERIFY(!grid->cellMarked(1, 1));

    grid->setCurrentCell(1, 0);
    app.window().findChild<QAction *>("PossibleMatches")->trigger();
    auto *panel = app.window().findChild<QWidget *>("PossibleMatches");
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->findChild<QLabel *>("PossibleMatchesPerson")->text(),
             QStringLiteral("Row 2: MOHAMAD, ALI, 4/3/1970: 1 possible match."));
    // The panel follows the row the operator moves to.
    grid->setCurrentCell(0, 0);
    QCOMPARE(panel->findChild<QLabel *>("PossibleMatchesPerson")->text(),
             QStringLiteral("Row 1: ROE, RICHARD, 3/4/1970: no possible matches."));

    // Remove Cleared keeps the red row only; the advisory goes with the rows.
    QTest::mouseClick(app.find<QPushButton>("Command2"), Qt::LeftButton);
    QVERIFY(!grid->cellMarked(0, 0) && !grid->cellMarked(1, 0));
}
