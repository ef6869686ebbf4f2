#include "TestSupport.h"
#include "platform/mail/MailTransport.h"
#include "support/SmtpTestServer.h"

using Server = SmtpTestServers::Server;
constexpr auto User = SmtpTestServers::User;
constexpr auto Password = SmtpTestServers::Password;

// A mail as it is written and sent: its headers, its addresses checked before any connection, and the ways to a
// server (STARTTLS, TLS from the first byte, clear only to this machine), through test servers on 127.0.0.1.
class TestMailTransport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_servers.makeCertificate()); }
    void compose_data();
    void compose();
    void addressProblem_data();
    void addressProblem();
    void isLoopback_data();
    void isLoopback();
    void credentialsTravelOnlyEncrypted_data();
    void credentialsTravelOnlyEncrypted();
    void implicitTlsCarriesALongSubjectWhole();

private:
    SmtpTestServers m_servers;
};

void TestMailTransport::compose_data()
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

void TestMailTransport::compose()
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

void TestMailTransport::addressProblem_data()
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

void TestMailTransport::addressProblem()
{
    QFETCH(QString, list);
    QFETCH(QString, problem);
    const QString found = MailTransport::addressProblem(list, "To");
    if (problem.isEmpty())
        QCOMPARE(found, QString());
    else
        QVERIFY2(found.contains(problem), qPrintable(found));
}

void TestMailTransport::isLoopback_data()
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

void TestMailTransport::isLoopback()
{
    QFETCH(QString, server);
    QFETCH(bool, loopback);
    QCOMPARE(MailTransport::isLoopback(server), loopback);
}

void TestMailTransport::credentialsTravelOnlyEncrypted_data()
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

void TestMailTransport::credentialsTravelOnlyEncrypted()
{
    QFETCH(QString, mode);
    QFETCH(QString, server);
    QFETCH(QString, reason);
    QFETCH(bool, tls);
    const Server smtp = m_servers.start(mode);
    QVERIFY(smtp.port > 0);
    // The name is the remote server's; the connection is made to the test server on this machine.
    MailTransport::Message message{server,     smtp.port, User,          Password,       User,
                                   "a@x.test", "",        "Manifest #1", "<HTML></HTML>"};
    MailTransport::Options options;
    options.caFile = m_servers.cert();
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
    const QJsonObject mail = SmtpTestServers::received(smtp);
    QVERIFY(mail["authenticated"].toBool());
    QCOMPARE(mail["tls"].toBool(), tls);
}

// TLS from the first byte, and a 2,000-character manifest number: every header line within the limit, the
// subject arrives whole.
void TestMailTransport::implicitTlsCarriesALongSubjectWhole()
{
    const Server server = m_servers.start("smtps");
    QVERIFY(server.port > 0);
    const QString subject = "Manifest #" + QString(2000, u'8');
    MailTransport::Message message{"127.0.0.1", server.port, User,    Password,       User,
                                   "a@x.test",  "",          subject, "<HTML></HTML>"};
    MailTransport::Options options;
    options.caFile = m_servers.cert();
    options.implicitTlsPort = server.port;
    const QDateTime sent(QDate(2026, 12, 5), QTime(23, 1, 2), Qt::UTC);
    for (const QByteArray &line : MailTransport::compose(message, sent).split('\n'))
        QVERIFY(line.size() <= 999);
    QString error;
    QVERIFY2(MailTransport::send(message, options, &error), qPrintable(error));
    const QJsonObject mail = SmtpTestServers::received(server);
    QCOMPARE(mail["subject"].toString(), subject);
    QCOMPARE(mail["html"].toString(), "<HTML></HTML>");

    // Without the certificate among the trusted ones, nothing is sent.
    options.caFile = m_servers.key();
    QVERIFY(!MailTransport::send(message, options, &error));
}

VEYRA_TEST(TestMailTransport)
#include "TestMailTransport.moc"
