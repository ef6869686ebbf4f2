#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Sends one HTML message through an SMTP server with user name and password (libcurl). Blocking: callers on the
// user-interface thread run it on a worker thread.
class MailTransport
{
public:
    struct Message
    {
        QString server;
        int port = 465;
        QString userName;
        QString password;
        QString from;
        QString to;  // one or more addresses separated by semicolons
        QString bcc; // the same, never shown in the headers
        QString subject;
        QString htmlBody;
    };

    struct Options
    {
        QString caFile;            // certificates to trust instead of the system's, for a private mail server
        int implicitTlsPort = 465; // the port on which a server speaks TLS from the first byte
        long connectTimeoutSeconds = 15;
        long totalTimeoutSeconds = 60;
    };

    static QStringList addresses(const QString &list);

    // The message as it goes over the wire: headers (the subject encoded where it is not ASCII) and the body
    // as base64, every line ended by CR LF.
    static QByteArray compose(const Message &message, const QDateTime &date);

    // An RFC 2047 encoded-word form of text, folded so that no line of a header holding it is longer than 76
    // characters; ASCII text comes back as it is.
    static QByteArray encodeHeaderText(const QString &text);

    // Must run once on the main thread before the first send from any thread.
    static void initialize();

    // Port 465 is SMTP over TLS from the first byte; any other port upgrades with STARTTLS when the server
    // offers it. Certificates are always verified. False, with the server's or the library's reason, when the
    // message was not accepted.
    static bool send(const Message &message, const Options &options, QString *error);
};
