#include "TestSupport.h"
#include "platform/files/KnownVersion.h"

#include <QDir>
#include <QTemporaryDir>

using TestSupport::writeFile;

class TestKnownVersion : public QObject
{
    Q_OBJECT

private slots:
    void changedOnDisk_data();
    void changedOnDisk();
    void saveOverQuestion_data();
    void saveOverQuestion();
};

void TestKnownVersion::changedOnDisk_data()
{
    QTest::addColumn<QByteArray>("read"); // empty: there was no file
    QTest::addColumn<QByteArray>("now");  // empty: there is none now
    QTest::addColumn<bool>("changed");

    newRow("as it was read", QByteArray("\"A\"\r\n"), QByteArray("\"A\"\r\n"), false);
    newRow("another writer's bytes", QByteArray("\"A\"\r\n"), QByteArray("\"B\"\r\n"), true);
    newRow("one byte more", QByteArray("\"A\"\r\n"), QByteArray("\"A\"\r\n\n"), true);
    newRow("emptied by someone", QByteArray("\"A\"\r\n"), QByteArray(""), true);
    newRow("made by someone since it was missing", QByteArray(), QByteArray("\"B\"\r\n"), true);
    newRow("deleted since: nothing of anyone's is overwritten", QByteArray("\"A\"\r\n"), QByteArray(), false);
}

void TestKnownVersion::changedOnDisk()
{
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, now);
    QFETCH(bool, changed);
    QTemporaryDir dir;
    const QString path = dir.filePath("Crew-1");
    if (!read.isNull())
        writeFile(path, read);
    const KnownVersion known = KnownVersion::of(path);
    QFile::remove(path);
    if (!now.isNull())
        writeFile(path, now);
    QCOMPARE(known.changedOnDisk(), changed);
    // What a window saved is known by its bytes the same way.
    if (!read.isNull())
        QCOMPARE(KnownVersion::ofBytes(path, read).changedOnDisk(), changed);
    QVERIFY(!KnownVersion().changedOnDisk());
}

void TestKnownVersion::saveOverQuestion_data()
{
    QTest::addColumn<QDateTime>("changedAt");
    QTest::addColumn<QString>("question");
    const QString rest = " since you opened it. Save over it? Their version will be kept in the history.";
    newRow("changed today: the time", QDateTime(QDate(2026, 12, 6), QTime(10, 42, 59)),
           "Manifest-100 was changed by someone else at 10:42" + rest);
    newRow("changed on another day: the date too", QDateTime(QDate(2026, 12, 5), QTime(9, 5)),
           "Manifest-100 was changed by someone else at 09:05 on 2026-12-05" + rest);
}

void TestKnownVersion::saveOverQuestion()
{
    QFETCH(QDateTime, changedAt);
    QFETCH(QString, question);
    QCOMPARE(KnownVersion::saveOverQuestion("Manifest-100", changedAt, QDate(2026, 12, 6)), question);
}

VEYRA_TEST(TestKnownVersion)
#include "TestKnownVersion.moc"
