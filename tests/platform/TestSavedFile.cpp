#include "TestSupport.h"
#include "platform/files/SavedFile.h"
#include "support/RecordingSteps.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

using TestSupport::FileSizeLimit;
using TestSupport::readFile;
using TestSupport::writeFile;

class TestSavedFile : public QObject
{
    Q_OBJECT

private slots:
    void replace_data();
    void replace();
    void missingFolderIsNamed();
    void stepsInOrder_data();
    void stepsInOrder();
    void modeIsKeptOrOwnerOnly();
    void linkWrittenThroughOrReplaced_data();
    void linkWrittenThroughOrReplaced();
    void leftoversOfEndedSavesGo();
};

void TestSavedFile::replace_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("cause");

    newRow("fits: the file is replaced", 4000, QString());
    newRow("exactly at the limit still fits", 4096, QString());
    // Past the limit the kernel writes a part and refuses the rest: the part must never become the file.
    newRow("one byte too many keeps the old file", 4097, "File too large");
    newRow("far too big keeps the old file", 100000, "File too large");
}

void TestSavedFile::replace()
{
    QFETCH(int, size);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString path = dir.filePath("Manifest-7.csv");
    writeFile(path, "old contents");
    const QByteArray bytes(size, 'x');

    QString error;
    bool saved = false;
    {
        FileSizeLimit limit(4096);
        saved = SavedFile::replace(path, bytes, &error);
    }
    QCOMPARE(saved, cause.isEmpty());
    QCOMPARE(error, cause);
    QCOMPARE(readFile(path), cause.isEmpty() ? bytes : QByteArray("old contents"));
    // No half-written temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Manifest-7.csv"});
}

void TestSavedFile::missingFolderIsNamed()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!SavedFile::replace(dir.filePath("gone/Crew-1"), "x", &error));
    QCOMPARE(error, "No such file or directory");
}

void TestSavedFile::stepsInOrder_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QStringList>("steps");

    const QStringList whole{"create T", "write T", "sync T", "close T", "rename T Crew-1", "sync folder lists"};
    newRow("a new file: synced, named, then its folder synced", false, "", true, whole);
    newRow("over a file: replaced in one rename", true, "", true, whole);
    newRow("bytes that cannot reach the disk are never named", true, "sync T", false,
           QStringList{"create T", "write T", "sync T", "close T", "remove T"});
    newRow("a rename that fails leaves no temporary file", true, "rename T Crew-1", false,
           QStringList{"create T", "write T", "sync T", "close T", "rename T Crew-1", "remove T"});
    // Some network file systems cannot sync a folder: the file is saved all the same.
    newRow("a folder that cannot be synced", true, "sync folder lists", true, whole);
}

void TestSavedFile::stepsInOrder()
{
    QFETCH(bool, existing);
    QFETCH(QString, failing);
    QFETCH(bool, saved);
    QFETCH(QStringList, steps);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("lists"));
    const QString path = dir.filePath("lists/Crew-1");
    if (existing)
        writeFile(path, "old");
    RecordingSteps recorder;
    recorder.failing = failing;

    QString error;
    QCOMPARE(SavedFile::replace(path, "\"SMITH\",\"JOHN\",\"\",\"\"\r\n", &error, false, recorder), saved);
    QCOMPARE(recorder.steps, steps);
    QCOMPARE(error, saved ? QString() : recorder.failure);
    QCOMPARE(readFile(path),
             saved ? QByteArray("\"SMITH\",\"JOHN\",\"\",\"\"\r\n") : QByteArray(existing ? "old" : ""));
    QCOMPARE(QDir(dir.filePath("lists")).entryList(QDir::Files | QDir::Hidden),
             saved || existing ? QStringList{"Crew-1"} : QStringList{});
}

