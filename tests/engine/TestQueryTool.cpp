#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

using TestSupport::writeFile;

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
    QProcess tool;
    tool.start(VEYRACHECK_QUERY_EXECUTABLE, {dir.path(), "--file", dir.filePath("statements")});
    QVERIFY(tool.waitForFinished(20000));
    QCOMPARE(tool.exitCode(), 2);
    QCOMPARE(tool.readAllStandardOutput(), QByteArray("SID,LASTNAME,MISC\r\n1,SMITH,\"a, \"\"b\"\"\"\r\n\r\n"
                                                      "SID,LASTNAME,MISC\r\n2,DOE,\r\n\r\n"));
    const QByteArray errors = tool.readAllStandardError();
    QVERIFY2(errors.startsWith("error -2147217900: Syntax error"), errors.constData());
    QCOMPARE(errors.count('\n'), 1);

    tool.start(VEYRACHECK_QUERY_EXECUTABLE, {"--no-header", dir.path(), "SELECT * FROM Veyra.csv WHERE F1='2'"});
    QVERIFY(tool.waitForFinished(20000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardOutput(), QByteArray("F1,F2,F3\r\n2,DOE,\r\n\r\n"));
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
    auto run = [&](const QStringList &args) {
        QProcess tool;
        tool.start(VEYRACHECK_QUERY_EXECUTABLE, args);
        tool.waitForFinished(20000);
        return std::make_tuple(tool.exitCode(), tool.readAllStandardOutput(), tool.readAllStandardError());
    };
    auto [strictExit, strict, strictErrors] = run({folder, statement});
    QCOMPARE(strictExit, 0);
    QCOMPARE(strict, QByteArray("SID,LASTNAME,DOB\r\n\r\n"));
    auto [openExit, open, openErrors] = run({"--kind", "no-fly", folder, statement});
    QCOMPARE(openExit, 0);
    QCOMPARE(open, QByteArray("SID,LASTNAME,DOB\r\n1,DOE,\r\n2,DOE,1960\r\n\r\n"));
    auto [badExit, bad, badErrors] = run({folder, "SELECT * FROM Bad.csv"});
    QCOMPARE(badExit, 2);
    QCOMPARE(badErrors, QByteArray("error 3274: Unclosed quote in Bad.csv at line 2\n"));
    auto [kindExit, kindOut, kindErrors] = run({"--kind", "vip", folder, statement});
    QCOMPARE(kindExit, 2);
}

VEYRA_TEST(TestQueryTool)
#include "TestQueryTool.moc"
