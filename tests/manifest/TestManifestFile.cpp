#include "TestSupport.h"
#include "audit/FileHistory.h"
#include "engine/TableCache.h"
#include "manifest/ManifestFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

using Cells = QMap<QPair<int, int>, QString>;
Q_DECLARE_METATYPE(Cells)

class TestManifestFile : public QObject
{
    Q_OBJECT

private slots:
    void format_data();
    void format();
    void writtenFileReadsBackWhole();
    void load_data();
    void load();
    void missingManifestLoadsNothing();
    void manifestNumber_data();
    void manifestNumber();
    void fileNameProblem_data();
    void fileNameProblem();
};

void TestManifestFile::format_data()
{
    QTest::addColumn<QList<QStringList>>("persons");
    QTest::addColumn<QByteArray>("bytes");

    newRow("no persons, empty file", QList<QStringList>{}, QByteArray());
    newRow("every cell quoted, CR LF",
           QList<QStringList>{{"ARNO QUILLFEATHER", "M", "P123", "", "3/14/1971", "NO FLY"},
                              {"CELESTE MARROWBY", "", "", "", "", "CLEARED"}},
           QByteArray("\"ARNO QUILLFEATHER\",\"M\",\"P123\",\"\",\"3/14/1971\",\"NO FLY\"\r\n"
                      "\"CELESTE MARROWBY\",\"\",\"\",\"\",\"\",\"CLEARED\"\r\n"));
    newRow("a comma stays inside its quotes", QList<QStringList>{{"SMITH, JR.", "", "", "", "", ""}},
           QByteArray("\"SMITH, JR.\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    newRow("a double quote is doubled", QList<QStringList>{{"JO \"JJ\" DOE", "", "", "", "", ""}},
           QByteArray("\"JO \"\"JJ\"\" DOE\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    newRow("non-ASCII names in UTF-8", QList<QStringList>{{"ZOË ÅSTRÖM", "F", "", "", "", "SSSS"}},
           QByteArray("\"ZO\xC3\x8B \xC3\x85STR\xC3\x96M\",\"F\",\"\",\"\",\"\",\"SSSS\"\r\n"));
}

void TestManifestFile::format()
{
    QFETCH(QList<QStringList>, persons);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ManifestFile::format(persons), bytes);
}

// What Save writes, the window reads back unchanged: commas, quotes, empty cells and a typed Enter.
void TestManifestFile::writtenFileReadsBackWhole()
{
    QTemporaryDir dir;
    const QList<QStringList> persons = {{"SMITH, JR.", "M", "0012", "", "1/2/1960", "NO FLY"},
                                        {"JO \"JJ\" DOE", "", "", "V\r", "", "CLEARED"},
                                        {"ZOË", "", "", "", "", ""}};
    QString error;
    const QString path = QDir(dir.path()).filePath("Manifest-12");
    QVERIFY2(ManifestFile::write(path, persons, FileHistory(dir.path()), &error), qPrintable(error));
    TableCache cache;
    Cells read;
    QByteArray sha256;
    QVERIFY(ManifestFile::load(
        cache, path,
        [&](int row, int col, const QString &text) {
            read[{row, col}] = text;
        },
        &sha256));
    // The version read is named by the SHA-256 of the very bytes on disk.
    QCOMPARE(sha256, QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha256).toHex());
    Cells expected;
    for (int r = 0; r < persons.size(); ++r)
        for (int c = 0; c < 6; ++c)
            if (!persons[r][c].isEmpty())
                expected[{r + 1, c + 1}] = persons[r][c];
    QCOMPARE(read, expected);
}

