#include "RunningApp.h"
#include "TestSupport.h"
#include "audit/FileHistory.h"
#include "audit/ScreeningRecord.h"
#include "manifest/VeyraManifest.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/TextBox.h"
#include "settings/CompanyInfoFile.h"
#include "settings/VeyraSettings.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QJsonObject>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

using TestSupport::MessageBoxAnswerer;
using TestSupport::readFile;
using TestSupport::writeFile;

// Two copies of the program on one shared list folder and one shared manifest folder, each with a data folder of
// its own (or, for the settings, one data folder started twice), played step by step as two operators would.
class TestTwoOperators : public QObject
{
    Q_OBJECT

private slots:
    void twoListsInOneFolder();
    void twoManifestsInOneFolder();
    void savingOverTheOthersChange_data();
    void savingOverTheOthersChange();
};

namespace {

const QByteArray Header = TestSupport::ListHeader;
const QByteArray NoFly = Header + "11,,SMITH,JOHN,,P,1/2/1960,,,,\r\n";
const QByteArray Cleared = Header + "21,YES,DOE,JANE,,P,3/4/1970,,,,\r\n";
const QByteArray Person100 = "\"ANNA A\",\"F\",\"PA\",\"\",\"1/1/1970\",\"CLEARED\"\r\n";
const QByteArray Person200 = "\"BORIS B\",\"M\",\"PB\",\"\",\"2/2/1980\",\"NO FLY\"\r\n";

// Every file of a folder, hidden ones too, with its bytes.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, readFile(QDir(folder).filePath(name)));
    return files;
}

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// One copy of the program, started on its own data folder (or a given one) whose remembered folders are the
// shared ones.
struct Operator
{
    Operator(const QString &lists, const QString &manifests, const QString &sharedData = {})
    {
        const QString data = sharedData.isEmpty() ? own.path() : sharedData;
        // Without company information start-up falls back to the data folder: each copy has its own.
        if (!QFile::exists(CompanyInfoFile::path(data))) {
            CompanyInfo info;
            info.companyName = "ACME";
            info.emailAddress = "desk@example.test";
            info.smtpServer = "mail.example.test";
            info.smtpPort = 465;
            CompanyInfoFile::write(data, info, nullptr);
        }
        writeFile(QDir(data).filePath("Defaultcfg.cdb"),
                  QStringLiteral("\"%1\",\"%2\",\"\"\r\n")
                      .arg(QDir::toNativeSeparators(lists), QDir::toNativeSeparators(manifests))
                      .toUtf8());
        app = std::make_unique<RunningApp>(data);
    }

    VeyraManifest &manifest() { return app->module.manifestWindow(); }
    FlexGrid *manifestGrid() { return manifest().findChild<FlexGrid *>("MSFlexGrid1"); }
    TextBox *row(int field, int index) { return app->find<TextBox>(QStringLiteral("Text%1_%2").arg(field).arg(index)); }
    void search(const QString &lastName, const QString &firstName)
    {
        row(1, 0)->setText(lastName);
        row(2, 0)->setText(firstName);
        QTest::mouseClick(app->find<QPushButton>("Command1"), Qt::LeftButton);
    }
    // The screening record's last line.
    QJsonObject lastRecorded()
    {
        QJsonObject last;
        ScreeningRecord(app->module.DataFolder).read([&](qint64, const QJsonObject &line) { last = line; }, nullptr);
        return last;
    }

    QTemporaryDir own;
    std::unique_ptr<RunningApp> app;
};

} // namespace

// A selects the No-Fly list, B the Cleared list in the same folder; each search runs against its own window's
// list, the record names that list's bytes, and the folder ends as it began.
void TestTwoOperators::twoListsInOneFolder()
{
    QTemporaryDir lists, manifests;
    writeFile(lists.filePath("Veyra_No_Fly_X.csv"), NoFly);
    writeFile(lists.filePath("Veyra_Cleared_X.csv"), Cleared);
    const QMap<QString, QByteArray> before = snapshot(lists.path());
    Operator a(lists.path(), manifests.path()), b(lists.path(), manifests.path());

    MessageBoxAnswerer boxes;
    a.app->window().File1_Click("Veyra_No_Fly_X.csv");
    b.app->window().File1_Click("Veyra_Cleared_X.csv");
    QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join('|')));
    a.search("smith", "john");
    b.search("smith", "john");

    QCOMPARE(a.row(1, 0)->foreColor(), QColor(255, 0, 0));
    QCOMPARE(a.app->find<FlexGrid>("MSFlexGrid1")->textMatrix(1, 0), QString("11"));
    QCOMPARE(a.lastRecorded()["match"].toString(), QString("match"));
    QCOMPARE(a.lastRecorded()["list"].toString(), QString("Veyra_No_Fly_X.csv"));
    QCOMPARE(a.lastRecorded()["listSha256"].toString(), QString::fromLatin1(sha256(NoFly)));
    QCOMPARE(b.row(1, 0)->foreColor(), QColor(0, 0, 0));
    QCOMPARE(b.lastRecorded()["match"].toString(), QString("no match"));
    QCOMPARE(b.lastRecorded()["listSha256"].toString(), QString::fromLatin1(sha256(Cleared)));

    a.app->window().close();
    b.app->window().close();
    QCOMPARE(snapshot(lists.path()), before);
    QVERIFY(!QDir(a.own.filePath("History")).exists());
    QVERIFY(!QDir(b.own.filePath("History")).exists());
}

