#include "TestSupport.h"
#include "audit/FileHistory.h"
#include "support/RecordingSteps.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestFileHistory : public QObject
{
    Q_OBJECT

private slots:
    void overwrittenFileIsKept_data();
    void overwrittenFileIsKept();
    void deletedFileIsMovedAndRestored();
    void restoreKeepsWhatIsThere();
    void restoreRefusals_data();
    void restoreRefusals();
    void linksInTheHistoryAreLeftAlone();
    void aLinkWhereAnItemGoesIsReplaced();
    void restoredFilesAreNoWiderThanTheProgramMakesThem_data();
    void restoredFilesAreNoWiderThanTheProgramMakesThem();
    void sameMomentTwiceKeepsBoth();
    void pruneKeepsTheLastDays_data();
    void pruneKeepsTheLastDays();
    void keptForTheOwnerAlone();
    void keepingStepsInOrder_data();
    void keepingStepsInOrder();
};

namespace {

const QDateTime Noon(QDate(2026, 12, 6), QTime(12, 0, 1, 250));

FileHistory at(const QString &dataFolder, const QDateTime &now)
{
    FileHistory history(dataFolder);
    history.setClock([now] { return now; });
    return history;
}

} // namespace

void TestFileHistory::overwrittenFileIsKept_data()
{
    QTest::addColumn<QByteArray>("before"); // empty: no file there
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("kept");
    newRow("new contents over old", QByteArray("\"SMITH\",\"JOHN\"\r\n"), QByteArray("\"LAKE\"\r\n"), true);
    newRow("the same bytes again keep nothing", QByteArray("\"SMITH\"\r\n"), QByteArray("\"SMITH\"\r\n"), false);
    newRow("no file before", QByteArray(), QByteArray("\"LAKE\"\r\n"), false);
    newRow("an empty file over a full one", QByteArray("\"SMITH\"\r\n"), QByteArray(), true);
}

void TestFileHistory::overwrittenFileIsKept()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(bool, kept);
    QTemporaryDir data, lists;
    const QString path = lists.filePath("Crew-1");
    if (!before.isEmpty())
        writeFile(path, before);
    const FileHistory history = at(data.path(), Noon);
    QString error;
    QVERIFY2(history.keepCopy(path, after, &error), qPrintable(error));
    const QList<FileHistory::Item> items = history.items();
    QCOMPARE(items.size(), kept ? 1 : 0);
    if (!kept)
        return;
    QCOMPARE(items[0].id, QString("2026-12-06/120001.250-Crew-1"));
    QCOMPARE(items[0].origin, QDir::toNativeSeparators(path));
    QCOMPARE(items[0].reason, QString("overwritten"));
    QCOMPARE(items[0].size, qint64(before.size()));
    QCOMPARE(readFile(data.filePath("History/2026-12-06/120001.250-Crew-1")), before);
}

void TestFileHistory::deletedFileIsMovedAndRestored()
{
    QTemporaryDir data, lists;
    const QString working = lists.filePath("Veyra.csv");
    const QString own = lists.filePath("Veyra_No_Fly_1205.csv");
    writeFile(working, "SID,LASTNAME\r\n1,SMITH\r\n");
    FileHistory history = at(data.path(), Noon);
    history.setProgramFolders({lists.path()});
    QString error;
    QVERIFY2(history.keepInsteadOfDeleting(working, &error, own), qPrintable(error));
    QVERIFY(!QFileInfo::exists(working));
    const QList<FileHistory::Item> items = history.items();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items[0].id, QString("2026-12-06/120001.250-Veyra_No_Fly_1205.csv"));
    QCOMPARE(items[0].reason, QString("deleted"));

    QString restoredTo;
    QVERIFY2(history.restore(items[0].id, {}, &restoredTo, &error), qPrintable(error));
    QCOMPARE(restoredTo, QDir::toNativeSeparators(own));
    QCOMPARE(readFile(own), QByteArray("SID,LASTNAME\r\n1,SMITH\r\n"));
    // A missing file is nothing to keep.
    QVERIFY(history.keepInsteadOfDeleting(working, &error));
    QCOMPARE(history.items().size(), 1);
}

