#include "TestSupport.h"
#include "audit/FileHistory.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestAuditTool : public QObject
{
    Q_OBJECT

private slots:
    void verifyNamesTheFirstBadLine();
    void showFilters_data();
    void showFilters();
    void historyListsRestoresAndPrunes();
    void formulasInCsvAreShownAsText();
    void badUsage_data();
    void badUsage();
    void killedBatchLeavesEarlierLinesWhole();
    void unwritableRecordEndsTheBatchWith2();
};

namespace {

using TestSupport::run;
using Run = TestSupport::Ran;

Run audit(const QString &dataFolder, QStringList arguments)
{
    return run(VEYRACHECK_AUDIT_EXECUTABLE, arguments << "--data-folder" << dataFolder);
}

// The four sample people against the sample No-Fly list: two are on it.
Run screen(const QString &dataFolder, const QString &names = EXAMPLES_FOLDER "/people.csv",
           const QString &list = EXAMPLES_FOLDER "/Veyra_No_Fly_Sample.csv")
{
    return run(VEYRACHECK_SCREEN_EXECUTABLE,
               {"--names", names, "--list", list, "--format", "json", "--data-folder", dataFolder});
}

QList<QByteArray> linesOf(const QString &path)
{
    QList<QByteArray> lines = readFile(path).split('\n');
    lines.removeLast();
    return lines;
}

} // namespace

void TestAuditTool::verifyNamesTheFirstBadLine()
{
    QTemporaryDir data;
    QCOMPARE(audit(data.path(), {"verify"}).exitCode, 0); // nothing recorded yet is whole too
    QCOMPARE(screen(data.path()).exitCode, 1);
    QCOMPARE(screen(data.path()).exitCode, 1);
    const Run whole = audit(data.path(), {"verify"});
    QCOMPARE(whole.exitCode, 0);
    QVERIFY2(whole.out.contains("8 lines, the chain is whole"), whole.out.constData());

    const QString path = data.filePath("ScreeningRecord.jsonl");
    QList<QByteArray> lines = linesOf(path);
    lines[4].replace("\"outcome\":\"NO FLY\"", "\"outcome\":\"CLEARED\"");
    writeFile(path, lines.join('\n') + '\n');
    const Run edited = audit(data.path(), {"verify"});
    QCOMPARE(edited.exitCode, 1);
    QVERIFY2(edited.out.contains(": line 5 does not fit: it was changed"), edited.out.constData());
}

void TestAuditTool::showFilters_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("lastNames");
    newRow("everything", QStringList{}, QStringList{"QUILLFEATHER", "MARROWBY", "PEMBERLEAF", "SMITH"});
    newRow("a part of a last name, any case", QStringList{"--name", "marrow"}, QStringList{"MARROWBY"});
    newRow("a given name", QStringList{"--name", "Orsolya"}, QStringList{"PEMBERLEAF"});
    newRow("given and last name together", QStringList{"--name", "celeste marrowby"}, QStringList{"MARROWBY"});
    newRow("since a day long past", QStringList{"--since", "2020-01-01"},
           QStringList{"QUILLFEATHER", "MARROWBY", "PEMBERLEAF", "SMITH"});
    newRow("since a day to come", QStringList{"--since", "2099-01-01"}, QStringList{});
}

void TestAuditTool::showFilters()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, lastNames);
    QTemporaryDir data;
    QCOMPARE(screen(data.path()).exitCode, 1);

    const Run json = audit(data.path(), QStringList{"show", "--format", "json"} + options);
    QCOMPARE(json.exitCode, 0);
    QStringList found;
    for (const QJsonValue &line : QJsonDocument::fromJson(json.out).array())
        found << line["lastName"].toString();
    QCOMPARE(found, lastNames);

    const Run csv = audit(data.path(), QStringList{"show"} + options);
    QCOMPARE(csv.exitCode, 0);
    const QList<QByteArray> rows = csv.out.trimmed().split('\n');
    QCOMPARE(rows[0], QByteArray("seq,time,user,machine,mode,list,listRecords,listSha256,lastName,firstAndMiddleName,"
                                 "dateOfBirth,passport,match,outcome,records"));
    QCOMPARE(rows.size(), lastNames.size() + 1);
    if (lastNames.size() == 4) {
        QVERIFY2(rows[1].contains(",batch,Veyra_No_Fly_Sample.csv,3,"), rows[1].constData());
        QVERIFY2(rows[1].endsWith(",QUILLFEATHER,ARNO BEDE,3/14/1971,,match,NO FLY,100001"), rows[1].constData());
        QVERIFY2(rows[3].endsWith(",PEMBERLEAF,ORSOLYA,7/30/1990,PB4400123,no match,CLEARED,"), rows[3].constData());
    }
}

