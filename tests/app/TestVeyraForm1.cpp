#include "RunningApp.h"
#include "TestSupport.h"
#include "app/FolderConfig.h"
#include "manifest/VeyraManifest.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FolderList.h"
#include "platform/widgets/Label.h"
#include "settings/CompanyInfoFile.h"

#include <QAction>
#include <QDir>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

using TestSupport::MessageBoxAnswerer;
using TestSupport::readFile;
using TestSupport::writeFile;

class TestVeyraForm1 : public QObject
{
    Q_OBJECT

private slots:
    void windowAndMenus();
    void typingStartsInRowZero();
    void firstStartRemembersTheDataFolder();
    void startUpFolders_data();
    void startUpFolders();
    void shortFolderFileFallsBack();
    void folderChangeEndsTheActiveList();
    void unreadableFolderKeepsTheLists();
    void unreadableDriveKeepsTheLists();
    void deleteFileRemovesTheActiveList();
    void deleteFileWithoutAListDoesNothing();
    void shutDownGivesTheListItsName();
    void startUpRenamesBackOnlyInTheRememberedFolders();
    void unwritableFolderFileIsReported();
};

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QByteArray folderLine(const QString &main, const QString &manifest, const QString &spreadsheet)
{
    return QStringLiteral("\"%1\",\"%2\",\"%3\"\r\n").arg(native(main), native(manifest), native(spreadsheet)).toUtf8();
}

void writeCompanyInfo(const QString &dataFolder)
{
    CompanyInfo info;
    info.companyName = "ACME";
    QVERIFY(CompanyInfoFile::write(dataFolder, info, nullptr));
}

} // namespace

void TestVeyraForm1::windowAndMenus()
{
    RunningApp app;
    VeyraForm1 &window = app.window();
    QVERIFY(window.isVisible());
    QCOMPARE(window.windowTitle(), QStringLiteral("VeyraCheck     v3.1"));

    QStringList captions;
    for (QAction *action : window.menuBar()->actions())
        captions << action->text();
    QCOMPARE(captions,
             (QStringList{"&Settings", "", "&Manifest", "", "Sa&ve Names", "", "&Import Names", "", "&Print Log"}));
    QVERIFY(window.findChild<QAction *>("Settings"));
    QVERIFY(window.findChild<QAction *>("ManifestOpen"));
    QVERIFY(window.findChild<QAction *>("printlog"));

    const QStringList buttons[] = {{"Command1", "Search"},
                                   {"Command2", "Keep Checked"},
                                   {"Command3", "Download Database"},
                                   {"Command4", "Delete File"}};
    for (const QStringList &button : buttons)
        QCOMPARE(app.find<QPushButton>(button[0])->text(), button[1]);
    QVERIFY(!app.find<QPushButton>("Command1")->isEnabled());
    QVERIFY(!app.find<QPushButton>("Command2")->isEnabled());
    QVERIFY(app.find<FlexGrid>("MSFlexGrid1")->isVisible());
    QVERIFY(!app.find<FlexGrid>("MSFlexGrid2")->isVisible());
    QVERIFY(!app.find<QProgressBar>("ProgressBar1")->isVisible());
    QCOMPARE(app.find<FileList>("File1")->pattern(), QStringLiteral("Veyra_*.csv"));
    for (int row = 0; row < 10; ++row)
        QVERIFY(app.find<QWidget>(QStringLiteral("Text4_%1").arg(row)));
}

// Row 0's last name has the focus at start-up, and Tab runs through the text boxes row by row before anything
// else; the two buttons that act on the rows come right after the last row.
void TestVeyraForm1::typingStartsInRowZero()
{
    RunningApp app;
    VeyraForm1 &window = app.window();
    QCOMPARE(window.focusWidget(), app.find<QWidget>("Text1_0"));

    QStringList chain;
    for (QWidget *next = window.nextInFocusChain(); next != &window; next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && !next->objectName().isEmpty())
            chain.append(next->objectName());
    }
    QStringList expected;
    for (int row = 0; row < 10; ++row) {
        for (int field = 1; field <= 4; ++field)
            expected.append(QStringLiteral("Text%1_%2").arg(field).arg(row));
    }
    expected += {"Command1", "Command2"};
    QCOMPARE(chain.mid(0, expected.size()), expected);
    QVERIFY2(chain.indexOf("Check2_0") > chain.indexOf("Command2"), qPrintable(chain.join(' ')));
}

void TestVeyraForm1::firstStartRemembersTheDataFolder()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "x");
    writeFile(data.filePath("Veyra.csv.bak"), "x");
    RunningApp app(data.path());
    QCOMPARE(app.find<FolderList>("Dir1")->path(), native(data.path()));
    QCOMPARE(app.find<FileList>("File1")->fileNames(), QStringList{"Veyra_No_Fly.csv"});
    QCOMPARE(readFile(data.filePath("Defaultcfg.cdb")), folderLine(data.path(), data.path(), ""));
}

