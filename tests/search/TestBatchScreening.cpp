#include "TestSupport.h"
#include "engine/TableCache.h"
#include "search/BatchScreening.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

using TestSupport::writeFile;

// The batch gives every person the status the window's grid-mode searches leave; and the command around it.
class TestBatchScreening : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameStatusesAsTheWindow_data();
    void sameStatusesAsTheWindow();
    void refusedPersonsAreReportedAndTheBatchGoesOn();
    void listsAsTheyArrive_data();
    void listsAsTheyArrive();
    void unreadableListIsNamedWithItsLine();
    void rejectedPersonIsReportedAndTheBatchGoesOn();
    void namesFilesAsTheyArrive_data();
    void namesFilesAsTheyArrive();
    void repeatedColumnsKeepEveryValue();
    void spreadsheetNamesAsTheSheetShowsThem_data();
    void spreadsheetNamesAsTheSheetShowsThem();
    void everyRowOfASheetIsScreened();
    void command_data();
    void command();
    void jsonOutput();
    void nearMissesAreAdvisories();
    void nearMissOptions_data();
    void nearMissOptions();
    void outputThatCannotBeWrittenIsAnError_data();
    void outputThatCannotBeWrittenIsAnError();

private:
    QString list(const QString &name) const { return m_lists.filePath(name); }
    QTemporaryDir m_lists;
};

namespace {

using Screened = TestSupport::Ran;

Screened screen(const QStringList &args, const QString &outputFile = QString())
{
    return TestSupport::run(VEYRACHECK_SCREEN_EXECUTABLE, args, 60000, outputFile);
}

const QList<NameQuery::Row> People = {{"quillfeather", "arno bede", "3/14/1971", ""},
                                      {"marrowby", "celeste", "11/2/1984", ""},
                                      {"pemberleaf", "orsolya", "7/30/1990", "pb4400123"},
                                      {"tanglewood", "dunstan eliot", "1/1/1960", ""},
                                      {"smith", "john", "1/2/1960", "x1"},
                                      {"marrowby", "celestine", "11/2/1984", ""}};

} // namespace

void TestBatchScreening::initTestCase()
{
    const QDir examples(EXAMPLES_FOLDER);
    for (const QString &name : examples.entryList({"Veyra_*.csv"}))
        QVERIFY(QFile::copy(examples.filePath(name), list(name)));
    writeFile(list("Veyra_Other.csv"), "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,"
                                       "PASSPORT/IDNUMBER,MISC\r\n9,,SMITH,JOHN,,PERSON,,,,,\r\n");
}

void TestBatchScreening::sameStatusesAsTheWindow_data()
{
    QTest::addColumn<QStringList>("lists");
    QTest::addColumn<QStringList>("statuses"); // as the window's grid leaves them after the same searches
    const QString noFly = "Veyra_No_Fly_Sample.csv", cleared = "Veyra_Cleared_Sample.csv",
                  selectee = "Veyra_Selectee_Sample.csv";
    newRow("No-Fly, Cleared, Selectee", QStringList{noFly, cleared, selectee},
           QStringList{"NO FLY", "CLEARED", "SSSS", "NO FLY", "CLEARED", "CLEARED"});
    newRow("Selectee, then No-Fly", QStringList{selectee, noFly},
           QStringList{"NO FLY", "NO FLY", "CLEARED", "NO FLY", "CLEARED", "CLEARED"});
    newRow("Cleared first visits nobody", QStringList{cleared, noFly, selectee},
           QStringList{"NO FLY", "NO FLY", "SSSS", "NO FLY", "CLEARED", "CLEARED"});
    // Another list's search marks afresh, as the window's does.
    newRow("No-Fly, Selectee, then another list", QStringList{noFly, selectee, "Veyra_Other.csv"},
           QStringList{"CLEARED", "CLEARED", "CLEARED", "CLEARED", "NO FLY", "CLEARED"});
}