void TestAuditTool::historyListsRestoresAndPrunes()
{
    QTemporaryDir data, lists;
    const QString crew = lists.filePath("Crew-1");
    writeFile(crew, "\"SMITH\",\"JOHN\",\"\",\"\"\r\n");
    // The tool prunes by the real clock, so the item is kept today; only its time of day is fixed.
    const QDate today = QDate::currentDate();
    const QString item = today.toString(Qt::ISODate) + "/070509.004-Crew-1";
    FileHistory history(data.path());
    history.setClock([today] { return QDateTime(today, QTime(7, 5, 9, 4)); });
    QString error;
    QVERIFY(history.keepCopy(crew, "\"LAKE\"\r\n", &error));
    writeFile(crew, "\"LAKE\"\r\n");

    const Run listed = audit(data.path(), {"history"});
    QCOMPARE(listed.exitCode, 0);
    QVERIFY2(listed.out.startsWith((item + "  ").toUtf8()), listed.out.constData());
    QVERIFY2(listed.out.contains("  overwritten  22 bytes  " + QDir::toNativeSeparators(crew).toUtf8()),
             listed.out.constData());

    // Unasked, only into a folder the program keeps its files in: here the manifest folder, once it is known.
    const Run refused = audit(data.path(), {"history", "--restore", item});
    QCOMPARE(refused.exitCode, 2);
    QVERIFY2(refused.err.contains("name the file to restore it to"), refused.err.constData());
    QCOMPARE(readFile(crew), QByteArray("\"LAKE\"\r\n"));
    writeFile(data.filePath("Defaultcfg.cdb"), "\"/nonexistent\",\"" + lists.path().toUtf8() + "\",\"\"\r\n");
    const Run restored = audit(data.path(), {"history", "--restore", item});
    QCOMPARE(restored.exitCode, 0);
    QCOMPARE(readFile(crew), QByteArray("\"SMITH\",\"JOHN\",\"\",\"\"\r\n"));
    QVERIFY(audit(data.path(), {"history"}).out.contains("replaced by a restore"));

    const Run unknown = audit(data.path(), {"history", "--restore", today.toString(Qt::ISODate) + "/nothing"});
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY(unknown.err.contains("There is no item"));

    // Kept today (yesterday, should midnight pass meanwhile): a prune of what is older than a day leaves them.
    const Run pruned = audit(data.path(), {"history", "--prune", "1"});
    QCOMPARE(pruned.exitCode, 0);
    QVERIFY2(pruned.out.startsWith("0 items"), pruned.out.constData());
}

void TestAuditTool::formulasInCsvAreShownAsText()
{
    // Names and list fields a spreadsheet would run: in CSV they are text behind an apostrophe, in JSON as they are.
    QTemporaryDir data, folder;
    writeFile(folder.filePath("names.csv"), "\"=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",john,,\n+cmd,ann,,\n"
                                            "\"@SUM(A1)\",-x,,\nQUILLFEATHER,ARNO BEDE,3/14/1971,\n");
    writeFile(folder.filePath("Veyra_No_Fly_1.csv"),
              "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\n"
              "1,,QUILLFEATHER,ARNO,BEDE,PERSON,03/14/1971,,,,\"=1+2\"\n");
    const Run screened =
        run(VEYRACHECK_SCREEN_EXECUTABLE, {"--names", folder.filePath("names.csv"), "--list",
                                           folder.filePath("Veyra_No_Fly_1.csv"), "--data-folder", data.path()});
    QCOMPARE(screened.exitCode, 1);
    QCOMPARE(QByteArray(screened.out).replace("\r\n", "\n").split('\n').mid(1),
             (QByteArrayList{"\"'=HYPERLINK(\"\"HTTP://X\"\",\"\"Y\"\")\",JOHN,,,CLEARED,,,,,,,,,,,,",
                             "\"'+CMD\",ANN,,,CLEARED,,,,,,,,,,,,", "\"'@SUM(A1)\",\"'-X\",,,CLEARED,,,,,,,,,,,,",
                             "QUILLFEATHER,ARNO BEDE,3/14/1971,,NO FLY,Veyra_No_Fly_1.csv,1,,QUILLFEATHER,ARNO,BEDE,"
                             "PERSON,03/14/1971,,,,\"'=1+2\"",
                             ""}));

    const Run csv = audit(data.path(), {"show"});
    QCOMPARE(csv.exitCode, 0);
    const QByteArrayList rows = csv.out.split('\n');
    QVERIFY2(rows[1].contains(",\"'=HYPERLINK(\"\"HTTP://X\"\",\"\"Y\"\")\",JOHN,,,no match,CLEARED,"), rows[1]);
    QVERIFY2(rows[3].contains(",\"'@SUM(A1)\",\"'-X\",,,no match,"), rows[3]);
    const Run json = audit(data.path(), {"show", "--format", "json"});
    const QJsonArray lines = QJsonDocument::fromJson(json.out).array();
    QCOMPARE(lines[0]["lastName"].toString(), "=HYPERLINK(\"HTTP://X\",\"Y\")");
    QCOMPARE(lines[2]["firstAndMiddleName"].toString(), "-X");
}

