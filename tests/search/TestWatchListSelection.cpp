#include "RunningApp.h"
#include "TestSupport.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/Label.h"

#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QTemporaryDir>

using TestSupport::MessageBoxAnswerer;
using TestSupport::readFile;
using TestSupport::writeFile;

class TestWatchListSelection : public QObject
{
    Q_OBJECT

private slots:
    void selectingKeepsEveryFileItsName();
    void strayWorkingFileIsLeftAlone();
    void listKindNames_data();
    void listKindNames();
    void workingNameEntryOnlyEndsTheActiveList();
    void vanishedFileIsRefusedWithAMessage();
    void headerHasElevenMeasuredColumns();
    void activeListIsNamedWithItsVersion();
};

namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList({"Veyra*"}, QDir::Files, QDir::Name);
}

// Clicks the entry of File1 that shows fileName, as the operator would.
void clickFile(RunningApp &app, const QString &fileName)
{
    auto *list = app.find<FileList>("File1");
    const QList<QListWidgetItem *> items = list->findItems(fileName, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(fileName));
    const QRect rect = list->visualItemRect(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

bool searchEnabled(RunningApp &app)
{
    return app.find<QPushButton>("Command1")->isEnabled();
}

} // namespace

void TestWatchListSelection::selectingKeepsEveryFileItsName()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "A");
    writeFile(data.filePath("Veyra_Selectee.csv"), "B");
    RunningApp app(data.path());
    QVERIFY(!searchEnabled(app));

    clickFile(app, "Veyra_No_Fly.csv");
    clickFile(app, "Veyra_No_Fly.csv"); // the active list clicked again stays active
    QCOMPARE(filesIn(data.path()), (QStringList{"Veyra_No_Fly.csv", "Veyra_Selectee.csv"}));
    QVERIFY(searchEnabled(app));
    QCOMPARE(app.module.SelectedListPath, QDir::toNativeSeparators(data.filePath("Veyra_No_Fly.csv")));
    // The working name stands for the selected file itself.
    QCOMPARE(app.module.WorkingListPath, QDir::toNativeSeparators(data.filePath("Veyra_No_Fly.csv")));

    clickFile(app, "Veyra_Selectee.csv");
    QCOMPARE(app.module.SelectedListPath, QDir::toNativeSeparators(data.filePath("Veyra_Selectee.csv")));
    QCOMPARE(filesIn(data.path()), (QStringList{"Veyra_No_Fly.csv", "Veyra_Selectee.csv"}));
    QCOMPARE(readFile(data.filePath("Veyra_No_Fly.csv")), QByteArray("A"));
    QCOMPARE(readFile(data.filePath("Veyra_Selectee.csv")), QByteArray("B"));
    // The file list goes on showing the active list, selected, after a refresh too (a download, a deletion).
    auto *files = app.find<FileList>("File1");
    files->refresh();
    QCOMPARE(files->fileNames(), (QStringList{"Veyra_No_Fly.csv", "Veyra_Selectee.csv"}));
    QVERIFY(files->currentItem());
    QCOMPARE(files->currentItem()->text(), QString("Veyra_Selectee.csv"));
    QCOMPARE(app.module.SelectedListPath, QDir::toNativeSeparators(data.filePath("Veyra_Selectee.csv")));
    // In another folder nothing is selected, even a file of the same name.
    QVERIFY(QDir(data.path()).mkdir("other"));
    writeFile(data.filePath("other/Veyra_Selectee.csv"), "C");
    app.find<FolderList>("Dir1")->setPath(data.filePath("other"));
    QCOMPARE(files->fileNames(), QStringList{"Veyra_Selectee.csv"});
    QVERIFY(!files->currentItem());
}

void TestWatchListSelection::strayWorkingFileIsLeftAlone()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra.csv"), "stray");
    writeFile(data.filePath("Veyra_Cleared.csv"), "C");
    RunningApp app(data.path());
    clickFile(app, "Veyra_Cleared.csv");
    QCOMPARE(readFile(data.filePath("Veyra.csv")), QByteArray("stray"));
    QCOMPARE(readFile(data.filePath("Veyra_Cleared.csv")), QByteArray("C"));
    QVERIFY(!QDir(data.filePath("History")).exists());
    // Delete File removes the active list, never the stray file.
    app.find<QPushButton>("Command4")->click();
    QCOMPARE(filesIn(data.path()), QStringList{"Veyra.csv"});
    QCOMPARE(readFile(data.filePath("Veyra.csv")), QByteArray("stray"));
}

void TestWatchListSelection::listKindNames_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("noFly");
    QTest::addColumn<QString>("selectee");
    QTest::addColumn<QString>("cleared");

    newRow("No-Fly list", "Veyra_No_Fly_2026.csv", "Veyra_No_Fly_2026.csv", "", "");
    newRow("name with two kinds sets both", "Veyra_No_Fly_Selectee.csv", "Veyra_No_Fly_Selectee.csv",
           "Veyra_No_Fly_Selectee.csv", "");
    newRow("cleared list", "Veyra_Cleared.csv", "", "", "Veyra_Cleared.csv");
    newRow("lower case is an other list", "Veyra_no_fly.csv", "", "", "");
    newRow("kind found at any position", "Veyra_2026_Selectee_v2.csv", "", "Veyra_2026_Selectee_v2.csv", "");
}

