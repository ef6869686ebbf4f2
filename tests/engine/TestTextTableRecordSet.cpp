#include "TestSupport.h"
#include "engine/TableCache.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "engine/TextTableRecordSet.h"

#include "engine/UnstatedValues.h"

#include <QDir>
#include <QTemporaryDir>

using TestSupport::writeFile;

class TestTextTableRecordSet : public QObject
{
    Q_OBJECT

private slots:
    void statement_data();
    void statement();
    void valuesComeBackAsStored();
    void windows1252AndBom();
    void fieldsDecodeOneByOne_data();
    void fieldsDecodeOneByOne();
    void valuesOutliveTheirRecord();
    void headerlessFilesArePositional();
    void closedObjectsRaise3704();
    void connectionText_data();
    void connectionText();
    void unstatedValues_data();
    void unstatedValues();
    void pathsThatLookLikeSyntax_data();
    void pathsThatLookLikeSyntax();
    void fileChangedUnderAnOpenConnection();
    void unreadableFileIsRefusedOnce();
    void boundNameReadsTheSelectedFile_data();
    void boundNameReadsTheSelectedFile();
};

namespace {

const QByteArray List = "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\r\n"
                        "1,,SMITH,JOHN,PAUL,P,1/2/1960,X,Y,A1,\"note, with comma\"\r\n"
                        "2,YES,Smith,JOHNNY,,P,1960-01-02,X,Y,,\r\n"
                        "\r\n"
                        "3,,SMITH,JON,,P,not a date,X,Y,B2,\"multi\r\nline \"\"quoted\"\"\"\r\n"
                        "4,,O'BRIEN,PAT,,P,12/31/1970,,,,\n"
                        "5,, SMITH ,J,,P,01/02/1960,,,,";

QString connectionTextFor(const QString &folder, bool header = true)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1%2;Extended Properties=\"text;HDR=%3;"
                          "FMT=Delimited\"")
        .arg(folder, QDir::separator(), header ? "YES" : "NO");
}

// Runs a statement and gives the first field of every record, or throws.
QStringList firstFields(TableCache &cache, const QString &folder, const QString &sql, bool header = true)
{
    TextTableConnection connection(cache);
    connection.open(connectionTextFor(folder, header));
    TextTableRecordSet records;
    records.open(sql, connection);
    QStringList result;
    for (; !records.eof(); records.moveNext())
        result << records.value(0).value_or("<null>");
    records.close();
    connection.close();
    return result;
}

// A folder holding one list, and a connection open on it.
struct OpenList
{
    explicit OpenList(const QByteArray &bytes, bool header = true, const QString &name = "Veyra.csv")
    {
        writeFile(dir.filePath(name), bytes);
        connection.open(connectionTextFor(dir.path(), header));
    }
    QTemporaryDir dir;
    TableCache cache;
    TextTableConnection connection{cache};
};

int errorNumber(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const TextTableError &e) {
        return e.number();
    }
    return 0;
}

} // namespace