void TestAuditTool::badUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    newRow("no command", QStringList{});
    newRow("an unknown command", QStringList{"check"});
    newRow("two commands", QStringList{"verify", "show"});
    newRow("a show option on verify", QStringList{"verify", "--name", "X"});
    newRow("another format", QStringList{"show", "--format", "xml"});
    newRow("a date that is none", QStringList{"show", "--since", "yesterday"});
    newRow("days that are no number", QStringList{"history", "--prune", "ninety"});
    newRow("negative days", QStringList{"history", "--prune", "-1"});
    newRow("--to without --restore", QStringList{"history", "--to", "x"});
}

void TestAuditTool::badUsage()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir data;
    const Run bad = audit(data.path(), arguments);
    QCOMPARE(bad.exitCode, 2);
    QVERIFY(!bad.err.isEmpty());
}

// A batch killed at any moment loses at most its own lines; every line before it stays, and the next run goes
// on from the last whole line.
void TestAuditTool::killedBatchLeavesEarlierLinesWhole()
{
    QTemporaryDir data, work;
    QCOMPARE(screen(data.path()).exitCode, 1);
    const QString path = data.filePath("ScreeningRecord.jsonl");
    const QByteArray before = readFile(path);

    // Enough people against a list big enough that the run is still going when it is killed.
    QByteArray names;
    for (int i = 0; i < 8000; ++i)
        names += "PERSON" + QByteArray::number(i) + ",GIVEN,1/1/1970,\n";
    writeFile(work.filePath("names.csv"), names);
    QByteArray list = "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\n";
    for (int i = 0; i < 200000; ++i)
        list += QByteArray::number(i) + ",,PERSON" + QByteArray::number(i % 5000) + ",GIVEN,,P,1/1/1970,X,Y,,\n";
    writeFile(work.filePath("Veyra_No_Fly_Big.csv"), list);
    int killedRunning = 0;
    for (int delay : {20, 100, 300}) {
        QProcess batch;
        batch.start(VEYRACHECK_SCREEN_EXECUTABLE,
                    {"--names", work.filePath("names.csv"), "--list", work.filePath("Veyra_No_Fly_Big.csv"),
                     "--data-folder", data.path()});
        QVERIFY(batch.waitForStarted());
        QTest::qWait(delay);
        // QProcess::kill is SIGKILL here; a run that has ended already is left alone.
        if (batch.state() == QProcess::Running) {
            batch.kill();
            ++killedRunning;
        }
        batch.waitForFinished();
        QVERIFY(readFile(path).startsWith(before));
    }
    QVERIFY(killedRunning > 0);

    QCOMPARE(screen(data.path()).exitCode, 1);
    const Run verified = audit(data.path(), {"verify"});
    QCOMPARE(verified.exitCode, 0);
    QVERIFY(readFile(path).startsWith(before));
}

void TestAuditTool::unwritableRecordEndsTheBatchWith2()
{
    QTemporaryDir data;
    QVERIFY(QDir(data.path()).mkdir("ScreeningRecord.jsonl"));
    const Run batch = screen(data.path());
    QCOMPARE(batch.exitCode, 2);
    // The verdicts still reach their reader; only then does the run fail.
    QVERIFY(batch.out.contains("\"QUILLFEATHER\""));
    QVERIFY2(batch.err.contains("The screening record could not be written"), batch.err.constData());
}

VEYRA_TEST(TestAuditTool)
#include "TestAuditTool.moc"
