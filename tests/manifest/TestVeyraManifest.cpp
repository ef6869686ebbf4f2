#include "RunningApp.h"
#include "TestSupport.h"
#include "manifest/VeyraManifest.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/TextBox.h"
#include "search/RowMarks.h"
#include "settings/VeyraSettings.h"
#include "shared/RgbColor.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

#include <optional>

using TestSupport::MessageBoxAnswerer;
using TestSupport::readFile;
using TestSupport::writeFile;

class TestVeyraManifest : public QObject
{
    Q_OBJECT

private slots:
    void createdHiddenWithAnEmptyGrid();
    void saveWritesFilledRowsWithoutGaps();
    void reopeningAThenB();
    void everyWayOutLeavesTheFileAsItWas_data();
    void everyWayOutLeavesTheFileAsItWas();
    void openingShowsTheFile_data();
    void openingShowsTheFile();
    void savingUnderANewNumberLeavesOnlyTheNewFile();
    void saveThatCannotWriteLosesNothing_data();
    void saveThatCannotWriteLosesNothing();
    void editingKeys_data();
    void editingKeys();
    void movingInTheGridEnablesSave();
    void importFromSearch();
    void importStopsAtRow49();
    void activationFromAnotherWindowResets();
    void nothingSavedOverIsLost_data();
    void nothingSavedOverIsLost();
};

namespace {

const QByteArray PersonA = "\"ANNA A\",\"F\",\"PA\",\"\",\"1/1/1970\",\"CLEARED\"\r\n";
const QByteArray PersonB = "\"BORIS B\",\"M\",\"PB\",\"\",\"2/2/1980\",\"NO FLY\"\r\n";

// The manifest window as the operator opens it from the main window's menu.
struct Manifest
{
    explicit Manifest(RunningApp &app)
        : window(app.module.manifestWindow())
    {
        app.find<QAction>("ManifestOpen")->trigger();
        active = QTest::qWaitForWindowActive(&window);
    }

    template <typename T> T *find(const char *name) { return window.findChild<T *>(QString::fromLatin1(name)); }
    FlexGrid *grid() { return find<FlexGrid>("MSFlexGrid1"); }
    TextBox *number() { return find<TextBox>("Text1"); }
    QPushButton *button(const char *name) { return find<QPushButton>(name); }
    QString cell(int row, int col) { return grid()->textMatrix(row, col); }
    QStringList column(int col, int rows)
    {
        QStringList cells;
        for (int r = 1; r <= rows; ++r)
            cells.append(cell(r, col));
        return cells;
    }

    VeyraManifest &window;
    bool active = false;
};

} // namespace

void TestVeyraManifest::createdHiddenWithAnEmptyGrid()
{
    RunningApp app;
    VeyraManifest *manifest = app.module.existingManifestWindow();
    QVERIFY(manifest);
    QVERIFY(!manifest->isVisible());
    QCOMPARE(manifest->findChild<FolderList *>("Dir1")->path(), QDir::toNativeSeparators(app.data()));

    Manifest m(app);
    QCOMPARE(m.grid()->rows(), 50);
    QCOMPARE(m.grid()->cols(), 7);
    QCOMPARE(m.grid()->fixedRows(), 1);
    QCOMPARE(m.cell(0, 3), "Passport # & Issuing Country");
    QCOMPARE(m.cell(49, 0), "49");
    QCOMPARE(m.grid()->colWidth(1), 3200 + 440);
    QCOMPARE(m.grid()->colWidth(6), 1000 + 440);
    QCOMPARE(m.grid()->colAlignment(1), int(FlexGrid::LeftTop));
    QCOMPARE(m.grid()->colAlignment(5), int(FlexGrid::CenterTop));
    QVERIFY(m.button("Command2")->isEnabled());
    for (const char *disabled : {"Command1", "Command3", "Command4"})
        QVERIFY(!m.button(disabled)->isEnabled());
    QCOMPARE(m.window.geometry(), app.window().geometry());
}