void TestFileHistory::restoreKeepsWhatIsThere()
{
    QTemporaryDir data, lists;
    const QString path = lists.filePath("CIinfo.cdb");
    writeFile(path, "first");
    QString error;
    QVERIFY(at(data.path(), Noon).keepCopy(path, "second", &error));
    writeFile(path, "second");
    FileHistory later = at(data.path(), Noon.addSecs(60));
    later.setProgramFolders({lists.path()});
    QVERIFY2(later.restore("2026-12-06/120001.250-CIinfo.cdb", {}, nullptr, &error), qPrintable(error));
    QCOMPARE(readFile(path), QByteArray("first"));
    const QList<FileHistory::Item> items = FileHistory(data.path()).items();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[1].id, QString("2026-12-06/120101.250-CIinfo.cdb"));
    QCOMPARE(items[1].reason, QString("replaced by a restore"));
    QCOMPARE(readFile(data.filePath("History/" + items[1].id)), QByteArray("second"));

    // Restored elsewhere on request, the original left alone.
    const QString elsewhere = lists.filePath("CIinfo-old.cdb");
    QVERIFY(FileHistory(data.path()).restore(items[1].id, elsewhere, nullptr, &error));
    QCOMPARE(readFile(elsewhere), QByteArray("second"));
    QCOMPARE(readFile(path), QByteArray("first"));
}

void TestFileHistory::restoreRefusals_data()
{
    // target: a name in the data folder, "lists/" a name in the lists' folder, an absolute path, or empty for the
    // item's origin. Every row plants the screening record and a file outside every folder of the program, and
    // neither may change.
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    const QString item = "2026-12-06/120001.250-Crew-1";
    newRow("an unknown item", "2026-12-06/000000.000-Crew-9", "lists/Crew-1", "There is no item");
    newRow("a path that climbs out", "../../etc/passwd", "lists/Crew-1", "There is no item");
    newRow("a folder that is gone", item, "/nonexistent-veyra-folder/Crew-1", "does not exist");
    newRow("never over the screening record", item, "ScreeningRecord.jsonl", "screening record");
    newRow("a link named innocently, to the record", item, "innocent-name", "is a link");
    newRow("a link to the record from another folder", item, "lists/innocent-name", "is a link");
    newRow("the record through a linked folder", item, "lists/data/ScreeningRecord.jsonl", "screening record");
    newRow("an origin in no folder of the program", item, "", "name the file to restore it to");
    newRow("a forged origin, the record", "2026-12-06/120001.250-forged", "", "screening record");
    newRow("an item that is a link", "2026-12-06/120001.250-hostname", "lists/restored", "is a link");
    newRow("a day that is a link", "2000-01-01/120001.250-hostname", "lists/restored", "is a link");
}