void TestSavedFile::modeIsKeptOrOwnerOnly()
{
    QTemporaryDir dir;
    const QString shared = dir.filePath("Manifest-7"), secret = dir.filePath("CIinfo.cdb");
    writeFile(shared, "old");
    QVERIFY(QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QString error;
    QVERIFY(SavedFile::replace(shared, "new", &error));
    QVERIFY(SavedFile::replace(secret, "password", &error, true));
    QCOMPARE(QFile::permissions(shared) & 0x0777, QFileDevice::Permissions(0x0640));
    QCOMPARE(QFile::permissions(secret) & 0x0777, QFileDevice::Permissions(0x0600));
}

void TestSavedFile::linkWrittenThroughOrReplaced_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<QByteArray>("named"); // the file the link named, afterwards
    QTest::addColumn<bool>("stillALink");  // whether the saved name is still a link
    newRow("written through, as saves always were", true, QByteArray("new"), true);
    newRow("replaced: what it named is left alone", false, QByteArray("elsewhere"), false);
}

void TestSavedFile::linkWrittenThroughOrReplaced()
{
    QFETCH(bool, throughLink);
    QFETCH(QByteArray, named);
    QFETCH(bool, stillALink);
    QTemporaryDir dir, other;
    writeFile(other.filePath("record"), "elsewhere");
    QVERIFY(QFile::setPermissions(other.filePath("record"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    QVERIFY(QFile::link(other.filePath("record"), dir.filePath("Crew-1")));
    QString error;
    QVERIFY2(SavedFile::replace(dir.filePath("Crew-1"), "new", &error, false, FileSteps::system(), throughLink),
             qPrintable(error));
    QCOMPARE(readFile(other.filePath("record")), named);
    QCOMPARE(readFile(dir.filePath("Crew-1")), QByteArray("new"));
    QCOMPARE(QFileInfo(dir.filePath("Crew-1")).isSymLink(), stillALink);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"Crew-1"});
}

// What a save a crash cut short left beside its file goes at the next start; a save still running, or another
// machine's recent one, is left alone.
void TestSavedFile::leftoversOfEndedSavesGo()
{
    QTemporaryDir dir;
    QProcess ended;
    ended.start("true", {});
    QVERIFY(ended.waitForStarted(10000));
    const qint64 endedPid = ended.processId();
    QVERIFY(ended.waitForFinished(10000));
    const QString host = TestSupport::machineTag();
    const QString endedSave = QStringLiteral(".veyra-saving.%1.%2.abcdefgh.Crew-1").arg(host).arg(endedPid);
    const QString runningSave =
        QStringLiteral(".veyra-saving.%1.%2.abcdefgh.Crew-2").arg(host).arg(QCoreApplication::applicationPid());
    const QString recentElsewhere = ".veyra-saving.desk-9.4242.abcdefgh.Crew-3";
    const QString oldElsewhere = ".veyra-saving.desk-9.4243.abcdefgh.Crew-4";
    for (const QString &name : {endedSave, runningSave, recentElsewhere, oldElsewhere, QString(".profile"),
                                QString("Crew-1"), QString(".veyra-saving.notes")})
        writeFile(dir.filePath(name), "x");
    // A link named as a save, to an old file: not a save of ours, so left alone.
    const QString link = ".veyra-saving.desk-9.4244.abcdefgh.Crew-5";
    writeFile(dir.filePath("old-notes"), "x");
    QVERIFY(QFile::link(dir.filePath("old-notes"), dir.filePath(link)));
    for (const QString &name : {oldElsewhere, QString("old-notes")}) {
        QFile old(dir.filePath(name));
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
    }

    QStringList removed = SavedFile::removeLeftovers(dir.path());
    QStringList expected{QDir::toNativeSeparators(dir.filePath(endedSave)),
                         QDir::toNativeSeparators(dir.filePath(oldElsewhere))};
    removed.sort();
    expected.sort();
    QCOMPARE(removed, expected);
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QStringList kept{".profile", runningSave, recentElsewhere, ".veyra-saving.notes", "Crew-1", link, "old-notes"};
    left.sort();
    kept.sort();
    QCOMPARE(left, kept);
}

VEYRA_TEST(TestSavedFile)
#include "TestSavedFile.moc"