void TestVeyraManifest::saveWritesFilledRowsWithoutGaps()
{
    RunningApp app;
    Manifest m(app);
    m.number()->setText("123");
    const QStringList rows[] = {{"ANNA A", "F", "PA", "", "1/1/1970", "CLEARED"},
                                {"SMITH, JR.", "M", "", "V9", "", "NO FLY"}};
    for (int c = 0; c < 6; ++c) {
        m.grid()->setTextMatrix(1, c + 1, rows[0][c]);
        m.grid()->setTextMatrix(4, c + 1, rows[1][c]);
    }
    m.grid()->setTextMatrix(3, 2, "M"); // a row without a Full Name is not a person
    QTest::mouseClick(m.button("Command1"), Qt::LeftButton);

    QCOMPARE(readFile(app.data("Manifest-123")), PersonA + "\"SMITH, JR.\",\"M\",\"\",\"V9\",\"\",\"NO FLY\"\r\n");
    QVERIFY(!m.button("Command1")->isEnabled());
    QVERIFY(m.button("Command3")->isEnabled() && m.button("Command4")->isEnabled());
    QCOMPARE(m.find<FileList>("File1")->fileNames(), QStringList{"Manifest-123"});
    QCOMPARE(app.module.OpenManifestPath, QDir::toNativeSeparators(app.data("Manifest-123")));

    m.window.File1_Click("Manifest-123");
    QCOMPARE(m.column(1, 3), (QStringList{"ANNA A", "SMITH, JR.", ""}));
    QCOMPARE(m.cell(2, 4), "V9");
    // Read where it is, under its own name.
    QCOMPARE(QDir(app.data()).entryList({"Manifest*"}, QDir::Files), QStringList{"Manifest-123"});
}

void TestVeyraManifest::reopeningAThenB()
{
    QTemporaryDir data;
    writeFile(data.filePath("Manifest-A"), PersonA);
    writeFile(data.filePath("Manifest-B"), PersonB);
    RunningApp app(data.path());
    Manifest m(app);

    m.window.File1_Click("Manifest-A");
    QCOMPARE(m.cell(1, 1), "ANNA A");
    m.window.File1_Click("Manifest-B");
    QCOMPARE(m.column(1, 2), (QStringList{"BORIS B", ""}));
    QCOMPARE(m.number()->text(), "B");
    QCOMPARE(readFile(data.filePath("Manifest-A")), PersonA);
    QCOMPARE(readFile(data.filePath("Manifest-B")), PersonB);
    QCOMPARE(app.module.OpenManifestPath, QDir::toNativeSeparators(data.filePath("Manifest-B")));

    // The entry of the open manifest stays listed; clicking it again reopens the same rows.
    m.window.File1_Click("Manifest-B");
    QCOMPARE(m.cell(1, 1), "BORIS B");
    QCOMPARE(QDir(data.path()).entryList({"Manifest*"}, QDir::Files), (QStringList{"Manifest-A", "Manifest-B"}));
}

void TestVeyraManifest::everyWayOutLeavesTheFileAsItWas_data()
{
    QTest::addColumn<QString>("way");
    newRow("folder change", "folder");
    newRow("Back", "back");
    newRow("closing the window", "close");
    newRow("shut-down", "shutdown");
}