void TestVeyraForm1::startUpFolders_data()
{
    QTest::addColumn<bool>("mainFolderExists");
    QTest::addColumn<bool>("companyInfoExists");
    QTest::addColumn<bool>("remembered");

    newRow("remembered folders are used", true, true, true);
    newRow("vanished main folder falls back", false, true, false);
    // A failing company information read falls back too, after the window is shown.
    newRow("missing company information falls back", true, false, false);
}

void TestVeyraForm1::startUpFolders()
{
    QFETCH(bool, mainFolderExists);
    QFETCH(bool, companyInfoExists);
    QFETCH(bool, remembered);

    QTemporaryDir data, lists, manifests;
    const QString mainFolder = mainFolderExists ? lists.path() : lists.filePath("gone");
    writeFile(data.filePath("Defaultcfg.cdb"), folderLine(mainFolder, manifests.path(), "/sheets"));
    if (companyInfoExists)
        writeCompanyInfo(data.path());

    RunningApp app(data.path());
    const QString expected = native(remembered ? lists.path() : data.path());
    QCOMPARE(app.find<FolderList>("Dir1")->path(), expected);
    QCOMPARE(app.module.MainFolder, expected);
    QCOMPARE(app.module.ManifestFolder, native(remembered ? manifests.path() : data.path()));
    QCOMPARE(app.module.SpreadsheetFolder, native("/sheets"));
    QVERIFY(app.window().isVisible());
    QCOMPARE(FolderConfig::read(data.path()).value(0), expected);
    // The manifest window is there, hidden, whichever way start-up went.
    QVERIFY(app.module.existingManifestWindow());
    QVERIFY(!app.module.existingManifestWindow()->isVisible());
}

void TestVeyraForm1::shortFolderFileFallsBack()
{
    QTemporaryDir data, lists;
    writeFile(data.filePath("Defaultcfg.cdb"), QStringLiteral("\"%1\"\r\n").arg(lists.path()).toUtf8());
    writeCompanyInfo(data.path());
    RunningApp app(data.path());
    QCOMPARE(app.find<FolderList>("Dir1")->path(), native(data.path()));
    QCOMPARE(app.module.ManifestFolder, native(data.path()));
}

void TestVeyraForm1::folderChangeEndsTheActiveList()
{
    QTemporaryDir data, other;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "A");
    writeFile(other.filePath("Veyra_Selectee.csv"), "B");
    RunningApp app(data.path());
    app.window().File1_Click("Veyra_No_Fly.csv");
    QVERIFY(app.find<QPushButton>("Command1")->isEnabled());

    app.find<FolderList>("Dir1")->setPath(other.path());
    QVERIFY(!app.find<QPushButton>("Command1")->isEnabled());
    QCOMPARE(readFile(data.filePath("Veyra_No_Fly.csv")), QByteArray("A"));
    QVERIFY(!QFile::exists(data.filePath("Veyra.csv")));
    QVERIFY(app.module.SelectedListPath.isEmpty());
    QCOMPARE(app.find<FileList>("File1")->fileNames(), QStringList{"Veyra_Selectee.csv"});
    QCOMPARE(app.module.MainFolder, native(other.path()));
    QCOMPARE(FolderConfig::read(data.path()).value(0), native(other.path()));
}

void TestVeyraForm1::unreadableFolderKeepsTheLists()
{
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkdir("Lists"));
    RunningApp app(data.path());
    auto *folders = app.find<FolderList>("Dir1");
    const QList<QListWidgetItem *> items = folders->findItems("Lists", Qt::MatchEndsWith);
    QCOMPARE(items.size(), 1);
    QVERIFY(QDir(data.filePath("Lists")).removeRecursively());

    MessageBoxAnswerer answerer;
    emit folders->itemActivated(items.first());
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY(answerer.texts.first().contains("Lists"));
    QCOMPARE(folders->path(), native(data.path()));
    QCOMPARE(app.module.MainFolder, native(data.path()));
    QVERIFY(folders->findItems("Lists", Qt::MatchEndsWith).isEmpty());
}

void TestVeyraForm1::unreadableDriveKeepsTheLists()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "A");
    RunningApp app(data.path());
    app.window().File1_Click("Veyra_No_Fly.csv");

    MessageBoxAnswerer answerer;
    app.window().Drive1_Change(data.filePath("no-such-drive"));
    QCOMPARE(answerer.texts.size(), 1);
    QCOMPARE(app.find<FolderList>("Dir1")->path(), native(data.path()));
    // A drive that cannot be read changes nothing: the list stays active.
    QVERIFY(app.find<QPushButton>("Command1")->isEnabled());
    QCOMPARE(app.module.SelectedListPath, native(data.filePath("Veyra_No_Fly.csv")));
}