void TestTextTableRecordSet::statement_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("records");
    QTest::addColumn<int>("error");

    const QString from = "SELECT * FROM Veyra.csv WHERE ";
    newRow("no condition gives every record in file order", "SELECT * FROM Veyra.csv", "1,2,3,4,5", 0);
    newRow("equality ignores letter case and blanks around", from + "LASTNAME='SMITH'", "1,2,3,5", 0);
    newRow("prefix LIKE", from + "LASTNAME='SMITH' AND FIRSTNAME LIKE 'JOHN%'", "1,2", 0);
    newRow("underscore is one character", from + "FIRSTNAME LIKE 'J_N'", "3", 0);
    newRow("percent inside a pattern", from + "FIRSTNAME LIKE 'J%N%'", "1,2,3", 0);
    newRow("empty field equals empty literal", from + "LASTNAME='SMITH' AND MIDDLENAME = ''", "2,3,5", 0);
    newRow("bracketed column with a slash", from + "[PASSPORT/IDNUMBER]='a1'", "1", 0);
    newRow("date literal matches every written form", from + "DOB=#1/2/1960#", "1,2,5", 0);
    newRow("date literal with dashes", from + "LASTNAME='SMITH' AND DOB=#01-02-1960#", "1,2,5", 0);
    newRow("year-month-day literal", from + "DOB=#1970-12-31#", "4", 0);
    newRow("keywords and table name in any case, doubled apostrophe",
           "select * from veyra.CSV where lastname = 'o''brien'", "4", 0);
    newRow("conditions all hold", from + "LASTNAME='SMITH' AND FIRSTNAME LIKE 'JO%' AND DOB=#1/2/1960#", "1,2", 0);
    newRow("no match", from + "LASTNAME='NOBODY'", "", 0);

    const int syntax = TextTableError::SyntaxError;
    newRow("apostrophe ends the literal", from + "LASTNAME='O'BRIEN'", "", syntax);
    newRow("OR is not understood", from + "LASTNAME='A' OR LASTNAME='B'", "", syntax);
    newRow("date that does not exist", from + "DOB=#2/30/1960#", "", syntax);
    newRow("LIKE takes no date", from + "DOB LIKE #1/2/1960#", "", syntax);
    newRow("named columns are not selected", "SELECT LASTNAME FROM Veyra.csv", "", syntax);
    newRow("a LIKE pattern over 256 characters", from + "LASTNAME LIKE '%" + QString(256, u'A') + "'", "", syntax);
    newRow("unclosed literal", from + "LASTNAME='SMITH", "", syntax);
    newRow("missing condition after AND", from + "LASTNAME='SMITH' AND", "", syntax);
    newRow("unknown column", from + "NICKNAME='X'", "", int(TextTableError::UnknownColumn));
    newRow("missing file", "SELECT * FROM Other.csv", "", int(TextTableError::TableNotFound));
}

void TestTextTableRecordSet::statement()
{
    QFETCH(QString, sql);
    QFETCH(QString, records);
    QFETCH(int, error);

    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra.csv"), List);
    TableCache cache;
    QStringList result;
    QCOMPARE(errorNumber([&] { result = firstFields(cache, dir.path(), sql); }), error);
    QCOMPARE(result.join(','), records);
}

void TestTextTableRecordSet::valuesComeBackAsStored()
{
    OpenList list(List);
    TextTableRecordSet records;
    records.open("SELECT * FROM Veyra.csv WHERE FIRSTNAME='JON'", list.connection);
    QCOMPARE(records.fieldCount(), 11);
    QCOMPARE(records.fieldName(9), QStringLiteral("PASSPORT/IDNUMBER"));
    QCOMPARE(records.value(10), std::optional<QString>("multi\r\nline \"quoted\""));
    QCOMPARE(records.value(6), std::optional<QString>("not a date"));
    QCOMPARE(records.value(1), std::optional<QString>());
    records.moveNext();
    QVERIFY(records.eof());
    QCOMPARE(errorNumber([&] { records.value(0); }), int(TextTableError::NoCurrentRecord));

    records.close();
    records.open("SELECT * FROM Veyra.csv WHERE [SID]='5'", list.connection);
    QCOMPARE(records.value(2), std::optional<QString>(" SMITH "));
    QCOMPARE(records.value(10), std::optional<QString>());
}

void TestTextTableRecordSet::windows1252AndBom()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra.csv"), "SID,LASTNAME\r\n1,M\xDCLLER\r\n2,M\xFCller \x80\r\n3,SMITH\xA0\r\n");
    writeFile(dir.filePath("Bom.csv"), "\xEF\xBB\xBFSID,LASTNAME\n7,\xC3\x98STBY\n");
    TableCache cache;
    QCOMPARE(firstFields(cache, dir.path(), "SELECT * FROM Veyra.csv WHERE LASTNAME='müller'"), QStringList{"1"});
    QCOMPARE(firstFields(cache, dir.path(), "SELECT * FROM Veyra.csv WHERE LASTNAME LIKE 'MÜLLER _'"),
             QStringList{"2"});
    // A no-break space after a name is a blank like any other.
    QCOMPARE(firstFields(cache, dir.path(), "SELECT * FROM Veyra.csv WHERE LASTNAME='SMITH'"), QStringList{"3"});
    QCOMPARE(firstFields(cache, dir.path(), "SELECT * FROM Bom.csv WHERE SID='7' AND LASTNAME='østby'"),
             QStringList{"7"});
}