void TestWatchListSelection::listKindNames()
{
    QFETCH(QString, fileName);
    QFETCH(QString, noFly);
    QFETCH(QString, selectee);
    QFETCH(QString, cleared);

    QTemporaryDir data;
    writeFile(data.filePath(fileName), "x");
    RunningApp app(data.path());
    clickFile(app, fileName);
    QCOMPARE(app.module.NoFlyListName, noFly);
    QCOMPARE(app.module.SelecteeListName, selectee);
    QCOMPARE(app.module.ClearedListName, cleared);
}

void TestWatchListSelection::workingNameEntryOnlyEndsTheActiveList()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "A");
    RunningApp app(data.path());
    clickFile(app, "Veyra_No_Fly.csv");
    app.window().File1_Click("Veyra.csv");
    QCOMPARE(filesIn(data.path()), QStringList{"Veyra_No_Fly.csv"});
    QVERIFY(app.module.SelectedListPath.isEmpty());
    QVERIFY(searchEnabled(app));
}

void TestWatchListSelection::vanishedFileIsRefusedWithAMessage()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "A");
    RunningApp app(data.path());
    QFile::remove(data.filePath("Veyra_No_Fly.csv"));
    MessageBoxAnswerer answerer;
    clickFile(app, "Veyra_No_Fly.csv");
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY(answerer.texts.first().contains("Veyra_No_Fly.csv"));
    QVERIFY(!searchEnabled(app));
    QVERIFY(app.module.SelectedListPath.isEmpty());
    QVERIFY(app.find<FileList>("File1")->fileNames().isEmpty());
}

void TestWatchListSelection::headerHasElevenMeasuredColumns()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "A");
    RunningApp app(data.path());
    auto *grid = app.find<FlexGrid>("MSFlexGrid1");
    auto *status = app.find<Label>("Label3");
    grid->setRows(5);
    grid->setTextMatrix(3, 2, "left over");
    status->setText("Search succesful");

    clickFile(app, "Veyra_No_Fly.csv");
    QCOMPARE(status->text(), QString());
    QCOMPARE(grid->rows(), 1);
    QCOMPARE(grid->fixedRows(), 1);
    QCOMPARE(grid->cols(), 11);
    const QStringList headers = {"SID", "CLEARED", "LASTNAME",    "FIRSTNAME",           "MIDDLENAME", "TYPE",
                                 "DOB", "POB",     "CITIZENSHIP", "PASSPORT / IDNUMBER", "MISC"};
    // Widths the list gives (the padding of 240 twips included); 0 where the heading's own width decides.
    const int widths[] = {0, 0, 2740, 2740, 0, 0, 1240, 2240, 2240, 0, 1240};
    for (int c = 0; c < 11; ++c) {
        QCOMPARE(grid->textMatrix(0, c), headers[c]);
        if (widths[c])
            QCOMPARE(grid->colWidth(c), widths[c]);
        // Every heading can be read whole.
        const QFontMetrics metrics(grid->horizontalHeader()->font());
        QVERIFY2(grid->horizontalHeader()->sectionSize(c) > metrics.horizontalAdvance(headers[c]),
                 qPrintable(headers[c]));
    }
    // A longer heading gets a wider column.
    QVERIFY(grid->colWidth(0) < grid->colWidth(1)); // SID, CLEARED
    QVERIFY(grid->colWidth(1) < grid->colWidth(4)); // CLEARED, MIDDLENAME
    QVERIFY(grid->colWidth(4) < grid->colWidth(9)); // MIDDLENAME, PASSPORT / IDNUMBER
}

// The line under the lists names the active list's version: name, records, file date and the start of the
// SHA-256 that sha256sum gives for the same bytes; the printouts get the name and hash for its kind of list.
void TestWatchListSelection::activeListIsNamedWithItsVersion()
{
    QTemporaryDir data;
    const QString path = data.filePath("Veyra_No_Fly_1205.csv");
    writeFile(path, "SID,LASTNAME\r\n1,ROE\r\n2,DOE\r\n");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 5), QTime(14, 2)), QFileDevice::FileModificationTime));
    file.close();
    const QString hash = TestSupport::sha256sum(path).left(12);

    RunningApp app(data.path());
    auto *identity = app.find<Label>("ListIdentity");
    QCOMPARE(identity->text(), QString());
    clickFile(app, "Veyra_No_Fly_1205.csv");
    QCOMPARE(identity->text(), "Veyra_No_Fly_1205.csv   2 records   2026-12-05 14:02   SHA-256 " + hash);
    QCOMPARE(app.module.NoFlyListIdentity, "Veyra_No_Fly_1205.csv  SHA-256 " + hash);
    QVERIFY(identity->isVisible());
    QVERIFY(!identity->geometry().intersects(app.find<FlexGrid>("MSFlexGrid1")->geometry()));

    // No active list, no line: the printouts keep naming the version last searched.
    app.find<QPushButton>("Command4")->click();
    QCOMPARE(identity->text(), QString());
    QCOMPARE(app.module.NoFlyListIdentity, "Veyra_No_Fly_1205.csv  SHA-256 " + hash);
}

VEYRA_TEST(TestWatchListSelection)
#include "TestWatchListSelection.moc"