void TestVeyraForm1::deleteFileRemovesTheActiveList()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "A");
    writeFile(data.filePath("Veyra_Selectee.csv"), "B");
    RunningApp app(data.path());
    app.window().File1_Click("Veyra_No_Fly.csv");
    QTest::mouseClick(app.find<QPushButton>("Command4"), Qt::LeftButton);

    QCOMPARE(QDir(data.path()).entryList({"Veyra*"}, QDir::Files), QStringList{"Veyra_Selectee.csv"});
    QCOMPARE(app.find<FileList>("File1")->fileNames(), QStringList{"Veyra_Selectee.csv"});
    QVERIFY(app.module.SelectedListPath.isEmpty());
    app.window().close();
    QCOMPARE(QDir(data.path()).entryList({"Veyra*"}, QDir::Files), QStringList{"Veyra_Selectee.csv"});

    // Gone from the folder, not for good: the history holds it under its own name.
    QCOMPARE(keptVersions(data.path(), "Veyra_No_Fly.csv"), QByteArrayList{"A"});
}

void TestVeyraForm1::deleteFileWithoutAListDoesNothing()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "A");
    RunningApp app(data.path());
    MessageBoxAnswerer answerer;
    app.window().Command4_Click();
    QVERIFY(answerer.texts.isEmpty());
    QCOMPARE(app.find<FileList>("File1")->fileNames(), QStringList{"Veyra_No_Fly.csv"});
}

void TestVeyraForm1::shutDownGivesTheListItsName()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_Selectee.csv"), "B");
    {
        RunningApp app(data.path());
        app.window().File1_Click("Veyra_Selectee.csv");
        app.window().Settings_Click();
        app.window().close();
        QVERIFY(!app.module.existingSettingsWindow());
        QCOMPARE(readFile(data.filePath("Veyra_Selectee.csv")), QByteArray("B"));
        QVERIFY(!QFile::exists(data.filePath("Veyra.csv")));
    }
    QVERIFY(!QFile::exists(data.filePath("WorkingNames.cdb")));
}

// A crash of an earlier version left one list under its working name in the remembered main folder; a forged entry
// names a folder the program never used. Only the first is renamed back.
void TestVeyraForm1::startUpRenamesBackOnlyInTheRememberedFolders()
{
    QTemporaryDir data, root;
    QVERIFY(QDir(root.path()).mkpath("main") && QDir(root.path()).mkpath("flights") &&
            QDir(root.path()).mkpath("home"));
    writeFile(FolderConfig::path(data.path()),
              ("\"" + root.filePath("main") + "\",\"" + root.filePath("flights") + "\",\"\"\r\n").toUtf8());
    writeFile(root.filePath("main/Veyra.csv"), "list");
    writeFile(root.filePath("home/Veyra.csv"), "payload");
    const QString journal = data.filePath(WorkingNames::JournalName);
    writeFile(journal,
              ("\"" + root.filePath("main/Veyra_No_Fly.csv") + "\",\"" + root.filePath("main/Veyra.csv") + "\"\r\n\"" +
               root.filePath("home/.profile") + "\",\"" + root.filePath("home/Veyra.csv") + "\"\r\n")
                  .toUtf8());
    QVERIFY(QFile::setPermissions(journal, QFile::ReadOwner | QFile::WriteOwner));
    RunningApp app(data.path());
    QCOMPARE(readFile(root.filePath("main/Veyra_No_Fly.csv")), QByteArray("list"));
    QVERIFY(!QFile::exists(root.filePath("main/Veyra.csv")));
    QVERIFY(!QFile::exists(root.filePath("home/.profile")));
    QCOMPARE(readFile(root.filePath("home/Veyra.csv")), QByteArray("payload"));
    // Carried out once, and gone: this version writes no journal.
    QVERIFY(!QFile::exists(journal));
}

void TestVeyraForm1::unwritableFolderFileIsReported()
{
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkdir("Defaultcfg.cdb")); // a folder in the file's place: it cannot be written
    writeCompanyInfo(data.path());
    MessageBoxAnswerer answerer;
    RunningApp app(data.path());
    QVERIFY(app.window().isVisible());
    QCOMPARE(answerer.texts.size(), 1);
    QVERIFY(answerer.texts.first().startsWith("The folders could not be remembered"));
    QCOMPARE(app.find<FolderList>("Dir1")->path(), native(data.path()));

    QTemporaryDir other;
    app.find<FolderList>("Dir1")->setPath(other.path());
    QCOMPARE(answerer.texts.size(), 1);
}

VEYRA_TEST(TestVeyraForm1)
#include "TestVeyraForm1.moc"
