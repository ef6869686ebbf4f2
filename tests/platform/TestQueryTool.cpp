#include "TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>

using TestSupport::writeFile;

class TestQueryTool : public QObject
{
    Q_OBJECT

private slots:
    void runsEachStatementAndReportsFailures();
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

VEYRA_TEST(TestQueryTool)
#include "TestQueryTool.moc"