void TestBatchScreening::sameStatusesAsTheWindow()
{
    QFETCH(QStringList, lists);
    QFETCH(QStringList, statuses);
    BatchScreening batch(People);
    TableCache cache;
    for (const QString &name : lists) {
        QString error;
        QVERIFY2(batch.screen(list(name), cache, &error), qPrintable(error));
    }
    QStringList got;
    for (const auto &person : batch.persons())
        got.append(person.status());
    QCOMPARE(got, statuses);
}

void TestBatchScreening::refusedPersonsAreReportedAndTheBatchGoesOn()
{
    BatchScreening batch(
        {{"", "no last name", "", ""}, {"tanglewood", "dunstan", "", ""}, {"marrowby", "celeste", "11/2/1984", ""}});
    TableCache cache;
    QVERIFY(batch.screen(list("Veyra_No_Fly_Sample.csv"), cache, nullptr));
    QVERIFY(batch.screen(list("Veyra_Cleared_Sample.csv"), cache, nullptr));
    const auto &persons = batch.persons();
    QCOMPARE(persons[0].status(), "Need Last Name");
    QCOMPARE(persons[1].status(), "Must enter DOB");
    QCOMPARE(persons[2].status(), "CLEARED");
    QCOMPARE(persons[2].matches.size(), 2);
    QCOMPARE(persons[2].texts.lastName, "MARROWBY");
}

namespace {

const QByteArray Header = TestSupport::ListHeader.trimmed();

} // namespace

// Each row: a No-Fly list shaped as real exports arrive, a person typed as the operator would, and (where given)
// a Cleared list searched after it. A listed person must never come out clear.
void TestBatchScreening::listsAsTheyArrive_data()
{
    QTest::addColumn<QByteArray>("noFly");
    QTest::addColumn<QStringList>("person");
    QTest::addColumn<QByteArray>("cleared");
    QTest::addColumn<QString>("status");

    const QStringList doe{"doe", "jane", "1/2/1960", ""};
    auto dob = [](const char *written) { return "\r\n1,,DOE,JANE,,PERSON," + QByteArray(written) + ",,,,"; };
    newRow("lone CR line ends", Header + "\r7,,ROE,AL,,P,,,,,\r1,,DOE,JANE,,PERSON,,,,,\r", doe, QByteArray(),
           "NO FLY");
    newRow("one Windows-1252 byte elsewhere, an accented name typed as listed",
           Header + "\n1,,M\xC3\x9CLLER,HANS,,P,,,,,\n2,,ROE,AL,,P,,,,,caf\xE9\n",
           QStringList{QString::fromUtf8("müller"), "hans", "", ""}, QByteArray(), "NO FLY");
    newRow("accented name typed from a passport's machine line", Header + "\n1,,M\xC3\x9CLLER,JOS\xC3\x89,,P,,,,,\n",
           QStringList{"MULLER", "JOSE", "", ""}, QByteArray(), "NO FLY");
    newRow("stray blanks and an accent in the given names",
           Header + "\n1,,ROSSI,ANNA,MAR\xC3\x8D"
                    "A,P,,,,,\n",
           QStringList{"rossi", QString::fromUtf8("anna  maría"), "", ""}, QByteArray(), "NO FLY");
    newRow("DOB a year only", Header + dob("1960"), doe, QByteArray(), "NO FLY");
    newRow("DOB a month and a year", Header + dob("01/1960"), doe, QByteArray(), "NO FLY");
    newRow("DOB of another year", Header + dob("1961"), doe, QByteArray(), "CLEARED");
    newRow("no DOB listed, one typed", Header + dob(""), doe, QByteArray(), "NO FLY");
    newRow("no passport listed, one typed", Header + dob(""), QStringList{"doe", "jane", "", "X123"}, QByteArray(),
           "NO FLY");
    newRow("no middle name listed, one typed", Header + dob(""), QStringList{"doe", "jane ann", "", ""}, QByteArray(),
           "NO FLY");
    newRow("a year on the Cleared list clears nobody", Header + dob("1/2/1960"), doe,
           Header + "\r\n9,YES,DOE,JANE,,PERSON,1960,,,,", "NO FLY");
    newRow("no DOB on the Cleared list clears nobody", Header + dob("1/2/1960"), doe,
           Header + "\r\n9,YES,DOE,JANE,,PERSON,,,,,", "NO FLY");
    newRow("the same day on the Cleared list, written its own way, clears", Header + dob("1/2/1960"), doe,
           Header + "\r\n9,YES,DOE,JANE,,PERSON,02-Jan-1960,,,,", "CLEARED");
}

