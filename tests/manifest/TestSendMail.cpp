#include "RunningApp.h"
#include "TestSupport.h"
#include "manifest/VeyraManifest.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/TextBox.h"
#include "support/SmtpTestServer.h"

#include <QJsonArray>
#include <QPushButton>

using Server = SmtpTestServers::Server;
using TestSupport::MessageBoxAnswerer;
constexpr auto User = SmtpTestServers::User;
constexpr auto Password = SmtpTestServers::Password;

// The manifest mailed from its window through a test server on 127.0.0.1, and what the operator is told when
// the mail cannot go.
class TestSendMail : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_servers.makeCertificate()); }
    void mailsTheManifestToTwoRecipients();
    void failuresShowTheBox_data();
    void failuresShowTheBox();
    void emptySettingsTakeTheDefaults();
    void injectedRecipientIsRefusedBeforeConnecting_data();
    void injectedRecipientIsRefusedBeforeConnecting();

private:
    // Points the program's mail settings at a test server on this machine.
    void useServer(RunningApp &app, int port, const QString &password = Password) const
    {
        app.module.SmtpServer = "127.0.0.1";
        app.module.SmtpPort = qint16(port);
        app.module.SmtpUser = User;
        app.module.SmtpPassword = password;
        app.module.mailOptions().caFile = m_servers.cert();
    }

    SmtpTestServers m_servers;
};

void TestSendMail::mailsTheManifestToTwoRecipients()
{
    const Server server = m_servers.start("starttls");
    QVERIFY(server.port > 0);
    RunningApp app;
    useServer(app, server.port);
    app.module.CompanyName = "ACME Air";

    VeyraManifest &manifest = app.module.manifestWindow();
    app.find<QAction>("ManifestOpen")->trigger();
    QVERIFY(QTest::qWaitForWindowActive(&manifest));
    manifest.findChild<TextBox *>("Text1")->setText("123");
    manifest.findChild<TextBox *>("Text2")->setText("a@x.test;b@x.test");
    manifest.findChild<FlexGrid *>("MSFlexGrid1")->setTextMatrix(1, 1, "ZOË & <CO>");
    auto *email = manifest.findChild<QPushButton *>("Command4");
    MessageBoxAnswerer boxes;
    QTest::mouseClick(email, Qt::LeftButton);

    QCOMPARE(boxes.texts, QStringList{});
    QCOMPARE(app.module.MailSentFlag, "Yes");
    QCOMPARE(email->text(), "SENT");
    QVERIFY(email->isEnabled());
    const QJsonObject mail = SmtpTestServers::received(server);
    QCOMPARE(mail["mail_from"].toString(), User);
    QCOMPARE(mail["from"].toString(), User); // the sender is the user name
    QCOMPARE(mail["rcpt_tos"].toArray(), (QJsonArray{"a@x.test", "b@x.test"}));
    QCOMPARE(mail["subject"].toString(), "Manifest #123");
    QCOMPARE(mail["html"].toString(), app.module.MessageBody);
    QVERIFY(app.module.MessageBody.contains("<TH align=Left>ZOË &amp; &lt;CO&gt;</TH>"));
    QVERIFY(mail["tls"].toBool());
    QVERIFY(mail["authenticated"].toBool());

    // A new recipient puts the caption back.
    manifest.findChild<TextBox *>("Text2")->setText("c@x.test");
    QCOMPARE(email->text(), "Email");
}

void TestSendMail::failuresShowTheBox_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("serverUp");
    newRow("wrong password", "wrong", true);
    newRow("nobody listening", Password, false);
}

void TestSendMail::failuresShowTheBox()
{
    QFETCH(QString, password);
    QFETCH(bool, serverUp);
    const Server server = serverUp ? m_servers.start("starttls") : Server{};
    RunningApp app;
    useServer(app, serverUp ? server.port : 9, password); // 9, the discard port: nothing answers there

    VeyraManifest &manifest = app.module.manifestWindow();
    app.find<QAction>("ManifestOpen")->trigger();
    manifest.findChild<TextBox *>("Text1")->setText("5");
    manifest.findChild<TextBox *>("Text2")->setText("a@x.test");
    MessageBoxAnswerer boxes;
    manifest.Command4_Click();
    QCOMPARE(boxes.texts, QStringList{"There is something wrong with your email settings"});
    QCOMPARE(boxes.titles, QStringList{"Message Not Sent"});
    // The reason behind the box's words is in its details.
    QCOMPARE(boxes.details.size(), 1);
    QVERIFY(!boxes.details[0].isEmpty());
    QCOMPARE(app.module.MailSentFlag, "No");
    QCOMPARE(manifest.findChild<QPushButton *>("Command4")->text(), "Email");
    if (serverUp)
        QVERIFY(!QFile::exists(server.out + "/1.json"));
}

// The defaults are written back into the settings variables, and the sender follows the user name.
void TestSendMail::emptySettingsTakeTheDefaults()
{
    RunningApp app;
    QString from;
    QString to = "a@x.test";
    QString bcc;
    QString subject = "Manifest #1";
    MessageBoxAnswerer boxes;
    app.module.SendMail(app.module.SmtpServer, app.module.SmtpUser, app.module.SmtpPassword, app.module.SmtpPort,
                        app.module.SmtpUser, to, bcc, subject, app.module.MessageBody);
    QCOMPARE(app.module.SmtpServer, "localhost");
    QCOMPARE(app.module.SmtpUser, "veyracheck@localhost");
    QCOMPARE(app.module.SmtpPassword.size(), 8);
    QCOMPARE(app.module.SmtpPort, qint16(465));
    // Nothing serves mail on this machine: the send fails as any unreachable server does.
    QCOMPARE(app.module.MailSentFlag, "No");
    QCOMPARE(boxes.titles, QStringList{"Message Not Sent"});
}

void TestSendMail::injectedRecipientIsRefusedBeforeConnecting_data()
{
    QTest::addColumn<QString>("field");
    newRow("in the manifest's e-mail field", "To");
    newRow("in the settings' blind copy", "Bcc");
    newRow("in the settings' sender", "From");
}

// The server is up and would take the mail: the refusal comes before any connection, and the box's details say
// which address and why.
void TestSendMail::injectedRecipientIsRefusedBeforeConnecting()
{
    QFETCH(QString, field);
    const Server server = m_servers.start("starttls");
    QVERIFY(server.port > 0);
    const QString injected = "ops@acme.test>\r\nRCPT TO:<evil@attacker.test";
    RunningApp app;
    useServer(app, server.port);
    QString from = field == "From" ? injected : User;
    QString to = field == "To" ? injected : "a@x.test";
    QString bcc = field == "Bcc" ? injected : "";
    QString subject = "Manifest #1";
    QString body = "<HTML></HTML>";
    MessageBoxAnswerer boxes;
    app.module.SendMail(app.module.SmtpServer, app.module.SmtpUser, app.module.SmtpPassword, app.module.SmtpPort, from,
                        to, bcc, subject, body);

    QCOMPARE(app.module.MailSentFlag, "No");
    QCOMPARE(boxes.texts, QStringList{"There is something wrong with your email settings"});
    QCOMPARE(boxes.details.size(), 1);
    QVERIFY2(
        boxes.details[0].startsWith("The address \"ops@acme.test>\\r\\nRCPT TO:<evil@attacker.test\" (" + field + ")"),
        qPrintable(boxes.details[0]));
    QTest::qWait(200);
    QVERIFY(!QFile::exists(server.out + "/1.json"));
    QVERIFY(!QFile::exists(server.out + "/auth.log"));
}

VEYRA_TEST(TestSendMail)
#include "TestSendMail.moc"
