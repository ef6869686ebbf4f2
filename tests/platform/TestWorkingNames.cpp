#include "TestSupport.h"
#include "platform/WorkingNames.h"

#include <QDir>
#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestWorkingNames : public QObject
{
    Q_OBJECT

private slots:
    void takeAndGiveBackLeaveNoJournal();
    void recover_data();
    void recover();
    void giveBackNeverOverwritesAnotherFile();
    void takingAMissingFileRecordsNothing();
};

void TestWorkingNames::takeAndGiveBackLeaveNoJournal()
{
    QTemporaryDir data, lists;
    const QString own = lists.filePath("Veyra_No_Fly.csv"), working = lists.filePath("Veyra.csv");
    writeFile(own, "list");
    WorkingNames journal(data.path());

    QVERIFY(journal.take(own, working, nullptr));
    QVERIFY(!QFile::exists(own));
    QCOMPARE(readFile(working), QByteArray("list"));
    QCOMPARE(journal.entries().size(), 1);

    QVERIFY(journal.giveBack(own, working, nullptr));
    QCOMPARE(readFile(own), QByteArray("list"));
    QVERIFY(!QFile::exists(working));
    QVERIFY(!QFile::exists(data.filePath(WorkingNames::JournalName)));
}

void TestWorkingNames::recover_data()
{
    QTest::addColumn<bool>("renamed");
    QTest::addColumn<bool>("ownNameRetaken");
    QTest::addColumn<QStringList>("filesAfter");

    QTest::newRow("crash after the rename: the list gets its name back")
        << true << false << QStringList{"Veyra_No_Fly.csv"};
    QTest::newRow("crash before the rename: nothing moves") << false << false << QStringList{"Veyra_No_Fly.csv"};
    QTest::newRow("own name taken meanwhile: both files survive")
        << true << true << QStringList{"Veyra_No_Fly (1).csv", "Veyra_No_Fly.csv"};
}

void TestWorkingNames::recover()
{
    QFETCH(bool, renamed);
    QFETCH(bool, ownNameRetaken);
    QFETCH(QStringList, filesAfter);

    QTemporaryDir data, lists;
    const QString own = lists.filePath("Veyra_No_Fly.csv"), working = lists.filePath("Veyra.csv");
    writeFile(own, "list");
    {
        WorkingNames crashed(data.path());
        QVERIFY(crashed.take(own, working, nullptr));
        if (!renamed)
            QVERIFY(QFile::rename(working, own));
        if (ownNameRetaken)
            writeFile(own, "newer");
    }
    WorkingNames restarted(data.path());
    restarted.recover();

    QCOMPARE(QDir(lists.path()).entryList(QDir::Files, QDir::Name), filesAfter);
    QVERIFY(restarted.entries().isEmpty());
    if (ownNameRetaken)
        QCOMPARE(readFile(lists.filePath("Veyra_No_Fly (1).csv")), QByteArray("list"));
    else
        QCOMPARE(readFile(own), QByteArray("list"));
}

void TestWorkingNames::giveBackNeverOverwritesAnotherFile()
{
    QTemporaryDir data, lists;
    const QString own = lists.filePath("Veyra_A.csv"), working = lists.filePath("Veyra.csv");
    writeFile(own, "old");
    WorkingNames journal(data.path());
    QVERIFY(journal.take(own, working, nullptr));
    writeFile(own, "downloaded");

    QString restoredPath;
    QVERIFY(journal.giveBack(own, working, nullptr, &restoredPath));
    QCOMPARE(QFileInfo(restoredPath).fileName(), QStringLiteral("Veyra_A (1).csv"));
    QCOMPARE(readFile(restoredPath), QByteArray("old"));
    QCOMPARE(readFile(own), QByteArray("downloaded"));
}

void TestWorkingNames::takingAMissingFileRecordsNothing()
{
    QTemporaryDir data, lists;
    WorkingNames journal(data.path());
    QString error;
    QVERIFY(!journal.take(lists.filePath("Veyra_Gone.csv"), lists.filePath("Veyra.csv"), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(journal.entries().isEmpty());
}

VEYRA_TEST(TestWorkingNames)
#include "TestWorkingNames.moc"
