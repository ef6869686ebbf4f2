#include "RunningApp.h"
#include "TestSupport.h"
#include "manifest/VeyraManifest.h"
#include "platform/mail/MailTransport.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/TextBox.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

using TestSupport::MessageBoxAnswerer;
using TestSupport::readFile;

namespace {
constexpr auto User = "ops@veyra.test";
constexpr auto Password = "s3cret-pw";
} // namespace

// Mail through Debian's aiosmtpd on 127.0.0.1: authentication required, TLS with a certificate made here.
class TestSendMail : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void compose_data();
    void compose();
    void mailsTheManifestToTwoRecipients();
    void implicitTlsFromTheFirstByte();
    void failuresShowTheBox_data();
    void failuresShowTheBox();
    void emptySettingsTakeTheDefaults();
    void addressProblem_data();
    void addressProblem();
    void injectedRecipientIsRefusedBeforeConnecting_data();
    void injectedRecipientIsRefusedBeforeConnecting();
    void isLoopback_data();
    void isLoopback();
    void credentialsTravelOnlyEncrypted_data();
    void credentialsTravelOnlyEncrypted();
    void longSubjectArrivesWhole();

private:
    struct Server
    {
        Server() = default;
        Server(Server &&) = default;
        ~Server()
        {
            if (process) {
                process->kill();
                process->waitForFinished();
            }
        }
        std::unique_ptr<QProcess> process;
        int port = 0;
        QString out;
    };
    Server startServer(const QString &mode);
    QJsonObject received(const Server &server);
    // Points the program's mail settings at the test server on this machine.
    void useServer(RunningApp &app, int port, const QString &password = Password) const;

    QTemporaryDir m_dir;
    QString m_cert;
};

void TestSendMail::initTestCase()
{
    m_cert = m_dir.filePath("cert.pem");
    QProcess openssl;
    openssl.start("openssl",
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                   m_dir.filePath("key.pem"), "-out", m_cert, "-days", "2", "-subj", "/CN=localhost", "-addext",
                   "subjectAltName=DNS:localhost,DNS:mail.veyra.test,IP:127.0.0.1"});
    QVERIFY(openssl.waitForFinished(20000));
    QCOMPARE(openssl.exitCode(), 0);
}

TestSendMail::Server TestSendMail::startServer(const QString &mode)
{
    static int count = 0;
    Server server;
    server.out = m_dir.filePath(QStringLiteral("%1-%2").arg(mode).arg(++count));
    QDir().mkpath(server.out);
    const QString portFile = server.out + "/port";
    server.process = std::make_unique<QProcess>();
    server.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.process->start("/usr/bin/python3", {SMTP_SERVER_SCRIPT, "--mode", mode, "--cert", m_cert, "--key",
                                               m_dir.filePath("key.pem"), "--user", User, "--password", Password,
                                               "--out", server.out, "--port-file", portFile, "--lifetime", "60"});
    for (int waited = 0; waited < 15000 && !QFile::exists(portFile); waited += 50)
        QTest::qWait(50);
    server.port = readFile(portFile).toInt();
    return server;
}

void TestSendMail::useServer(RunningApp &app, int port, const QString &password) const
{
    app.module.SmtpServer = "127.0.0.1";
    app.module.SmtpPort = qint16(port);
    app.module.SmtpUser = User;
    app.module.SmtpPassword = password;
    app.module.mailOptions().caFile = m_cert;
}

QJsonObject TestSendMail::received(const Server &server)
{
    const QString path = server.out + "/1.json";
    for (int waited = 0; waited < 5000 && !QFile::exists(path); waited += 20)
        QTest::qWait(20);
    return QJsonDocument::fromJson(readFile(path)).object();
}

void TestSendMail::compose_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QByteArray>("subjectHeader");
    newRow("ASCII subject as it is", "Manifest #123", QByteArray("Subject: Manifest #123\r\n"));
    newRow("non-ASCII subject encoded", "Manifest #Zoë", QByteArray("Subject: =?UTF-8?B?TWFuaWZlc3QgI1pvw6s=?=\r\n"));
    newRow("a line break cannot start a header", "Manifest #1\r\nBcc: x@y",
           QByteArray("Subject: Manifest #1  Bcc: x@y\r\n"));
    // Lines stay within 76 characters and no word splits a character: 14 two-byte letters fill the first.
    const QChar e(0x00e9);
    newRow("long subject folds into words", "Manifest #" + QString(40, e),
           "Subject: =?UTF-8?B?" + ("Manifest #" + QString(14, e)).toUtf8().toBase64() + "?=\r\n =?UTF-8?B?" +
               QString(19, e).toUtf8().toBase64() + "?=\r\n =?UTF-8?B?" + QString(7, e).toUtf8().toBase64() + "?=\r\n");
    newRow("long ASCII subject folds before a blank",
           "Manifest #VX1234 Lisbon to Reykjavik via Frankfurt and Oslo, crew and passengers",
           QByteArray("Subject: Manifest #VX1234 Lisbon to Reykjavik via Frankfurt and Oslo, crew and\r\n "
                      "passengers\r\n"));
    newRow("a word too long for any line is encoded", "Manifest #" + QString(100, u'7'),
           "Subject: =?UTF-8?B?" + ("Manifest #" + QByteArray(29, '7')).toBase64() + "?=\r\n =?UTF-8?B?" +
               QByteArray(39, '7').toBase64() + "?=\r\n =?UTF-8?B?" + QByteArray(32, '7').toBase64() + "?=\r\n");
}

