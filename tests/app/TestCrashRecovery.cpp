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

void TestCrashRecovery::killedWhileAListIsActive()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_No_Fly.csv"), "SID,CLEARED,LASTNAME\r\n1,,DOE\r\n");
    writeFile(data.filePath("Veyra_Cleared.csv"), "SID,CLEARED,LASTNAME\r\n");

    QProcess first;
    start(first, {"--data-folder", data.path(), "--list", "Veyra_No_Fly.csv"});
    QTRY_COMPARE_WITH_TIMEOUT(filesIn(data.path()), (QStringList{"Veyra.csv", "Veyra_Cleared.csv"}), 20000);
    first.kill(); // SIGKILL: no shut-down code runs
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(filesIn(data.path()), (QStringList{"Veyra.csv", "Veyra_Cleared.csv"}));

    QProcess second;
    start(second, {"--data-folder", data.path()});
    QTRY_COMPARE_WITH_TIMEOUT(filesIn(data.path()), (QStringList{"Veyra_Cleared.csv", "Veyra_No_Fly.csv"}), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data.filePath("Defaultcfg.cdb")), 20000);
    second.kill();
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(readFile(data.filePath("Veyra_No_Fly.csv")), QByteArray("SID,CLEARED,LASTNAME\r\n1,,DOE\r\n"));
    QVERIFY(!QFile::exists(data.filePath("WorkingNames.cdb")));
}

VEYRA_TEST(TestCrashRecovery)
#include "TestCrashRecovery.moc"
