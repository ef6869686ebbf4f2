#include "TestSupport.h"
#include "browser/BrowserStart.h"

#include <QTest>

// Whether the web engine is started, and how: never in a way that ends the program.
class TestBrowserStart : public QObject
{
    Q_OBJECT

private slots:
    void plan_data();
    void plan();
};

void TestBrowserStart::plan_data()
{
    QTest::addColumn<bool>("root");
    QTest::addColumn<bool>("sandboxOff");
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("canStart");
    QTest::addColumn<bool>("withoutSandbox");
    QTest::addColumn<QString>("said");
    const QString engine = "/usr/lib/qt6/libexec/QtWebEngineProcess";
    newRow("an ordinary user keeps the sandbox", false, false, engine, true, false, "");
    newRow("root: the sandbox goes, and the operator is told", true, false, engine, true, true,
           "The browser runs without its sandbox, as VeyraCheck was started as root. Start it as an ordinary "
           "user to keep the sandbox.");
    newRow("root with the sandbox already off: nothing to switch or say", true, true, engine, true, false, "");
    newRow("no engine: refused, saying what to do", false, false, "", false, false,
           "The browser cannot be started: its web engine (QtWebEngineProcess) is not installed.\n"
           "Install the package libqt6webenginecore6-bin, or download the lists with another browser into the "
           "list folder. Everything else works as before.");
    newRow("no engine, as root: refused all the same", true, false, "", false, false,
           "The browser cannot be started: its web engine "
           "(QtWebEngineProcess) is not installed.\n"
           "Install the package libqt6webenginecore6-bin, or "
           "download the lists with another browser into the "
           "list folder. Everything else works as before.");
}

void TestBrowserStart::plan()
{
    QFETCH(bool, root);
    QFETCH(bool, sandboxOff);
    QFETCH(QString, engine);
    QFETCH(bool, canStart);
    QFETCH(bool, withoutSandbox);
    QFETCH(QString, said);
    const BrowserStart::Plan plan = BrowserStart::plan(root, sandboxOff, engine);
    QCOMPARE(plan.canStart, canStart);
    QCOMPARE(plan.withoutSandbox, withoutSandbox);
    QCOMPARE(canStart ? plan.notice : plan.refusal, said);
}

VEYRA_TEST(TestBrowserStart)
#include "TestBrowserStart.moc"
