#pragma once

#include "TestSupport.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

// Debian's aiosmtpd on 127.0.0.1 (smtp_server.py): authentication required, TLS with a certificate made here.
// Each server writes what it received into a folder of its own, and ends after a minute at the latest.
class SmtpTestServers
{
public:
    static constexpr auto User = "ops@veyra.test";
    static constexpr auto Password = "s3cret-pw";

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

    // A certificate for localhost, mail.veyra.test and 127.0.0.1; the servers need it.
    bool makeCertificate()
    {
        return TestSupport::run("openssl",
                                {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                                 "-keyout", key(), "-out", cert(), "-days", "2", "-subj", "/CN=localhost", "-addext",
                                 "subjectAltName=DNS:localhost,DNS:mail.veyra.test,IP:127.0.0.1"})
                   .exitCode == 0;
    }
    QString cert() const { return m_dir.filePath("cert.pem"); }
    QString key() const { return m_dir.filePath("key.pem"); }

    // mode: starttls, smtps or plain. The port is 0 when the server did not come up.
    Server start(const QString &mode)
    {
        Server server;
        server.out = m_dir.filePath(QStringLiteral("%1-%2").arg(mode).arg(++m_started));
        QDir().mkpath(server.out);
        const QString portFile = server.out + "/port";
        server.process = std::make_unique<QProcess>();
        server.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.process->start("/usr/bin/python3", {SMTP_SERVER_SCRIPT, "--mode", mode, "--cert", cert(), "--key", key(),
                                                   "--user", User, "--password", Password, "--out", server.out,
                                                   "--port-file", portFile, "--lifetime", "60"});
        for (int waited = 0; waited < 15000 && !QFile::exists(portFile); waited += 50)
            QTest::qWait(50);
        server.port = TestSupport::readFile(portFile).toInt();
        return server;
    }

    // The first mail the server took, as smtp_server.py describes it; empty when none came.
    static QJsonObject received(const Server &server)
    {
        const QString path = server.out + "/1.json";
        for (int waited = 0; waited < 5000 && !QFile::exists(path); waited += 20)
            QTest::qWait(20);
        return QJsonDocument::fromJson(TestSupport::readFile(path)).object();
    }

private:
    QTemporaryDir m_dir;
    int m_started = 0;
};