void TestFileHistory::restoreRefusals()
{
    QFETCH(QString, id);
    QFETCH(QString, target);
    QFETCH(QString, message);
    QTemporaryDir data, lists, outside;
    writeFile(lists.filePath("Crew-1"), "old");
    QString error;
    QVERIFY(at(data.path(), Noon).keepCopy(lists.filePath("Crew-1"), "new", &error));
    const QString record = data.filePath("ScreeningRecord.jsonl");
    writeFile(record, "{\"seq\":1}\n");
    writeFile(outside.filePath("hostname"), "secret");
    // What an attacker who can write the folders plants.
    QVERIFY(QFile::link(record, data.filePath("innocent-name")));
    QVERIFY(QFile::link(record, lists.filePath("innocent-name")));
    QVERIFY(QFile::link(data.path(), lists.filePath("data")));
    QVERIFY(QFile::link(outside.filePath("hostname"), data.filePath("History/2026-12-06/120001.250-hostname")));
    QVERIFY(QFile::link(outside.path(), data.filePath("History/2000-01-01")));
    writeFile(outside.filePath("120001.250-hostname"), "secret");
    writeFile(data.filePath("History/2026-12-06/120001.250-forged"), "forged");
    QFile index(data.filePath("History/2026-12-06/index.jsonl"));
    QVERIFY(index.open(QIODevice::Append));
    index.write("{\"item\":\"120001.250-forged\",\"origin\":\"" + record.toUtf8() +
                "\"}\n{\"item\":\"120001.250-hostname\",\"origin\":\"" + lists.filePath("x").toUtf8() + "\"}\n");
    index.close();

    QString destination = target;
    if (target.startsWith("lists/"))
        destination = lists.filePath(target.mid(6));
    else if (!target.isEmpty() && !target.startsWith('/'))
        destination = data.filePath(target);
    FileHistory history(data.path());
    QVERIFY(!history.restore(id, destination, nullptr, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(readFile(record), QByteArray("{\"seq\":1}\n"));
    QVERIFY(QFileInfo(data.filePath("innocent-name")).isSymLink());
    QCOMPARE(readFile(outside.filePath("hostname")), QByteArray("secret"));
    QVERIFY(!QFileInfo::exists(lists.filePath("restored")));
    QCOMPARE(readFile(lists.filePath("Crew-1")), QByteArray("old"));
}

void TestFileHistory::linksInTheHistoryAreLeftAlone()
{
    QTemporaryDir data, lists, outside;
    writeFile(outside.filePath("keep-me.csv"), "SID\r\n1\r\n");
    QVERIFY(QDir(outside.path()).mkdir("sub"));
    writeFile(outside.filePath("sub/deeper.csv"), "SID\r\n2\r\n");
    writeFile(lists.filePath("Crew-1"), "old");
    QString error;
    QVERIFY(at(data.path(), QDateTime(QDate(2026, 8, 1), QTime(8, 0))).keepCopy(lists.filePath("Crew-1"), "x", &error));
    // An old day that is a link, and an old day that holds one beside a real item.
    QVERIFY(QFile::link(outside.path(), data.filePath("History/2000-01-01")));
    QVERIFY(QFile::link(outside.filePath("keep-me.csv"), data.filePath("History/2026-08-01/080000.000-linked")));

    QStringList listed;
    const QList<FileHistory::Item> items = FileHistory(data.path()).items(&listed);
    QCOMPARE(items.size(), 1);
    QCOMPARE(items[0].id, QString("2026-08-01/080000.000-Crew-1"));
    QCOMPARE(listed,
             (QStringList{data.filePath("History/2000-01-01"), data.filePath("History/2026-08-01/080000.000-linked")}));

    QStringList pruned;
    QCOMPARE(at(data.path(), Noon).prune(90, &error, &pruned), 1);
    QCOMPARE(pruned, listed);
    QCOMPARE(readFile(outside.filePath("keep-me.csv")), QByteArray("SID\r\n1\r\n"));
    QCOMPARE(readFile(outside.filePath("sub/deeper.csv")), QByteArray("SID\r\n2\r\n"));
    QVERIFY(QFileInfo(data.filePath("History/2000-01-01")).isSymLink());
    QVERIFY(QFileInfo(data.filePath("History/2026-08-01/080000.000-linked")).isSymLink());
    QVERIFY(!QFileInfo::exists(data.filePath("History/2026-08-01/080000.000-Crew-1")));

    // Nothing is kept through a day's folder that is a link.
    QVERIFY(QFile::link(outside.path(), data.filePath("History/2026-12-06")));
    QVERIFY(!at(data.path(), Noon).keepCopy(lists.filePath("Crew-1"), "new", &error));
    QVERIFY2(error.contains("is a link"), qPrintable(error));
    QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList{"keep-me.csv"});
}

void TestFileHistory::aLinkWhereAnItemGoesIsReplaced()
{
    // The item's name is foreseeable from the clock: a dangling link planted there must not carry the kept bytes
    // (here the mail password) out of the history.
    QTemporaryDir data, lists, outside;
    writeFile(lists.filePath("CIinfo.cdb"), "password");
    QVERIFY(QDir(data.path()).mkpath("History/2026-12-06"));
    QVERIFY(QFile::link(outside.filePath("stolen"), data.filePath("History/2026-12-06/120001.250-CIinfo.cdb")));
    QString error;
    QVERIFY2(at(data.path(), Noon).keepCopy(lists.filePath("CIinfo.cdb"), "new", &error), qPrintable(error));
    QVERIFY(!QFileInfo::exists(outside.filePath("stolen")));
    const QString item = data.filePath("History/2026-12-06/120001.250-CIinfo.cdb");
    QVERIFY(!QFileInfo(item).isSymLink());
    QCOMPARE(readFile(item), QByteArray("password"));
}

void TestFileHistory::restoredFilesAreNoWiderThanTheProgramMakesThem_data()
{
    // kept: the file's name when kept; target: where it is restored to (empty: its origin); mode: the restored
    // file's permission bits.
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("existingMode"); // 0: no file there
    QTest::addColumn<int>("mode");
    newRow("the mail settings, gone", "CIinfo.cdb", "", 0, 0600);
    newRow("the mail settings, elsewhere", "CIinfo.cdb", "settings-before.cdb", 0, 0600);
    newRow("over the mail settings, open to all", "CIinfo.cdb", "", 0644, 0600);
    newRow("a piece of the record, elsewhere", "ScreeningRecord.jsonl", "torn.jsonl", 0, 0600);
    newRow("a manifest its owner closed", "Manifest-AB1", "", 0600, 0600);
    newRow("a manifest others may read", "Manifest-AB1", "", 0640, 0640);
}

void TestFileHistory::restoredFilesAreNoWiderThanTheProgramMakesThem()
{
    QFETCH(QString, kept);
    QFETCH(QString, target);
    QFETCH(int, existingMode);
    QFETCH(int, mode);
    QTemporaryDir data;
    const QString path = data.filePath(kept);
    writeFile(path, "kept bytes");
    QString error;
    QVERIFY(FileHistory(data.path()).keepInsteadOfDeleting(path, &error));
    if (existingMode != 0) {
        writeFile(path, "now");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(existingMode)), 0);
    }
    const QString destination = target.isEmpty() ? path : data.filePath(target);
    const QString id = FileHistory(data.path()).items().first().id;
    QVERIFY2(FileHistory(data.path()).restore(id, destination, nullptr, &error), qPrintable(error));
    QCOMPARE(readFile(destination), QByteArray("kept bytes"));
    struct stat status;
    QCOMPARE(::stat(QFile::encodeName(destination).constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 0777), mode);
}