void TestTextTableRecordSet::fieldsDecodeOneByOne_data()
{
    QTest::addColumn<QString>("sid");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<QString>("firstName");
    newRow("UTF-8 of two and three bytes", "1", u"\u00D8STBY"_qs, u"\u65E5\u672C"_qs);
    newRow("Windows-1252 beside four-byte UTF-8", "2", u"M\u00DCLLER"_qs, u"\U0001F600"_qs);
    newRow("a byte order mark inside, doubled quotes", "3", u"\uFEFFBOM"_qs, u"A \"B\""_qs);
    newRow("no-break space, euro sign", "4", u"SMITH\u00A0"_qs, u"\u20AC"_qs);
    newRow("an empty field, a short record", "5", QString(), QString());
}

// A file that is not UTF-8 throughout is read field by field: each field that is valid UTF-8 is read as such,
// every other one as Windows-1252.
void TestTextTableRecordSet::fieldsDecodeOneByOne()
{
    QFETCH(QString, sid);
    QFETCH(QString, lastName);
    QFETCH(QString, firstName);

    OpenList list("SID,LASTNAME,FIRSTNAME\r\n"
                  "1,\xC3\x98STBY,\xE6\x97\xA5\xE6\x9C\xAC\r\n"
                  "2,M\xDCLLER,\xF0\x9F\x98\x80\r\n"
                  "3,\xEF\xBB\xBF"
                  "BOM,\"A \"\"B\"\"\"\r\n"
                  "4,SMITH\xA0,\x80\r\n"
                  "5,\r\n");
    TextTableRecordSet records;
    records.open(QStringLiteral("SELECT * FROM Veyra.csv WHERE SID='%1'").arg(sid), list.connection);
    QVERIFY(!records.eof());
    const auto expected = [](const QString &text) {
        return text.isNull() ? std::optional<QString>() : std::optional<QString>(text);
    };
    QCOMPARE(records.value(2), expected(firstName));
    QCOMPARE(records.value(1), expected(lastName));
    QCOMPARE(records.value(0), std::optional<QString>(sid));
}

// Values share their record's text. Each must stay whole, ended by a NUL, and its own, after the record set
// has moved on or gone, and when a neighbour of the same record is changed.
void TestTextTableRecordSet::valuesOutliveTheirRecord()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra.csv"), List);
    std::vector<std::vector<std::optional<QString>>> rows;
    QString kept;
    {
        TableCache cache;
        TextTableConnection connection(cache);
        connection.open(connectionTextFor(dir.path()));
        TextTableRecordSet records;
        records.open("SELECT * FROM Veyra.csv", connection);
        for (; !records.eof(); records.moveNext()) {
            auto &row = rows.emplace_back();
            for (int j = 0; j < records.fieldCount(); ++j)
                row.push_back(records.value(j));
        }
        records.moveFirst();
        kept = records.value(3).value(); // the only value left holding the first record's text
        records.close();
    }
    QCOMPARE(rows.size(), size_t(5));
    const std::vector<std::optional<QString>> first{"1", {},   "SMITH",           "JOHN", "PAUL", "P", "1/2/1960", "X",
                                                    "Y", "A1", "note, with comma"};
    QCOMPARE(rows[0], first);
    QCOMPARE(rows[2][10], std::optional<QString>("multi\r\nline \"quoted\""));
    QCOMPARE(rows[4][2], std::optional<QString>(" SMITH "));
    for (const auto &row : rows) {
        for (const auto &value : row) {
            if (value)
                QCOMPARE(value->utf16()[value->size()], u'\0');
        }
    }

    rows[0][2]->append(u"SON"_qs);
    QCOMPARE(rows[0][2], std::optional<QString>("SMITHSON"));
    QCOMPARE(rows[0][3], std::optional<QString>("JOHN"));
    QCOMPARE(rows[0][4], std::optional<QString>("PAUL"));
    rows.clear();
    kept.append(u"NY AND A TEXT LONGER THAN THE WHOLE RECORD WAS"_qs);
    QCOMPARE(kept, u"JOHNNY AND A TEXT LONGER THAN THE WHOLE RECORD WAS"_qs);
}

