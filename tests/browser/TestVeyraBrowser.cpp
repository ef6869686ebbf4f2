#include "RunningApp.h"
#include "TestSupport.h"
#include "browser/VeyraBrowser.h"
#include "platform/widgets/FileList.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QWebEnginePage>
#include <QWebEngineView>

using TestSupport::readFile;
using TestSupport::writeFile;

// The browser window on local pages: a portal page offering a list, and a second page.
class TestVeyraBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void opensAtTheStartAddress();
    void enterLoadsTheTypedAddress();
    void stopShowsTheCurrentTitle();
    void captionFollowsEveryFinishedLoad();
    void downloadsLandInTheMainFolderWithoutOverwriting();
    void downloadNeverTakesTheProgramsNames();
    void followsTheMainWindow();

private:
    VeyraBrowser *open(RunningApp &app);
    QString url(const QString &name) const { return QUrl::fromLocalFile(m_site.filePath(name)).toString(); }

    QTemporaryDir m_site;
};

void TestVeyraBrowser::initTestCase()
{
    writeFile(m_site.filePath("portal.html"),
              "<html><head><title>Watch lists</title></head><body><a href=\"Veyra_Test.csv\">list</a>"
              "<a id=\"next\" href=\"second.html\">next</a></body></html>");
    writeFile(m_site.filePath("moved.html"),
              "<html><head><title>Moved</title>"
              "<meta http-equiv=\"refresh\" content=\"0; url=portal.html\"></head></html>");
    writeFile(m_site.filePath("second.html"), "<html><head><title>Second page</title></head><body>2</body></html>");
    writeFile(m_site.filePath("Veyra_Test.csv"), "SID,LASTNAME\r\n1,NEW\r\n");
}

VeyraBrowser *TestVeyraBrowser::open(RunningApp &app)
{
    app.module.browserStartAddress = url("portal.html");
    app.module.browserLibrary = VEYRA_BROWSER_LIBRARY;
    QTest::mouseClick(app.find<QPushButton>("Command3"), Qt::LeftButton);
    auto *browser = qobject_cast<VeyraBrowser *>(app.module.existingBrowserWindow());
    const bool loaded = browser && QTest::qWaitFor([&] { return browser->view()->title() == "Watch lists"; }, 20000);
    return loaded ? browser : nullptr;
}

void TestVeyraBrowser::opensAtTheStartAddress()
{
    RunningApp app;
    VeyraBrowser *browser = open(app);
    QVERIFY(browser && browser->isVisible());
    QCOMPARE(browser->view()->url().toString(), url("portal.html"));
    QCOMPARE(browser->findChild<QLabel *>("lblAddress")->text(), "&Address:");
    QStringList tips;
    for (QAction *action : browser->findChild<QToolBar *>("tbToolBar")->actions())
        tips.append(action->toolTip());
    QCOMPARE(tips, (QStringList{"Back", "Forward", "Stop", "Refresh", "Home", "Search"}));

    // A second press brings the same window back.
    QTest::mouseClick(app.find<QPushButton>("Command3"), Qt::LeftButton);
    QCOMPARE(app.module.existingBrowserWindow(), browser);
}

void TestVeyraBrowser::enterLoadsTheTypedAddress()
{
    RunningApp app;
    VeyraBrowser *browser = open(app);
    QVERIFY(browser);
    QSignalSpy captions(browser, &QWidget::windowTitleChanged);
    auto *address = browser->findChild<QComboBox *>("cboAddress");
    address->setEditText(url("second.html"));
    QTest::keyClick(address->lineEdit(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QString("Second page"), 20000);
    QVERIFY(captions.size() >= 2);
    QCOMPARE(captions.first().first().toString(), "Working...");
    QCOMPARE(address->count(), 0); // nothing is put into the list

    // Back returns to the portal, through "Working..." again.
    browser->findChild<QAction *>("Back")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QString("Watch lists"), 20000);
}

void TestVeyraBrowser::stopShowsTheCurrentTitle()
{
    RunningApp app;
    VeyraBrowser *browser = open(app);
    QVERIFY(browser);
    auto *address = browser->findChild<QComboBox *>("cboAddress");
    address->setEditText(url("second.html"));
    QTest::keyClick(address->lineEdit(), Qt::Key_Return);
    browser->findChild<QAction *>("Stop")->trigger();
    QCOMPARE(browser->windowTitle(), browser->view()->title());
    QVERIFY(!browser->findChild<QTimer *>("timTimer")->isActive());
}