void TestVeyraManifest::everyWayOutLeavesTheFileAsItWas()
{
    QFETCH(QString, way);
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkdir("other"));
    writeFile(data.filePath("Manifest-A"), PersonA);
    RunningApp app(data.path());
    Manifest m(app);
    m.window.File1_Click("Manifest-A");
    QCOMPARE(readFile(data.filePath("Manifest-A")), PersonA);

    if (way == "folder") {
        QVERIFY(m.window.setFolder(data.filePath("other")));
        QCOMPARE(app.module.ManifestFolder, QDir::toNativeSeparators(data.filePath("other")));
        QVERIFY(app.module.OpenManifestPath.isEmpty());
    } else if (way == "back") {
        m.number()->setText("A");
        m.find<QAction>("Back")->trigger();
        QVERIFY(app.window().isVisible());
        QVERIFY(!app.module.existingManifestWindow());
        Manifest again(app); // created anew: nothing of the old window survives
        QVERIFY(again.number()->text().isEmpty());
        QVERIFY(again.cell(1, 1).isEmpty());
    } else if (way == "close") {
        m.window.close();
        QVERIFY(!app.module.existingManifestWindow());
    } else {
        app.window().Form_Unload();
    }
    QCOMPARE(readFile(data.filePath("Manifest-A")), PersonA);
    QCOMPARE(QDir(data.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"Defaultcfg.cdb", "Manifest-A"}));
}

void TestVeyraManifest::openingShowsTheFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("filledRows");

    QByteArray sixty;
    for (int i = 1; i <= 60; ++i)
        sixty += QStringLiteral("\"P%1\",\"\",\"\",\"\",\"\",\"CLEARED\"\r\n").arg(i).toUtf8();
    newRow("a name with the extension", "Manifest-123.csv", PersonA + PersonB, "123", 2);
    newRow("60 lines show their first 49", "Manifest-60", sixty, "60", 49);
    newRow("an empty file shows nothing", "Manifest-0", QByteArray(), "0", 0);
}

void TestVeyraManifest::openingShowsTheFile()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, number);
    QFETCH(int, filledRows);

    QTemporaryDir data;
    writeFile(data.filePath(fileName), content);
    RunningApp app(data.path());
    Manifest m(app);
    MessageBoxAnswerer boxes;
    m.window.File1_Click(fileName);
    QCOMPARE(m.number()->text(), number);
    const QStringList names = m.column(1, 49);
    QCOMPARE(names.size() - names.count(QString()), filledRows);
    QVERIFY(m.button("Command3")->isEnabled() && m.button("Command4")->isEnabled());
    QVERIFY(boxes.texts.isEmpty());
}

void TestVeyraManifest::savingUnderANewNumberLeavesOnlyTheNewFile()
{
    QTemporaryDir data;
    writeFile(data.filePath("Manifest-A"), PersonA);
    RunningApp app(data.path());
    Manifest m(app);
    m.window.File1_Click("Manifest-A");
    m.number()->setText("C");
    m.window.Command1_Click();

    QCOMPARE(QDir(data.path()).entryList({"Manifest*"}, QDir::Files), QStringList{"Manifest-C"});
    QCOMPARE(readFile(data.filePath("Manifest-C")), PersonA);
    m.find<QAction>("Back")->trigger();
    QCOMPARE(QDir(data.path()).entryList({"Manifest*"}, QDir::Files), QStringList{"Manifest-C"});
}

void TestVeyraManifest::saveThatCannotWriteLosesNothing_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("folderGone");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("cause");
    newRow("a number that cannot be a file name", "12/B", false, false, "A manifest number may not contain");
    newRow("a manifest folder that is gone", "A", true, false, "No such file or directory");
    newRow("the disk fills while saving", "B", false, true, "File too large");
}

void TestVeyraManifest::saveThatCannotWriteLosesNothing()
{
    QFETCH(QString, number);
    QFETCH(bool, folderGone);
    QFETCH(bool, diskFull);
    QFETCH(QString, cause);
    QTemporaryDir data;
    writeFile(data.filePath("Manifest-A"), PersonA);
    RunningApp app(data.path());
    Manifest m(app);
    m.window.File1_Click("Manifest-A");
    m.number()->setText(number);
    if (folderGone)
        app.module.ManifestFolder = data.filePath("gone");

    MessageBoxAnswerer boxes;
    {
        std::optional<TestSupport::FileSizeLimit> limit;
        if (diskFull)
            limit.emplace(8);
        m.window.Command1_Click();
    }
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].contains(cause), qPrintable(boxes.texts[0]));
    QVERIFY(m.button("Command1")->isEnabled());
    QCOMPARE(readFile(data.filePath("Manifest-A")), PersonA);
    QCOMPARE(m.cell(1, 1), "ANNA A");

    m.window.Form_Unload();
    QCOMPARE(readFile(data.filePath("Manifest-A")), PersonA);
}