void TestBatchScreening::listsAsTheyArrive()
{
    QFETCH(QByteArray, noFly);
    QFETCH(QStringList, person);
    QFETCH(QByteArray, cleared);
    QFETCH(QString, status);
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra_No_Fly_Export.csv"), noFly);
    BatchScreening batch({{person[0], person[1], person[2], person[3]}});
    TableCache cache;
    QString error;
    QVERIFY2(batch.screen(dir.filePath("Veyra_No_Fly_Export.csv"), cache, &error), qPrintable(error));
    if (!cleared.isEmpty()) {
        writeFile(dir.filePath("Veyra_Cleared_Export.csv"), cleared);
        QVERIFY2(batch.screen(dir.filePath("Veyra_Cleared_Export.csv"), cache, &error), qPrintable(error));
    }
    QCOMPARE(batch.persons()[0].status(), status);
}

void TestBatchScreening::unreadableListIsNamedWithItsLine()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra_No_Fly_Export.csv"),
              Header + "\r\n1,,SMITH,\"JOHN,,P,,,,,\r\n2,,DOE,JANE,,P,,,,,\r\n");
    writeFile(dir.filePath("names.csv"), "doe,jane,,\r\n");
    const Screened run =
        screen({"--names", dir.filePath("names.csv"), "--list", dir.filePath("Veyra_No_Fly_Export.csv")});
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains("error 3274: Unclosed quote in Veyra_No_Fly_Export.csv at line 2"), run.err.constData());
}

void TestBatchScreening::rejectedPersonIsReportedAndTheBatchGoesOn()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("names.csv"), "o'brien,pat,,\r\nquillfeather,arno bede,3/14/1971,\r\n");
    const QString list = this->list("Veyra_No_Fly_Sample.csv");
    const Screened csv = screen({"--names", dir.filePath("names.csv"), "--list", list});
    QCOMPARE(csv.exitCode, 1);
    const QList<QByteArray> lines = csv.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[1].startsWith("O'BRIEN,PAT,,,REFUSED,"), lines[1].constData());
    QVERIFY2(lines[2].startsWith("QUILLFEATHER,ARNO BEDE,3/14/1971,,NO FLY,"), lines[2].constData());
    QVERIFY2(csv.err.contains("O'BRIEN, PAT: REFUSED: Syntax error"), csv.err.constData());

    const Screened json = screen({"--names", dir.filePath("names.csv"), "--list", list, "--format", "json"});
    const QJsonObject first = QJsonDocument::fromJson(json.out).object()["people"].toArray().at(0).toObject();
    QCOMPARE(first["status"].toString(), "REFUSED");
    QVERIFY(first["reason"].toString().startsWith("Syntax error"));
}

void TestBatchScreening::namesFilesAsTheyArrive_data()
{
    QTest::addColumn<QByteArray>("names");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("said");

    newRow("lone CR line ends: both read", QByteArray("smith,jane,,\rrossi,marco,,\r"), 0, 3, "");
    QByteArray utf16("\xFF\xFE");
    for (char c : QByteArray("smith,jane,,\r\nrossi,marco,,\r\n"))
        utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    newRow("UTF-16 with its BOM: both read", utf16, 0, 3, "");
    newRow("an unclosed quote: refused by its line", QByteArray("smith,jane,,\r\n\"rossi,marco,,\r\ndoe,john,,\r\n"), 2,
           0, "Unclosed quote in names.csv at line 2");
    newRow("nobody in the file: an error", QByteArray("\r\n"), 2, 0, "No person could be read");
}

