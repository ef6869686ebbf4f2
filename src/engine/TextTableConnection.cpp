#include "engine/TextTableConnection.h"

#include "engine/TableCache.h"
#include "engine/TextTableError.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

[[noreturn]] void badConnection(const QString &why)
{
    throw TextTableError(TextTableError::InvalidPath, QStringLiteral("The connection text is not usable: %1").arg(why));
}

} // namespace

TextTableConnection::TextTableConnection(TableCache &cache)
    : m_cache(cache)
{}

namespace {

bool needsQuotes(const QString &value)
{
    static const QString special = QStringLiteral(";='\"{}");
    if (value.isEmpty())
        return false;
    if (value.front().isSpace() || value.back().isSpace())
        return true;
    return std::any_of(value.begin(), value.end(), [](QChar c) { return special.contains(c); });
}

QString quoted(const QString &value)
{
    if (!needsQuotes(value))
        return value;
    QString text = value;
    return u'"' + text.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// The pairs key=value of a connection text. A value that starts with a quote (" or ') runs to the same quote
// not doubled; any other value runs to the next semicolon.
std::vector<std::pair<QString, QString>> pairs(const QString &text)
{
    std::vector<std::pair<QString, QString>> result;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype equals = text.indexOf(u'=', pos);
        if (equals < 0) {
            if (!QStringView(text).mid(pos).trimmed().isEmpty())
                badConnection(QStringLiteral("\"%1\" has no value").arg(text.mid(pos).trimmed()));
            break;
        }
        const QString key = text.mid(pos, equals - pos).trimmed();
        qsizetype start = equals + 1;
        while (start < text.size() && text[start] == u' ')
            ++start;
        QString value;
        qsizetype next;
        if (start < text.size() && (text[start] == u'"' || text[start] == u'\'')) {
            const QChar quote = text[start];
            qsizetype p = start + 1;
            while (true) {
                if (p >= text.size())
                    badConnection(QStringLiteral("an unclosed quote"));
                if (text[p] == quote) {
                    if (p + 1 < text.size() && text[p + 1] == quote) {
                        value += quote;
                        p += 2;
                        continue;
                    }
                    break;
                }
                value += text[p++];
            }
            next = text.indexOf(u';', p);
            if (!QStringView(text).mid(p + 1, next < 0 ? -1 : next - p - 1).trimmed().isEmpty())
                badConnection(QStringLiteral("text after the quoted value of %1").arg(key));
        } else {
            next = text.indexOf(u';', equals);
            value = text.mid(equals + 1, next < 0 ? -1 : next - equals - 1);
        }
        result.emplace_back(key, value);
        pos = next < 0 ? text.size() : next + 1;
    }
    return result;
}

} // namespace

QString TextTableConnection::connectionText(const QString &folder, bool hasHeader)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + quoted(folder + QDir::separator()) +
           QStringLiteral(";Extended Properties=\"text;HDR=%1;FMT=Delimited\"").arg(hasHeader ? "YES" : "NO");
}

void TextTableConnection::open(const QString &connectionText)
{
    if (m_open)
        throw TextTableError(TextTableError::OpenObject,
                             QStringLiteral("Operation is not allowed when the object is open."));
    QString folder;
    bool haveFolder = false;
    QString properties = QStringLiteral("text");
    for (const auto &[key, value] : pairs(connectionText)) {
        if (key.compare(u"Data Source", Qt::CaseInsensitive) == 0) {
            folder = value;
            haveFolder = true;
        } else if (key.compare(u"Extended Properties", Qt::CaseInsensitive) == 0) {
            properties = value;
        }
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
    m_lastTablePath.clear();
    m_lastTable.reset();
    m_lastFile.reset();
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

void TextTableConnection::bindTable(const QString &tableName, const QString &path, std::shared_ptr<TextTable> table)
{
    m_bindings.erase(
        std::remove_if(m_bindings.begin(), m_bindings.end(),
                       [&](const Binding &b) { return b.tableName.compare(tableName, Qt::CaseInsensitive) == 0; }),
        m_bindings.end());
    m_bindings.push_back({tableName, path, std::move(table)});
    m_lastTablePath.clear();
    m_lastTable.reset();
    m_lastFile.reset();
}

const TextTableConnection::Binding *TextTableConnection::binding(const QString &tableName) const
{
    for (const Binding &b : m_bindings) {
        if (b.tableName.compare(tableName, Qt::CaseInsensitive) == 0)
            return &b;
    }
    return nullptr;
}

std::shared_ptr<TextTable> TextTableConnection::table(const QString &fileName) const
{
    requireOpen();
    const Binding *bound = binding(fileName);
    if (bound && bound->table)
        return bound->table;
    // A search sends thousands of statements on one file: its path is looked up once per connection, and each
    // statement asks the open file whether it is still as it was read, so a statement after a change, a cut or a
    // replacement reads the file as it is now.
    QString path;
    if (!m_lastTablePath.isEmpty() && fileName == m_lastTableName) {
        if (m_lastFile && TableCache::identityOf(*m_lastFile) == m_lastIdentity)
            return m_lastTable;
        path = m_lastTablePath;
    } else {
        path = bound ? bound->path : resolve(fileName);
    }
    m_lastTable.reset();
    m_lastFile.reset();
    TableCache::FileIdentity identity;
    auto table = m_cache.table(path, m_hasHeader, QString(), &identity);
    auto file = std::make_unique<QFile>(path);
    if (file->open(QIODevice::ReadOnly)) {
        m_lastFile = std::move(file);
        m_lastIdentity = identity;
        m_lastTable = table;
    }
    m_lastTablePath = path;
    m_lastTableName = fileName;
    return table;
}

QString TextTableConnection::resolve(const QString &fileName) const
{
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
    return path;
}