void TestFileHistory::sameMomentTwiceKeepsBoth()
{
    QTemporaryDir data, lists;
    const QString path = lists.filePath("Passenger-2");
    const FileHistory history = at(data.path(), Noon);
    QString error;
    writeFile(path, "one");
    QVERIFY(history.keepCopy(path, "two", &error));
    writeFile(path, "two");
    QVERIFY(history.keepCopy(path, "three", &error));
    const QList<FileHistory::Item> items = history.items();
    QCOMPARE(items.size(), 2);
    QCOMPARE(readFile(data.filePath("History/" + items[0].id)) + readFile(data.filePath("History/" + items[1].id)),
             QByteArray("onetwo"));
}

void TestFileHistory::pruneKeepsTheLastDays_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("left");
    const QStringList all{"2026-08-01", "2026-09-06", "2026-09-07", "2026-12-06"};
    newRow("ninety days", 90, 2, QStringList{"2026-09-07", "2026-12-06"});
    newRow("none but today", 0, 3, QStringList{"2026-12-06"});
    newRow("a year", 365, 0, all);
}

void TestFileHistory::pruneKeepsTheLastDays()
{
    QFETCH(int, days);
    QFETCH(int, removed);
    QFETCH(QStringList, left);
    QTemporaryDir data, lists;
    QString error;
    for (const QDate day : {QDate(2026, 8, 1), QDate(2026, 9, 6), QDate(2026, 9, 7), QDate(2026, 12, 6)}) {
        writeFile(lists.filePath("Crew-1"), day.toString(Qt::ISODate).toLatin1());
        QVERIFY(at(data.path(), QDateTime(day, QTime(8, 0))).keepCopy(lists.filePath("Crew-1"), "new", &error));
    }
    // Not a day's folder: never touched.
    QVERIFY(QDir(data.filePath("History")).mkdir("notes"));
    QCOMPARE(at(data.path(), Noon).prune(days, &error), removed);
    QStringList daysLeft = QDir(data.filePath("History")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QCOMPARE(daysLeft, left + QStringList{"notes"});
    QCOMPARE(at(data.path(), Noon).prune(-1, &error), -1);
}

void TestFileHistory::keptForTheOwnerAlone()
{
    QTemporaryDir data, lists;
    writeFile(lists.filePath("Manifest-AB1"), "old");
    QString error;
    QVERIFY(at(data.path(), Noon).keepCopy(lists.filePath("Manifest-AB1"), "new", &error));
    const auto mode = [](const QString &path) { return QFile::permissions(path) & 0x0777; };
    QCOMPARE(mode(data.filePath("History")), QFileDevice::Permissions(0x0700));
    QCOMPARE(mode(data.filePath("History/2026-12-06")), QFileDevice::Permissions(0x0700));
    QCOMPARE(mode(data.filePath("History/2026-12-06/120001.250-Manifest-AB1")), QFileDevice::Permissions(0x0600));
}

void TestFileHistory::keepingStepsInOrder_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QStringList>("itemSteps"); // after the folders are made

    newRow("overwritten: a durable copy", false,
           QStringList{"create T", "write T", "sync T", "close T", "rename T 120001.250-Crew-1",
                       "sync folder 2026-12-06"});
    newRow("deleted: moved, then both folders synced", true,
           QStringList{"rename Crew-1 120001.250-Crew-1", "sync folder 2026-12-06", "sync folder lists"});
}