void TestBatchScreening::namesFilesAsTheyArrive()
{
    QFETCH(QByteArray, names);
    QFETCH(int, exitCode);
    QFETCH(int, lines);
    QFETCH(QString, said);
    QTemporaryDir dir;
    writeFile(dir.filePath("names.csv"), names);
    const Screened run = screen({"--names", dir.filePath("names.csv"), "--list", list("Veyra_No_Fly_Sample.csv")});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(int(run.out.count('\n')), lines);
    QVERIFY2(QString::fromUtf8(run.err).contains(said), run.err.constData());
}

void TestBatchScreening::spreadsheetNamesAsTheSheetShowsThem_data()
{
    QTest::addColumn<QString>("suffix");
    for (const char *suffix : {"xls", "xlsx", "ods"})
        newRow(suffix, suffix);
}

// The sheet's texts reach the search: a date in its sheet's format, a passport with its leading zero.
void TestBatchScreening::spreadsheetNamesAsTheSheetShowsThem()
{
    QFETCH(QString, suffix);
    QTemporaryDir dir;
    VEYRA_RUN_SCRIPT(MAKE_SHEETS_SCRIPT, dir.path(), "3");
    const Screened run = screen(
        {"--names", dir.filePath("people3." + suffix), "--list", list("Veyra_No_Fly_Sample.csv"), "--format", "json"});
    QVERIFY2(run.exitCode == 0 || run.exitCode == 1, run.err.constData());
    const QJsonArray persons = QJsonDocument::fromJson(run.out).object()["people"].toArray();
    QCOMPARE(persons.size(), 3);
    const QJsonObject first = persons[0].toObject();
    QCOMPARE(first["lastName"].toString(), "NAME1");
    QCOMPARE(first["dateOfBirth"].toString(), "02-Jan-1960");
    QCOMPARE(first["passport"].toString(), "01234567");
    QCOMPARE(persons[1].toObject()["passport"].toString(), "12.50%");

    // A damaged copy is refused with its reason, and nobody is reported clear.
    QByteArray bytes = TestSupport::readFile(dir.filePath("people3." + suffix));
    writeFile(dir.filePath("cut." + suffix), bytes.left(bytes.size() / 2));
    const Screened cut = screen({"--names", dir.filePath("cut." + suffix), "--list", list("Veyra_No_Fly_Sample.csv")});
    QCOMPARE(cut.exitCode, 2);
    QVERIFY(cut.out.isEmpty());
    QVERIFY2(cut.err.contains("damaged") || cut.err.contains("truncated"), cut.err.constData());
}

// The window takes rows 1 to 1000; the tool has no such limit, so the people below row 1000 are screened too,
// and the sheet read is named.
void TestBatchScreening::everyRowOfASheetIsScreened()
{
    QTemporaryDir dir;
    VEYRA_RUN_SCRIPT(MAKE_XLS_SCRIPT, "names", dir.filePath("names.xls"), "1200");
    const Screened run =
        screen({"--names", dir.filePath("names.xls"), "--list", list("Veyra_No_Fly_Sample.csv"), "--format", "json"});
    QVERIFY2(run.exitCode == 0 || run.exitCode == 1, run.err.constData());
    const QJsonArray persons = QJsonDocument::fromJson(run.out).object()["people"].toArray();
    QCOMPARE(persons.size(), 1200);
    QCOMPARE(persons[1199].toObject()["lastName"].toString(), "SMITH1200");
    QVERIFY2(run.err.contains("names.xls: read the sheet \"Names\""), run.err.constData());
    QVERIFY(!run.err.contains("Only rows"));

    // A workbook under another name is read as the workbook it is, never as comma-separated names.
    QVERIFY(QFile::copy(dir.filePath("names.xls"), dir.filePath("names.txt")));
    const Screened renamed = screen({"--names", dir.filePath("names.txt"), "--list", list("Veyra_No_Fly_Sample.csv")});
    QCOMPARE(renamed.out.count('\n'), 1201);
    writeFile(dir.filePath("names.xlsb"), QByteArray("PK\x03\x04", 4) + QByteArray(200, 'x'));
    const Screened binary = screen({"--names", dir.filePath("names.xlsb"), "--list", list("Veyra_No_Fly_Sample.csv")});
    QCOMPARE(binary.exitCode, 2);
    QVERIFY(binary.out.isEmpty());
    QVERIFY2(binary.err.contains("cannot be read: It is damaged"), binary.err.constData());
}

