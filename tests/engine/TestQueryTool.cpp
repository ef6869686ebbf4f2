#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

using TestSupport::writeFile;

namespace {

TestSupport::Ran query(const QStringList &arguments)
{
    return TestSupport::run(VEYRACHECK_QUERY_EXECUTABLE, arguments);
}

} // namespace

class TestQueryTool : public QObject
{
    Q_OBJECT

private slots:
    void runsEachStatementAndReportsFailures();
    void listKindsAndUnreadableFiles();
};

void TestQueryTool::runsEachStatementAndReportsFailures()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("Veyra.csv"), "SID,LASTNAME,MISC\r\n1,SMITH,\"a, \"\"b\"\"\"\r\n2,DOE,\r\n");
    writeFile(dir.filePath("statements"), "SELECT * FROM Veyra.csv WHERE LASTNAME='smith'\n\n"
                                          "SELECT * FROM Veyra.csv WHERE LASTNAME='O'BRIEN'\n"
                                          "SELECT * FROM Veyra.csv WHERE LASTNAME LIKE 'D%'\n");
    const auto all = query({dir.path(), "--file", dir.filePath("statements")});
    QCOMPARE(all.exitCode, 2);
    QCOMPARE(all.out, QByteArray("SID,LASTNAME,MISC\r\n1,SMITH,\"a, \"\"b\"\"\"\r\n\r\n"
                                 "SID,LASTNAME,MISC\r\n2,DOE,\r\n\r\n"));
    QVERIFY2(all.err.startsWith("error -2147217900: Syntax error"), all.err.constData());
    QCOMPARE(all.err.count('\n'), 1);

    const auto headless = query({"--no-header", dir.path(), "SELECT * FROM Veyra.csv WHERE F1='2'"});
    QCOMPARE(headless.exitCode, 0);
    QCOMPARE(headless.out, QByteArray("F1,F2,F3\r\n2,DOE,\r\n\r\n"));
}

void TestQueryTool::listKindsAndUnreadableFiles()
{
    QTemporaryDir parent;
    // A folder whose name would end the connection text early, beside the folder that would be opened then.
    const QString folder = parent.filePath("lists;x");
    QVERIFY(QDir().mkpath(folder));
    writeFile(folder + "/Veyra.csv", "SID,LASTNAME,DOB\r\n1,DOE,\r\n2,DOE,1960\r\n3,DOE,3/4/1961\r\n");
    writeFile(folder + "/Bad.csv", "SID,LASTNAME\r\n1,\"DOE\r\n2,ROE\r\n");
    const QString statement = "SELECT * FROM Veyra.csv WHERE LASTNAME='doe' AND DOB=#01-02-1960#";
    const auto strict = query({folder, statement});
    QCOMPARE(strict.exitCode, 0);
    QCOMPARE(strict.out, QByteArray("SID,LASTNAME,DOB\r\n\r\n"));
    const auto open = query({"--kind", "no-fly", folder, statement});
    QCOMPARE(open.exitCode, 0);
    QCOMPARE(open.out, QByteArray("SID,LASTNAME,DOB\r\n1,DOE,\r\n2,DOE,1960\r\n\r\n"));
    const auto bad = query({folder, "SELECT * FROM Bad.csv"});
    QCOMPARE(bad.exitCode, 2);
    QCOMPARE(bad.err, QByteArray("error 3274: Unclosed quote in Bad.csv at line 2\n"));
    QCOMPARE(query({"--kind", "vip", folder, statement}).exitCode, 2);
}

VEYRA_TEST(TestQueryTool)
#include "TestQueryTool.moc"