void TestSendMail::compose()
{
    QFETCH(QString, subject);
    QFETCH(QByteArray, subjectHeader);
    MailTransport::Message message;
    message.from = "ops@veyra.test";
    message.to = "a@x.test; b@x.test;";
    message.bcc = "hidden@x.test";
    message.subject = subject;
    message.htmlBody = QString(200, u'x');
    const QByteArray text = MailTransport::compose(message, QDateTime(QDate(2026, 12, 5), QTime(23, 1, 2), Qt::UTC));
    QVERIFY2(text.contains("\r\n" + subjectHeader), text.constData());
    QVERIFY(text.startsWith("Date: Sat, 05 Dec 2026 23:01:02 +0000\r\n"));
    QVERIFY(text.contains("\r\nTo: a@x.test, b@x.test\r\n"));
    QVERIFY(!text.contains("hidden"));
    QVERIFY(text.contains("\r\nContent-Type: text/html; charset=UTF-8\r\n"));
    for (const QByteArray &line : text.split('\n'))
        QVERIFY(line.size() <= 79); // 78 and the CR
}

void TestSendMail::mailsTheManifestToTwoRecipients()
{
    const Server server = startServer("starttls");
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
    const QJsonObject mail = received(server);
    QCOMPARE(mail["mail_from"].toString(), User);
    QCOMPARE(mail["rcpt_tos"].toArray(), (QJsonArray{"a@x.test", "b@x.test"}));
    QCOMPARE(mail["from"].toString(), User);
    QCOMPARE(mail["to"].toString(), "a@x.test, b@x.test");
    QCOMPARE(mail["subject"].toString(), "Manifest #123");
    QCOMPARE(mail["content_type"].toString(), "text/html");
    QCOMPARE(mail["charset"].toString(), "utf-8");
    QCOMPARE(mail["html"].toString(), app.module.MessageBody);
    QVERIFY(app.module.MessageBody.contains("<TH align=Left>ZOË &amp; &lt;CO&gt;</TH>"));
    QVERIFY(!mail["has_bcc"].toBool());
    QVERIFY(mail["has_date"].toBool());
    QVERIFY(mail["tls"].toBool());
    QVERIFY(mail["authenticated"].toBool());

    // A new recipient puts the caption back.
    manifest.findChild<TextBox *>("Text2")->setText("c@x.test");
    QCOMPARE(email->text(), "Email");
}

void TestSendMail::implicitTlsFromTheFirstByte()
{
    const Server server = startServer("smtps");
    QVERIFY(server.port > 0);
    MailTransport::Message message{"127.0.0.1", server.port, User,          Password,       User,
                                   "a@x.test",  "",          "Manifest #1", "<HTML></HTML>"};
    MailTransport::Options options;
    options.caFile = m_cert;
    options.implicitTlsPort = server.port;
    QString error;
    QVERIFY2(MailTransport::send(message, options, &error), qPrintable(error));
    QCOMPARE(received(server)["html"].toString(), "<HTML></HTML>");

    // Without the certificate among the trusted ones, nothing is sent.
    options.caFile = m_dir.filePath("key.pem");
    QVERIFY(!MailTransport::send(message, options, &error));
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
    const Server server = serverUp ? startServer("starttls") : Server{};
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

void TestSendMail::addressProblem_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("problem"); // empty: accepted

    newRow("one address", "ops@acme.test", "");
    newRow("two, blanks around them", " a@x.test ; b@x.test; ", "");
    newRow("empty", "", "");
    newRow("a second RCPT TO smuggled after a line break", "ops@acme.test>\r\nRCPT TO:<evil@attacker.test",
           "The address \"ops@acme.test>\\r\\nRCPT TO:<evil@attacker.test\" (To) cannot be used: it holds a line "
           "break or another control character. Nothing was sent.");
    newRow("the bad one among good ones is named", "a@x.test;b@x.test\nBcc: c@x.test",
           "The address \"b@x.test\\nBcc: c@x.test\" (To) cannot be used: it holds a line break or another control "
           "character. Nothing was sent.");
    newRow("a trailing line break", "a@x.test\r\n", "line break");
    newRow("a tab", "a@x.test\tb", "control character");
    newRow("a C1 control (NEL)", QString("a@x.test") + QChar(0x85), "control character");
    newRow("a Unicode line separator", QString("a@x.test") + QChar(0x2028), "control character");
    newRow("closing the address", "ops@acme.test> NOTIFY=NEVER",
           "The address \"ops@acme.test> NOTIFY=NEVER\" (To) cannot be used: it "
           "holds < or >, which would end the address. Nothing was sent.");
    newRow("an address in brackets", "<ops@acme.test>", "holds < or >");
    newRow("two @", "evil@attacker.test@acme.test", "more than one @");
    newRow("longer than any address", QString(250, u'a') + "@x.test", "longer than an address can be");
}