void TestBatchScreening::repeatedColumnsKeepEveryValue()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra_No_Fly_Twice.csv"), "SID,LASTNAME,MISC,MISC,MISC_2\r\n1,DOE,first,second,third\r\n");
    writeFile(dir.filePath("names.csv"), "doe,,,\r\n");
    const QStringList args{"--names", dir.filePath("names.csv"), "--list", dir.filePath("Veyra_No_Fly_Twice.csv")};
    const Screened csv = screen(args);
    QCOMPARE(csv.out, QByteArray("lastName,firstAndMiddleName,dateOfBirth,passport,status,list,SID,LASTNAME,MISC,"
                                 "MISC_3,MISC_2\r\nDOE,,,,NO FLY,Veyra_No_Fly_Twice.csv,1,DOE,first,second,third\r\n"));
    const Screened json = screen(args + QStringList{"--format", "json"});
    const QJsonObject record = QJsonDocument::fromJson(json.out)
                                   .object()["people"]
                                   .toArray()
                                   .at(0)
                                   .toObject()["matches"]
                                   .toArray()[0]
                                   .toObject()["record"]
                                   .toObject();
    QCOMPARE(record["MISC"].toString(), "first");
    QCOMPARE(record["MISC_3"].toString(), "second");
    QCOMPARE(record["MISC_2"].toString(), "third");
}

void TestBatchScreening::command_data()
{
    QTest::addColumn<QByteArray>("names");
    QTest::addColumn<QStringList>("lists");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("lines");

    newRow("nobody listed: 0", QByteArray("smith,jane,1/1/1970,\r\nrossi,marco,,\r\n"),
           QStringList{"Veyra_No_Fly_Sample.csv"}, 0, 3);
    newRow("a cleared match: 0, a line per record", QByteArray("marrowby,celeste,11/2/1984,\r\nrossi,marco,,\r\n"),
           QStringList{"Veyra_No_Fly_Sample.csv", "Veyra_Cleared_Sample.csv"}, 0, 4);
    newRow("a No-Fly match: 1", QByteArray("\"quillfeather\",\"arno bede\",\"3/14/1971\",\"\"\r\n"),
           QStringList{"Veyra_No_Fly_Sample.csv"}, 1, 2);
    newRow("a refusal: 1", QByteArray(",first only,,\r\n"), QStringList{"Veyra_No_Fly_Sample.csv"}, 1, 2);
    newRow("an unreadable list: 2", QByteArray("smith,jane,,\r\n"), QStringList{"Veyra_Missing.csv"}, 2, 0);
}

void TestBatchScreening::command()
{
    QFETCH(QByteArray, names);
    QFETCH(QStringList, lists);
    QFETCH(int, exitCode);
    QFETCH(int, lines);
    QTemporaryDir dir;
    writeFile(dir.filePath("names.csv"), names);
    QStringList args{"--names", dir.filePath("names.csv")};
    for (const QString &name : lists)
        args << "--list" << list(name);
    const Screened run = screen(args);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(int(run.out.count('\n')), lines);
    if (exitCode == 2)
        QVERIFY(!run.err.isEmpty());
    else
        QVERIFY(run.out.startsWith("lastName,firstAndMiddleName,dateOfBirth,passport,status,list"));
}