void TestVeyraManifest::editingKeys_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("text");
    newRow("a small letter becomes a capital", "", QList<int>{Qt::Key_A}, "A");
    newRow("digits and signs stay", "X", QList<int>{Qt::Key_1, Qt::Key_Minus}, "X1-");
    newRow("backspace takes the last character", "AB", QList<int>{Qt::Key_Backspace}, "A");
    newRow("backspace on an empty cell", "", QList<int>{Qt::Key_Backspace}, "");
    newRow("Enter appends a carriage return", "A", QList<int>{Qt::Key_Return}, "A\r");
}

void TestVeyraManifest::editingKeys()
{
    QFETCH(QString, start);
    QFETCH(QList<int>, keys);
    QFETCH(QString, text);
    RunningApp app;
    Manifest m(app);
    m.grid()->setCurrentCell(2, 1);
    m.grid()->setTextMatrix(2, 1, start);
    for (int key : keys)
        QTest::keyClick(m.grid(), Qt::Key(key));
    QCOMPARE(m.cell(2, 1), text);

    QTest::keyClicks(m.grid(), "a");
    QTest::keyClick(m.grid(), Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(m.cell(2, 1), text + "AA");
}

void TestVeyraManifest::movingInTheGridEnablesSave()
{
    RunningApp app;
    Manifest m(app);
    m.grid()->setCurrentCell(1, 1);
    QTest::keyClick(m.grid(), Qt::Key_Down);
    QVERIFY(!m.button("Command1")->isEnabled()); // no manifest number yet

    m.number()->setText("7");
    m.window.Command1_Click();
    QVERIFY(!m.button("Command1")->isEnabled());
    QTest::keyClick(m.grid(), Qt::Key_Down);
    QVERIFY(m.button("Command1")->isEnabled());
}

void TestVeyraManifest::importFromSearch()
{
    RunningApp app;
    auto box = [&](int field, int row) { return app.find<TextBox>(QStringLiteral("Text%1_%2").arg(field).arg(row)); };
    const QStringList people[] = {{"ONE", "ANNA", "1/1/1970", "P1"}, {"TWO", "", "", "P2"}, {"THREE", "CARL", "", ""}};
    const int nameRows[] = {0, 2, 5};
    for (int i = 0; i < 3; ++i)
        for (int field = 0; field < 4; ++field)
            box(field + 1, nameRows[i])->setText(people[i][field]);
    box(2, 3)->setText("FIRST ONLY");
    box(2, 0)->setForeColor(toColor(RowColors::Red));
    box(2, 0)->setBackColor(toColor(RowColors::Yellow));
    box(2, 2)->setBackColor(toColor(RowColors::Yellow));

    Manifest m(app);
    m.grid()->setTextMatrix(1, 1, "KEPT");
    m.grid()->setTextMatrix(3, 2, "M"); // Sex of a row the import fills stays
    m.window.Command2_Click();
    QCOMPARE(m.column(1, 5), (QStringList{"KEPT", "ANNA ONE", " TWO", "CARL THREE", ""}));
    QCOMPARE(m.column(6, 4), (QStringList{"", "NO FLY", "SSSS", "CLEARED"}));
    QCOMPARE(m.column(5, 2), (QStringList{"", "1/1/1970"}));
    QCOMPARE(m.column(3, 3), (QStringList{"", "P1", "P2"}));
    QCOMPARE(m.cell(3, 2), "M");
    QVERIFY(!m.button("Command1")->isEnabled());
}

void TestVeyraManifest::importStopsAtRow49()
{
    RunningApp app;
    for (int row = 0; row < 3; ++row)
        app.find<TextBox>(QStringLiteral("Text1_%1").arg(row))->setText(QStringLiteral("LAST%1").arg(row));
    Manifest m(app);
    for (int r = 1; r <= 48; ++r)
        m.grid()->setTextMatrix(r, 1, "FULL");

    MessageBoxAnswerer boxes;
    m.window.Command2_Click();
    QCOMPARE(m.cell(48, 1), "FULL");
    QCOMPARE(m.cell(49, 1), " LAST0");
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].contains("2 more did not fit"), qPrintable(boxes.texts[0]));
}