void TestSendMail::addressProblem()
{
    QFETCH(QString, list);
    QFETCH(QString, problem);
    const QString found = MailTransport::addressProblem(list, "To");
    if (problem.isEmpty())
        QCOMPARE(found, QString());
    else
        QVERIFY2(found.contains(problem), qPrintable(found));
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
    const Server server = startServer("starttls");
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

void TestSendMail::isLoopback_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("loopback");
    newRow("localhost", "localhost", true);
    newRow("LOCALHOST with blanks", " LOCALHOST ", true);
    newRow("127.0.0.1", "127.0.0.1", true);
    newRow("anywhere in 127/8", "127.255.0.9", true);
    newRow("::1", "::1", true);
    newRow("::1 in brackets", "[::1]", true);
    newRow("::1 written out", "0:0:0:0:0:0:0:1", true);
    newRow("127.0.0.1 mapped into IPv6", "::ffff:127.0.0.1", true);
    newRow("a name", "mail.acme.test", false);
    newRow("a name that starts like localhost", "localhost.attacker.test", false);
    newRow("a private address", "10.0.0.1", false);
    newRow("next to 127/8", "128.0.0.1", false);
    newRow("a short form is not trusted", "127.1", false);
    newRow("::2", "::2", false);
    newRow("1::1", "1::1", false);
    newRow("a mapped private address", "::ffff:10.0.0.1", false);
    newRow("empty", "", false);
}

void TestSendMail::isLoopback()
{
    QFETCH(QString, server);
    QFETCH(bool, loopback);
    QCOMPARE(MailTransport::isLoopback(server), loopback);
}

void TestSendMail::credentialsTravelOnlyEncrypted_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("reason"); // empty: the mail goes
    QTest::addColumn<bool>("tls");

    newRow("a remote server without STARTTLS gets nothing", "plain", "mail.veyra.test",
           "The server mail.veyra.test offers no encryption (STARTTLS) on port %1, so the user name and password "
           "were not sent. Use port 465 or a server that offers STARTTLS.",
           false);
    newRow("a remote server with STARTTLS gets the mail", "starttls", "mail.veyra.test", "", true);
    newRow("this machine may be spoken to in clear", "plain", "127.0.0.1", "", false);
}

void TestSendMail::credentialsTravelOnlyEncrypted()
{
    QFETCH(QString, mode);
    QFETCH(QString, server);
    QFETCH(QString, reason);
    QFETCH(bool, tls);
    const Server smtp = startServer(mode);
    QVERIFY(smtp.port > 0);
    // The name is the remote server's; the connection is made to the test server on this machine.
    MailTransport::Message message{server,     smtp.port, User,          Password,       User,
                                   "a@x.test", "",        "Manifest #1", "<HTML></HTML>"};
    MailTransport::Options options;
    options.caFile = m_cert;
    options.connectTo = QStringLiteral("127.0.0.1:%1").arg(smtp.port);
    QString error;
    const bool sent = MailTransport::send(message, options, &error);
    if (!reason.isEmpty()) {
        QVERIFY(!sent);
        QCOMPARE(error, reason.arg(smtp.port));
        QVERIFY(!QFile::exists(smtp.out + "/auth.log"));
        QVERIFY(!QFile::exists(smtp.out + "/1.json"));
        return;
    }
    QVERIFY2(sent, qPrintable(error));
    const QJsonObject mail = received(smtp);
    QVERIFY(mail["authenticated"].toBool());
    QCOMPARE(mail["tls"].toBool(), tls);
}

// A 2,000-character manifest number: every header line within the limit, and the subject arrives whole.
void TestSendMail::longSubjectArrivesWhole()
{
    const Server server = startServer("smtps");
    QVERIFY(server.port > 0);
    const QString subject = "Manifest #" + QString(2000, u'8');
    MailTransport::Message message{"127.0.0.1", server.port, User,    Password,       User,
                                   "a@x.test",  "",          subject, "<HTML></HTML>"};
    MailTransport::Options options;
    options.caFile = m_cert;
    options.implicitTlsPort = server.port;
    const QDateTime sent(QDate(2026, 12, 5), QTime(23, 1, 2), Qt::UTC);
    for (const QByteArray &line : MailTransport::compose(message, sent).split('\n'))
        QVERIFY(line.size() <= 999);
    QString error;
    QVERIFY2(MailTransport::send(message, options, &error), qPrintable(error));
    QCOMPARE(received(server)["subject"].toString(), subject);
}

VEYRA_TEST(TestSendMail)
#include "TestSendMail.moc"