// A opens Manifest-100, B opens Manifest-200 in the same folder; each save changes its own file only.
void TestTwoOperators::twoManifestsInOneFolder()
{
    QTemporaryDir lists, manifests;
    writeFile(manifests.filePath("Manifest-100"), Person100);
    writeFile(manifests.filePath("Manifest-200"), Person200);
    Operator a(lists.path(), manifests.path()), b(lists.path(), manifests.path());

    a.manifest().File1_Click("Manifest-100");
    b.manifest().File1_Click("Manifest-200");
    a.manifestGrid()->setTextMatrix(2, 1, "CARL C");
    MessageBoxAnswerer boxes;
    a.manifest().Command1_Click();
    QCOMPARE(boxes.texts, QStringList{});

    QMap<QString, QByteArray> expected{{"Manifest-100", Person100 + "\"CARL C\",\"\",\"\",\"\",\"\",\"\"\r\n"},
                                       {"Manifest-200", Person200}};
    QCOMPARE(snapshot(manifests.path()), expected);
    b.manifest().Command1_Click();
    a.manifest().Form_Unload();
    b.manifest().Form_Unload();
    QCOMPARE(snapshot(manifests.path()), expected);
    // A's history holds A's own manifest as it was; B's, nothing: B saved what was there.
    const QList<FileHistory::Item> keptByA = FileHistory(a.own.path()).items();
    QCOMPARE(keptByA.size(), 1);
    QVERIFY2(keptByA[0].id.endsWith("-Manifest-100"), qPrintable(keptByA[0].id));
    QCOMPARE(FileHistory(b.own.path()).items().size(), 0);
}

void TestTwoOperators::savingOverTheOthersChange_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("yes");
    newRow("a manifest, No: both versions stay as they were", "manifest", false);
    newRow("a manifest, Yes: saved, theirs in the history", "manifest", true);
    newRow("a name-list slot, No", "names", false);
    newRow("a name-list slot, Yes", "names", true);
    newRow("the company settings, No", "settings", false);
    newRow("the company settings, Yes", "settings", true);
}

// A and B read the same file; B saves first, then A saves: A is asked before B's version is overwritten.
void TestTwoOperators::savingOverTheOthersChange()
{
    QFETCH(QString, kind);
    QFETCH(bool, yes);
    QTemporaryDir lists, manifests, sharedData;
    writeFile(manifests.filePath("Manifest-100"), Person100);
    writeFile(manifests.filePath("Crew-1"), "\"LAKE\",\"ANN\",\"\",\"\"\r\n");
    // The settings live in the data folder: those two copies are one operator's program started twice.
    const QString data = kind == "settings" ? sharedData.path() : QString();
    Operator a(lists.path(), manifests.path(), data), b(lists.path(), manifests.path(), data);

    QString fileName, path;
    std::function<void(Operator &, const QString &)> save;
    if (kind == "manifest") {
        fileName = "Manifest-100";
        path = manifests.filePath(fileName);
        a.manifest().File1_Click(fileName);
        b.manifest().File1_Click(fileName);
        save = [](Operator &o, const QString &name) {
            o.manifestGrid()->setTextMatrix(1, 1, name);
            o.manifest().Command1_Click();
        };
    } else if (kind == "names") {
        fileName = "Crew-1";
        path = manifests.filePath(fileName);
        a.app->find<QAction>("importcrew_1")->trigger();
        b.app->find<QAction>("importcrew_1")->trigger();
        save = [](Operator &o, const QString &name) {
            o.row(1, 0)->setText(name);
            o.app->find<QAction>("Crew_1")->trigger();
        };
    } else {
        fileName = "CIinfo.cdb";
        path = QDir(sharedData.path()).filePath(fileName);
        save = [](Operator &o, const QString &name) {
            VeyraSettings &settings = o.app->module.settingsWindow();
            settings.findChild<TextBox *>("Settings_0")->setText(name);
            QTest::mouseClick(settings.findChild<QPushButton *>("Command1"), Qt::LeftButton);
        };
    }

    MessageBoxAnswerer boxes;
    boxes.answer = yes ? QMessageBox::Yes : QMessageBox::No;
    save(b, "BERT");
    QVERIFY2(boxes.texts.isEmpty(), qPrintable(boxes.texts.join('|'))); // B's copy was as B read it
    const QByteArray theirs = readFile(path);
    QVERIFY(theirs.contains("BERT"));
    const int keptBefore = FileHistory(a.app->module.DataFolder).items().size();

    save(a, "ALMA");
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].startsWith(fileName + " was changed by someone else at "), qPrintable(boxes.texts[0]));
    QVERIFY2(boxes.texts[0].endsWith(" since you opened it. Save over it? Their version will be kept in the history."),
             qPrintable(boxes.texts[0]));
    const QList<FileHistory::Item> kept = FileHistory(a.app->module.DataFolder).items();
    if (!yes) {
        QCOMPARE(readFile(path), theirs);
        QCOMPARE(kept.size(), keptBefore);
        return;
    }
    QVERIFY(readFile(path).contains("ALMA"));
    QCOMPARE(kept.size(), keptBefore + 1);
    QCOMPARE(readFile(QDir(a.app->module.DataFolder).filePath("History/" + kept.last().id)), theirs);
    // Saved once more without a change by anyone else: no question.
    save(a, "ALMA2");
    QCOMPARE(boxes.texts.size(), 1);
}

VEYRA_TEST(TestTwoOperators)
#include "TestTwoOperators.moc"