// Coming from another of the program's windows resets the manifest; coming back from its own message box
// does not.
void TestVeyraManifest::activationFromAnotherWindowResets()
{
    RunningApp app;
    VeyraSettings &settings = app.module.settingsWindow();
    settings.findChild<TextBox *>("Settings_4")->setText("ops@example.test");
    Manifest m(app);
    QVERIFY(m.active);
    QCOMPARE(m.find<TextBox>("Text2")->text(), "ops@example.test");

    m.number()->setText("9/9");
    m.grid()->setTextMatrix(1, 1, "TYPED");
    {
        MessageBoxAnswerer boxes;
        m.window.Command1_Click();
        QCOMPARE(boxes.texts.size(), 1);
    }
    m.window.activateWindow(); // what the desktop does when the box closes
    QVERIFY(QTest::qWaitForWindowActive(&m.window));
    QCOMPARE(m.cell(1, 1), "TYPED");

    settings.findChild<TextBox *>("Settings_4")->setText("desk@example.test");
    settings.show();
    settings.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&settings));
    m.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m.window));
    QCOMPARE(m.cell(1, 1), "");
    QCOMPARE(m.find<TextBox>("Text2")->text(), "desk@example.test");
    QCOMPARE(m.number()->text(), "9/9");
}

void TestVeyraManifest::nothingSavedOverIsLost_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("lost"); // the manifest whose contents the save takes away
    newRow("saved over an existing number", "over", "Manifest-B");
    newRow("a reopened manifest saved under a new number", "renumbered", "Manifest-A");
    newRow("a reopened manifest saved over itself", "itself", "Manifest-A");
    newRow("a reopened manifest saved after a visit to the main window", "visit", "Manifest-A");
}

// Whatever a save replaces or removes is in the history, and comes back from there whole.
void TestVeyraManifest::nothingSavedOverIsLost()
{
    QFETCH(QString, path);
    QFETCH(QString, lost);
    QTemporaryDir data;
    writeFile(data.filePath("Manifest-A"), PersonA + PersonB);
    writeFile(data.filePath("Manifest-B"), PersonB);
    const QByteArray before = readFile(data.filePath(lost));
    RunningApp app(data.path());
    Manifest m(app);
    if (path == "over") {
        m.number()->setText("B");
        m.grid()->setTextMatrix(1, 1, "CARL C");
    } else {
        m.window.File1_Click("Manifest-A");
        m.grid()->setTextMatrix(1, 1, "CARL C");
        m.number()->setText(path == "renumbered" ? "C" : "A");
    }
    if (path == "visit") {
        app.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&app.window()));
        m.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m.window));
        QCOMPARE(m.cell(1, 1), ""); // reset: a save now keeps nothing of what was opened
        m.number()->setText("A");
    }
    m.window.Command1_Click();
    m.window.Form_Unload();
    QVERIFY(readFile(data.filePath(lost)) != before);

    QCOMPARE(keptVersions(data.path(), lost), QByteArrayList{before});
}

VEYRA_TEST(TestVeyraManifest)
#include "TestVeyraManifest.moc"