void TestTextTableRecordSet::headerlessFilesArePositional()
{
    OpenList list("\"1\",\"DOE\",\"JANE\"\r\n\"2\",\"ROE\"\r\n\"3\",\"POE\",\"AL\",\"SSSS\"\r\n", false,
                  "Manifest.csv");
    TextTableRecordSet records;
    records.open("SELECT * FROM Manifest.csv", list.connection);
    QCOMPARE(records.fieldCount(), 4);
    QCOMPARE(records.fieldName(3), QStringLiteral("F4"));
    QCOMPARE(records.recordCount(), size_t(3));
    records.moveNext();
    QCOMPARE(records.value(1), std::optional<QString>("ROE"));
    QCOMPARE(records.value(2), std::optional<QString>());
    QCOMPARE(firstFields(list.cache, list.dir.path(), "SELECT * FROM Manifest.csv WHERE F2='poe'", false),
             QStringList{"3"});
}

void TestTextTableRecordSet::closedObjectsRaise3704()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra.csv"), List);
    TableCache cache;
    TextTableConnection connection(cache);
    TextTableRecordSet records;
    const int closed = TextTableError::ClosedObject;
    QCOMPARE(errorNumber([&] { records.open("SELECT * FROM Veyra.csv", connection); }), closed);
    QCOMPARE(errorNumber([&] { connection.close(); }), closed);

    connection.open(connectionTextFor(dir.path()));
    records.open("SELECT * FROM Veyra.csv", connection);
    records.close();
    const std::function<void()> operations[] = {
        [&] { records.eof(); },        [&] { records.moveNext(); }, [&] { records.moveFirst(); },
        [&] { records.fieldCount(); }, [&] { records.value(0); },   [&] { records.close(); },
    };
    for (const auto &operation : operations)
        QCOMPARE(errorNumber(operation), closed);
    connection.close();
    QCOMPARE(errorNumber([&] { records.open("SELECT * FROM Veyra.csv", connection); }), closed);
}

void TestTextTableRecordSet::connectionText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");
    newRow("as the search builds it", connectionTextFor("%1"), 0);
    newRow("no provider, no properties", "Data Source=%1", 0);
    newRow("folder that does not exist", connectionTextFor("%1/missing"), int(TextTableError::InvalidPath));
    newRow("no data source", "Provider=Microsoft.Jet.OLEDB.4.0", int(TextTableError::InvalidPath));
    newRow("fixed-width files", "Data Source=%1;Extended Properties=\"text;FMT=Fixed\"",
           int(TextTableError::InvalidPath));
}

void TestTextTableRecordSet::connectionText()
{
    QFETCH(QString, text);
    QFETCH(int, error);
    QTemporaryDir dir;
    TableCache cache;
    TextTableConnection connection(cache);
    QCOMPARE(errorNumber([&] { connection.open(text.arg(dir.path())); }), error);
    QCOMPARE(connection.isOpen(), error == 0);
}

namespace {

const QByteArray Unstated =
    "SID,CLEARED,LASTNAME,FIRSTNAME,MIDDLENAME,TYPE,DOB,POB,CITIZENSHIP,PASSPORT/IDNUMBER,MISC\n"
    "1,,DOE,JOHN,,P,,,,,no date no passport\n"
    "2,,DOE,JOHN,,P,1960,,,X1,year only\n"
    "3,,DOE,JOHN,,P,01/1960,,,,month and year\n"
    "4,,DOE,JOHN,,P,unknown,,,,unreadable\n"
    "5,,DOE,JOHN,,P,2/3/1960,,,,another day\n"
    "6,,DOE,JOHN,,P,01/02/1960 00:00:00,,,Y2,the same day\n"
    "7,,DOE,JOHN,,P,1961,,,,another year\n"
    "8,,DOE,,,P,1/2/1960,,,,no first name\n";

} // namespace

