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
        // Reach the server at this address instead of the one its name resolves to ("host" or "host:port"),
        // as through a tunnel; the server's name still decides how the connection is secured.
        QString connectTo;
    };

    static QStringList addresses(const QString &list);

    // Why an address of the list (each semicolon-separated part alone) cannot go into an envelope or a header,
    // naming the address and the field; empty when every one can. A line break would start a command or header
    // of its own, and <, > or a second @ would close the address and open another.
    static QString addressProblem(const QString &list, const QString &field);

    // True for a server that is this machine (localhost, 127.0.0.0/8, ::1): only there may a user name and
    // password travel unencrypted, as nothing leaves the machine.
    static bool isLoopback(const QString &server);

    // The message as it goes over the wire: headers (the subject encoded where it is not ASCII) and the body
    // as base64, every line ended by CR LF.
    static QByteArray compose(const Message &message, const QDateTime &date);

    // The subject's text for a "Subject: " header: ASCII that fits on the line as it is, longer ASCII folded
    // at its blanks, anything else as RFC 2047 encoded words; no line of the header is longer than 78.
    static QByteArray encodeHeaderText(const QString &text);

    // Must run once on the main thread before the first send from any thread.
    static void initialize();

    // Port 465 is SMTP over TLS from the first byte; any other port upgrades with STARTTLS, which a server that
    // is not this machine must offer before a user name and password are sent. Certificates are always
    // verified. Addresses are checked before connecting. False, with the reason, when the message was not
    // accepted.
    static bool send(const Message &message, const Options &options, QString *error);
};