void TestBatchScreening::jsonOutput()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("names.csv"), "pemberleaf,orsolya,7/30/1990,pb4400123\r\nrossi,marco,,\r\n");
    const QStringList names{"--names", dir.filePath("names.csv"), "--list", list("Veyra_Selectee_Sample.csv")};
    QCOMPARE(screen(names + QStringList{"--format", "json", "--output", dir.filePath("out.json")}).exitCode, 1);
    const QJsonObject root = QJsonDocument::fromJson(TestSupport::readFile(dir.filePath("out.json"))).object();
    // Which version of the list the statuses come from, its hash as sha256sum gives it.
    const QString hash = TestSupport::sha256sum(list("Veyra_Selectee_Sample.csv"));
    QCOMPARE(root["lists"].toArray(),
             (QJsonArray{QJsonObject{{"file", "Veyra_Selectee_Sample.csv"}, {"records", 1}, {"sha256", hash}}}));
    const QJsonArray persons = root["people"].toArray();
    QCOMPARE(persons.size(), 2);
    const QJsonObject first = persons[0].toObject();
    QCOMPARE(first["lastName"].toString(), "PEMBERLEAF");
    QCOMPARE(first["status"].toString(), "SSSS");
    const QJsonObject match = first["matches"].toArray()[0].toObject();
    QCOMPARE(match["list"].toString(), "Veyra_Selectee_Sample.csv");
    QCOMPARE(match["record"].toObject()["PASSPORT/IDNUMBER"].toString(), "PB4400123");
    QVERIFY(match["record"].toObject()["CLEARED"].isNull());
    QCOMPARE(persons[1].toObject()["status"].toString(), "CLEARED");
    QVERIFY(persons[1].toObject()["matches"].toArray().isEmpty());

    // In CSV the same goes to standard error, a line per list.
    QCOMPARE(QString::fromUtf8(screen(names + QStringList{"--output", dir.filePath("out.csv")}).err),
             "list Veyra_Selectee_Sample.csv: 1 record, SHA-256 " + hash + "\n");
    QCOMPARE(screen(names + QStringList{"--format", "xml"}).exitCode, 2);
}

void TestBatchScreening::nearMissesAreAdvisories()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("names.csv"), "quilfeather,arno bede,3/14/1971,\r\nmarrowby,celeste,11/2/1984,\r\n");
    const QStringList base{"--names", dir.filePath("names.csv"), "--list", list("Veyra_No_Fly_Sample.csv")};

    const Screened json = screen(base + QStringList{"--near-miss", "--format", "json"});
    QCOMPARE(json.exitCode, 1); // the exact match of the second person decides, as without near misses
    const QJsonArray people = QJsonDocument::fromJson(json.out).object()["people"].toArray();
    const QJsonObject misspelled = people[0].toObject();
    QCOMPARE(misspelled["status"].toString(), "CLEARED");
    QVERIFY(misspelled["matches"].toArray().isEmpty());
    const QJsonArray near = misspelled["nearMisses"].toArray();
    QCOMPARE(near.size(), 1);
    const QJsonObject miss = near[0].toObject();
    QCOMPARE(miss["list"].toString(), "Veyra_No_Fly_Sample.csv");
    QCOMPARE(miss["record"].toObject()["SID"].toString(), "100001");
    QCOMPARE(miss["record"].toObject()["LASTNAME"].toString(), "QUILLFEATHER");
    QVERIFY(miss["record"].toObject()["CLEARED"].isNull());
    QVERIFY2(miss["score"].toDouble() > 0.95 && miss["score"].toDouble() < 1.0, json.out.constData());
    QCOMPARE(miss["reasons"].toArray(),
             (QJsonArray{"date of birth equal: 03/14/1971", "surname spelled differently: QUILFEATHER / QUILLFEATHER",
                         "given names equal: ARNO BEDE"}));
    // The record the exact search found is not a near miss of its own person.
    const QJsonObject listed = people[1].toObject();
    QCOMPARE(listed["status"].toString(), "NO FLY");
    QCOMPARE(listed["matches"].toArray().size(), 1);
    QCOMPARE(listed["nearMisses"].toArray(), QJsonArray());

    const Screened csv = screen(base + QStringList{"--near-miss"});
    const QList<QByteArray> lines = csv.out.split('\n');
    QVERIFY(lines[0].endsWith(",MISC,match,score\r"));
    QVERIFY2(QRegularExpression("^QUILFEATHER,ARNO BEDE,3/14/1971,,CLEARED,Veyra_No_Fly_Sample.csv,100001,.*,near,"
                                "0\\.9\\d\\d\r$")
                 .match(QString::fromUtf8(lines[1]))
                 .hasMatch(),
             lines[1].constData());
    QVERIFY2(lines[2].startsWith("MARROWBY,CELESTE,11/2/1984,,NO FLY,") && lines[2].endsWith(",exact,\r"),
             lines[2].constData());

    // Without the option nothing of the output changes.
    const Screened plain = screen(base + QStringList{"--format", "json"});
    QVERIFY(!plain.out.contains("nearMisses"));
    const Screened plainCsv = screen(base);
    QVERIFY(plainCsv.out.startsWith("lastName,firstAndMiddleName,dateOfBirth,passport,status,list,SID,CLEARED,"
                                    "LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\r\n"
                                    "QUILFEATHER,ARNO BEDE,3/14/1971,,CLEARED,,,,,,,,,,,,\r\n"));
}