void TestTextTableRecordSet::unstatedValues_data()
{
    QTest::addColumn<QString>("conditions");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("records");

    const QString john = "LASTNAME='DOE' AND FIRSTNAME LIKE 'JOHN%' AND ";
    newRow("strict: only the same whole date", john + "DOB=#1/2/1960#", false, "6");
    newRow("open: unstated, partial and unreadable dates do not exclude", john + "DOB=#1/2/1960#", true, "1,2,3,4,6,8");
    newRow("strict: an empty passport equals no passport", john + "[PASSPORT/IDNUMBER]='X1' AND DOB=#1/2/1960#", false,
           "");
    newRow("open: an empty passport does not exclude, another one does",
           john + "[PASSPORT/IDNUMBER]='X1' AND DOB=#1/2/1960#", true, "1,2,3,4,8");
    newRow("open: a year outside the date excludes", "LASTNAME='DOE' AND DOB=#6/30/1961#", true, "1,4,7");
    newRow("strict: exact names, empty middle name", "LASTNAME='DOE' AND FIRSTNAME = 'JOHN' AND MIDDLENAME = ''", false,
           "1,2,3,4,5,6,7");
    newRow("open: an open column first is no index key", "FIRSTNAME='JOHN' AND LASTNAME='DOE' AND DOB=#1/2/1960#", true,
           "1,2,3,4,6,8");
}

void TestTextTableRecordSet::unstatedValues()
{
    QFETCH(QString, conditions);
    QFETCH(bool, open);
    QFETCH(QString, records);
    OpenList list(Unstated);
    UnstatedValues unstated;
    if (open)
        unstated = {UnstatedValues::Open, {"DOB", "PASSPORT/IDNUMBER", "FIRSTNAME", "MIDDLENAME"}};
    TextTableRecordSet recordSet;
    recordSet.open("SELECT * FROM Veyra.csv WHERE " + conditions, list.connection, unstated);
    QStringList sids;
    for (; !recordSet.eof(); recordSet.moveNext())
        sids << recordSet.value(0).value_or("<null>");
    QCOMPARE(sids.join(u','), records);
}

void TestTextTableRecordSet::pathsThatLookLikeSyntax_data()
{
    QTest::addColumn<QString>("folder");
    newRow("semicolon", "lists;Extended Properties=x");
    newRow("equals sign", "a=b");
    newRow("double quote", "say \"hi\"");
    newRow("apostrophe", "o'brien");
    newRow("braces", "{lists}");
    newRow("blank at the start", " lists");
}

// The folder opened must be the one named, never a neighbour whose name is a part of it.
void TestTextTableRecordSet::pathsThatLookLikeSyntax()
{
    QFETCH(QString, folder);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(folder));
    QVERIFY(QDir(dir.path()).mkpath("lists"));
    writeFile(dir.filePath(folder + "/Veyra.csv"), "SID\nright\n");
    writeFile(dir.filePath("lists/Veyra.csv"), "SID\nwrong\n");
    TableCache cache;
    TextTableConnection connection(cache);
    connection.open(TextTableConnection::connectionText(dir.filePath(folder), true));
    QCOMPARE(connection.folder(), dir.filePath(folder));
    TextTableRecordSet records;
    records.open("SELECT * FROM Veyra.csv", connection);
    QCOMPARE(records.value(0), std::optional<QString>("right"));
}

