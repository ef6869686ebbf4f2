#include "engine/TableCache.h"

#include "engine/TextTable.h"
#include "engine/TextTableError.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QDateTime>
#else
#include <sys/stat.h>
#endif

namespace {

std::optional<TableCache::FileIdentity> identify(const QString &path)
{
#ifdef Q_OS_WIN
    // Windows keeps no inode we can reach cheaply; size and times tell an edited file apart well enough.
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return TableCache::FileIdentity{0, uint64_t(info.birthTime().toMSecsSinceEpoch()), uint64_t(info.size()),
                                    info.lastModified().toMSecsSinceEpoch() * 1000000};
#else
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return TableCache::FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
                                    int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
#endif
}

// The identity of an open file: the identity of the bytes read from it.
void identifyOpen(QFile &file, TableCache::FileIdentity &identity)
{
#ifdef Q_OS_WIN
    Q_UNUSED(file);
    Q_UNUSED(identity);
#else
    struct stat st;
    if (::fstat(file.handle(), &st) == 0)
        identity = {uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
                    int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
#endif
}

} // namespace

TableCache::TableCache(size_t capacity)
    : m_capacity(std::max<size_t>(capacity, 1))
{}

TableCache::~TableCache() = default;

std::optional<TableCache::FileIdentity> TableCache::identityOf(QFile &openFile)
{
#ifdef Q_OS_WIN
    Q_UNUSED(openFile);
    return std::nullopt;
#else
    struct stat st;
    if (::fstat(openFile.handle(), &st) != 0 || st.st_nlink == 0)
        return std::nullopt;
    return FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
                        int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
#endif
}

std::shared_ptr<TextTable> TableCache::table(const QString &path, bool hasHeader, const QString &name,
                                             FileIdentity *identityOut)
{
    const std::lock_guard lock(m_mutex);
    const auto identity = identify(path);
    if (!identity)
        throw TextTableError(TextTableError::TableNotFound,
                             QStringLiteral("The file %1 could not be found.").arg(path));
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->identity == *identity && it->hasHeader == hasHeader) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            if (it->failure)
                throw *it->failure;
            if (identityOut)
                *identityOut = it->identity;
            return it->table;
        }
    }
    // Read into memory of our own, never mapped: a mapped file cut short while a search reads it would end the
    // process.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TextTableError(TextTableError::InvalidPath,
                             QStringLiteral("The file %1 cannot be read: %2").arg(path, file.errorString()));
    Entry entry{*identity, hasHeader, nullptr, std::nullopt};
    identifyOpen(file, entry.identity);
    ++m_parses;
    if (m_beforeParse)
        m_beforeParse(path);
    try {
        entry.table = TextTable::fromFile(file, hasHeader, name.isEmpty() ? QFileInfo(path).fileName() : name,
                                          m_keyColumns, {}, m_hashWhileReading);
    } catch (const TextTableError &e) {
        if (e.number() != TextTableError::BadFormat)
            throw;
        // A file that cannot be read stays refused, with the same words, until it changes: it is not read again
        // for every statement of a search.
        entry.failure = e;
    }
    m_entries.push_front(std::move(entry));
    if (m_entries.size() > m_capacity)
        m_entries.pop_back();
    if (m_entries.front().failure)
        throw *m_entries.front().failure;
    if (identityOut)
        *identityOut = m_entries.front().identity;
    return m_entries.front().table;
}
