#include "TestSupport.h"
#include "platform/files/WorkingNames.h"

#include <QDir>
#include <QTemporaryDir>

#include <unistd.h>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestWorkingNames : public QObject
{
    Q_OBJECT

private slots:
    void recover_data();
    void recover();
    void journalCutShortIsReported();
    void hostileJournal_data();
    void hostileJournal();
};

namespace {
// The journal an earlier version wrote before it renamed a file to its working name.
void writeJournal(const QString &dataFolder, const QString &own, const QString &working)
{
    const QString journal = QDir(dataFolder).filePath(WorkingNames::JournalName);
    writeFile(journal, ("\"" + own + "\",\"" + working + "\"\r\n").toUtf8());
    QFile::setPermissions(journal, QFile::ReadOwner | QFile::WriteOwner);
}
} // namespace

void TestWorkingNames::recover_data()
{
    QTest::addColumn<bool>("renamed");
    QTest::addColumn<bool>("ownNameRetaken");
    QTest::addColumn<QStringList>("filesAfter");

    newRow("crash after the rename: the list gets its name back", true, false, QStringList{"Veyra_No_Fly.csv"});
    newRow("crash before the rename: nothing moves", false, false, QStringList{"Veyra_No_Fly.csv"});
    newRow("own name taken meanwhile: both files survive", true, true,
           QStringList{"Veyra_No_Fly (1).csv", "Veyra_No_Fly.csv"});
}

void TestWorkingNames::recover()
{
    QFETCH(bool, renamed);
    QFETCH(bool, ownNameRetaken);
    QFETCH(QStringList, filesAfter);

    QTemporaryDir data, lists;
    const QString own = lists.filePath("Veyra_No_Fly.csv"), working = lists.filePath("Veyra.csv");
    writeJournal(data.path(), own, working);
    writeFile(renamed ? working : own, "list");
    if (ownNameRetaken)
        writeFile(own, "newer");

    WorkingNames restarted(data.path());
    const WorkingNames::Recovery recovery = restarted.recover({lists.path()});
    QCOMPARE(recovery.restored, renamed ? 1 : 0);
    QCOMPARE(recovery.skipped, QStringList{});

    QCOMPARE(QDir(lists.path()).entryList(QDir::Files, QDir::Name), filesAfter);
    // Carried out once, the journal goes: no version writes one any longer.
    QVERIFY(!QFile::exists(data.filePath(WorkingNames::JournalName)));
    if (ownNameRetaken) {
        QCOMPARE(readFile(lists.filePath("Veyra_No_Fly (1).csv")), QByteArray("list"));
        QCOMPARE(readFile(own), QByteArray("newer"));
    } else {
        QCOMPARE(readFile(own), QByteArray("list"));
    }
}

void TestWorkingNames::journalCutShortIsReported()
{
    QTemporaryDir data, lists;
    writeFile(lists.filePath("Veyra.csv"), "list");
    const QString journal = data.filePath(WorkingNames::JournalName);
    writeFile(journal, ("\"" + lists.filePath("Veyra_A.csv") + "\"\r\n").toUtf8());
    QVERIFY(QFile::setPermissions(journal, QFile::ReadOwner | QFile::WriteOwner));

    WorkingNames restarted(data.path());
    const WorkingNames::Recovery recovery = restarted.recover({lists.path()});
    QCOMPARE(recovery.restored, 0);
    QCOMPARE(recovery.skipped.size(), 1);
    QVERIFY2(recovery.skipped[0].contains("names no working name"), qPrintable(recovery.skipped[0]));
    QCOMPARE(readFile(lists.filePath("Veyra.csv")), QByteArray("list"));
    QVERIFY(!QFile::exists(journal));
}

namespace {
enum class Tamper { None, GroupWritable, OtherWritable, Link, OtherOwner };
}
Q_DECLARE_METATYPE(Tamper)

