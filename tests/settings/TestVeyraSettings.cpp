#include "RunningApp.h"
#include "TestSupport.h"
#include "platform/widgets/TextBox.h"
#include "settings/CompanyInfoFile.h"
#include "settings/VeyraSettings.h"

#include <QPushButton>
#include <QTemporaryDir>

using TestSupport::MessageBoxAnswerer;
using TestSupport::readFile;

class TestVeyraSettings : public QObject
{
    Q_OBJECT

private slots:
    void missingFileLeavesFieldsEmptyAndPortZero();
    void savedSettingsComeBackAfterRestart();
    void refusedSaveLeavesFileAndWindow_data();
    void refusedSaveLeavesFileAndWindow();
    void centredOverTheMainWindowWhenActivated();
    void pressOnTheMainWindowBringsSettingsToFront();
};

namespace {

TextBox *field(VeyraSettings &settings, int index)
{
    return settings.findChild<TextBox *>(QStringLiteral("Settings_%1").arg(index));
}

void fill(VeyraSettings &settings, const QStringList &texts)
{
    const int indexes[] = {0, 4, 5, 6, 7, 8};
    for (int i = 0; i < 6; ++i)
        field(settings, indexes[i])->setText(texts[i]);
}

void clickSave(VeyraSettings &settings)
{
    QTest::mouseClick(settings.findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
}

} // namespace

void TestVeyraSettings::missingFileLeavesFieldsEmptyAndPortZero()
{
    RunningApp app;
    VeyraSettings &settings = app.module.settingsWindow();
    QVERIFY(!settings.isVisible());
    for (int index : {0, 4, 5, 6, 7})
        QCOMPARE(field(settings, index)->text(), QString());
    QCOMPARE(field(settings, 8)->text(), QStringLiteral("0"));
    QCOMPARE(app.module.SmtpPort, qint16(0));
    QCOMPARE(field(settings, 7)->echoMode(), QLineEdit::Normal); // the password shows as typed
}

void TestVeyraSettings::savedSettingsComeBackAfterRestart()
{
    QTemporaryDir data;
    const QStringList typed = {"Nordlys Air, AS",   "ops@nordlys.test;duty@nordlys.test",
                               "smtp.nordlys.test", "mailer@nordlys.test",
                               "  spaced, secret",  "587"};
    {
        RunningApp app(data.path());
        app.window().Settings_Click();
        VeyraSettings &settings = app.module.settingsWindow();
        QVERIFY(settings.isVisible());
        fill(settings, typed);
        clickSave(settings);
        QVERIFY(!settings.isVisible());
        QCOMPARE(app.module.CompanyName, typed[0]);
        QCOMPARE(app.module.SmtpPort, qint16(587));
    }
    RunningApp restarted(data.path());
    VeyraSettings &settings = restarted.module.settingsWindow();
    const int indexes[] = {0, 4, 5, 6, 7, 8};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(field(settings, indexes[i])->text(), typed[i]);
    QCOMPARE(restarted.module.CompanyName, typed[0]);
    QCOMPARE(restarted.module.SmtpServer, typed[2]);
    QCOMPARE(restarted.module.SmtpUser, typed[3]);
    QCOMPARE(restarted.module.SmtpPassword, typed[4]);
    QCOMPARE(restarted.module.SmtpPort, qint16(587));

    // Saved over with other values, the earlier file is kept and comes back from the history.
    const QByteArray first = TestSupport::readFile(data.filePath("CIinfo.cdb"));
    restarted.window().Settings_Click();
    fill(settings, QStringList{"Sudvind Air"} + typed.mid(1));
    clickSave(settings);
    QVERIFY(TestSupport::readFile(data.filePath("CIinfo.cdb")) != first);
    QCOMPARE(keptVersions(data.path(), "CIinfo.cdb"), QByteArrayList{first});
}

void TestVeyraSettings::refusedSaveLeavesFileAndWindow_data()
{
    QTest::addColumn<int>("fieldIndex");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    const QString email = CompanyInfoFile::EmailMessage;
    newRow("addresses separated by a comma", 4, "a@x.test,b@y.test", email);
    newRow("port that is no number", 8, "twenty-five",
           "SMTP Port must be a whole number from -32768 to 32767. Nothing was saved.");
    newRow("double quote in the server name", 5, "smtp\".test",
           "Server Name must not contain a double quote (\"). Nothing was saved.");
}

void TestVeyraSettings::refusedSaveLeavesFileAndWindow()
{
    QFETCH(int, fieldIndex);
    QFETCH(QString, text);
    QFETCH(QString, message);

    RunningApp app;
    app.window().Settings_Click();
    VeyraSettings &settings = app.module.settingsWindow();
    fill(settings, {"ACME", "ops@acme.test", "smtp.test", "user", "pw", "25"});
    clickSave(settings);
    const QByteArray saved = readFile(CompanyInfoFile::path(app.module.DataFolder));
    QVERIFY(!saved.isEmpty());
    settings.show();

    field(settings, fieldIndex)->setText(text);
    field(settings, 0)->setText("Changed");
    MessageBoxAnswerer answerer;
    clickSave(settings);
    QCOMPARE(answerer.texts, QStringList{message});
    QCOMPARE(answerer.titles, QStringList{"VeyraCheck"});
    QVERIFY(settings.isVisible());
    QCOMPARE(readFile(CompanyInfoFile::path(app.module.DataFolder)), saved);
    QCOMPARE(app.module.CompanyName, QStringLiteral("ACME"));
}

void TestVeyraSettings::centredOverTheMainWindowWhenActivated()
{
    RunningApp app;
    app.window().move(40, 30);
    app.window().Settings_Click();
    VeyraSettings &settings = app.module.settingsWindow();
    settings.move(0, 0);
    settings.Form_Activate();
    QVERIFY(QTest::qWaitForWindowExposed(&settings));
    const QPoint mainCentre = app.window().frameGeometry().center();
    const QPoint ownCentre = settings.frameGeometry().center();
    QVERIFY2((mainCentre - ownCentre).manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2 vs %3,%4")
                                                                             .arg(mainCentre.x())
                                                                             .arg(mainCentre.y())
                                                                             .arg(ownCentre.x())
                                                                             .arg(ownCentre.y())));
}

void TestVeyraSettings::pressOnTheMainWindowBringsSettingsToFront()
{
    RunningApp app;
    app.window().Settings_Click();
    VeyraSettings &settings = app.module.settingsWindow();
    QVERIFY(QTest::qWaitForWindowActive(&settings));
    app.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&app.window()));

    QTest::mouseClick(app.window().centralWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(QApplication::activeWindow(), &settings);
}

VEYRA_TEST(TestVeyraSettings)
#include "TestVeyraSettings.moc"
