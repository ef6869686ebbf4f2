#include "TestSupport.h"
#include "browser/DownloadName.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using TestSupport::writeFile;

class TestDownloadName : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
};

void TestDownloadName::choose_data()
{
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QStringList>("present"); // files in the download folder already
    QTest::addColumn<bool>("dataFolder");     // the download folder is the program's data folder
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("notice");

    const QString usedName = "is a name VeyraCheck uses";
    newRow("a new list keeps its name", "Veyra_No_Fly_0612.csv", QStringList{}, false, "Veyra_No_Fly_0612.csv", "");
    newRow("an existing list is never overwritten", "Veyra_No_Fly.csv", QStringList{"Veyra_No_Fly.csv"}, false,
           "Veyra_No_Fly (1).csv", "is there already");
    newRow("the working-names journal", "WorkingNames.cdb", QStringList{}, false, "WorkingNames.cdb.download",
           usedName);
    newRow("any .cdb, in any case", "CIINFO.CDB", QStringList{}, false, "CIINFO.CDB.download", usedName);
    newRow("the active list's working name", "Veyra.csv", QStringList{}, false, "Veyra.csv.download", usedName);
    newRow("the manifest's working name", "manifest.csv", QStringList{}, false, "manifest.csv.download", usedName);
    newRow("a saved manifest", "Manifest-AB123", QStringList{}, false, "Manifest-AB123.download", usedName);
    newRow("a name-list slot", "Passenger-4", QStringList{}, false, "Passenger-4.download", usedName);
    newRow("not a slot: only 1 to 4 exist", "Crew-5", QStringList{}, false, "Crew-5", "");
    newRow("a footer", "Footer2.txt", QStringList{}, false, "Footer2.txt.download", usedName);
    newRow("the screening record", "ScreeningRecord.jsonl", QStringList{}, true, "ScreeningRecord.jsonl.download",
           usedName);
    newRow("the history folder's name, in any case", "history", QStringList{}, true, "history.download", usedName);
    newRow("the .download name taken too is numbered", "Veyra.csv", QStringList{"Veyra.csv.download"}, false,
           "Veyra.csv (1).download", usedName);
    newRow("a printout's name in the data folder", "SearchLog-20261206-101500.pdf", QStringList{}, true,
           "SearchLog-20261206-101500.pdf.download", usedName);
    newRow("the same name elsewhere is free", "SearchLog-20261206-101500.pdf", QStringList{}, false,
           "SearchLog-20261206-101500.pdf", "");
    newRow("a path is cut to its last part", "../../.bash_profile", QStringList{}, false, "bash_profile",
           "The page offered the name");
    newRow("a Windows path too", "..\\..\\Defaultcfg.cdb", QStringList{}, false, "Defaultcfg.cdb.download", usedName);
    newRow("dots alone become a plain name", "..", QStringList{}, false, "download", "The page offered the name");
    newRow("a line break cannot hide a name", "Veyra.csv\n", QStringList{}, false, "Veyra.csv_",
           "The page offered the name");
}

void TestDownloadName::choose()
{
    QFETCH(QString, offered);
    QFETCH(QStringList, present);
    QFETCH(bool, dataFolder);
    QFETCH(QString, saved);
    QFETCH(QString, notice);
    QTemporaryDir data, lists;
    const QString folder = dataFolder ? data.path() : lists.path();
    for (const QString &name : present)
        writeFile(folder + "/" + name, "old");

    const DownloadName::Choice choice = DownloadName::choose(offered, folder, data.path());
    QCOMPARE(QFileInfo(choice.path).fileName(), saved);
    QCOMPARE(QFileInfo(choice.path).absolutePath(), QFileInfo(folder).absoluteFilePath());
    if (notice.isEmpty()) {
        QCOMPARE(choice.notice, QString());
    } else {
        QVERIFY2(choice.notice.contains(notice), qPrintable(choice.notice));
        QVERIFY2(choice.notice.contains("\"" + saved + "\""), qPrintable(choice.notice));
    }
}

VEYRA_TEST(TestDownloadName)
#include "TestDownloadName.moc"
