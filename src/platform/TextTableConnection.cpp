#include "platform/TextTableConnection.h"

#include "platform/TableCache.h"
#include "platform/TextTableError.h"

#include <QDir>
#include <QFileInfo>

namespace {

[[noreturn]] void badConnection(const QString &why)
{
    throw TextTableError(TextTableError::InvalidPath, QStringLiteral("The connection text is not usable: %1").arg(why));
}

} // namespace

TextTableConnection::TextTableConnection(TableCache &cache)
    : m_cache(cache)
{}

void TextTableConnection::open(const QString &connectionText)
{
    if (m_open)
        throw TextTableError(TextTableError::OpenObject,
                             QStringLiteral("Operation is not allowed when the object is open."));
    QString folder;
    bool haveFolder = false;
    QString properties = QStringLiteral("text");
    qsizetype pos = 0;
    const QString &text = connectionText;
    while (pos < text.size()) {
        const qsizetype equals = text.indexOf(u'=', pos);
        if (equals < 0) {
            if (!QStringView(text).mid(pos).trimmed().isEmpty())
                badConnection(QStringLiteral("\"%1\" has no value").arg(text.mid(pos).trimmed()));
            break;
        }
        const QString key = text.mid(pos, equals - pos).trimmed();
        QString value;
        qsizetype next;
        if (equals + 1 < text.size() && text[equals + 1] == u'"') {
            const qsizetype close = text.indexOf(u'"', equals + 2);
            if (close < 0)
                badConnection(QStringLiteral("an unclosed quote"));
            value = text.mid(equals + 2, close - equals - 2);
            next = text.indexOf(u';', close);
        } else {
            next = text.indexOf(u';', equals);
            value = text.mid(equals + 1, next < 0 ? -1 : next - equals - 1);
        }
        if (key.compare(u"Data Source", Qt::CaseInsensitive) == 0) {
            folder = value;
            haveFolder = true;
        } else if (key.compare(u"Extended Properties", Qt::CaseInsensitive) == 0) {
            properties = value;
        }
        pos = next < 0 ? text.size() : next + 1;
    }
    if (!haveFolder)
        badConnection(QStringLiteral("it names no Data Source"));

    bool hasHeader = true;
    for (const QString &option : properties.split(u';', Qt::SkipEmptyParts)) {
        const QString o = option.trimmed();
        if (o.compare(u"HDR=YES", Qt::CaseInsensitive) == 0)
            hasHeader = true;
        else if (o.compare(u"HDR=NO", Qt::CaseInsensitive) == 0)
            hasHeader = false;
        else if (o.startsWith(u"FMT=", Qt::CaseInsensitive) && o.compare(u"FMT=Delimited", Qt::CaseInsensitive) != 0)
            badConnection(QStringLiteral("only FMT=Delimited files are read"));
    }

    // The folder comes with a separator at its end; either separator is taken on any platform.
    while (folder.size() > 1 && (folder.endsWith(u'\\') || folder.endsWith(u'/')))
        folder.chop(1);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        throw TextTableError(TextTableError::InvalidPath, QStringLiteral("'%1' is not a valid path.").arg(folder));
    m_folder = folder;
    m_hasHeader = hasHeader;
    m_open = true;
}

void TextTableConnection::close()
{
    requireOpen();
    m_open = false;
    m_lastTable.reset();
}

void TextTableConnection::requireOpen() const
{
    if (!m_open)
        throw TextTableError(TextTableError::ClosedObject, QStringLiteral("Operation is not allowed when the object "
                                                                          "is closed."));
}

QString TextTableConnection::folder() const
{
    requireOpen();
    return m_folder;
}

bool TextTableConnection::hasHeader() const
{
    requireOpen();
    return m_hasHeader;
}

std::shared_ptr<TextTable> TextTableConnection::table(const QString &fileName) const
{
    requireOpen();
    // A search sends thousands of statements on one file: the file is looked up once per connection.
    if (m_lastTable && fileName == m_lastTableName)
        return m_lastTable;
    const QDir dir(m_folder);
    QString path = dir.filePath(fileName);
    if (!QFileInfo(path).isFile()) {
        // Table names are not case-sensitive, as on the platform the lists come from.
        const QStringList matches = dir.entryList({fileName}, QDir::Files);
        if (matches.size() != 1 || fileName.contains(u'*') || fileName.contains(u'?') || fileName.contains(u'['))
            throw TextTableError(TextTableError::TableNotFound,
                                 QStringLiteral("The file '%1' could not be found in %2.").arg(fileName, m_folder));
        path = dir.filePath(matches.first());
    }
    m_lastTable = m_cache.table(path, m_hasHeader);
    m_lastTableName = fileName;
    return m_lastTable;
}