// A journal is a file like any other: a page's download, another user or a hand edit may have written it. At
// start-up only what the program itself can have done is undone; "target" must never be replaced or created.
void TestWorkingNames::hostileJournal_data()
{
    QTest::addColumn<QString>("own");     // relative to the lists folder
    QTest::addColumn<QString>("working"); // the same
    QTest::addColumn<Tamper>("tamper");
    QTest::addColumn<QString>("reason");

    newRow("a working name the program never uses", "target", "payload.csv", Tamper::None,
           "payload.csv is not a working name of the program");
    newRow("own name in another folder", "../elsewhere/target", "Veyra.csv", Tamper::None,
           "the two names are not two files of one folder");
    newRow("working name in another folder", "target", "other/Veyra.csv", Tamper::None,
           "the two names are not two files of one folder");
    newRow("a folder that is not remembered", "other/target", "other/Manifest.csv", Tamper::None,
           "is neither the remembered main folder nor the manifest folder");
    newRow("the working name renamed onto itself", "Veyra.csv", "Veyra.csv", Tamper::None,
           "the two names are not two files of one folder");
    newRow("journal writable by the group", "target", "Veyra.csv", Tamper::GroupWritable,
           "may be changed by other users");
    newRow("journal writable by anyone", "target", "Veyra.csv", Tamper::OtherWritable, "may be changed by other users");
    newRow("journal is a link", "target", "Veyra.csv", Tamper::Link, "is a link to another file");
    newRow("journal of another user", "target", "Veyra.csv", Tamper::OtherOwner, "belongs to another user");
}

void TestWorkingNames::hostileJournal()
{
    QFETCH(QString, own);
    QFETCH(QString, working);
    QFETCH(Tamper, tamper);
    QFETCH(QString, reason);
    if (tamper == Tamper::OtherOwner && ::geteuid() != 0)
        QSKIP("only the superuser can give a file to another user");

    QTemporaryDir data, root;
    QVERIFY(QDir(root.path()).mkpath("lists/other") && QDir(root.path()).mkpath("elsewhere"));
    const QString lists = root.filePath("lists");
    const QString ownPath = lists + "/" + own, workingPath = lists + "/" + working;
    writeFile(workingPath, "downloaded");
    const QString journalPath = data.filePath(WorkingNames::JournalName);
    const QString journalText = "\"" + ownPath + "\",\"" + workingPath + "\"\r\n";
    if (tamper == Tamper::Link) {
        writeFile(root.filePath("real.cdb"), journalText.toUtf8());
        QVERIFY(QFile::link(root.filePath("real.cdb"), journalPath));
    } else {
        writeFile(journalPath, journalText.toUtf8());
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (tamper == Tamper::GroupWritable)
            permissions |= QFile::WriteGroup;
        if (tamper == Tamper::OtherWritable)
            permissions |= QFile::WriteOther;
        QVERIFY(QFile::setPermissions(journalPath, permissions));
        if (tamper == Tamper::OtherOwner)
            QCOMPARE(::chown(QFile::encodeName(journalPath).constData(), 65534, 65534), 0);
    }

    WorkingNames journal(data.path());
    const WorkingNames::Recovery recovery = journal.recover({lists});

    QCOMPARE(recovery.restored, 0);
    QCOMPARE(recovery.skipped.size(), 1);
    QVERIFY2(recovery.skipped[0].contains(reason), qPrintable(recovery.skipped[0]));
    QVERIFY2(recovery.skipped[0].contains(QDir::toNativeSeparators(workingPath)), qPrintable(recovery.skipped[0]));
    QCOMPARE(readFile(workingPath), QByteArray("downloaded"));
    if (ownPath != workingPath)
        QVERIFY(!QFile::exists(ownPath));
    // A skipped entry is not tried again at every start.
    QVERIFY(journal.entries().isEmpty());
}

VEYRA_TEST(TestWorkingNames)
#include "TestWorkingNames.moc"
