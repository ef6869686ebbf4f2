#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestCrashRecovery : public QObject
{
    Q_OBJECT

private slots:
    void killedWhileAListIsActive();
};

namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList({"Veyra*"}, QDir::Files, QDir::Name);
}

void start(QProcess &process, const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(VEYRACHECK_EXECUTABLE, arguments);
    QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));
}

} // namespace

// Killed with a list active, nothing in the folder has moved; the next start removes what a save cut short by a
// crash left beside its file (a process of that number is gone), and leaves a running save's file alone.
void TestCrashRecovery::killedWhileAListIsActive()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "SID,CLEARED,LASTNAME\r\n1,,DOE\r\n");
    writeFile(data.filePath("Veyra_Cleared.csv"), "SID,CLEARED,LASTNAME\r\n");

    QProcess first;
    start(first, {"--data-folder", data.path(), "--list", "Veyra_No_Fly.csv"});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data.filePath("Defaultcfg.cdb")), 20000);
    const qint64 gonePid = first.processId();
    first.kill(); // SIGKILL: no shut-down code runs
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(filesIn(data.path()), (QStringList{"Veyra_Cleared.csv", "Veyra_No_Fly.csv"}));
    QCOMPARE(readFile(data.filePath("Veyra_No_Fly.csv")), QByteArray("SID,CLEARED,LASTNAME\r\n1,,DOE\r\n"));

    const QString host = TestSupport::machineTag();
    const QString cutShort = QStringLiteral(".veyra-saving.%1.%2.abcdefgh.Crew-1").arg(host).arg(gonePid);
    const QString running =
        QStringLiteral(".veyra-saving.%1.%2.abcdefgh.Crew-2").arg(host).arg(QCoreApplication::applicationPid());
    const QString someoneElses = ".veyra-saving.elsewhere.17.abcdefgh.Crew-3"; // another machine's, written now
    for (const QString &name : {cutShort, running, someoneElses})
        writeFile(data.filePath(name), "half");

    QProcess second;
    start(second, {"--data-folder", data.path()});
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(data.filePath(cutShort)), 20000);
    second.kill();
    QVERIFY(second.waitForFinished(10000));
    QVERIFY(QFile::exists(data.filePath(running)));
    QVERIFY(QFile::exists(data.filePath(someoneElses)));
    QCOMPARE(filesIn(data.path()), (QStringList{"Veyra_Cleared.csv", "Veyra_No_Fly.csv"}));
    QVERIFY(!QFile::exists(data.filePath("WorkingNames.cdb")));
}

VEYRA_TEST(TestCrashRecovery)
#include "TestCrashRecovery.moc"