// Each new name (a folder, the index, the item) reaches the disk with its folder, and the index line is on the
// disk before the item gets its name: a power cut never leaves an item whose origin nobody knows.
void TestFileHistory::keepingStepsInOrder()
{
    QFETCH(bool, deleted);
    QFETCH(QStringList, itemSteps);
    QTemporaryDir data, root;
    QVERIFY(QDir(root.path()).mkdir("lists"));
    const QString path = root.filePath("lists/Crew-1");
    writeFile(path, "old");
    RecordingSteps recorder;
    QStringList indexedBeforeTheName;
    recorder.before = [&](const QString &step) {
        if (step.endsWith(" 120001.250-Crew-1"))
            indexedBeforeTheName.append(
                QString::fromUtf8(readFile(data.filePath("History/2026-12-06/index.jsonl"))).trimmed());
    };
    FileHistory history = at(data.path(), Noon);
    history.setFileSteps(recorder);
    QString error;
    QVERIFY2(deleted ? history.keepInsteadOfDeleting(path, &error) : history.keepCopy(path, "new", &error),
             qPrintable(error));

    const QString dataName = QFileInfo(data.path()).fileName();
    QCOMPARE(recorder.steps, QStringList({"make folder History", "sync folder " + dataName, "make folder 2026-12-06",
                                          "sync folder History", "sync folder 2026-12-06"}) +
                                 itemSteps);
    QCOMPARE(indexedBeforeTheName.size(), 1);
    QVERIFY2(indexedBeforeTheName[0].contains("\"item\":\"120001.250-Crew-1\""), qPrintable(indexedBeforeTheName[0]));
    QCOMPARE(readFile(data.filePath("History/2026-12-06/120001.250-Crew-1")), QByteArray("old"));
    QCOMPARE(QFile::exists(path), !deleted);
}

VEYRA_TEST(TestFileHistory)
#include "TestFileHistory.moc"
