#include "TestSupport.h"
#include "platform/files/SavedFile.h"

#include <QDir>
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
};

void TestSavedFile::replace_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("cause");

    QTest::newRow("fits: the file is replaced") << 4000 << QString();
    QTest::newRow("exactly at the limit still fits") << 4096 << QString();
    // Past the limit the kernel writes a part and refuses the rest: the part must never become the file.
    QTest::newRow("one byte too many keeps the old file") << 4097 << "File too large";
    QTest::newRow("far too big keeps the old file") << 100000 << "File too large";
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

VEYRA_TEST(TestSavedFile)
#include "TestSavedFile.moc"