void TestTextTableRecordSet::fileChangedUnderAnOpenConnection()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Veyra.csv");
    writeFile(path, List);
    TableCache cache;
    TextTableConnection connection(cache);
    connection.open(connectionTextFor(dir.path()));
    TextTableRecordSet before;
    before.open("SELECT * FROM Veyra.csv WHERE LASTNAME='SMITH'", connection);

    // Cut short under an open record set: what it holds is its own, and the next statement reads the new file.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(70));
    file.close();
    before.moveNext();
    QCOMPARE(before.value(10), std::optional<QString>());
    before.moveNext();
    QCOMPARE(before.value(10), std::optional<QString>("multi\r\nline \"quoted\""));
    TextTableRecordSet after;
    after.open("SELECT * FROM Veyra.csv", connection);
    QCOMPARE(after.recordCount(), size_t(0));

    // Replaced by a rename, as an editor saves: the next statement reads the new file.
    writeFile(dir.filePath("new.csv"), "SID,LASTNAME\r\n8,SMITH\r\n");
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(dir.filePath("new.csv"), path));
    TextTableRecordSet replaced;
    replaced.open("SELECT * FROM Veyra.csv WHERE LASTNAME='SMITH'", connection);
    QCOMPARE(replaced.value(0), std::optional<QString>("8"));

    QVERIFY(QFile::remove(path));
    TextTableRecordSet gone;
    QCOMPARE(errorNumber([&] { gone.open("SELECT * FROM Veyra.csv", connection); }),
             int(TextTableError::TableNotFound));
}

void TestTextTableRecordSet::unreadableFileIsRefusedOnce()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra.csv"), "SID,LASTNAME\n1,SMITH\n2,\"JONES\n3,SMITH\n");
    TableCache cache;
    // Named as the operator knows the list, though it is read under the working name.
    QCOMPARE(errorNumber([&] { cache.table(dir.filePath("Veyra.csv"), true, "Veyra_No_Fly.csv"); }),
             int(TextTableError::BadFormat));
    for (int i = 0; i < 2; ++i) {
        try {
            firstFields(cache, dir.path(), "SELECT * FROM Veyra.csv WHERE LASTNAME='SMITH'");
            QFAIL("a list with an unclosed quote was searched");
        } catch (const TextTableError &e) {
            QCOMPARE(e.number(), int(TextTableError::BadFormat));
            QCOMPARE(e.message(), QStringLiteral("Unclosed quote in Veyra_No_Fly.csv at line 3"));
        }
    }
    QCOMPARE(cache.parses(), 1);
}

void TestTextTableRecordSet::boundNameReadsTheSelectedFile_data()
{
    QTest::addColumn<QString>("statementName");
    QTest::addColumn<bool>("pinned");
    newRow("the working name, bound to a path", "Veyra.csv", false);
    newRow("its letter case ignored", "VEYRA.CSV", false);
    newRow("bound to the table as read", "Veyra.csv", true);
}

// The statements name "Veyra.csv"; bound, that name is the selected list, and a stray file of that name beside it
// is never read. A table bound as read is what every statement reads, whatever the file holds by then.
void TestTextTableRecordSet::boundNameReadsTheSelectedFile()
{
    QFETCH(QString, statementName);
    QFETCH(bool, pinned);
    QTemporaryDir dir;
    const QString selected = dir.filePath("Veyra_No_Fly_X.csv");
    writeFile(selected, "SID,LASTNAME\r\n7,SMITH\r\n");
    writeFile(dir.filePath("Veyra.csv"), "SID,LASTNAME\r\n9,SMITH\r\n");
    TableCache cache;
    TextTableConnection connection(cache);
    connection.open(connectionTextFor(dir.path()));
    connection.bindTable("Veyra.csv", selected, pinned ? cache.table(selected, true) : nullptr);
    if (pinned)
        writeFile(selected, "SID,LASTNAME\r\n8,SMITH\r\n");

    TextTableRecordSet records;
    records.open("SELECT * FROM " + statementName + " WHERE LASTNAME='SMITH'", connection);
    QCOMPARE(records.value(0), std::optional<QString>("7"));
    records.close();
    // Other names are files of the folder, as before.
    records.open("SELECT * FROM Veyra_No_Fly_X.csv", connection);
    QCOMPARE(records.value(0), std::optional<QString>(pinned ? "8" : "7"));
}

VEYRA_TEST(TestTextTableRecordSet)
#include "TestTextTableRecordSet.moc"