void TestManifestFile::load_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<int>("cells");
    QTest::addColumn<Cells>("some");

    QByteArray sixty;
    for (int i = 1; i <= 60; ++i)
        sixty += QStringLiteral("\"P%1\",\"\",\"\",\"\",\"\",\"CLEARED\"\r\n").arg(i).toUtf8();
    newRow("60 lines stop after row 49", sixty, false, 98,
           Cells{{{49, 1}, "P49"}, {{49, 6}, "CLEARED"}, {{1, 1}, "P1"}});
    newRow("a filled seventh field stops within its row",
           QByteArray("\"A\",\"\",\"\",\"\",\"\",\"\"\r\n\"B\",\"\",\"\",\"\",\"\",\"S\",\"extra\"\r\n\"C\"\r\n"),
           false, 3, Cells{{{1, 1}, "A"}, {{2, 1}, "B"}, {{2, 6}, "S"}});
    newRow("an empty file gives nothing", QByteArray(), true, 0, Cells{});
    newRow("fields come back as stored, leading zeros too",
           QByteArray("\"A\",\"\",\"007\",\"\",\"01/02/1960\",\"\"\r\n"), true, 3,
           Cells{{{1, 3}, "007"}, {{1, 5}, "01/02/1960"}});
}

void TestManifestFile::load()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, whole);
    QFETCH(int, cells);
    QFETCH(Cells, some);

    QTemporaryDir dir;
    writeFile(QDir(dir.path()).filePath("Manifest-5"), file);
    // A stray file of the working name beside it is nobody's manifest: never read.
    writeFile(QDir(dir.path()).filePath("Manifest.csv"), "\"STRAY\",\"\",\"\",\"\",\"\",\"\"\r\n");
    TableCache cache;
    Cells read;
    const bool complete =
        ManifestFile::load(cache, QDir(dir.path()).filePath("Manifest-5"), [&](int row, int col, const QString &text) {
            QVERIFY(row >= 1 && row <= 49 && col >= 1 && col <= 6);
            read[{row, col}] = text;
        });
    QCOMPARE(complete, whole);
    QCOMPARE(read.size(), cells);
    for (auto it = some.cbegin(); it != some.cend(); ++it)
        QCOMPARE(read.value(it.key()), it.value());
}

void TestManifestFile::missingManifestLoadsNothing()
{
    QTemporaryDir dir;
    writeFile(QDir(dir.path()).filePath("Manifest.csv"), "\"A\",\"\",\"\",\"\",\"\",\"\"\r\n");
    TableCache cache;
    int calls = 0;
    QVERIFY(ManifestFile::load(cache, QDir(dir.path()).filePath("Manifest-1"),
                               [&](int, int, const QString &) { ++calls; }));
    QCOMPARE(calls, 0);
}

void TestManifestFile::manifestNumber_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("number");
    newRow("plain", "Manifest-123", "123");
    newRow("with the extension", "Manifest-123.csv", "123");
    newRow("extension in capitals", "Manifest-123.CSV", "123");
    newRow("text after the first dash only", "Manifest-12-B", "12-B");
    newRow("nothing after the dash", "Manifest-", "");
    // The whole name is searched for "csv", so a number holding it loses its last four characters too.
    newRow("csv inside the number", "Manifest-csv12345", "csv1");
}

void TestManifestFile::manifestNumber()
{
    QFETCH(QString, fileName);
    QFETCH(QString, number);
    QCOMPARE(ManifestFile::manifestNumber(fileName), number);
}

void TestManifestFile::fileNameProblem_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("usable");
    newRow("digits", "123", true);
    newRow("empty number names the file Manifest-", "", true);
    newRow("letters, spaces and dashes", "AB 12-3", true);
    newRow("slash would leave the folder", "../123", false);
    newRow("backslash", "12\\3", false);
    newRow("colon", "12:30", false);
    newRow("question mark", "12?", false);
    newRow("tab", "12\t3", false);
    newRow("trailing full stop", "123.", false);
    newRow("trailing blank", "123 ", false);
    newRow("255 bytes in all, the longest name", QString(246, u'9'), true);
    newRow("256 bytes in all", QString(247, u'9'), false);
    newRow("bytes, not characters, are counted", QString(124, QChar(0xE9)), false);
}

void TestManifestFile::fileNameProblem()
{
    QFETCH(QString, number);
    QFETCH(bool, usable);
    QCOMPARE(ManifestFile::fileNameProblem(ManifestFile::fileName(number)).isEmpty(), usable);
}

VEYRA_TEST(TestManifestFile)
#include "TestManifestFile.moc"