// Pages the toolbar and the address box never asked for: the first one, a link followed in the page, and a page
// that sends the browser on. Each finished load gives the caption its title, with no timer running.
void TestVeyraBrowser::captionFollowsEveryFinishedLoad()
{
    RunningApp app;
    VeyraBrowser *browser = open(app);
    QVERIFY(browser);
    auto *timer = browser->findChild<QTimer *>("timTimer");
    QTRY_COMPARE(browser->windowTitle(), QString("Watch lists"));
    QVERIFY(!timer->isActive());

    browser->view()->page()->runJavaScript("document.getElementById('next').click()");
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QString("Second page"), 20000);
    QVERIFY(!timer->isActive());

    browser->view()->page()->runJavaScript("location.href = 'moved.html'");
    QTRY_COMPARE_WITH_TIMEOUT(browser->view()->url().toString(), url("portal.html"), 20000);
    QTRY_COMPARE_WITH_TIMEOUT(browser->windowTitle(), QString("Watch lists"), 20000);
}

void TestVeyraBrowser::downloadsLandInTheMainFolderWithoutOverwriting()
{
    QTemporaryDir data;
    writeFile(data.filePath("Veyra_Test.csv"), "OLD");
    RunningApp app(data.path());
    VeyraBrowser *browser = open(app);
    QVERIFY(browser);
    browser->view()->page()->download(QUrl(url("Veyra_Test.csv")));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(data.filePath("Veyra_Test (1).csv")), 20000);
    QTRY_COMPARE(readFile(data.filePath("Veyra_Test (1).csv")), QByteArray("SID,LASTNAME\r\n1,NEW\r\n"));
    QCOMPARE(readFile(data.filePath("Veyra_Test.csv")), QByteArray("OLD"));

    QFile::remove(data.filePath("Veyra_Test.csv"));
    app.find<FileList>("File1")->clear();
    browser->close();
    QVERIFY(!app.module.existingBrowserWindow());
    QCOMPARE(app.find<FileList>("File1")->fileNames(), QStringList{"Veyra_Test (1).csv"});
}

// A page offering the journal's name: saved beside it under another name, and the operator is told.
void TestVeyraBrowser::downloadNeverTakesTheProgramsNames()
{
    RunningApp app;
    VeyraBrowser *browser = open(app);
    QVERIFY(browser);
    browser->view()->page()->download(QUrl(url("Veyra_Test.csv")), "WorkingNames.cdb");
    const QString saved = app.data("WorkingNames.cdb.download");
    QTRY_COMPARE_WITH_TIMEOUT(readFile(saved), QByteArray("SID,LASTNAME\r\n1,NEW\r\n"), 20000);
    QVERIFY(!QFile::exists(app.data("WorkingNames.cdb")));
    auto *status = browser->findChild<QStatusBar *>();
    QVERIFY(status && status->isVisible());
    QCOMPARE(status->currentMessage(),
             "\"WorkingNames.cdb\" is a name VeyraCheck uses, so the file was saved as \"WorkingNames.cdb.download\".");
    // The page still ends above the status line.
    const int pageBottom = browser->view()->mapTo(browser, QPoint(0, browser->view()->height())).y();
    QVERIFY2(pageBottom <= status->geometry().top(), qPrintable(QString::number(pageBottom)));
}

void TestVeyraBrowser::followsTheMainWindow()
{
    RunningApp app;
    VeyraBrowser *browser = open(app);
    QVERIFY(browser);
    app.window().setGeometry(40, 50, 900, 650);
    browser->resize(300, 200);
    QTRY_COMPARE(browser->geometry(), app.window().geometry());
    // The page fills the window below the address box, at the window's new size.
    const QRect page = browser->view()->geometry();
    QVERIFY2(page.width() > browser->width() * 9 / 10 && page.bottom() > browser->centralWidget()->height() * 9 / 10,
             qPrintable(QStringLiteral("page %1x%2 in %3x%4")
                            .arg(page.width())
                            .arg(page.height())
                            .arg(browser->width())
                            .arg(browser->height())));
}

VEYRA_TEST(TestVeyraBrowser)
#include "TestVeyraBrowser.moc"