void TestBatchScreening::nearMissOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("nearMisses");
    newRow("default threshold", QStringList{"--near-miss"}, 0, 1);
    newRow("a threshold above the score", QStringList{"--near-miss", "--near-miss-threshold", "1"}, 0, 0);
    newRow("a threshold above one", QStringList{"--near-miss", "--near-miss-threshold", "1.5"}, 2, 0);
    newRow("a threshold that is no number", QStringList{"--near-miss", "--near-miss-threshold", "high"}, 2, 0);
    newRow("a threshold without near misses", QStringList{"--near-miss-threshold", "0.5"}, 2, 0);
}

void TestBatchScreening::nearMissOptions()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(int, nearMisses);
    QTemporaryDir dir;
    writeFile(dir.filePath("names.csv"), "quilfeather,arno bede,3/14/1971,\r\n");
    const Screened run = screen(QStringList{"--names", dir.filePath("names.csv"), "--list",
                                            list("Veyra_No_Fly_Sample.csv"), "--format", "json"} +
                                options);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode == 2) {
        QVERIFY(!run.err.isEmpty());
        QVERIFY(run.out.isEmpty());
        return;
    }
    const QJsonObject person = QJsonDocument::fromJson(run.out).object()["people"].toArray()[0].toObject();
    QCOMPARE(person["nearMisses"].toArray().size(), nearMisses);
}

void TestBatchScreening::outputThatCannotBeWrittenIsAnError_data()
{
    QTest::addColumn<bool>("toFile");
    newRow("standard output on a full device", false);
    newRow("--output into a missing folder", true);
}

// Verdicts that never reached their reader must not end in "nobody flagged".
void TestBatchScreening::outputThatCannotBeWrittenIsAnError()
{
    QFETCH(bool, toFile);
    QTemporaryDir dir;
    writeFile(dir.filePath("names.csv"), "rossi,marco,,\r\n");
    QStringList arguments{"--names", dir.filePath("names.csv"), "--list", list("Veyra_Selectee_Sample.csv")};
    if (toFile)
        arguments << "--output" << dir.filePath("gone/out.csv");
    const Screened run = screen(arguments, toFile ? QString() : QStringLiteral("/dev/full"));
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(toFile ? "No such file or directory" : "No space left on device"), run.err.constData());
}

VEYRA_TEST(TestBatchScreening)
#include "TestBatchScreening.moc"
