#include "platform/mail/MailTransport.h"

#include <QLocale>
#include <QRandomGenerator>

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

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

bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
           c.category() == QChar::Separator_Paragraph;
}

// What the operator sees of an address: control characters written out, so that a line break shows.
QString visible(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (c == u'\r')
            out += QLatin1String("\\r");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\t')
            out += QLatin1String("\\t");
        else if (isControl(c))
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

std::optional<int> decimalOctet(QStringView text)
{
    if (text.isEmpty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() && c.unicode() < 0x80; }))
        return std::nullopt;
    const int value = text.toInt();
    return value <= 255 ? std::optional<int>(value) : std::nullopt;
}

// 127.0.0.0/8 written as four decimal numbers; any other spelling is not trusted as this machine.
bool isLoopbackIpv4(QStringView text)
{
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    for (QStringView part : parts) {
        if (!decimalOctet(part))
            return false;
    }
    return *decimalOctet(parts[0]) == 127;
}

// ::1, in any of its spellings, and 127.0.0.0/8 mapped into IPv6 (::ffff:127.x.y.z).
bool isLoopbackIpv6(QStringView text)
{
    const qsizetype gap = text.indexOf(QLatin1String("::"));
    if (gap >= 0 && text.indexOf(QLatin1String("::"), gap + 1) >= 0)
        return false;
    auto groupsOf = [](QStringView part, QList<QStringView> *groups) {
        if (!part.isEmpty())
            *groups = part.split(u':');
    };
    QList<QStringView> left, right;
    groupsOf(gap < 0 ? text : text.first(gap), &left);
    if (gap >= 0)
        groupsOf(text.sliced(gap + 2), &right);
    QList<QStringView> all = left + right;
    const bool mappedIpv4 = !all.isEmpty() && all.last().contains(u'.');
    const QStringView ipv4 = mappedIpv4 ? all.takeLast() : QStringView();
    const qsizetype wanted = mappedIpv4 ? 6 : 8;
    if (all.size() > wanted || (gap < 0 && all.size() != wanted))
        return false;
    QList<uint> values;
    for (QStringView group : all) {
        bool ok = false;
        const uint value = group.size() <= 4 ? group.toUInt(&ok, 16) : 0;
        if (!ok)
            return false;
        values.append(value);
    }
    // The gap stands for as many zero groups as are missing.
    const qsizetype missing = wanted - values.size();
    for (qsizetype i = 0; i < missing; ++i)
        values.insert(left.size(), 0);
    if (mappedIpv4)
        return std::all_of(values.begin(), values.begin() + 5, [](uint v) { return v == 0; }) && values[5] == 0xffff &&
               isLoopbackIpv4(ipv4);
    return std::all_of(values.begin(), values.begin() + 7, [](uint v) { return v == 0; }) && values[7] == 1;
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

QString MailTransport::addressProblem(const QString &list, const QString &field)
{
    for (const QString &part : list.split(u';')) {
        // Blanks around an address are separators; anything else in it travels.
        const QString address = part.trimmed();
        QString reason;
        if (std::any_of(part.begin(), part.end(), isControl))
            reason = QStringLiteral("it holds a line break or another control character");
        else if (address.contains(u'<') || address.contains(u'>'))
            reason = QStringLiteral("it holds < or >, which would end the address");
        else if (address.count(u'@') > 1)
            reason = QStringLiteral("it holds more than one @");
        else if (address.size() > 254)
            reason = QStringLiteral("it is longer than an address can be (254 characters)");
        if (!reason.isEmpty())
            return QStringLiteral("The address \"%1\" (%2) cannot be used: %3. Nothing was sent.")
                .arg(visible(part.size() > 300 ? part.left(300) + QStringLiteral("...") : part), field, reason);
    }
    return {};
}

bool MailTransport::isLoopback(const QString &server)
{
    QString host = server.trimmed().toLower();
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    if (host == QLatin1String("localhost") || host == QLatin1String("localhost."))
        return true;
    return host.contains(u':') ? isLoopbackIpv6(host) : isLoopbackIpv4(host);
}

QByteArray MailTransport::encodeHeaderText(const QString &text)
{
    constexpr qsizetype LineLimit = 78;
    constexpr qsizetype Prefix = 9; // "Subject: "
    if (isAscii(text)) {
        if (Prefix + text.size() <= LineLimit)
            return text.toLatin1();
        // Folded before a blank, which a reader takes out again; a word too long for a line is encoded instead.
        QByteArray folded;
        qsizetype lineLength = Prefix;
        const QList<QString> words = text.split(u' ');
        bool fits = true;
        for (qsizetype i = 0; i < words.size() && fits; ++i) {
            const QByteArray word = words[i].toLatin1();
            if (i > 0 && !word.isEmpty() && lineLength + 1 + word.size() > LineLimit && lineLength > 1) {
                folded += "\r\n";
                lineLength = 0;
            }
            if (i > 0) {
                folded += ' ';
                ++lineLength;
            }
            folded += word;
            lineLength += word.size();
            fits = lineLength <= LineLimit;
        }
        if (fits)
            return folded;
    }
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
    // Many recipients fold onto lines of their own rather than make one line past the limit.
    QByteArray to = "To:";
    qsizetype lineLength = to.size();
    const QStringList recipients = addresses(singleLine(message.to));
    for (qsizetype i = 0; i < recipients.size(); ++i) {
        const QByteArray address = recipients[i].toUtf8();
        if (i > 0) {
            to += ',';
            ++lineLength;
            if (lineLength + 1 + address.size() > 78) {
                to += "\r\n";
                lineLength = 0;
            }
        }
        to += ' ' + address;
        lineLength += 1 + address.size();
    }
    out += to + "\r\n";
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
    const std::pair<const QString *, const char *> fields[] = {
        {&message.from, "From"}, {&message.to, "To"}, {&message.bcc, "Bcc"}};
    for (const auto &[list, field] : fields) {
        if (const QString problem = addressProblem(*list, QLatin1String(field)); !problem.isEmpty())
            return fail(problem);
    }
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
    const bool credentials = !message.userName.isEmpty() || !message.password.isEmpty();
    const bool mustEncrypt = !implicitTls && credentials && !isLoopback(message.server);
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
        curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(mustEncrypt ? CURLUSESSL_ALL : CURLUSESSL_TRY));
    std::unique_ptr<curl_slist, CurlDeleter> connectTo;
    if (!options.connectTo.isEmpty()) {
        connectTo.reset(curl_slist_append(nullptr, ("::" + options.connectTo.toUtf8()).constData()));
        curl_easy_setopt(c, CURLOPT_CONNECT_TO, connectTo.get());
    }
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
    if (result == CURLE_USE_SSL_FAILED && mustEncrypt)
        return fail(QStringLiteral("The server %1 offers no encryption (STARTTLS) on port %2, so the user name and "
                                   "password were not sent. Use port 465 or a server that offers STARTTLS.")
                        .arg(message.server.trimmed())
                        .arg(message.port));
    if (result != CURLE_OK)
        return fail(QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result)));
    return true;
}
