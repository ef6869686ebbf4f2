#include "platform/MailTransport.h"

#include <QLocale>
#include <QRandomGenerator>

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

// Header values come from text boxes; a line break in one must not start a header of its own.
QString singleLine(QString text)
{
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
}

QByteArray rfc5322Date(const QDateTime &date)
{
    const QDateTime utc = date.toUTC();
    return QLocale::c().toString(utc, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")).toLatin1() + " +0000";
}

QByteArray domainOf(const QString &address)
{
    const qsizetype at = address.lastIndexOf(u'@');
    const QString domain = at < 0 ? QString() : address.mid(at + 1).trimmed();
    return domain.isEmpty() || !isAscii(domain) ? QByteArrayLiteral("localhost") : domain.toLatin1();
}

struct Upload
{
    QByteArray bytes;
    qsizetype sent = 0;
};

size_t readUpload(char *buffer, size_t size, size_t count, void *userData)
{
    auto *upload = static_cast<Upload *>(userData);
    const size_t left = static_cast<size_t>(upload->bytes.size() - upload->sent);
    const size_t n = std::min(size * count, left);
    std::memcpy(buffer, upload->bytes.constData() + upload->sent, n);
    upload->sent += static_cast<qsizetype>(n);
    return n;
}

QByteArray serverUrl(const QString &server, int port, bool implicitTls)
{
    QString host = server.trimmed();
    if (host.contains(u':') && !host.startsWith(u'['))
        host = u'[' + host + u']'; // an IPv6 address
    const QString scheme = implicitTls ? QStringLiteral("smtps") : QStringLiteral("smtp");
    return QStringLiteral("%1://%2:%3").arg(scheme, host).arg(port).toUtf8();
}

struct CurlDeleter
{
    void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

} // namespace

QStringList MailTransport::addresses(const QString &list)
{
    QStringList result;
    for (const QString &part : list.split(u';')) {
        const QString address = part.trimmed();
        if (!address.isEmpty())
            result.append(address);
    }
    return result;
}

QByteArray MailTransport::encodeHeaderText(const QString &text)
{
    if (isAscii(text))
        return text.toLatin1();
    // 39 bytes make 52 base64 characters: with "=?UTF-8?B?", "?=" and "Subject: " every line stays within 76,
    // as encoded words require. A word never splits a character.
    QList<QByteArray> words;
    QByteArray chunk;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray character = text.mid(i, length).toUtf8();
        if (chunk.size() + character.size() > 39) {
            words.append(chunk);
            chunk.clear();
        }
        chunk += character;
        i += length;
    }
    words.append(chunk);
    QByteArray encoded;
    for (const QByteArray &word : words) {
        if (!encoded.isEmpty())
            encoded += "\r\n ";
        encoded += "=?UTF-8?B?" + word.toBase64() + "?=";
    }
    return encoded;
}

QByteArray MailTransport::compose(const Message &message, const QDateTime &date)
{
    const QByteArray messageId = QByteArray::number(date.toMSecsSinceEpoch()) + '.' +
                                 QByteArray::number(QRandomGenerator::global()->generate64(), 36) + '@' +
                                 domainOf(message.from);
    QByteArray out;
    out += "Date: " + rfc5322Date(date) + "\r\n";
    out += "From: " + singleLine(message.from).toUtf8() + "\r\n";
    out += "To: " + addresses(singleLine(message.to)).join(QStringLiteral(", ")).toUtf8() + "\r\n";
    out += "Subject: " + encodeHeaderText(singleLine(message.subject)) + "\r\n";
    out += "Message-ID: <" + messageId + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/html; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "\r\n";
    // The document has no line breaks of its own; base64 keeps every line within SMTP's limit.
    const QByteArray body = message.htmlBody.toUtf8().toBase64();
    for (qsizetype i = 0; i < body.size(); i += 76)
        out += body.mid(i, 76) + "\r\n";
    return out;
}

void MailTransport::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool MailTransport::send(const Message &message, const Options &options, QString *error)
{
    initialize();
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QStringList recipients = addresses(message.to) + addresses(message.bcc);
    if (recipients.isEmpty())
        return fail(QStringLiteral("No recipient was given."));

    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return fail(QStringLiteral("The mail library could not be started."));
    curl_slist *rawList = nullptr;
    for (const QString &address : recipients) {
        curl_slist *next = curl_slist_append(rawList, ('<' + address.toUtf8() + '>').constData());
        if (!next) {
            curl_slist_free_all(rawList);
            return fail(QStringLiteral("Out of memory."));
        }
        rawList = next;
    }
    std::unique_ptr<curl_slist, CurlDeleter> rcpt(rawList);

    Upload upload{compose(message, QDateTime::currentDateTimeUtc()), 0};
    const bool implicitTls = message.port == options.implicitTlsPort;
    const QByteArray url = serverUrl(message.server, message.port, implicitTls);
    const QByteArray user = message.userName.toUtf8();
    const QByteArray password = message.password.toUtf8();
    const QByteArray from = '<' + singleLine(message.from).toUtf8() + '>';
    const QByteArray caFile = options.caFile.toLocal8Bit();
    char errorText[CURL_ERROR_SIZE] = {};

    CURL *c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L); // runs on a worker thread
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, options.totalTimeoutSeconds);
    if (!implicitTls)
        curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile.isEmpty())
        curl_easy_setopt(c, CURLOPT_CAINFO, caFile.constData());
    curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);

    const CURLcode result = curl_easy_perform(c);
    if (result != CURLE_OK)
        return fail(QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result)));
    return true;
}
