#include "platform/files/RecordFile.h"

#include "platform/files/SavedFile.h"
#include "shared/TextEncoding.h"

#include <QFile>

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\n' || c == u'\r';
}
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

RecordFile::Contents RecordFile::read(const QString &path)
{
    Contents contents;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        contents.error = file.errorString();
        return contents;
    }
    contents.opened = true;
    contents.values = parse(TextEncoding::decodeFile(file.readAll()));
    return contents;
}

QStringList RecordFile::parse(QStringView text)
{
    QStringList values;
    const qsizetype n = text.size();
    qsizetype i = 0;
    // A comma promises one more value, even an empty one before a line end or the end of the file.
    bool afterComma = false;
    while (true) {
        while (i < n && isBlank(text[i]))
            ++i;
        if (i == n) {
            if (afterComma)
                values.append(QString());
            break;
        }
        if (isLineEnd(text[i]) && !afterComma) {
            ++i; // an empty line holds no value
            continue;
        }
        QString value;
        if (text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            value = text.sliced(i + 1, end - i - 1).toString();
            i = close < 0 ? n : close + 1;
            // Whatever stands between the closing quote and the next separator is not part of any value.
            while (i < n && text[i] != u',' && !isLineEnd(text[i]))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != u',' && !isLineEnd(text[i]))
                ++i;
            value = text.sliced(start, i - start).trimmed().toString();
        }
        values.append(value);
        afterComma = i < n && text[i] == u',';
        if (i < n && text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        if (i < n)
            ++i;
    }
    return values;
}

QByteArray RecordFile::format(const QList<Record> &records)
{
    QString text;
    for (const Record &record : records) {
        for (qsizetype k = 0; k < record.size(); ++k) {
            if (k > 0)
                text += u',';
            if (const auto *s = std::get_if<QString>(&record[k]))
                text += u'"' + *s + u'"';
            else
                text += QString::number(std::get<qint64>(record[k]));
        }
        text += u"\r\n";
    }
    return TextEncoding::encodeForFile(text);
}

bool RecordFile::write(const QString &path, const QList<Record> &records, QString *error, bool ownerOnly)
{
    return SavedFile::replace(path, format(records), error, ownerOnly);
}
